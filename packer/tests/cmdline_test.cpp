#include "cmdline.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using Tokens = std::vector<std::u16string>;
constexpr std::u16string_view kExe = u"C:\\Tools\\tunebale.exe";

TEST(SplitCommandLine, TokensOfEachKindOfCommandLine) {
    const std::pair<std::u16string_view, Tokens> cases[] = {
        // Explorer's command: program, switches, the folder with its space.
        {u"\"C:\\Tools\\tunebale.exe\" -cpr \"D:\\My Songs\\Song 1\"",
         {u"C:\\Tools\\tunebale.exe", u"-cpr", u"D:\\My Songs\\Song 1"}},
        // A quoted stretch inside a token keeps its space and loses its quotes; an unbalanced
        // quote runs to the end.
        {u"a b\"c d\"e f", {u"a", u"bc de", u"f"}},
        {u"\"\" x", {u"", u"x"}},
        {u"a \"b c", {u"a", u"b c"}},
        // Tabs and runs of spaces separate without empty tokens; a tab in quotes becomes a space.
        {u"  a\t\tb   c\t", {u"a", u"b", u"c"}},
        {u"\"x\ty\"", {u"x y"}},
        // Blank: the program path alone.
        {u"", {std::u16string(kExe)}},
        {u"\t \t", {std::u16string(kExe)}},
        {u"p -cr \"D:\\歌曲\\🎵 曲\"", {u"p", u"-cr", u"D:\\歌曲\\🎵 曲"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(SplitCommandLine(cases[i].first, kExe), cases[i].second) << i;
}

// The helper procedures, 1-based positions with 0 for none.
TEST(CommandLineHelpers, PositionsAndTrimming) {
    struct Case {
        size_t got, expected;
    };
    for (const Case& c :
         {Case{SkipSpaces(1, u"  ab"), 3}, Case{SkipSpaces(4, u"  ab"), 4}, Case{SkipSpaces(1, u"   "), 0},
          Case{SkipSpaces(9, u"ab"), 0}, Case{SkipSpaces(1, u"\tx"), 1},  // only spaces are skipped
          Case{FindUnquoted(1, u"\"a b\" c", u' '), 6}, Case{FindUnquoted(1, u"abc", u' '), 0},
          Case{FindUnquoted(1, u"\"a b c", u' '), 0}, Case{FindUnquoted(3, u"a b c", u' '), 4},
          Case{FindUnquoted(5, u"\"a b\"", u' '), 0}})  // starting inside quotes counts as outside
        EXPECT_EQ(c.got, c.expected);
    EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
    EXPECT_EQ(TrimSpaces(u"   "), u"");
    EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
}

}  // namespace
}  // namespace tavrin
