// Walking a list with the carried position: every element once, in order, then the sentinel. The
// lists are built here, so every element's text and the position of its last ">" are known.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xml_test_support.h"

namespace tavrin::xml {
namespace {

using testing::kError;

struct BuiltList {
    std::u16string text;
    std::vector<std::u16string> elements;  // every Music element, in order
    std::vector<int32_t> lastGt;           // 1-based position of each element's last ">"
};

std::u16string Number(int value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

class ListBuilder {
public:
    explicit ListBuilder(std::u16string head) { list_.text = std::move(head); }

    ListBuilder& Add(const std::u16string& element) {
        list_.text += element;
        list_.elements.push_back(element);
        list_.lastGt.push_back(static_cast<int32_t>(list_.text.size()));
        return *this;
    }
    ListBuilder& Text(std::u16string_view between) {
        list_.text += between;
        return *this;
    }
    BuiltList Done() { return std::move(list_); }

private:
    BuiltList list_;
};

// The shape of the game's list: a declaration, special entries written as tab-indented multi-line
// start tags with empty end tags, then ordinary entries in several spellings, some with content.
BuiltList SampleList(int ordinary) {
    ListBuilder b(u"<?xml version=\"1.0\" encoding=\"gb18030\"?>\r\n<MusicList>\r\n");
    for (const int index : {0, 1, 3, 4}) {
        b.Text(u"\t")
            .Add(u"<Music\r\n\t\tIndex=\"" + Number(index) +
                 u"\"\r\n\t\tName=\"Random\"\r\n"
                 u"\t\tImage=\"zal_image/img_music/random.png\"\r\n"
                 u"\t\tFile=\"\"\r\n\t\tLevel=\"0\"\r\n\t\tCoin=\"0\"\r\n\t></Music>")
            .Text(u"\r\n");
    }
    for (int i = 0; i < ordinary; ++i) {
        const std::u16string index = Number(100 + i);
        switch (i % 4) {
            case 0:
                b.Text(u"\t").Add(u"<Music Index=\"" + index + u"\" Name=\"Song " + index + u"\" File=\"zal_music/s" +
                                  index + u".xml\"/>");
                break;
            case 1:
                b.Text(u"\t").Add(u"<Music Index='" + index + u"' Name='It''s'></Music >");
                break;
            case 2:  // nested elements, one of them a Music, and a quoted ">"
                b.Text(u"\t").Add(u"<Music Index=" + index + u" Title=\"a>b\"><Music Index=\"0\"/>" +
                                  u"<Note>x</Note></Music>");
                break;
            default:
                b.Text(u"\t").Add(u"<Music\tIndex=\"" + index + u"\"\r\n></Music\r\n>");
                break;
        }
        b.Text(u"\r\n<MusicListEnd/>\r\n");  // a longer name between entries
    }
    b.Text(u"</MusicList>\r\n");
    return b.Done();
}

TEST(CarriedPosition, every_element_is_visited_once_in_order) {
    const BuiltList list = SampleList(40);
    int32_t position = 0;
    for (size_t i = 0; i < list.elements.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(GetElement(list.text, u"Music", position, 1), list.elements[i]);
        EXPECT_EQ(position, list.lastGt[i]);
    }
    EXPECT_EQ(GetElement(list.text, u"Music", position, 1), kError);
    EXPECT_EQ(position, list.lastGt.back());
}

TEST(CarriedPosition, attributes_of_each_visited_element) {
    const BuiltList list = SampleList(8);
    int32_t position = 0;
    const std::vector<std::u16string> expected = {u"0",   u"1",   u"3",   u"4",   u"100", u"101",
                                                  u"102", u"103", u"104", u"105", u"106", u"107"};
    for (const std::u16string& index : expected) {
        const std::u16string element = GetElement(list.text, u"Music", position, 1);
        EXPECT_EQ(GetAttribute(element, u"Music", 1, u"Index"), index);
    }
    EXPECT_EQ(GetElement(list.text, u"Music", position, 1), kError);
}

TEST(CarriedPosition, a_count_of_two_visits_every_other_element) {
    const BuiltList list = SampleList(10);
    int32_t position = 0;
    for (size_t i = 1; i < list.elements.size(); i += 2) {
        SCOPED_TRACE(i);
        EXPECT_EQ(GetElement(list.text, u"Music", position, 2), list.elements[i]);
        EXPECT_EQ(position, list.lastGt[i]);
    }
}

TEST(CarriedPosition, the_search_starts_one_past_the_given_position) {
    const BuiltList list = SampleList(4);
    // The second element's "<": a position one before it finds it, the position itself does not.
    const int32_t secondStart = list.lastGt[1] - static_cast<int32_t>(list.elements[1].size()) + 1;
    int32_t position = secondStart - 1;
    EXPECT_EQ(GetElement(list.text, u"Music", position, 1), list.elements[1]);
    position = secondStart;
    EXPECT_EQ(GetElement(list.text, u"Music", position, 1), list.elements[2]);
}

TEST(CarriedPosition, the_list_element_itself_holds_every_entry) {
    const BuiltList list = SampleList(12);
    const std::u16string whole = testing::ElementOf(list.text, u"MusicList");
    ASSERT_NE(whole, kError);
    EXPECT_EQ(whole.substr(0, 11), u"<MusicList>");
    EXPECT_EQ(whole.substr(whole.size() - 12), u"</MusicList>");
}

TEST(CarriedPosition, a_long_list_is_walked_to_its_end) {
    const BuiltList list = SampleList(65536 - 4);
    int32_t position = 0;
    size_t visited = 0;
    while (GetElement(list.text, u"Music", position, 1) != kError) {
        ASSERT_LT(visited, list.elements.size());
        ASSERT_EQ(position, list.lastGt[visited]);
        ++visited;
    }
    EXPECT_EQ(visited, list.elements.size());
}

}  // namespace
}  // namespace tavrin::xml
