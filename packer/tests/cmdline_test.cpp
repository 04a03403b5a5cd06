// The pack builder's command line, split as Explorer and a typed command give it.
#include "cmdline.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tavrin
