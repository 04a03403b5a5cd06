// ReadVersionInfo on real program files, and the record the running program reads of itself.
#include "version_info.h"

#include <gtest/gtest.h>

#include "app.h"
#include "temp_folder.h"
#include "window_driver.h"

namespace tavrin {
namespace {

using testing::ProgramFolder;

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

TEST(ReadVersionInfo, ShippedFilesCarryTheirRecordsOthersTheEmptyOne) {
    const VersionInfoRecord r = ReadVersionInfo(ProgramFolder() + L"tunebale.exe");
    EXPECT_EQ(W(r.FileVersionText), L"1.3.0.64");
    EXPECT_EQ(r.FileRevision, 64);
    EXPECT_EQ(W(r.FileVersion), L"1.03.0064");
    EXPECT_EQ(W(r.ProductName), L"Tavrin歌曲打包器");
    EXPECT_EQ(W(r.OriginalFilename), L"tunebale.exe");
    EXPECT_EQ(r.Comments, u"");
    EXPECT_EQ(ReadVersionInfo(L"tunebale.exe"), r) << "a bare name is found beside the running program";

    testing::TempFolder folder;
    testing::WriteBytes(folder / L"notes.txt", {'h', 'i'});
    for (const std::wstring& file : {folder / L"notes.txt", folder / L"missing.exe",
                                     ProgramFolder() + L"tv_exit_with.exe"})  // built without a version resource
        EXPECT_EQ(ReadVersionInfo(file), VersionInfoRecord{});
}

TEST(AppVersion, StartUpReadsTheRunningProgramsOwnRecord) {
    InitAppEnvironment();
    const VersionInfoRecord& r = AppVersion();
    EXPECT_EQ(W(r.FileVersionText), L"2.4.65535.8");
    EXPECT_EQ(r.FileBuild, 65535);
    EXPECT_EQ(W(r.ProductVersionText), L"9.0.0.1");
    EXPECT_EQ(W(r.FileDescription), L"版本测试");
    EXPECT_EQ(r, ReadVersionInfo(App().AppExePath));
}

}  // namespace
}  // namespace tavrin
