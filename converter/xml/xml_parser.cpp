// The reader scans one string forward with plain substring searches. Two things keep it linear on
// the texts it is made for and bounded on everything else:
//
// * Nested elements are skipped with an explicit stack instead of recursion, so deep nesting
//   cannot exhaust the call stack.
// * What the element at a given "<" turns out to be does not depend on who asks; only the
//   asker's limit (where its own end tag begins) decides whether the answer is usable. Answers are
//   therefore remembered per "<" for the duration of one public call. Without this, a nest of
//   start tags whose end tags fail is re-read once for every way of reaching it: exponential time
//   for a few dozen bytes of input.
//
// Worst case on adversarial input (many unclosed start tags of distinct names, unbalanced quotes
// in many tags) is quadratic; walking a list with a carried position is linear.
#include "xml_parser.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tavrin::xml {
namespace {

// Internal positions are 1-based like the interface's, but 64-bit so that a position plus a
// length never overflows. 0 means "none".
using Pos = int64_t;

// What Text::At gives outside the text. Reading there is a failure in every algorithm here; as a
// value it equals no character, so comparisons with it simply fail.
constexpr int kPastEnd = -1;

struct CharRange {
    char16_t lo;
    char16_t hi;
};

constexpr CharRange kWhiteRanges[] = {
    {0x09, 0x0D},     {0x20, 0x20},     {0x85, 0x85},     {0xA0, 0xA0},     {0x1680, 0x1680},
    {0x2000, 0x200A}, {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000},
};

// The XML name-start set, digits added, surrogates admitted (except the private-use high ones).
constexpr CharRange kNameRanges[] = {
    {u'0', u'9'},     {u':', u':'},     {u'A', u'Z'},     {u'_', u'_'},     {u'a', u'z'},     {0xC0, 0xD6},
    {0xD8, 0xF6},     {0xF8, 0x2FF},    {0x370, 0x37D},   {0x37F, 0x1FFF},  {0x200C, 0x200D}, {0x2070, 0x218F},
    {0x2C00, 0x2FEF}, {0x3001, 0xDB7F}, {0xDC00, 0xDFFF}, {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD},
};

template <size_t N>
constexpr bool InRanges(char16_t c, const CharRange (&ranges)[N]) {
    for (const CharRange& r : ranges) {
        if (c >= r.lo && c <= r.hi) return true;
    }
    return false;
}

constexpr int CharClass(char16_t c) {
    // White space first: 0x1680 (Ogham space mark) also lies in the name range 0x37F-0x1FFF.
    if (InRanges(c, kWhiteRanges)) return kWhiteChar;
    if (InRanges(c, kNameRanges)) return kNameChar;
    return kOtherChar;
}

bool IsWhite(int c) { return c != kPastEnd && CharClass(static_cast<char16_t>(c)) == kWhiteChar; }
bool IsNameChar(int c) { return c != kPastEnd && CharClass(static_cast<char16_t>(c)) == kNameChar; }

// 1-based, bounds-checked access and forward searches over one string.
class Text {
public:
    explicit Text(std::u16string_view text) : text_(text), size_(static_cast<Pos>(text.size())) {}

    Pos Size() const { return size_; }
    std::u16string_view View() const { return text_; }

    int At(Pos p) const { return p >= 1 && p <= size_ ? text_[static_cast<size_t>(p - 1)] : kPastEnd; }

    // First occurrence of pattern beginning at or after start and no later than last; 0 if none.
    // A start before the text is a failure and gives 0 as well.
    Pos Find(std::u16string_view pattern, Pos start, Pos last) const {
        const Pos len = static_cast<Pos>(pattern.size());
        if (len == 0 || start < 1 || start > size_) return 0;
        const Pos end = std::min(size_, std::min(last, size_) + len - 1);  // last usable position
        if (end - start + 1 < len) return 0;
        const size_t at = text_.substr(0, static_cast<size_t>(end)).find(pattern, static_cast<size_t>(start - 1));
        return at == std::u16string_view::npos ? 0 : static_cast<Pos>(at) + 1;
    }
    Pos Find(std::u16string_view pattern, Pos start) const { return Find(pattern, start, size_); }

