// Processing instructions: names beginning with "?" are searched from "<?name" to the next "?>".
#include <gtest/gtest.h>

#include <string>

#include "xml_test_support.h"

namespace tavrin::xml {
namespace {

using testing::AttributeOf;
using testing::ElementOf;
using testing::kError;

TEST(Instruction, the_declared_encoding_and_version_are_read) {
    const std::u16string text = u"<?xml version=\"1.0\" encoding=\"gb18030\"?>\r\n<MusicList></MusicList>";
    EXPECT_EQ(AttributeOf(text, u"?xml", u"encoding"), u"gb18030");
    EXPECT_EQ(AttributeOf(text, u"?xml", u"version"), u"1.0");
    EXPECT_EQ(ElementOf(text, u"?xml"), u"<?xml version=\"1.0\" encoding=\"gb18030\"?>");
}

TEST(Instruction, single_quoted_unquoted_and_spaced_declarations) {
    EXPECT_EQ(AttributeOf(u"<?xml version='1.0' encoding='UTF-8'?>", u"?xml", u"encoding"), u"UTF-8");
    EXPECT_EQ(AttributeOf(u"<?xml encoding=gbk?>", u"?xml", u"encoding"), u"gbk");
    EXPECT_EQ(AttributeOf(u"<?xml encoding=\"gbk\" ?>", u"?xml", u"encoding"), u"gbk");
}

TEST(Instruction, a_longer_instruction_name_is_passed_over) {
    const std::u16string text = u"<?xml-stylesheet href=\"a\"?><?xml encoding=\"x\"?>";
    EXPECT_EQ(AttributeOf(text, u"?xml", u"encoding"), u"x");
}

TEST(Instruction, the_name_may_be_followed_directly_by_the_end) {
    EXPECT_EQ(ElementOf(u"<?xml?>", u"?xml"), u"<?xml?>");
    EXPECT_EQ(ElementOf(u"<?"
                        u"?>",
                        u"?"),
              u"<?"
              u"?>");                            // split: no trigraph
    EXPECT_EQ(ElementOf(u"<?>", u"?"), kError);  // ">" may not follow the name
}

TEST(Instruction, without_its_end_an_instruction_is_not_found) {
    EXPECT_EQ(ElementOf(u"<?xml version=\"1.0\">", u"?xml"), kError);
    EXPECT_EQ(AttributeOf(u"<?xml version=\"1.0\">", u"?xml", u"version"), kError);
}

TEST(Instruction, quotes_do_not_protect_the_end) {
    const std::u16string text = u"<?pi a=\"?>\" b=\"2\"?>";
    EXPECT_EQ(ElementOf(text, u"?pi"), u"<?pi a=\"?>");
    EXPECT_EQ(AttributeOf(text, u"?pi", u"b"), kError);
}

TEST(Instruction, the_carried_position_stops_at_the_end_of_each_instruction) {
    const std::u16string text = u"<?pi a?><?pi b?>";
    int32_t position = 0;
    EXPECT_EQ(GetElement(text, u"?pi", position, 1), u"<?pi a?>");
    EXPECT_EQ(position, 8);
    EXPECT_EQ(GetElement(text, u"?pi", position, 1), u"<?pi b?>");
    EXPECT_EQ(position, 16);
    EXPECT_EQ(GetElement(text, u"?pi", position, 1), kError);
    EXPECT_EQ(position, 16);
}

TEST(Instruction, element_and_instruction_searches_do_not_see_each_other) {
    const std::u16string text = u"<?xml encoding=\"a\"?><xml encoding=\"b\"/>";
    EXPECT_EQ(AttributeOf(text, u"?xml", u"encoding"), u"a");
    EXPECT_EQ(AttributeOf(text, u"xml", u"encoding"), u"b");
}

TEST(Instruction, its_span_covers_the_name_and_the_closing_question_mark) {
    int32_t position = 0;
    const ElementSpan span = FindInstruction(u"x <?pi a?>", u"<?pi", position);
    EXPECT_EQ(span.Start, 3);
    EXPECT_EQ(span.NameEnd, 7);
    EXPECT_EQ(span.TagEnd, 9);
    EXPECT_EQ(span.ContentStart, 11);
    EXPECT_EQ(span.ContentEnd, 11);
    EXPECT_EQ(span.After, 11);
    EXPECT_EQ(position, 10);
}

}  // namespace
}  // namespace tavrin::xml
