// The pack builder's portable parts: its command line, switch letters, folder paths and taskbar bar.
#include "cmdline.h"

#include <gtest/gtest.h>

#include "pack_request.h"
#include "taskbar_progress.h"

namespace tavrin {
namespace {

using Tokens = std::vector<std::u16string>;

TEST(SplitCommandLine, TokensOfEachKindOfCommandLine) {
    const std::pair<std::u16string_view, Tokens> cases[] = {
        // Explorer's command: program, switches, the folder with its space.
        {u"\"C:\\T\\tunebale.exe\" -cpr \"D:\\My Songs\\Song 1\"",
         {u"C:\\T\\tunebale.exe", u"-cpr", u"D:\\My Songs\\Song 1"}},
        // A quoted stretch keeps its space and loses its quotes; an unbalanced quote runs to the end.
        {u"a b\"c d\"e f", {u"a", u"bc de", u"f"}},
        {u"\"\" x", {u"", u"x"}},
        {u"a \"b c", {u"a", u"b c"}},
        // Tabs and runs of spaces separate without empty tokens; a tab in quotes becomes a space.
        {u"  a\t\tb   c\t", {u"a", u"b", u"c"}},
        {u"\"x\ty\"", {u"x y"}},
        {u"\t \t", {u"fallback"}},  // blank: the program path alone
        {u"p -cr \"D:\\歌曲\\🎵 曲\"", {u"p", u"-cr", u"D:\\歌曲\\🎵 曲"}},
    };
    for (const auto& [line, tokens] : cases) EXPECT_EQ(SplitCommandLine(line, u"fallback"), tokens);
}

// Switch letters anywhere, case-sensitive, "c" required; folder paths cleaned, roots refused.
TEST(PackRequest, SwitchLettersAndFolderPaths) {
    const std::tuple<std::u16string_view, bool, bool, int32_t> switches[] = {
        {u"-cpr", true, true, kMethodLzss},  {u"-cp", true, false, kMethodLzss},
        {u"-cr", false, true, kMethodLzss},  {u"/rpcx", true, true, kMethodLzssXor},
        {u"cpr", true, true, kMethodLzss},   {u"-CPR", false, false, kMethodLzss},
        {u"-pr", false, false, kMethodLzss}, {u"-xq c r", false, true, kMethodLzssXor},
        {u"", false, false, kMethodLzss}};
    for (const auto& [token, archive, descriptor, method] : switches) {
        const PackSwitches s = ParseSwitches(token);
        EXPECT_EQ(std::tuple(s.archive, s.descriptor, s.method), std::tuple(archive, descriptor, method))
            << std::string(token.begin(), token.end());
    }
    using enum FolderPathProblem;
    const std::tuple<std::u16string_view, std::u16string_view, FolderPathProblem> paths[] = {
        {u"D:/Songs/MySong/", u"D:\\Songs\\MySong", kNone},
        {u"D:\\Songs\\MySong\\\\", u"D:\\Songs\\MySong", kNone},
        {u"  D:\\My Song  ", u"D:\\My Song", kNone},
        {u"\\\\server\\share\\song\\", u"\\\\server\\share\\song", kNone},
        {u"\\\\?\\C:\\Songs", u"\\\\?\\C:\\Songs", kNone},
        {u"   ", u"", kEmpty},
        {u"C:", u"", kDriveRoot},
        {u"c:/", u"", kDriveRoot},
        {u"/", u"", kDriveRoot},
        {u"\\\\server\\share\\", u"", kDriveRoot},
        {u"\\\\server", u"", kDriveRoot},
        {u"\\\\?\\C:\\", u"", kDriveRoot},
        {u"\\\\?\\UNC\\server\\share", u"", kDriveRoot}};
    for (const auto& [typed, clean, problem] : paths) {
        SCOPED_TRACE(std::string(typed.begin(), typed.end()));
        const CleanFolder c = CleanFolderPath(typed);
        EXPECT_EQ(c.problem, problem);
        if (problem == kNone) EXPECT_EQ(c.path, clean);
    }
}

// The taskbar bar: at most one value every 50 ms, always the last; red from a failure to the
// end of the run; the next run afresh.
TEST(TaskbarProgress, ThrottledRedAfterAFailureAndClearedAtTheEnd) {
    struct Button final : TaskbarButton {
        std::vector<std::string> calls;
        void SetProgressState(TaskbarState s) override {
            calls.push_back(s == TaskbarState::kNormal ? "normal" : s == TaskbarState::kError ? "error" : "none");
        }
        void SetProgressValue(uint64_t done, uint64_t total) override {
            calls.push_back(std::to_string(done) + "/" + std::to_string(total));
        }
    } button;
    std::chrono::milliseconds now{0};
    TaskbarProgress progress(button, [&] { return std::chrono::steady_clock::time_point(now); });
    const std::pair<int, uint64_t> shows[] = {{1000, 0},   {1010, 100}, {1049, 150},
                                              {1050, 200}, {1060, 250}, {1061, 300}};
    for (const auto& [ms, done] : shows) now = std::chrono::milliseconds(ms), progress.Show(done, 300);
    progress.Fail();                                             // the archive stopped part-way
    now += std::chrono::milliseconds(100), progress.Show(0, 0);  // a descriptor with nothing to pack
    progress.Clear();
    now += std::chrono::milliseconds(1), progress.Show(0, 40);  // the next press of Pack
    EXPECT_EQ(button.calls, (std::vector<std::string>{"normal", "0/300", "200/300", "300/300", "error", "1/1", "none",
                                                      "normal", "0/40"}));
}

}  // namespace
}  // namespace tavrin