    Pos FindChar(char16_t ch, Pos start, Pos last) const { return Find(std::u16string_view(&ch, 1), start, last); }
    Pos FindChar(char16_t ch, Pos start) const { return FindChar(ch, start, size_); }

    // First position at or after p that is not white space (Size() + 1 when the text ends first).
    Pos SkipWhite(Pos p) const {
        while (IsWhite(At(p))) ++p;
        return p;
    }

private:
    std::u16string_view text_;
    Pos size_;
};

// Where a start tag beginning at s ends: the first ">" or "/" outside quotes. The quote state
// changes only at quote characters, so one scan answers both "first > outside quotes" and "first /
// outside quotes" as far as the readers need them: a "/" counts only before the first ">".
struct TagScan {
    Pos gt = 0;     // the ">" that ends the start tag, when it comes first
    Pos slash = 0;  // the "/" of a self-closing tag, when it comes first
};

TagScan ScanStartTag(const Text& text, Pos s) {
    bool inSingle = false;
    bool inDouble = false;
    for (Pos i = s; i <= text.Size(); ++i) {
        const int c = text.At(i);
        if (c == u'>' || c == u'/') {
            if (!inSingle && !inDouble) return c == u'>' ? TagScan{i, 0} : TagScan{0, i};
            continue;
        }
        if (c == u'\'' && !inDouble) inSingle = !inSingle;
        if (c == u'"' && !inSingle) inDouble = !inDouble;
    }
    return {};
}

// What the element at one "<" is, independent of who asks.
struct Nested {
    bool found = false;
    Pos start = 0;
    Pos after = 0;
    Pos contentStart = 0;
    Pos contentEnd = 0;
    bool hasEndTag = false;  // then its end tag (at contentEnd) must begin by the asker's limit
};

bool Fits(const Nested& n, Pos limit) { return n.found && (!n.hasEndTag || n.contentEnd <= limit); }

// One element whose content is being read: FindElement's own element at the bottom of the stack,
// nested ones above it.
struct Frame {
    std::u16string close;  // "</" + name
    Pos start = 0;         // the element's "<" (0 for FindElement's own element)
    Pos contentStart = 0;
    Pos p = 0;                 // read position in the content
    Pos ce = 0;                // first close at or after an earlier p; still right while p <= ce
    Pos lt = 0;                // the "<" whose element the frame above is reading
    std::vector<Pos> aliases;  // earlier "<" that were no element start and led here
};

class Reader {
public:
    explicit Reader(std::u16string_view text) : text_(text) {}

    // The next "<name" from `from` that is followed by white space or one of the two end
    // characters, not just the beginning of a longer name; 0 when there is none.
    Pos FindOpening(std::u16string_view open, Pos from, char16_t end1, char16_t end2) const {
        const Pos len = static_cast<Pos>(open.size());
        for (;;) {
            const Pos s = text_.Find(open, from);
            if (s == 0) return 0;
            const int c = text_.At(s + len);
            if (c == kPastEnd) return 0;
            if (IsWhite(c) || c == end1 || c == end2) return s;
            from = s + len + 1;
        }
    }

    ElementSpan FindElement(std::u16string_view open, std::u16string_view close, int32_t& position) {
        if (open.size() < 2 || close.empty()) return {};  // an empty name
        const Pos len = static_cast<Pos>(open.size());
        const Pos s = FindOpening(open, Pos{position} + 1, u'>', u'/');
        if (s == 0) return {};
        ElementSpan span;
        span.Start = Narrow(s);
        span.NameEnd = Narrow(s + len);
        const TagScan tag = ScanStartTag(text_, s);
        if (tag.slash != 0) {
            const Pos gt = text_.FindChar(u'>', tag.slash + 1);
            if (gt == 0) return {};
            span.TagEnd = Narrow(tag.slash);
            span.ContentStart = Narrow(tag.slash + 1);
            span.ContentEnd = Narrow(gt);
            span.After = Narrow(gt + 1);
            position = span.ContentEnd;
            return span;
        }
        if (tag.gt == 0) return {};
        span.TagEnd = Narrow(tag.gt);
        span.ContentStart = Narrow(tag.gt + 1);
        Frame own;
        own.close = std::u16string(close);
        own.p = tag.gt + 1;
        const Nested body = ReadContent(std::move(own));
        if (!body.found) return {};
        span.ContentEnd = Narrow(body.contentEnd);
        span.After = Narrow(body.after);
        position = span.After - 1;
        return span;
    }

