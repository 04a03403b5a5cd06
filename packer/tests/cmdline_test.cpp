#include "cmdline.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using Tokens = std::vector<std::u16string>;
constexpr std::u16string_view kExe = u"C:\\Tools\\tunebale.exe";

TEST(SplitCommandLine, ExplorerCommandGivesProgramSwitchesAndFolderWithItsSpace) {
    EXPECT_EQ(SplitCommandLine(u"\"C:\\Tools\\tunebale.exe\" -cpr \"D:\\My Songs\\Song 1\"", kExe),
              (Tokens{u"C:\\Tools\\tunebale.exe", u"-cpr", u"D:\\My Songs\\Song 1"}));
}

TEST(SplitCommandLine, QuotedStretchInsideTokenKeepsItsSpaceAndLosesItsQuotes) {
    EXPECT_EQ(SplitCommandLine(u"a b\"c d\"e f", kExe), (Tokens{u"a", u"bc de", u"f"}));
    EXPECT_EQ(SplitCommandLine(u"\"\" x", kExe), (Tokens{u"", u"x"}));
    // An unbalanced quote runs to the end of the text.
    EXPECT_EQ(SplitCommandLine(u"a \"b c", kExe), (Tokens{u"a", u"b c"}));
}

TEST(SplitCommandLine, TabsAndRunsOfSpacesSeparateWithoutEmptyTokens) {
    EXPECT_EQ(SplitCommandLine(u"  a\t\tb   c\t", kExe), (Tokens{u"a", u"b", u"c"}));
    EXPECT_EQ(SplitCommandLine(u"\"x\ty\"", kExe), (Tokens{u"x y"}));  // a tab in quotes becomes a space
}

TEST(SplitCommandLine, BlankCommandLineGivesTheProgramPathAlone) {
    EXPECT_EQ(SplitCommandLine(u"", kExe), (Tokens{std::u16string(kExe)}));
    EXPECT_EQ(SplitCommandLine(u"    ", kExe), (Tokens{std::u16string(kExe)}));
    EXPECT_EQ(SplitCommandLine(u"\t \t", kExe), (Tokens{std::u16string(kExe)}));
}

TEST(SplitCommandLine, UnicodeFolderNamesPassThroughUnchanged) {
    EXPECT_EQ(SplitCommandLine(u"p -cr \"D:\\歌曲\\🎵 曲\"", kExe), (Tokens{u"p", u"-cr", u"D:\\歌曲\\🎵 曲"}));
}

TEST(SkipSpaces, FindsFirstNonSpaceAtOrAfterStart) {
    EXPECT_EQ(SkipSpaces(1, u"  ab"), 3u);
    EXPECT_EQ(SkipSpaces(4, u"  ab"), 4u);
    EXPECT_EQ(SkipSpaces(1, u"   "), 0u);
    EXPECT_EQ(SkipSpaces(1, u""), 0u);
    EXPECT_EQ(SkipSpaces(9, u"ab"), 0u);
    EXPECT_EQ(SkipSpaces(1, u"\tx"), 1u);  // only spaces are skipped
}

TEST(FindUnquoted, IgnoresDelimitersInsideQuotes) {
    EXPECT_EQ(FindUnquoted(1, u"\"a b\" c", u' '), 6u);
    EXPECT_EQ(FindUnquoted(1, u"abc", u' '), 0u);
    EXPECT_EQ(FindUnquoted(1, u"\"a b c", u' '), 0u);
    EXPECT_EQ(FindUnquoted(3, u"a b c", u' '), 4u);
    EXPECT_EQ(FindUnquoted(5, u"\"a b\"", u' '), 0u);  // starting inside quotes counts as outside
}

TEST(TrimSpaces, TrimsSpacesOnlyFromBothEnds) {
    EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
    EXPECT_EQ(TrimSpaces(u"   "), u"");
    EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
}

}  // namespace
}  // namespace tavrin
