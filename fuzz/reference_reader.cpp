#include "reference_reader.h"

#include <utility>

namespace tavrin::xml::reference {
namespace {

struct Failure {};     // a run-time error inside an operation; the operation's trap catches it
struct OutOfSteps {};  // the budget ran out; nothing traps this but the entry points

constexpr int64_t kInf = 2147483647;

struct Span {
    int64_t Start = 0;
    int64_t After = 0;
    int64_t NameEnd = 0;
    int64_t TagEnd = 0;
    int64_t ContentStart = 0;
    int64_t ContentEnd = 0;
};

bool IsWhite(char16_t c) { return XmlCharClass(c) == 2; }

class Machine {
public:
    Machine(std::u16string_view text, int64_t budget) : text_(text), budget_(budget) {}

    Span FindElement(std::u16string_view open, std::u16string_view close, int64_t& position) {
        try {
            const auto len = static_cast<int64_t>(open.size());
            if (position + 1 > kInf) throw Failure{};  // 32-bit overflow
            int64_t from = position + 1;
            int64_t s = 0;
            for (;;) {
                s = InStr(from, text_, open);
                if (s == 0) return {};
                const char16_t c = Ch(text_, s + len);
                if (IsWhite(c) || c == u'>' || c == u'/') break;
                from = s + len + 1;
            }
            Span span;
            span.Start = s;
            span.NameEnd = s + len;
            int64_t gt = FindOutsideQuotes(s, u'>');
            if (gt == 0) gt = kInf;
            int64_t sl = FindOutsideQuotes(s, u'/');
            if (sl > gt) sl = 0;
            if (sl > 0) {
                span.TagEnd = sl;
                span.ContentStart = sl + 1;
                const int64_t g = InStr(sl + 1, text_, u">");
                if (g == 0) return {};
                span.ContentEnd = g;
                span.After = g + 1;
                position = g;
                return span;
            }
            if (gt == kInf) return {};
            span.TagEnd = gt;
            span.ContentStart = gt + 1;
            int64_t p = gt + 1;
            int64_t ce = 0;
            for (;;) {
                const int64_t lt = InStr(p, text_, u"<");
                ce = InStr(p, text_, close);
                if (ce == 0) return {};
                if (lt != 0 && lt < ce) {
                    const Span sub = SkipElement(lt, ce);
                    p = sub.Start != 0 ? sub.After : lt + 1;
                    continue;
                }
                break;
            }
            int64_t i = ce + static_cast<int64_t>(close.size());
            while (IsWhite(Ch(text_, i))) ++i;
            if (Ch(text_, i) != u'>') return {};
            span.ContentEnd = ce;
            span.After = i + 1;
            position = i;
            return span;
        } catch (const Failure&) {
            return {};
        }
    }

    Span FindInstruction(std::u16string_view open, int64_t& position) {
        try {
            const auto len = static_cast<int64_t>(open.size());
            if (position + 1 > kInf) throw Failure{};
            int64_t from = position + 1;
            int64_t s = 0;
            for (;;) {
                s = InStr(from, text_, open);
                if (s == 0) return {};
                const char16_t c = Ch(text_, s + len);
                if (IsWhite(c) || c == u'?') break;
                from = s + len + 1;
            }
            const int64_t e = InStr(s + 2, text_, u"?>");
            if (e == 0) return {};
            Span span;
            span.Start = s;
            span.NameEnd = s + len;
            span.TagEnd = e;
            span.ContentStart = span.ContentEnd = span.After = e + 2;
            position = e + 1;
            return span;
        } catch (const Failure&) {
            return {};
        }
    }