    ElementSpan FindInstruction(std::u16string_view open, int32_t& position) const {
        if (open.size() < 2) return {};  // an empty name
        const Pos len = static_cast<Pos>(open.size());
        const Pos s = FindOpening(open, Pos{position} + 1, u'?', u'?');
        if (s == 0) return {};
        const Pos end = text_.Find(u"?>", s + 2);
        if (end == 0) return {};
        ElementSpan span;
        span.Start = Narrow(s);
        span.NameEnd = Narrow(s + len);
        span.TagEnd = Narrow(end);
        span.ContentStart = span.ContentEnd = span.After = Narrow(end + 2);
        position = Narrow(end + 1);
        return span;
    }

    ElementSpan SkipElement(Pos from, Pos limit) {
        Resolution r = Resolve(from);
        const Nested n = r.frame ? ReadContent(std::move(*r.frame)) : r.done;
        if (!Fits(n, limit)) return {};
        ElementSpan span;
        span.Start = Narrow(n.start);
        span.After = Narrow(n.after);
        span.ContentStart = Narrow(n.contentStart);
        span.ContentEnd = Narrow(n.contentEnd);
        return span;
    }

private:
    // Either the answer for a "<", or an element whose content still has to be read.
    struct Resolution {
        Nested done;
        std::optional<Frame> frame;
    };

    // Every position stays within the text or one past it, which kMaxTextLength keeps in range.
    static int32_t Narrow(Pos p) { return static_cast<int32_t>(p); }

    Nested Remember(const std::vector<Pos>& starts, const Nested& n) {
        for (const Pos s : starts) memo_[s] = n;
        return n;
    }

    // Finds the element beginning at the first "<" at or after from, up to the point where its
    // content has to be read. A "<" followed by a character that cannot begin a name, and a "<?"
    // with no "?>" after it, are no element start: the next "<" is tried.
    Resolution Resolve(Pos from) {
        std::vector<Pos> starts;  // every "<" tried here shares the answer
        Pos s = text_.FindChar(u'<', from);
        for (;;) {
            if (s == 0) return {Remember(starts, Nested{}), std::nullopt};
            if (const auto known = memo_.find(s); known != memo_.end()) {
                const Nested answer = known->second;  // Remember may rehash the table
                return {Remember(starts, answer), std::nullopt};
            }
            starts.push_back(s);
            const int c = text_.At(s + 1);
            if (c == u'/') return {Remember(starts, Nested{}), std::nullopt};  // an end tag
            if (c == u'?') {
                const Pos end = text_.Find(u"?>", s + 2);
                if (end != 0) {
                    const Nested pi{true, s, end + 2, end + 2, end + 2, false};
                    return {Remember(starts, pi), std::nullopt};
                }
                s = text_.FindChar(u'<', s + 1);
                continue;
            }
            if (c == kPastEnd) return {Remember(starts, Nested{}), std::nullopt};
            if (CharClass(static_cast<char16_t>(c)) == kOtherChar) {
                s = text_.FindChar(u'<', s + 1);
                continue;
            }
            Pos nameEnd = s + 1;  // the name may be empty: "<" followed by white space
            while (IsNameChar(text_.At(nameEnd))) ++nameEnd;
            const int stop = text_.At(nameEnd);
            if (!IsWhite(stop) && stop != u'>' && stop != u'/') {
                return {Remember(starts, Nested{}), std::nullopt};
            }
            const TagScan tag = ScanStartTag(text_, s);
            if (tag.slash != 0) {
                const Pos gt = text_.FindChar(u'>', tag.slash + 1);
                const Nested selfClosing = gt == 0 ? Nested{} : Nested{true, s, gt + 1, tag.slash + 1, gt, false};
                return {Remember(starts, selfClosing), std::nullopt};
            }
            if (tag.gt == 0) return {Remember(starts, Nested{}), std::nullopt};
            Frame frame;
            frame.close = u"</";
            frame.close += text_.View().substr(static_cast<size_t>(s), static_cast<size_t>(nameEnd - s - 1));
            frame.start = s;
            frame.contentStart = tag.gt + 1;
            frame.p = tag.gt + 1;
            starts.pop_back();  // remembered with the frame's own start when its content is read
            frame.aliases = std::move(starts);
            return {Nested{}, std::move(frame)};
        }
    }

