// The file layer against real files: what CFile raises and when, whole-file reads and maps, and a
// file someone else is writing.
#include "tavrin/file_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tavrin/binary_file.h"
#include "tavrin/numbered_error.h"
#include "temp_folder.h"

namespace tavrin {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

template <typename F>
int32_t RaisedNumber(F&& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e.Number();
    }
    return -1;
}

TEST(CFile, CreatesWritesReadsBackAndRaisesTheNumberOfEachFailure) {
    TempFolder dir;
    WriteBytes(dir / L"a.bin", {1, 2, 3});
    CFile f, other;
    EXPECT_EQ(RaisedNumber([&] { f.Create(dir / L"a.bin", false); }), 58);
    EXPECT_EQ(ReadBytes(dir / L"a.bin"), (Bytes{1, 2, 3}));
    EXPECT_EQ(RaisedNumber([&] { f.Create(dir / L"no-folder\\a.bin"); }), 76);
    EXPECT_EQ(RaisedNumber([&] { f.Create(L"C:\\bad|name?.bin"); }), 52);
    f.Create(dir / L"a.bin");
    EXPECT_TRUE(ReadBytes(dir / L"a.bin").empty()) << "replaced by an empty file, readers let in";
    EXPECT_EQ(RaisedNumber([&] { other.Create(dir / L"a.bin"); }), 70);  // a second writer is refused
    f.WritePtr("\0\1\2\3\4\5\6\7\x08\x09", 10);
    EXPECT_EQ(RaisedNumber([&] { f.ReadAll(); }), 62) << "nothing left";
    EXPECT_EQ(f.SetPointer(7, CFile::kFromBegin), 7);
    EXPECT_EQ(f.ReadAll(), (Bytes{7, 8, 9}));
    // The numbers' texts: a system code's own text, trimmed, rather than the catch-all.
    const std::wstring shared = NumberedError::ErrorDescription(ERROR_SHARING_VIOLATION);
    EXPECT_NE(shared, NumberedError::ErrorDescription(-1));
    EXPECT_EQ(std::wstring(L"\r\n .\u3002").find(shared.back()), std::wstring::npos);
    // A second close must not close a handle that reused the value.
    f.CloseFile();
    HANDLE h = CreateFileW((dir / L"other.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    f.CloseFile();
    DWORD put = 0;
    EXPECT_TRUE(WriteFile(h, "x", 1, &put, nullptr));
    CloseHandle(h);
    EXPECT_NO_THROW(other.Create(dir / L"a.bin"));
}

TEST(FileSystem, FileExistsAndWholeFilesReadOrMappedUnlessSomeoneWrites) {
    TempFolder dir;
    WriteBytes(dir / L"five.bin", {1, 2, 3, 4, 5});
    WriteBytes(dir / L"empty.bin", {});
    CreateDirectoryW((dir / L"plain").c_str(), nullptr);
    CreateDirectoryW((dir / L"hidden").c_str(), nullptr);
    SetFileAttributesW((dir / L"hidden").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    // Files yes, plain folders no, folders with more attributes yes.
    const std::pair<std::wstring, bool> exists[] = {
        {dir / L"five.bin", true}, {dir / L"missing.txt", false}, {dir / L"no-folder\\f.txt", false},
        {dir / L"plain", false},   {dir / L"hidden", true},       {L"", false}};
    for (const auto& [path, expected] : exists) EXPECT_EQ(FileExists(path), expected);
    Bytes data;
    EXPECT_EQ(ReadWholeFile(dir / L"five.bin", data), 0);
    EXPECT_EQ(data, (Bytes{1, 2, 3, 4, 5}));
    ByteBuffer unmapped;
    SourceFile source;
    ASSERT_TRUE(source.Load(dir / L"five.bin", unmapped));
    EXPECT_EQ(Bytes(source.Data(), source.Data() + source.Size()), data);
    EXPECT_FALSE(DeleteFileW((dir / L"five.bin").c_str())) << "held for reading while in use";
    source.Release();
    // A file being written is never read torn: it cannot be opened until the writer lets go.
    HANDLE writer =
        CreateFileW((dir / L"five.bin").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    for (const std::wstring& path : {dir / L"five.bin", dir / L"empty.bin", dir / L"missing.bin", dir.Path()}) {
        EXPECT_EQ(ReadWholeFile(path, data), 1);
        EXPECT_FALSE(source.Load(path, unmapped));
    }
    CloseHandle(writer);
    EXPECT_EQ(ReadWholeFile(dir / L"five.bin", data), 0);
}

}  // namespace
}  // namespace tavrin