    Span SkipElement(int64_t from, int64_t limit) {
        Spend(1);
        try {
            int64_t p = from;
            int64_t s = 0;
            for (;;) {
                s = InStr(p, text_, u"<");
                if (s == 0) return {};
                const char16_t c = Ch(text_, s + 1);
                if (c == u'/') return {};
                if (c == u'?') {
                    const int64_t e = InStr(s + 2, text_, u"?>");
                    if (e == 0) {  // no usable end: not an element start
                        p = p + 1;
                        continue;
                    }
                    Span span;
                    span.Start = s;
                    span.After = span.ContentStart = span.ContentEnd = e + 2;
                    return span;
                }
                if (XmlCharClass(c) == 0) {
                    p = p + 1;
                    continue;
                }
                break;
            }
            int64_t i = s + 1;
            while (XmlCharClass(Ch(text_, i)) == 1) ++i;
            const char16_t stop = Ch(text_, i);
            if (!IsWhite(stop) && stop != u'>' && stop != u'/') return {};
            std::u16string close = u"</";
            close += text_.substr(static_cast<size_t>(s), static_cast<size_t>(i - s - 1));
            Span span;
            span.Start = s;
            int64_t gt = FindOutsideQuotes(s, u'>');
            if (gt == 0) gt = kInf;
            int64_t sl = FindOutsideQuotes(s, u'/');
            if (sl > gt) sl = 0;
            if (sl > 0) {
                span.ContentStart = sl + 1;
                const int64_t g = InStr(sl + 1, text_, u">");
                if (g == 0) return {};
                span.ContentEnd = g;
                span.After = g + 1;
                return span;
            }
            if (gt == kInf) return {};
            span.ContentStart = gt + 1;
            p = gt + 1;
            int64_t ce = 0;
            for (;;) {
                const int64_t lt = InStr(p, text_, u"<");
                ce = InStr(p, text_, close);
                if (ce == 0 || ce > limit) return {};
                if (lt != 0 && lt < ce) {
                    const Span sub = SkipElement(lt, ce);
                    p = sub.Start != 0 ? sub.After : lt + 1;
                    continue;
                }
                break;
            }
            i = ce + static_cast<int64_t>(close.size());
            while (IsWhite(Ch(text_, i))) ++i;
            if (Ch(text_, i) != u'>') return {};
            span.ContentEnd = ce;
            span.After = i + 1;
            return span;
        } catch (const Failure&) {
            return {};
        }
    }

    // GetElement steps 1-2: the nth element or instruction called name.
    Span FindNth(std::u16string_view name, int64_t& position, int32_t n) {
        if (name.empty()) throw Failure{};  // the first character of an empty name
        const bool instruction = name[0] == u'?';
        const std::u16string open = u"<" + std::u16string(name);
        const std::u16string close = u"</" + std::u16string(name);
        Span span;
        for (int32_t k = 1; k <= n; ++k) {
            span = instruction ? FindInstruction(open, position) : FindElement(open, close, position);
        }
        return span;
    }

    ElementResult GetElement(std::u16string_view name, int32_t position, int32_t n) {
        int64_t pos = position;
        try {
            const Span span = FindNth(name, pos, n);
            if (span.Start != 0) {
                return {std::u16string(text_.substr(static_cast<size_t>(span.Start - 1),
                                                    static_cast<size_t>(span.After - span.Start))),
                        static_cast<int32_t>(span.After - 1)};
            }
        } catch (const Failure&) {
        }
        return {std::u16string(kErrorText), static_cast<int32_t>(pos)};
    }

