// CFile against real files: dispositions, sharing, positions, reads and writes, close-once.
#include "tavrin/binary_file.h"

#include <gtest/gtest.h>

#include "raised_number.h"
#include "temp_folder.h"

namespace tavrin {
namespace {

using testing::RaisedNumber;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

TEST(CFile, CreatingRefusesOrReplacesAndSharesOnlyWithReaders) {
    TempFolder dir;
    WriteBytes(dir / L"a.bin", {1, 2, 3});
    CFile f;
    EXPECT_EQ(RaisedNumber([&] { f.Create(dir / L"a.bin", false); }), 58);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(ReadBytes(dir / L"a.bin"), (Bytes{1, 2, 3}));
    EXPECT_EQ(RaisedNumber([&] { f.Create(dir / L"no-folder\\a.bin"); }), 76);
    EXPECT_EQ(RaisedNumber([&] { f.Create(L"C:\\bad|name?.bin"); }), 52);
    f.Create(dir / L"a.bin");
    EXPECT_EQ(f.GetPointer(), 0);
    EXPECT_TRUE(ReadBytes(dir / L"a.bin").empty()) << "replaced by an empty file";
    // A second writer is refused; plain readers are let in.
    CFile other;
    EXPECT_EQ(RaisedNumber([&] { other.Create(dir / L"a.bin"); }), 70);
    HANDLE reader = CreateFileW((dir / L"a.bin").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    // Creating another file on the same object lets the first go.
    f.Create(dir / L"b.bin");
    EXPECT_NO_THROW(other.Create(dir / L"a.bin"));
}

TEST(CFile, WritesReadsBackAndMovesThePointer) {
    TempFolder dir;
    CFile f;
    f.Create(dir / L"all.bin");
    const Bytes ten{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_NO_THROW(f.WritePtr(ten.data(), 0));
    EXPECT_EQ(f.GetPointer(), 0);
    EXPECT_NE(RaisedNumber([&] { f.WritePtr(ten.data(), -1); }), -1);
    f.WritePtr(ten.data(), 10);
    EXPECT_EQ(f.GetPointer(), 10);
    EXPECT_EQ(RaisedNumber([&] { f.ReadAll(); }), 62) << "nothing left";
    EXPECT_EQ(f.SetPointer(0, CFile::kFromBegin), 0);
    EXPECT_EQ(f.ReadAll(), ten);
    EXPECT_EQ(f.GetPointer(), 10);
    EXPECT_EQ(f.SetPointer(7), 7);
    EXPECT_EQ(f.ReadAll(), (Bytes{7, 8, 9}));
    EXPECT_EQ(f.SetPointer(2, CFile::kFromBegin), 2);
    EXPECT_EQ(f.SetPointer(1, CFile::kFromCurrent), 3);
    EXPECT_EQ(f.SetPointer(0, CFile::kFromEnd), 10);
    // -1 is 4 GiB - 1 from the start, not one byte back.
    EXPECT_EQ(f.SetPointer(-1, CFile::kFromBegin), -1);
    EXPECT_EQ(static_cast<uint32_t>(f.GetPointer()), 0xFFFFFFFFu);
    EXPECT_EQ(RaisedNumber([&] { f.SetPointer(0, 7); }), 5);  // an unknown origin
    EXPECT_TRUE(f.IsOpen()) << "the object keeps its file after a failure";
    f.CloseFile();
    EXPECT_EQ(ReadBytes(dir / L"all.bin"), ten);
}

TEST(CFile, ClosesItsHandleOnceAndMovesIt) {
    TempFolder dir;
    {
        CFile f;
        f.Create(dir / L"c.bin");
        f.CloseFile();
        EXPECT_FALSE(f.IsOpen());
        // A second handle that could reuse the value must survive the second close.
        HANDLE h = CreateFileW((dir / L"other.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        f.CloseFile();
        DWORD put = 0;
        EXPECT_TRUE(WriteFile(h, "x", 1, &put, nullptr));
        CloseHandle(h);
    }
    {
        CFile a;
        a.Create(dir / L"m.bin");
        CFile b(std::move(a));
        EXPECT_FALSE(a.IsOpen());  // NOLINT(bugprone-use-after-move): checking the moved-from state
        EXPECT_TRUE(b.IsOpen());
        b.WritePtr("\x05", 1);
    }  // destruction closed it: another writer may create it now
    EXPECT_EQ(ReadBytes(dir / L"m.bin"), (Bytes{5}));
    CFile g;
    EXPECT_NO_THROW(g.Create(dir / L"m.bin"));
}

}  // namespace
}  // namespace tavrin
