// ReadFileVersion on real program files: the packer and stand-ins with chosen versions. Files
// without version information are the end-to-end test's (tests/e2e/shellbind_test.cpp).
#include "file_version.h"

#include <gtest/gtest.h>

#include "message_box_catcher.h"
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
    // A bare name is looked up beside the running program.
    EXPECT_EQ(W(ReadFileVersion(L"tv_fake_packer_37.exe").FileVersionText), L"9.8.7.37");
    EXPECT_TRUE(boxes.Seen().empty());
}

}  // namespace
}  // namespace tavrin
