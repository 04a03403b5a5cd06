#include "pack_request.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

struct SwitchCase {
    std::u16string_view token;
    bool archive, descriptor;
    int32_t method;
};

TEST(ParseSwitches, LettersAnywhereCaseSensitiveCRequired) {
    const SwitchCase cases[] = {
        {u"-cpr", true, true, kMethodLzss},   {u"-cp", true, false, kMethodLzss},
        {u"-cr", false, true, kMethodLzss},   {u"-cprx", true, true, kMethodLzssXor},
        {u"/rpc", true, true, kMethodLzss},   {u"cpr", true, true, kMethodLzss},
        {u"-CPR", false, false, kMethodLzss}, {u"-pr", false, false, kMethodLzss},
        {u"-c", false, false, kMethodLzss},   {u"-xq c r", false, true, kMethodLzssXor},
        {u"", false, false, kMethodLzss},
    };
    for (const SwitchCase& c : cases) {
        PackSwitches s = ParseSwitches(c.token);
        EXPECT_EQ(s.archive, c.archive) << std::string(c.token.begin(), c.token.end());
        EXPECT_EQ(s.descriptor, c.descriptor) << std::string(c.token.begin(), c.token.end());
        EXPECT_EQ(s.method, c.method) << std::string(c.token.begin(), c.token.end());
    }
}

TEST(CleanFolderPath, ForwardSlashesAndTrailingSeparatorsPackLikeTheCleanPath) {
    EXPECT_EQ(CleanFolderPath(u"D:/Songs/MySong/").path, u"D:\\Songs\\MySong");
    EXPECT_EQ(CleanFolderPath(u"D:\\Songs\\MySong\\\\").path, u"D:\\Songs\\MySong");
    EXPECT_EQ(CleanFolderPath(u"  D:\\Songs\\My Song  ").path, u"D:\\Songs\\My Song");
    EXPECT_EQ(CleanFolderPath(u"MySong").path, u"MySong");
    EXPECT_EQ(CleanFolderPath(u"\\\\server\\share\\song\\").path, u"\\\\server\\share\\song");
    EXPECT_EQ(CleanFolderPath(u"D:\\Songs").problem, FolderPathProblem::kNone);
}

TEST(CleanFolderPath, EmptyPathsAndRootsAreRefused) {
    for (std::u16string_view empty : {u"", u"   "})
        EXPECT_EQ(CleanFolderPath(empty).problem, FolderPathProblem::kEmpty);
    for (std::u16string_view root : {u"C:\\", u"C:", u"c:/", u"\\", u"/", u"\\\\server\\share", u"\\\\server\\share\\",
                                     u"\\\\server", u"\\\\?\\C:\\", u"\\\\?\\UNC\\server\\share"})
        EXPECT_EQ(CleanFolderPath(root).problem, FolderPathProblem::kDriveRoot)
            << std::string(root.begin(), root.end());
    EXPECT_EQ(CleanFolderPath(u"\\\\?\\C:\\Songs").problem, FolderPathProblem::kNone);
    EXPECT_EQ(CleanFolderPath(u"\\\\?\\UNC\\server\\share\\x").problem, FolderPathProblem::kNone);
}

}  // namespace
}  // namespace tavrin
