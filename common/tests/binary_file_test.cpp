// CFile against real files: dispositions, sharing, positions, reads and writes, close-once.
#include "tavrin/binary_file.h"

#include <gtest/gtest.h>

#include "tavrin/numbered_error.h"
#include "raised_number.h"
#include "temp_folder.h"

namespace tavrin {
namespace {

using testing::RaisedNumber;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

TEST(CFileOpening, CreateWithoutOverwriteOnExistingFileGives58AndLeavesItUnchanged) {
    TempFolder dir;
    WriteBytes(dir / L"a.bin", {1, 2, 3});
    CFile f;
    EXPECT_EQ(RaisedNumber([&] { f.Create(dir / L"a.bin", false); }), 58);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(ReadBytes(dir / L"a.bin"), (Bytes{1, 2, 3}));
}

TEST(CFileOpening, CreateWithOverwriteReplacesTheFileByAnEmptyOne) {
    TempFolder dir;
    WriteBytes(dir / L"a.bin", {1, 2, 3});
    CFile f;
    f.Create(dir / L"a.bin");
    EXPECT_EQ(f.GetPointer(), 0);
    f.CloseFile();
    EXPECT_TRUE(ReadBytes(dir / L"a.bin").empty());
}

TEST(CFileOpening, MissingFileGives53AndMissingFolder76) {
    TempFolder dir;
    CFile f;
    EXPECT_EQ(RaisedNumber([&] { f.OpenFile(dir / L"missing.bin"); }), 53);
    EXPECT_EQ(RaisedNumber([&] { f.OpenFile(dir / L"no-folder\\a.bin"); }), 76);
    EXPECT_EQ(RaisedNumber([&] { f.Create(dir / L"no-folder\\a.bin"); }), 76);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.FileName(), dir / L"no-folder\\a.bin");  // the name is kept even when opening fails
}

TEST(CFileOpening, SecondWriterOfAHeldFileGives70WhileReadersMayShare) {
    TempFolder dir;
    CFile holder;
    holder.Create(dir / L"held.bin");
    holder.WriteByte(7);
    CFile other;
    EXPECT_EQ(RaisedNumber([&] { other.OpenFile(dir / L"held.bin"); }), 70);
    EXPECT_EQ(RaisedNumber([&] { other.Create(dir / L"held.bin"); }), 70);
    // Plain readers are let in: the share mode is read-only.
    HANDLE reader = CreateFileW((dir / L"held.bin").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    holder.CloseFile();
    EXPECT_NO_THROW(other.OpenFile(dir / L"held.bin"));
}

TEST(CFileOpening, MalformedNameGives52) {
    CFile f;
    EXPECT_EQ(RaisedNumber([&] { f.Create(L"C:\\bad|name?.bin"); }), 52);
}

TEST(CFileOpening, OpenFileOnAnObjectHoldingAFileClosesTheFirst) {
    TempFolder dir;
    CFile f;
    f.Create(dir / L"first.bin");
    WriteBytes(dir / L"second.bin", {9});
    f.OpenFile(dir / L"second.bin");
    EXPECT_EQ(f.ReadByte(), 9);
    // The first file is free again: another object may open it for writing.
    CFile g;
    EXPECT_NO_THROW(g.OpenFile(dir / L"first.bin"));
}

TEST(CFileValues, LongsAreLittleEndianAndPositionsAdvance) {
    TempFolder dir;
    CFile f;
    f.Create(dir / L"v.bin");
    EXPECT_EQ(f.GetPointer(), 0);
    f.WriteByte(0xAB);
    f.WriteLong(258);
    EXPECT_EQ(f.GetPointer(), 5);
    f.WriteLong(-1);
    f.SetPointer(0, 0);
    EXPECT_EQ(f.ReadByte(), 0xAB);
    EXPECT_EQ(f.ReadLong(), 258);
    EXPECT_EQ(f.ReadLong(), -1);
    f.CloseFile();
    EXPECT_EQ(ReadBytes(dir / L"v.bin"), (Bytes{0xAB, 0x02, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(CFileValues, ReadAllReturnsTheRestAndFailsAtTheEnd) {
    TempFolder dir;
    CFile f;
    f.Create(dir / L"all.bin");
    Bytes ten{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    f.WritePtr(ten.data(), 10);
    EXPECT_EQ(f.SetPointer(0, 0), 0);
    EXPECT_EQ(f.ReadAll(), ten);
    EXPECT_EQ(f.GetPointer(), 10);
    EXPECT_EQ(RaisedNumber([&] { f.ReadAll(); }), 62);
    f.SetPointer(7, 0);
    EXPECT_EQ(f.ReadAll(), (Bytes{7, 8, 9}));
}

TEST(CFileValues, SetPointerFromCurrentAndEndAndNeverBackwards) {
    TempFolder dir;
    WriteBytes(dir / L"p.bin", {10, 11, 12, 13, 14});
    CFile f;
    f.OpenFile(dir / L"p.bin");
    EXPECT_EQ(f.SetPointer(2, 1), 2);
    EXPECT_EQ(f.SetPointer(1, 1), 3);
    EXPECT_EQ(f.SetPointer(0, 2), 5);
    // -1 is 4 GiB - 1 from the start, not one byte back.
    EXPECT_EQ(f.SetPointer(-1, 0), -1);
    EXPECT_EQ(static_cast<uint32_t>(f.GetPointer()), 0xFFFFFFFFu);
    EXPECT_EQ(RaisedNumber([&] { f.SetPointer(0, 7); }), 5);  // an unknown origin
}

TEST(CFileValues, ReadCStringSequenceStopsOnTheNul) {
    TempFolder dir;
    WriteBytes(dir / L"s.bin", {0x61, 0x62, 0x00, 0x63, 0x64});
    CFile f;
    f.OpenFile(dir / L"s.bin");
    EXPECT_EQ(f.ReadCString(), (Bytes{0x61, 0x62}));
    EXPECT_EQ(f.GetPointer(), 2);
    EXPECT_EQ(RaisedNumber([&] { f.ReadCString(); }), kErrSubscript);
    EXPECT_EQ(f.GetPointer(), 2);
    EXPECT_EQ(f.ReadByte(), 0);
    EXPECT_EQ(f.ReadCString(), (Bytes{0x63, 0x64}));
    EXPECT_EQ(f.GetPointer(), 5);
    EXPECT_EQ(RaisedNumber([&] { f.ReadCString(); }), kErrSubscript);  // at the end of the file
}

TEST(CFileValues, ZeroLengthTransfersAndShortReads) {
    TempFolder dir;
    WriteBytes(dir / L"z.bin", {1, 2, 3});
    CFile f;
    f.OpenFile(dir / L"z.bin");
    uint8_t scratch[8] = {};
    EXPECT_NO_THROW(f.ReadPtr(scratch, 0));
    EXPECT_NO_THROW(f.WritePtr(scratch, 0));
    EXPECT_EQ(f.GetPointer(), 0);
    EXPECT_NE(RaisedNumber([&] { f.Read(0); }), -1);
    EXPECT_EQ(f.Read(2), (Bytes{1, 2}));
    // A short read fails, and the byte that did arrive is consumed.
    EXPECT_EQ(RaisedNumber([&] { f.Read(4); }), 62);
    EXPECT_EQ(f.GetPointer(), 3);
    EXPECT_EQ(RaisedNumber([&] { f.ReadByte(); }), 62);
    EXPECT_EQ(RaisedNumber([&] { f.ReadLong(); }), 62);
    EXPECT_TRUE(f.IsOpen());  // the object keeps its file after a failed read
}

TEST(CFileOwnership, CloseFileTwiceAndDestructionCloseTheHandleOnce) {
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
        CFile never;  // destroying an object that never opened a file closes nothing
        EXPECT_FALSE(never.IsOpen());
    }
    {
        CFile f;
        f.Create(dir / L"d.bin");
        f.WriteByte(1);
    }  // destruction closed it: another writer may open it now
    CFile g;
    EXPECT_NO_THROW(g.OpenFile(dir / L"d.bin"));
}

TEST(CFileOwnership, MovedFromObjectHoldsNoFile) {
    TempFolder dir;
    CFile a;
    a.Create(dir / L"m.bin");
    CFile b(std::move(a));
    EXPECT_FALSE(a.IsOpen());  // NOLINT(bugprone-use-after-move): checking the moved-from state
    EXPECT_TRUE(b.IsOpen());
    b.WriteByte(5);
    b.CloseFile();
    EXPECT_EQ(ReadBytes(dir / L"m.bin"), (Bytes{5}));
}

}  // namespace
}  // namespace tavrin
