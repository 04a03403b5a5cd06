// CFile against real files: what it raises and when, and the texts of the numbers.
#include "tavrin/binary_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tavrin/numbered_error.h"
#include "support.h"

namespace tavrin {
namespace {

int32_t RaisedNumber(const std::function<void()>& f) try { return f(), -1; } catch (const NumberedError& e) {
    return e.Number();
}

TEST(CFile, CreatesWritesReadsBackAndRaisesTheNumberOfEachFailure) {
    testing::TempFolder dir;
    testing::WriteBytes(dir / L"a.bin", {1, 2, 3});
    CFile f, other;
    EXPECT_EQ(RaisedNumber([&] { f.Create(dir / L"no-folder\\a.bin"); }), 76);
    EXPECT_EQ(RaisedNumber([&] { f.Create(L"C:\\bad|name?.bin"); }), 52);
    f.Create(dir / L"a.bin");
    EXPECT_TRUE(testing::ReadBytes(dir / L"a.bin").empty()) << "replaced by an empty file, readers let in";
    EXPECT_EQ(RaisedNumber([&] { other.Create(dir / L"a.bin"); }), 70);  // a second writer is refused
    f.WritePtr("\0\1\2\3\4\5\6\7\x08\x09", 10);
    EXPECT_EQ(RaisedNumber([&] { f.ReadAll(); }), 62) << "nothing left";
    EXPECT_EQ(f.SetPointer(7, CFile::kFromBegin), 7);
    EXPECT_EQ(f.ReadAll(), (std::vector<uint8_t>{7, 8, 9}));
    // The numbers' texts: a system code's own text, trimmed, rather than the catch-all.
    const std::wstring shared = NumberedError::ErrorDescription(ERROR_SHARING_VIOLATION);
    EXPECT_NE(shared, NumberedError::ErrorDescription(-1));
    EXPECT_EQ(std::wstring(L"\r\n .\u3002").find(shared.back()), std::wstring::npos);
    f.CloseFile();
    EXPECT_NO_THROW(other.Create(dir / L"a.bin"));  // once the first writer let go
}

}  // namespace
}  // namespace tavrin
