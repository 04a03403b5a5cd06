// ReadFileVersion on real program files: the packer, stand-ins with chosen versions, and files
// without version information, whose message the test answers.
#include "file_version.h"

#include <gtest/gtest.h>

#include "message_box_catcher.h"
#include "tavrin/message_box.h"
#include "temp_folder.h"
#include "window_driver.h"

namespace tavrin {
namespace {

using testing::MessageBoxCatcher;
using testing::ProgramFolder;

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

TEST(ReadFileVersion, ThePackersNumbersWhateverItsTextsSay) {
    MessageBoxCatcher boxes;
    const FileVersionRecord r = ReadFileVersion(ProgramFolder() + L"tunebale.exe");
    EXPECT_EQ(W(r.FileVersionText), L"1.3.0.64");
    EXPECT_EQ(r.FileRevision, 64);
    EXPECT_EQ(W(r.ProductVersionText), L"1.3.0.64");

    const FileVersionRecord fake = ReadFileVersion(ProgramFolder() + L"tv_fake_packer_36.exe");
    EXPECT_EQ(W(fake.FileVersionText), L"9.8.7.36");
    EXPECT_EQ(fake.FileMajor, 9);
    EXPECT_EQ(fake.FileRevision, 36);
    EXPECT_EQ(W(fake.ProductVersionText), L"1.3.0.64") << "the product version is its own";
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST(ReadFileVersion, ABareNameIsLookedUpBesideTheRunningProgram) {
    MessageBoxCatcher boxes;
    EXPECT_EQ(W(ReadFileVersion(L"tv_fake_packer_37.exe").FileVersionText), L"9.8.7.37");
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST(ReadFileVersion, WithoutVersionInformationTheMessageComesOnceAndTheRecordIsEmpty) {
    SetMessageTitle(L"版本读取测试");
    testing::TempFolder folder;
    for (const std::wstring& file : {ProgramFolder() + L"tv_fake_packer_plain.exe", folder / L"missing.exe"}) {
        MessageBoxCatcher boxes;
        EXPECT_EQ(ReadFileVersion(file), FileVersionRecord{});
        std::vector<testing::MessageBoxInfo> seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, L"此文件没有版本信息!");
        EXPECT_EQ(seen[0].caption, L"版本读取测试");
        EXPECT_EQ(seen[0].buttons, std::vector<int>{IDOK});
    }
}

}  // namespace
}  // namespace tavrin
