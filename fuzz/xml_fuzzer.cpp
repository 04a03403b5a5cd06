// The XML reader on arbitrary text and names. Every public operation stays inside the text and
// returns consistent results; on small inputs the answers equal those of the slow, literal reading
// of the same steps (reference_reader.h).
//
// Input layout: one control byte, then name, 0x00, attribute name, 0x00, text. The three parts
// are UTF-16: a byte below 0x80 is that code unit; a byte from 0x80 up takes the next two bytes as
// one code unit (low byte first), which reaches surrogates and every class boundary.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "reference_reader.h"
#include "xml_parser.h"

using namespace tavrin::xml;

namespace {

// Larger texts are only checked for consistency: the reference is exponential in places.
constexpr size_t kReferenceMaxText = 160;
constexpr int64_t kReferenceBudget = 100'000;

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "xml fuzzer: %s\n", what);
        std::abort();
    }
}

// Decodes one part up to a 0x00 byte (or the end); moves data/size past it.
std::u16string TakePart(const uint8_t*& data, size_t& size, bool untilZero) {
    std::u16string out;
    while (size > 0) {
        const uint8_t b = *data++;
        --size;
        if (b == 0 && untilZero) break;
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
        } else if (size >= 2) {
            out += static_cast<char16_t>(data[0] | data[1] << 8);
            data += 2;
            size -= 2;
        }
    }
    return out;
}

bool HasWhiteEnds(std::u16string_view s) {
    return !s.empty() && (XmlCharClass(s.front()) == kWhiteChar || XmlCharClass(s.back()) == kWhiteChar);
}

void CheckWalk(std::u16string_view text, std::u16string_view name, int32_t n, bool compare) {
    int32_t position = 0;
    for (int step = 0; step < 4096; ++step) {
        const int32_t before = position;
        const auto expected = compare ? reference::GetElement(text, name, position, n, kReferenceBudget) : std::nullopt;
        const std::u16string element = GetElement(text, name, position, n);
        if (expected) {
            Require(element == expected->value, "GetElement differs from the reference");
            Require(position == expected->position, "carried position differs from the reference");
        }
        if (element == kErrorText) {  // an element always begins with "<", so this is no element
            Require(n > 1 || position == before, "a failed search moved the position");
            return;
        }
        // The element is the text that ends at the new position, opened by "<" + name.
        Require(position > before, "the position did not move forward");
        Require(static_cast<size_t>(position) <= text.size(), "position beyond the text");
        Require(element.size() <= static_cast<size_t>(position), "element longer than the text read");
        const size_t start = static_cast<size_t>(position) - element.size();
        Require(text.substr(start, element.size()) == element, "element is not the text before position");
        // It begins where "<" + name was found; a name holding "/" or ">" may end it early.
        const size_t common = std::min(element.size() - 1, name.size());
        Require(element[0] == u'<' && std::u16string_view(element).substr(1, common) == name.substr(0, common),
                "element does not begin with its name");
        Require(element.back() == u'>', "element does not end with >");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t control = *data++;
    --size;
    const std::u16string name = TakePart(data, size, true);
    const std::u16string attribute = TakePart(data, size, true);
    const std::u16string text = TakePart(data, size, false);
    const auto n = static_cast<int32_t>(1 + (control & 3));
    const bool compare = text.size() <= kReferenceMaxText;

    CheckWalk(text, name, n, compare);

    const std::u16string value = GetAttribute(text, name, n, attribute);
    if (compare) {
        const auto expected = reference::GetAttribute(text, name, n, attribute, kReferenceBudget);
        if (expected) Require(value == *expected, "GetAttribute differs from the reference");
    }
    if (value != kErrorText) {
        Require(text.find(value) != std::u16string::npos, "attribute value is not from the text");
        Require(!HasWhiteEnds(value), "attribute value is not trimmed");
    }

    // SkipElement from a position and with a limit taken from the control byte.
    const auto length = static_cast<int32_t>(text.size());
    const int32_t from = (control >> 2 & 7) * (length + 2) / 7;
    const int32_t limit = (control & 0x80) != 0 ? kInfinity : (control >> 5 & 3) * (length + 1) / 3;
    const ElementSpan span = SkipElement(text, from, limit);
    if (span.Found()) {
        Require(span.Start >= from && span.Start < span.ContentStart, "span start out of order");
        Require(span.ContentStart <= span.ContentEnd && span.ContentEnd <= span.After, "span content out of order");
        Require(span.After <= length + 1, "span beyond the text");
        Require(text[static_cast<size_t>(span.Start) - 1] == u'<', "span does not start at <");
        Require(text[static_cast<size_t>(span.After) - 2] == u'>', "span does not end with >");
    } else {
        Require(span == ElementSpan{}, "a span not found is not zeroed");
    }
    if (compare) {
        const auto expected = reference::SkipElement(text, from, limit, kReferenceBudget);
        if (expected) Require(span == *expected, "SkipElement differs from the reference");
    }

    for (const char16_t ch : {u'>', u'/', u'"'}) {
        const int32_t at = FindOutsideQuotes(from, text, ch);
        Require(at == 0 || (at >= from && at <= length && text[static_cast<size_t>(at) - 1] == ch),
                "FindOutsideQuotes points elsewhere");
    }
    Require(!HasWhiteEnds(TrimWhite(text)), "TrimWhite left white space");
    return 0;
}