    // Reads the content of the bottom frame up to its end tag, skipping nested elements; a nested
    // element is accepted only when its end tag begins no later than the enclosing element's.
    Nested ReadContent(Frame bottom) {
        std::vector<Frame> stack;
        stack.push_back(std::move(bottom));
        for (;;) {
            Frame& f = stack.back();
            if (f.ce == 0 || f.p > f.ce) f.ce = FindClose(f.close, f.p);
            Nested result;
            if (f.ce != 0) {
                const Pos lt = text_.FindChar(u'<', f.p, f.ce);  // close begins with "<": lt <= ce
                if (lt != 0 && lt < f.ce) {
                    f.lt = lt;
                    Resolution r = Resolve(lt);
                    if (r.frame) {
                        stack.push_back(std::move(*r.frame));  // f is not used after this
                    } else {
                        Resume(f, r.done);
                    }
                    continue;
                }
                // The end tag: its name, optional white space, then ">". Anything else fails the element
                // without looking for a later end tag.
                const Pos gt = text_.SkipWhite(f.ce + static_cast<Pos>(f.close.size()));
                if (text_.At(gt) == u'>') result = Nested{true, f.start, gt + 1, f.contentStart, f.ce, true};
            }
            if (stack.size() == 1) return result;
            memo_[f.start] = result;
            Remember(f.aliases, result);
            stack.pop_back();
            Resume(stack.back(), result);
        }
    }

    // Continues a content scan behind a nested element, or one character behind its "<" when it is
    // no element or ends too late.
    static void Resume(Frame& f, const Nested& nested) { f.p = Fits(nested, f.ce) ? nested.after : f.lt + 1; }

    // First close at or after p. Sibling elements of one name ask for the same close from ever later
    // positions; the last answer per close often still holds.
    Pos FindClose(const std::u16string& close, Pos p) {
        auto [it, inserted] = closeCache_.try_emplace(close);
        Known& k = it->second;
        if (!inserted && p >= k.from && (k.at == 0 || p <= k.at)) return k.at;
        k.from = p;
        k.at = text_.Find(close, p);
        return k.at;
    }

    struct Known {
        Pos from = 0;  // the first occurrence at or after from ...
        Pos at = 0;    // ... is at (0: there is none)
    };

    Text text_;
    std::unordered_map<Pos, Nested> memo_;
    std::unordered_map<std::u16string, Known> closeCache_;
};

bool Acceptable(std::u16string_view text) { return text.size() <= kMaxTextLength; }

std::u16string ErrorText() { return std::u16string(kErrorText); }

// Finds the nth element or instruction called name from position; position moves with every
// success.
ElementSpan FindNth(Reader& reader, std::u16string_view name, int32_t& position, int32_t n) {
    std::u16string open = u"<";
    open += name;
    std::u16string close = u"</";
    close += name;
    const bool instruction = name.front() == u'?';
    ElementSpan span;
    for (int32_t i = 0; i < n; ++i) {
        span = instruction ? reader.FindInstruction(open, position) : reader.FindElement(open, close, position);
        if (!span.Found()) break;  // another try from the same position fails the same way
    }
    return span;
}

// The value of name in an attribute region (the text between an element's name and the end of its
// start tag), or nothing.
std::optional<std::u16string_view> AttributeValue(std::u16string_view regionText, std::u16string_view name) {
    const Text region(regionText);
    const Pos len = static_cast<Pos>(name.size());
    Pos from = 1;
    for (;;) {
        const Pos e = region.Find(name, from);
        if (e == 0 || e == 1) return std::nullopt;  // at 1 there is no character before the name
        const int before = region.At(e - 1);
        if (!IsWhite(before) && before != u'"') {
            from = e + 1;  // inside a longer name
            continue;
        }
        const Pos eq = region.SkipWhite(e + len);
        if (region.At(eq) == kPastEnd) return std::nullopt;
        if (region.At(eq) != u'=') {
            from = e + len;  // a longer name, or a name without a value
            continue;
        }
        Pos valueStart = region.SkipWhite(eq + 1);
        const int c = region.At(valueStart);
        if (c == kPastEnd) return std::nullopt;
        char16_t delimiter = u' ';
        if (c == u'"' || c == u'\'') {
            delimiter = static_cast<char16_t>(c);
            ++valueStart;
        }
        Pos end = region.FindChar(delimiter, valueStart);
        if (end == 0) end = region.Size() + 1;
        return TrimWhite(regionText.substr(static_cast<size_t>(valueStart - 1), static_cast<size_t>(end - valueStart)));
    }
}

}  // namespace

