#include "names.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tvapi::names {
namespace {

#include "gb18030_table.inc"

// Four-byte codes b1 b2 b3 b4 (b1, b3 in 0x81..0xFE; b2, b4 in 0x30..0x39) count up through a
// linear index. The BMP part starts at 0x81308130; the supplementary planes start at 0x90308130,
// linear 189000, one code per code point from U+10000.
constexpr uint32_t kSupplementaryLinear = 189000;

constexpr bool IsTrail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }
constexpr bool IsLead(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsDigitByte(uint8_t b) { return b >= 0x30 && b <= 0x39; }

int TwoByteIndex(uint8_t lead, uint8_t trail) {
    return (lead - 0x81) * 190 + (trail < 0x80 ? trail - 0x40 : trail - 0x41);
}

// Code point -> 1 + index into kGbTwoByte, 0 where a code point has no two-byte code. Built once,
// on first use (function-local statics are thread-safe).
const std::array<uint16_t, 0x10000>& TwoByteInverse() {
    static const std::array<uint16_t, 0x10000> inverse = [] {
        std::array<uint16_t, 0x10000> table{};
        for (int i = 0; i < kGbTwoByteCount; ++i) table[kGbTwoByte[i]] = static_cast<uint16_t>(i + 1);
        return table;
    }();
    return inverse;
}

// Run length: up to the next run's linear index, or the end of the BMP part.
uint32_t RunLength(size_t run) {
    const uint32_t end =
        run + 1 < std::size(kGbFourByteRuns) ? kGbFourByteRuns[run + 1].linear : uint32_t{kGbBmpFourByteCount};
    return end - kGbFourByteRuns[run].linear;
}

void PutFourByte(uint32_t linear, uint8_t* out) {
    out[3] = static_cast<uint8_t>(0x30 + linear % 10);
    linear /= 10;
    out[2] = static_cast<uint8_t>(0x81 + linear % 126);
    linear /= 126;
    out[1] = static_cast<uint8_t>(0x30 + linear % 10);
    out[0] = static_cast<uint8_t>(0x81 + linear / 10);
}

// Reads UTF-16 units with an optional length (-1: NUL-terminated). Works for char16_t and, on
// Windows, wchar_t, without reinterpreting one as the other.
template <class Unit>
int32_t ToGb18030Units(const Unit* text, int32_t length, char* out, int32_t capacity) {
    if (text == nullptr || out == nullptr || capacity <= 0 || length < -1) return 0;
    const bool toNul = length == -1;
    auto at_end = [&](int32_t i) { return toNul ? text[i] == 0 : i >= length; };
    int32_t written = 0;
    bool ok = true;
    for (int32_t i = 0; !at_end(i); ++i) {
        char32_t cp = static_cast<char16_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            // With a NUL-terminated text the NUL itself stops this look-ahead.
            if (at_end(i + 1)) {
                ok = false;
                break;
            }
            const char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low < 0xDC00 || low > 0xDFFF) {
                ok = false;
                break;
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            ok = false;
            break;
        }
        uint8_t bytes[4];
        const int n = EncodeCodePoint(cp, bytes);
        // The NUL must fit too.
        if (n == 0 || capacity - written - 1 < n) {
            ok = false;
            break;
        }
        std::memcpy(out + written, bytes, static_cast<size_t>(n));
        written += n;
    }
    if (!ok) {
        out[0] = 0;
        return 0;
    }
    out[written] = 0;
    return written + 1;
}

}  // namespace

uint32_t MakeTrCode(uint16_t from, uint16_t to) { return from == kUtf16 && to == kGb18030 ? kUtf16ToGb18030 : 0; }