    std::u16string GetAttribute(std::u16string_view elementName, int32_t n, std::u16string_view attributeName) {
        try {
            int64_t position = 0;
            const Span span = FindNth(elementName, position, n);
            if (span.Start == 0) return std::u16string(kErrorText);
            const int64_t regionLength = span.TagEnd - span.NameEnd;
            if (regionLength < 0) throw Failure{};
            const std::u16string_view region =
                text_.substr(static_cast<size_t>(span.NameEnd - 1), static_cast<size_t>(regionLength));
            const auto attrLength = static_cast<int64_t>(attributeName.size());
            int64_t d = 1;
            for (;;) {
                const int64_t e = InStr(d, region, attributeName);
                if (e == 0) return std::u16string(kErrorText);
                const char16_t before = Ch(region, e - 1);
                if (!IsWhite(before) && before != u'"') {
                    d = e + 1;
                    continue;
                }
                int64_t j = e + attrLength;
                while (IsWhite(Ch(region, j))) ++j;
                if (Ch(region, j) != u'=') {
                    d = e + attrLength;
                    continue;
                }
                ++j;
                while (IsWhite(Ch(region, j))) ++j;
                const char16_t c = Ch(region, j);
                char16_t delimiter = u' ';
                int64_t valueStart = j;
                if (c == u'"' || c == u'\'') {
                    delimiter = c;
                    valueStart = j + 1;
                }
                int64_t end = InStr(valueStart, region, std::u16string_view(&delimiter, 1));
                if (end == 0) end = static_cast<int64_t>(region.size()) + 1;
                std::u16string_view value =
                    region.substr(static_cast<size_t>(valueStart - 1), static_cast<size_t>(end - valueStart));
                while (!value.empty() && IsWhite(value.front())) value.remove_prefix(1);
                while (!value.empty() && IsWhite(value.back())) value.remove_suffix(1);
                return std::u16string(value);
            }
        } catch (const Failure&) {
            return std::u16string(kErrorText);
        }
    }

private:
    void Spend(int64_t steps) {
        budget_ -= steps;
        if (budget_ < 0) throw OutOfSteps{};
    }

    char16_t Ch(std::u16string_view s, int64_t p) {
        Spend(1);
        if (p < 1 || p > static_cast<int64_t>(s.size())) throw Failure{};
        return s[static_cast<size_t>(p - 1)];
    }

    // VB's InStr: a start before the string is an error, a start past its end finds nothing.
    int64_t InStr(int64_t start, std::u16string_view s, std::u16string_view x) {
        if (start < 1) throw Failure{};
        const auto len = static_cast<int64_t>(s.size());
        if (start > len) return 0;
        const auto xl = static_cast<int64_t>(x.size());
        for (int64_t i = start; i + xl - 1 <= len; ++i) {
            Spend(1);
            if (s.substr(static_cast<size_t>(i - 1), static_cast<size_t>(xl)) == x) return i;
        }
        return 0;
    }

    int64_t FindOutsideQuotes(int64_t start, char16_t ch) {
        bool inSingle = false;
        bool inDouble = false;
        for (int64_t i = start; i <= static_cast<int64_t>(text_.size()); ++i) {
            const char16_t c = Ch(text_, i);
            if (c == ch) {
                if (!inSingle && !inDouble) return i;
                continue;
            }
            if (c == u'\'' && !inDouble) inSingle = !inSingle;
            if (c == u'"' && !inSingle) inDouble = !inDouble;
        }
        return 0;
    }

    std::u16string_view text_;
    int64_t budget_;
};

}  // namespace

std::optional<ElementResult> GetElement(std::u16string_view text, std::u16string_view name, int32_t position, int32_t n,
                                        int64_t budget) {
    try {
        return Machine(text, budget).GetElement(name, position, n);
    } catch (const OutOfSteps&) {
        return std::nullopt;
    }
}

std::optional<std::u16string> GetAttribute(std::u16string_view text, std::u16string_view elementName, int32_t n,
                                           std::u16string_view attributeName, int64_t budget) {
    try {
        return Machine(text, budget).GetAttribute(elementName, n, attributeName);
    } catch (const OutOfSteps&) {
        return std::nullopt;
    }
}

std::optional<ElementSpan> SkipElement(std::u16string_view text, int32_t from, int32_t limit, int64_t budget) {
    try {
        Machine machine(text, budget);
        const Span span = machine.SkipElement(from, limit);
        ElementSpan result;
        result.Start = static_cast<int32_t>(span.Start);
        result.After = static_cast<int32_t>(span.After);
        result.ContentStart = static_cast<int32_t>(span.ContentStart);
        result.ContentEnd = static_cast<int32_t>(span.ContentEnd);
        return result;
    } catch (const OutOfSteps&) {
        return std::nullopt;
    }
}

}  // namespace tavrin::xml::reference
