// mXMLParser: the forgiving reader of the game's XML-like texts (the music list, the songs' own
// files). It builds no tree: it finds the nth element of a name by scanning the text and reads one
// attribute of it. docs/xml-reader.md describes the dialect.
//
// Texts are UTF-16. Positions are 1-based code-unit positions in 32-bit signed integers; 0 means
// "no position". Nothing here throws, reads outside the text or fails: every failure inside is the
// operation's not-found result (kErrorText, a zeroed span, or 0).
//
// Deliberately not XML: no entity or character references are decoded, there are no comments,
// CDATA sections or document types, names are whatever the character table below admits, and an
// end tag that is malformed ends the search instead of trying a later one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin::xml {

// What GetElement and GetAttribute return for "not found" and for every failure inside. Callers
// compare with it exactly.
inline constexpr std::u16string_view kErrorText = u"^ERROR";

// Stands for a missing position where a search for the end of a start tag found nothing.
inline constexpr int32_t kInfinity = 2147483647;

// Longest text the reader accepts: one past its last position must still fit a 32-bit position.
// Longer texts give the not-found result.
inline constexpr size_t kMaxTextLength = 2147483646;

// Classes of XmlCharClass.
inline constexpr int kOtherChar = 0;
inline constexpr int kNameChar = 1;
inline constexpr int kWhiteChar = 2;

// Where one element lies in the text. A zeroed span means "not found".
struct ElementSpan {
    int32_t Start = 0;         // the element's "<"
    int32_t After = 0;         // just after the element's last ">"
    int32_t NameEnd = 0;       // just after "<" + name
    int32_t TagEnd = 0;        // what closes the start tag: "/" of "/>", ">", or "?" of "?>"
    int32_t ContentStart = 0;  // first position after the start tag
    int32_t ContentEnd = 0;    // end tag's "<"; ">" of a self-closing tag; after "?>" of an instruction

    bool Found() const { return Start != 0; }
    friend bool operator==(const ElementSpan&, const ElementSpan&) = default;
};

// Public operations.

// The text of the nth element called name after position, from its "<" through its last ">".
// position carries the reader forward: pass 0 to start at the beginning; on success it is set to
// the position of the element's last ">", so the next call continues behind the element. On
// failure the result is kErrorText and position keeps what the last successful find of this call
// put there (a call with n > 1 may move it before failing). A name beginning with "?" looks for a
// processing instruction ("<?xml ... ?>"). n < 1 and an empty name find nothing.
std::u16string GetElement(std::u16string_view text, std::u16string_view name, int32_t& position, int32_t n) noexcept;

// The value of attributeName on the nth element called elementName (searched from the beginning
// of the text), trimmed of white space; kErrorText when the element or the attribute is missing.
// Values are taken raw: "&amp;" stays "&amp;".
std::u16string GetAttribute(std::u16string_view text, std::u16string_view elementName, int32_t n,
                            std::u16string_view attributeName) noexcept;

// Building blocks, exposed for tests and for callers that want spans instead of copies.

// kWhiteChar, kNameChar or kOtherChar for one UTF-16 code unit (surrogates count as name
// characters so that names may hold characters above U+FFFF, except the private-use high
// surrogates 0xDB80-0xDBFF).
int XmlCharClass(char16_t code) noexcept;

// text without white-space code units (class kWhiteChar) at either end.
std::u16string_view TrimWhite(std::u16string_view text) noexcept;

// First position at or after start holding ch outside single or double quotes, else 0. Quote
// characters toggle their state wherever they stand, also in content.
int32_t FindOutsideQuotes(int32_t start, std::u16string_view text, char16_t ch) noexcept;

// The first element after position whose start tag begins with open ("<" + name) and which is
// closed by close ("</" + name) or is self-closing. Nested elements, also of the same name, are
// skipped. On success position is set to the element's last ">".
ElementSpan FindElement(std::u16string_view text, std::u16string_view open, std::u16string_view close,
                        int32_t& position) noexcept;

// The first processing instruction after position that begins with open ("<?" + name), through
// the next "?>". On success position is set to the ">" of "?>".
ElementSpan FindInstruction(std::u16string_view text, std::u16string_view open, int32_t& position) noexcept;

// The extent of whatever element begins at the first "<" at or after from, whose end tag (if it
// has one) begins at or before limit. Fills Start, After, ContentStart and ContentEnd only.
ElementSpan SkipElement(std::u16string_view text, int32_t from, int32_t limit) noexcept;

}  // namespace tavrin::xml