int EncodeCodePoint(char32_t cp, uint8_t* out) {
    if (cp < 0x80) {
        out[0] = static_cast<uint8_t>(cp);
        return 1;
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    if (cp > 0x10FFFF) return 0;
    if (cp >= 0x10000) {
        PutFourByte(kSupplementaryLinear + (cp - 0x10000), out);
        return 4;
    }
    // The last run starting at or below cp; cp is a four-byte code point if the run reaches it.
    const auto next = std::upper_bound(std::begin(kGbFourByteRuns), std::end(kGbFourByteRuns), cp,
                                       [](char32_t v, const GbFourByteRun& r) { return v < r.codePoint; });
    if (next != std::begin(kGbFourByteRuns)) {
        const size_t run = static_cast<size_t>(next - std::begin(kGbFourByteRuns)) - 1;
        const uint32_t offset = cp - kGbFourByteRuns[run].codePoint;
        if (offset < RunLength(run)) {
            PutFourByte(kGbFourByteRuns[run].linear + offset, out);
            return 4;
        }
    }
    const uint16_t entry = TwoByteInverse()[cp];
    if (entry == 0) return 0;  // not reached: the tables cover the BMP
    const int index = entry - 1;
    out[0] = static_cast<uint8_t>(0x81 + index / 190);
    const int cell = index % 190;
    out[1] = static_cast<uint8_t>(cell < 0x3F ? 0x40 + cell : 0x41 + cell);
    return 2;
}

int DecodeCodePoint(const uint8_t* bytes, size_t n, char32_t& cp) {
    if (n == 0) return 0;
    const uint8_t b1 = bytes[0];
    if (b1 < 0x80) {
        cp = b1;
        return 1;
    }
    if (!IsLead(b1) || n < 2) return 0;
    const uint8_t b2 = bytes[1];
    if (IsTrail(b2)) {
        cp = kGbTwoByte[TwoByteIndex(b1, b2)];
        return 2;
    }
    if (!IsDigitByte(b2) || n < 4 || !IsLead(bytes[2]) || !IsDigitByte(bytes[3])) return 0;
    const uint32_t linear =
        ((static_cast<uint32_t>(b1 - 0x81) * 10 + (b2 - 0x30)) * 126 + (bytes[2] - 0x81)) * 10 + (bytes[3] - 0x30);
    if (linear < static_cast<uint32_t>(kGbBmpFourByteCount)) {
        const auto next = std::upper_bound(std::begin(kGbFourByteRuns), std::end(kGbFourByteRuns), linear,
                                           [](uint32_t v, const GbFourByteRun& r) { return v < r.linear; });
        const auto& run = *(next - 1);  // the first run starts at linear 0
        cp = run.codePoint + (linear - run.linear);
        return 4;
    }
    if (linear >= kSupplementaryLinear && linear - kSupplementaryLinear < 0x100000) {
        cp = 0x10000 + (linear - kSupplementaryLinear);
        return 4;
    }
    return 0;
}

int32_t ToGb18030(const char16_t* text, int32_t length, char* out, int32_t capacity) {
    return ToGb18030Units(text, length, out, capacity);
}

#if defined(_WIN32)
int32_t ToGb18030(const wchar_t* text, int32_t length, char* out, int32_t capacity) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");
    return ToGb18030Units(text, length, out, capacity);
}
#endif

bool ToGb18030(std::u16string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return false;
        }
        uint8_t bytes[4];
        const int n = EncodeCodePoint(cp, bytes);
        if (n == 0) return false;
        out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(n));
    }
    return true;
}

bool FromGb18030(std::string_view bytes, std::u16string& out) {
    out.clear();
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        const int n = DecodeCodePoint(p + i, bytes.size() - i, cp);
        if (n == 0) return false;
        i += static_cast<size_t>(n);
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return true;
}

std::string FoldAsciiCase(std::string_view bytes) {
    std::string folded(bytes);
    size_t i = 0;
    while (i < folded.size()) {
        const auto b = static_cast<uint8_t>(folded[i]);
        if (b < 0x80) {
            if (b >= 'A' && b <= 'Z') folded[i] = static_cast<char>(b + ('a' - 'A'));
            ++i;
        } else if (IsLead(b) && i + 1 < folded.size()) {
            // A digit second byte makes a four-byte code; anything else is a two-byte code (or
            // malformed, in which case skipping two bytes is as good as any other choice).
            i += IsDigitByte(static_cast<uint8_t>(folded[i + 1])) ? 4 : 2;
        } else {
            ++i;
        }
    }
    return folded;
}

}  // namespace tvapi::names
