// The reader against a slow, literal second reading of the same steps (reference_reader.h), over
// random texts made of the markup pieces that matter. This is what checks the reader's shortcuts
// (remembered nested answers, the explicit stack, bounded and cached searches) against the plain
// steps. Fixed seeds; a failure names its seed and text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "reference_reader.h"
#include "xml_parser.h"

namespace tavrin::xml {
namespace {

const std::vector<std::u16string> kPieces = {
    u"<a",  u"<b",   u"<ab",  u"</a",          u"</b",    u"</ab",   u">",     u"/>",      u"/",
    u"\"",  u"'",    u" ",    u"\t",           u"\r\n",   u"=",      u"a",     u"b",       u"1",
    u"x",   u"<?a",  u"<?",   u"?>",           u"<",      u"-",      u"<a-",   u"a=\"1\"", u" b='2'",
    u"<a>", u"</a>", u"<b/>", u"\xD83C\xDFB5", u"\xDB80", u"\u3000", u"&amp;",
};

std::u16string RandomText(std::mt19937& rng) {
    std::u16string text;
    const unsigned pieces = rng() % 40;
    for (unsigned i = 0; i < pieces; ++i) text += kPieces[rng() % kPieces.size()];
    return text;
}

const std::vector<std::u16string> kAttributePieces = {
    u" a=\"1\"",
    u" b='2'",
    u" a=3",
    u"\ta = \"x y\"",
    u" ab=\"a>b\"",
    u" b=\"1\"a=\"2\"",
    u" x",
    u"=",
    u"\"",
    u"'",
    u" ",
    u"/",
    u" a2=\"5\"",
    u" 1=1",
    u"\r\n",
    u" a='\"'",
    u" b=\"x=1 a=2\"",
};

// A start tag (or instruction) made of attribute pieces, with random markup around it.
std::u16string AttributeText(std::mt19937& rng) {
    static const std::u16string kOpen[] = {u"<a", u"<b", u"<?a", u"<ab"};
    static const std::u16string kClose[] = {u"/>", u"></a>", u"></b>", u">", u"?>", u""};
    std::u16string text = rng() % 3 == 0 ? RandomText(rng) : u"";
    text += kOpen[rng() % 4];
    const unsigned pieces = rng() % 6;
    for (unsigned i = 0; i < pieces; ++i) text += kAttributePieces[rng() % kAttributePieces.size()];
    text += kClose[rng() % 6];
    if (rng() % 3 == 0) text += RandomText(rng);
    return text;
}

// ASCII as it is, everything else as \uXXXX, so a failing text can be pasted back into a test.
std::string Printable(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != u'\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

constexpr uint32_t kSeeds = 400;

TEST(Differential, walking_with_a_carried_position_matches_the_reference) {
    int found = 0;  // guards against texts that never hold an element
    for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937 rng(seed);
        const std::u16string text = RandomText(rng);
        SCOPED_TRACE("seed " + std::to_string(seed) + " text \"" + Printable(text) + "\"");
        for (const std::u16string name : {u"a", u"b", u"ab", u"?a", u"?"}) {
            for (const int32_t n : {1, 2}) {
                int32_t position = 0;
                for (int step = 0; step < 64; ++step) {
                    const auto expected = reference::GetElement(text, name, position, n);
                    const std::u16string got = GetElement(text, name, position, n);
                    if (!expected) break;  // the reference ran out of steps
                    ASSERT_EQ(got, expected->value) << Printable(name) << " n=" << n << " step " << step;
                    ASSERT_EQ(position, expected->position) << Printable(name) << " n=" << n;
                    if (got == kErrorText) break;
                    ++found;
                }
            }
        }
    }
    EXPECT_GT(found, 200);
}

TEST(Differential, attribute_values_match_the_reference) {
    int values = 0;
    for (uint32_t seed = 1; seed <= 5 * kSeeds; ++seed) {
        std::mt19937 rng(seed);
        const std::u16string text = AttributeText(rng);
        SCOPED_TRACE("seed " + std::to_string(seed) + " text \"" + Printable(text) + "\"");
        for (const std::u16string element : {u"a", u"b", u"?a"}) {
            for (const std::u16string attribute : {u"a", u"b", u"1", u"x", u" a", u"=\""}) {
                for (const int32_t n : {1, 2}) {
                    const auto expected = reference::GetAttribute(text, element, n, attribute);
                    if (!expected) continue;
                    EXPECT_EQ(GetAttribute(text, element, n, attribute), *expected)
                        << Printable(element) << " " << Printable(attribute) << " n=" << n;
                    if (*expected != kErrorText) ++values;
                }
            }
        }
    }
    EXPECT_GT(values, 400);
}

TEST(Differential, skipping_from_every_position_with_any_limit_matches_the_reference) {
    int skipped = 0;
    for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937 rng(seed);
        const std::u16string text = RandomText(rng);
        SCOPED_TRACE("seed " + std::to_string(seed) + " text \"" + Printable(text) + "\"");
        const auto size = static_cast<int32_t>(text.size());
        for (int32_t from = 0; from <= size + 1; ++from) {
            for (const int32_t limit : {static_cast<int32_t>(rng() % (size + 2)), size, kInfinity}) {
                const auto expected = reference::SkipElement(text, from, limit);
                if (!expected) continue;
                const ElementSpan got = SkipElement(text, from, limit);
                EXPECT_EQ(got, *expected)
                    << "from " << from << " limit " << limit << " got start " << got.Start << " after " << got.After
                    << ", expected start " << expected->Start << " after " << expected->After;
                if (expected->Found()) ++skipped;
            }
        }
    }
    EXPECT_GT(skipped, 1000);
}

}  // namespace
}  // namespace tavrin::xml