int XmlCharClass(char16_t code) noexcept { return CharClass(code); }

std::u16string_view TrimWhite(std::u16string_view text) noexcept {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && CharClass(text[first]) == kWhiteChar) ++first;
    while (last > first && CharClass(text[last - 1]) == kWhiteChar) --last;
    return text.substr(first, last - first);
}

int32_t FindOutsideQuotes(int32_t start, std::u16string_view text, char16_t ch) noexcept {
    if (start < 1 || !Acceptable(text)) return 0;
    bool inSingle = false;
    bool inDouble = false;
    for (size_t i = static_cast<size_t>(start) - 1; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == ch) {
            if (!inSingle && !inDouble) return static_cast<int32_t>(i + 1);
            continue;
        }
        if (c == u'\'' && !inDouble) inSingle = !inSingle;
        if (c == u'"' && !inSingle) inDouble = !inDouble;
    }
    return 0;
}

ElementSpan FindElement(std::u16string_view text, std::u16string_view open, std::u16string_view close,
                        int32_t& position) noexcept {
    if (!Acceptable(text)) return {};
    try {
        Reader reader(text);
        return reader.FindElement(open, close, position);
    } catch (const std::exception&) {
        return {};
    }
}

ElementSpan FindInstruction(std::u16string_view text, std::u16string_view open, int32_t& position) noexcept {
    if (!Acceptable(text)) return {};
    try {
        const Reader reader(text);
        return reader.FindInstruction(open, position);
    } catch (const std::exception&) {
        return {};
    }
}

ElementSpan SkipElement(std::u16string_view text, int32_t from, int32_t limit) noexcept {
    if (!Acceptable(text)) return {};
    try {
        Reader reader(text);
        return reader.SkipElement(from, limit);
    } catch (const std::exception&) {
        return {};
    }
}

std::u16string GetElement(std::u16string_view text, std::u16string_view name, int32_t& position, int32_t n) noexcept {
    if (!Acceptable(text) || name.empty() || n < 1) return ErrorText();
    try {
        Reader reader(text);
        const ElementSpan span = FindNth(reader, name, position, n);
        if (!span.Found()) return ErrorText();
        position = span.After - 1;
        return std::u16string(
            text.substr(static_cast<size_t>(span.Start) - 1, static_cast<size_t>(span.After - span.Start)));
    } catch (const std::exception&) {
        return ErrorText();
    }
}

std::u16string GetAttribute(std::u16string_view text, std::u16string_view elementName, int32_t n,
                            std::u16string_view attributeName) noexcept {
    if (!Acceptable(text) || elementName.empty() || n < 1 || attributeName.empty()) {
        return ErrorText();
    }
    try {
        Reader reader(text);
        int32_t position = 0;
        const ElementSpan span = FindNth(reader, elementName, position, n);
        // A name holding ">" or "/" can end its own start tag early: no region then.
        if (!span.Found() || span.TagEnd < span.NameEnd) return ErrorText();
        const std::u16string_view region =
            text.substr(static_cast<size_t>(span.NameEnd) - 1, static_cast<size_t>(span.TagEnd - span.NameEnd));
        const std::optional<std::u16string_view> value = AttributeValue(region, attributeName);
        return value ? std::u16string(*value) : ErrorText();
    } catch (const std::exception&) {
        return ErrorText();
    }
}

}  // namespace tavrin::xml
