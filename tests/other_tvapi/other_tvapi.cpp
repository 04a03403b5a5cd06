// A second TVAPI.dll, for tests only, from the library's contract alone (no code of ours): a plain
// greedy LZSS in the same stream, names through code page 936, a stable sort, a reader that reads the
// whole archive on every call; results the contract says callers ignore are deliberately meaningless.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr uint32_t kRing = 4096, kMaxMatch = 18, kMinMatch = 3, kStart = kRing - kMaxMatch;
constexpr uint32_t kJunk = 0xDEADBEEF;  // what an ignored result holds

// The keystream of container method 3: the C standard's example rand(), seeded "TV".
uint8_t Key(uint32_t i) {
    uint32_t state = 0x5456;
    for (uint32_t k = 0; k <= i % 256; ++k) state = state * 1103515245u + 12345u;
    return static_cast<uint8_t>(state >> 24);
}

// Greedy: at each position the longest match within the last kStart bytes, found by brute force.
uint32_t Compress(const uint8_t* src, uint32_t n, uint8_t* dst, bool withXor) {
    uint32_t out = 0, flagAt = 0;
    for (uint32_t k = 0, items = 8; k < n; ++items) {
        if (items == 8) dst[flagAt = out++] = 0, items = 0;
        uint32_t best = 0, distance = 0;
        for (uint32_t d = 1; d <= k && d <= kStart && best < kMaxMatch; ++d) {
            uint32_t len = 0;
            while (len < kMaxMatch && k + len < n && src[k - d + len] == src[k + len]) ++len;
            if (len > best) best = len, distance = d;
        }
        if (best >= kMinMatch) {
            const uint32_t position = (kStart + k - distance) % kRing;
            dst[out++] = static_cast<uint8_t>(position);
            dst[out++] = static_cast<uint8_t>(((position >> 4) & 0xF0) | (best - kMinMatch));
            k += best;
        } else {
            dst[flagAt] = static_cast<uint8_t>(dst[flagAt] | (1u << items));
            dst[out++] = src[k++];
        }
    }
    for (uint32_t i = 0; withXor && i < out; ++i) dst[i] ^= Key(i);
    return out;
}

void Expand(const uint8_t* src, uint32_t n, bool withXor, uint8_t* out, uint32_t size) {
    std::vector<uint8_t> ring(kRing, ' ');
    uint32_t r = kStart, in = 0, done = 0, flags = 0;
    auto next = [&]() -> uint32_t {  // past a short stream's end the contract leaves the output undefined
        const uint32_t i = in++;
        return i < n ? src[i] ^ (withXor ? Key(i) : 0u) : 0u;
    };
    for (int bit = 8; done < size; ++bit) {
        if (bit == 8) flags = next(), bit = 0;
        if (flags >> bit & 1) {
            out[done++] = ring[r++ % kRing] = static_cast<uint8_t>(next());
            continue;
        }
        const uint32_t a = next(), b = next(), position = a | (b & 0xF0u) << 4;
        for (uint32_t j = 0; j < (b & 0x0Fu) + kMinMatch && done < size; ++j)
            out[done++] = ring[r++ % kRing] = ring[(position + j) % kRing];
    }
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

}  // namespace

extern "C" {

uint32_t __stdcall LzssCompressBound(uint32_t n) { return n + n / 8 + 16; }

int32_t __stdcall LzssCompress2(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t) {
    *packed = Compress(static_cast<const uint8_t*>(src), n, static_cast<uint8_t*>(dst), false);
    return 0;  // ignored by contract, and a failure by our library's reading
}

int32_t __stdcall LzssCompressXor2(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t) {
    *packed = Compress(static_cast<const uint8_t*>(src), n, static_cast<uint8_t*>(dst), true);
    return 0;
}

uint32_t __stdcall cpMakeTrCode(uint16_t from, uint16_t to) { return static_cast<uint32_t>(from) << 16 | to; }

int32_t __stdcall cpConvertEncoding(uint32_t code, const wchar_t* text, int32_t length, char* out, int32_t capacity) {
    BOOL lossy = FALSE;
    if (code != (2u << 16 | 256u)) return 0;
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text, length, out, capacity, nullptr, &lossy);
    return lossy ? 0 : n;  // with length -1 the count includes the NUL
}

int32_t __stdcall QuickSort(void* first, int32_t count, int32_t width,
                            int32_t(__stdcall* compare)(const void*, const void*)) {
    auto* base = static_cast<uint8_t*>(first);
    std::vector<std::vector<uint8_t>> items;
    for (int32_t i = 0; i < count; ++i) items.emplace_back(base + i * width, base + (i + 1) * width);
    std::stable_sort(items.begin(), items.end(), [&](auto& a, auto& b) { return compare(a.data(), b.data()) < 0; });
    for (const auto& item : items) base = std::copy(item.begin(), item.end(), base);
    return static_cast<int32_t>(kJunk);
}

uint32_t __stdcall GetFileFromPakW(void* buffer, uint32_t size, const wchar_t* archive, const wchar_t* member) {
    char name[1024];
    if (WideCharToMultiByte(936, 0, member, -1, name, sizeof name, nullptr, nullptr) <= 0) return 0;
    std::ifstream in(archive, std::ios::binary);
    const std::vector<uint8_t> f{std::istreambuf_iterator<char>(in), {}};
    if (f.size() < 17 || f.back() != 0x12) return 0;
    // Records from the directory's offset: name length, method, offset, packed and full size, name.
    const uint32_t end = static_cast<uint32_t>(f.size() - 9), count = Le32(&f[end + 4]);
    for (uint32_t at = Le32(&f[end]), i = 0; i < count && at + 15 <= end; ++i, at += 15 + f[at]) {
        const uint8_t* r = &f[at];
        const uint32_t method = r[1], offset = Le32(r + 2), packed = Le32(r + 6), full = Le32(r + 10);
        if (method == 2 || at + 15 + r[0] > end || std::strlen(name) != r[0] ||
            _strnicmp(reinterpret_cast<const char*>(r + 14), name, r[0]) != 0)
            continue;
        if (size == 0) return full;
        if (size < full || offset + packed > end) return 0;
        if (method == 0) std::memcpy(buffer, &f[offset], packed < full ? packed : full);
        if (method != 0) Expand(&f[offset], packed, method == 3, static_cast<uint8_t*>(buffer), full);
        return kJunk;  // ignored by contract
    }
    return 0;
}

}  // extern "C"
