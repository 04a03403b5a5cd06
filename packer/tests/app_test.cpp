#include "app.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "folder_picker.h"
#include "tavrin/message_box.h"
#include "tavrin/numbered_error.h"

namespace tavrin {
namespace {

TEST(AppEnvironment, ExplorerCommandLineGivesThreeTokensAndTheProgramParts) {
    InitAppEnvironmentFrom(L"C:\\Program Files\\Tavrin\\tunebale.exe",
                           L"\"C:\\Program Files\\Tavrin\\tunebale.exe\" -cpr \"D:\\My Songs\\歌 1\"");
    EXPECT_EQ(App().AppExeName, L"tunebale.exe");
    EXPECT_EQ(App().AppFolder, L"C:\\Program Files\\Tavrin\\");
    EXPECT_FALSE(App().AppHosted);
    EXPECT_EQ(App().AppArgText, L"-cpr \"D:\\My Songs\\歌 1\"");
    ASSERT_EQ(ArgCount(), 3);
    EXPECT_EQ(Arg(0), L"C:\\Program Files\\Tavrin\\tunebale.exe");
    EXPECT_EQ(Arg(1), L"-cpr");
    EXPECT_EQ(Arg(2), L"D:\\My Songs\\歌 1");
}

TEST(AppEnvironment, BlankCommandLineLeavesTheProgramPathAsTheOnlyToken) {
    InitAppEnvironmentFrom(L"C:\\t\\tunebale.exe", L"   ");
    EXPECT_EQ(ArgCount(), 1);
    EXPECT_EQ(Arg(0), L"C:\\t\\tunebale.exe");
    EXPECT_EQ(App().AppArgText, L"");
    InitAppEnvironmentFrom(L"C:\\t\\tunebale.exe", L"tunebale.exe");
    EXPECT_EQ(App().AppArgText, L"");
}

TEST(AppEnvironment, TokensOutsideTheRangeAreSubscriptErrors) {
    InitAppEnvironmentFrom(L"C:\\t\\tunebale.exe", L"tunebale.exe -cp");
    for (int32_t bad : {-1, 2, 100}) {
        try {
            Arg(bad);
            ADD_FAILURE() << bad;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.Number(), kErrSubscript);
        }
    }
}

TEST(AppEnvironment, RunningProcessKnowsItsOwnPathAndTheMessageTitle) {
    InitAppEnvironment();
    EXPECT_NE(App().AppExePath.find(L"app_tests.exe"), std::wstring::npos) << App().AppExePath;
    EXPECT_EQ(App().AppFolder + App().AppExeName, App().AppExePath);
    EXPECT_GE(ArgCount(), 1);
    EXPECT_EQ(AppTitle(), L"Tavrin歌曲打包器");
    EXPECT_EQ(MessageTitle(), AppTitle());
}

// The folder picker is a COM dialog: the window's thread must be a single-threaded apartment.
TEST(ComApartment, MakesTheThreadASingleThreadedApartmentForItsLife) {
    std::thread([] {
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        {
            ComApartment com;
            ASSERT_EQ(CoGetApartmentType(&type, &qualifier), S_OK);
            EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA) << type;  // the first STA is the main one
        }
        EXPECT_NE(CoGetApartmentType(&type, &qualifier), S_OK) << "still initialised after the owner ended";
    }).join();
}

}  // namespace
}  // namespace tavrin
