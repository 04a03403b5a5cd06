// LZSS decoder, the XOR keystream and the public entry points of the codec.
//
// Stream layout (no header, no end marker; the reader is told the expanded size):
//
//   group := flag item{1..8}            flag bits are read from bit 0 up, one per item
//   item  := literal                    flag bit 1: one byte, copied to the output
//          | reference                  flag bit 0: two bytes b0 b1
//   reference: ring position = b0 | (b1 & 0xF0) << 4, length = (b1 & 0x0F) + 3  (3..18)
//
// The ring has 4096 bytes, all spaces at first; output byte k is written at ring position
// (4078 + k) mod 4096. A reference copies `length` bytes one at a time from its ring position on,
// so it may overlap the bytes it writes. Only the last group may hold fewer than eight items.
//
// The decoder works on the output buffer directly: a reference at output offset k with ring
// position p reads from distance d = (4078 + k - p) mod 4096 (0 meaning 4096) back; bytes before
// output offset 0 are the initial spaces.
//
// Failures (Expand returns false):
//   - the stream ends before `size` bytes are produced (a missing flag, literal or reference byte);
//   - a reference whose length runs past `size`;
//   - bytes left in the stream after `size` bytes are produced.
// The unused high flag bits of the last group are not looked at.
#include "lzss.h"

#include <array>
#include <cstring>

#include "lzss_internal.h"

namespace tvapi::lzss {
namespace detail {
namespace {

constexpr std::array<uint8_t, kXorPeriod + 8> MakeXorKey() {
    // The ANSI C example rand() generator seeded with "TV" (0x5456); key byte = top byte of the
    // state after each step.
    std::array<uint8_t, kXorPeriod + 8> key{};
    uint32_t state = 0x5456u;
    for (size_t i = 0; i < kXorPeriod; ++i) {
        state = state * 1103515245u + 12345u;
        key[i] = static_cast<uint8_t>(state >> 24);
    }
    for (size_t i = 0; i < 8; ++i) key[kXorPeriod + i] = key[i];
    return key;
}

constexpr std::array<uint8_t, kXorPeriod + 8> kXorKey = MakeXorKey();

}  // namespace

const uint8_t* XorKey() { return kXorKey.data(); }

void ApplyXor(uint8_t* data, size_t size) {
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        uint64_t key;
        std::memcpy(&word, data + i, 8);
        std::memcpy(&key, kXorKey.data() + (i % kXorPeriod), 8);
        word ^= key;
        std::memcpy(data + i, &word, 8);
    }
    for (; i < size; ++i) data[i] ^= kXorKey[i % kXorPeriod];
}

}  // namespace detail

namespace {

using namespace detail;

inline void Copy8(uint8_t* to, const uint8_t* from) { std::memcpy(to, from, 8); }

// Reference that reaches before the output start, or whose distance is shorter than a word:
// byte by byte, the ring's own order.
inline void CopyReferenceSlow(uint8_t* out, size_t op, size_t dist, size_t len) {
    for (size_t j = 0; j < len; ++j) {
        const size_t k = op + j;
        out[k] = k >= dist ? out[k - dist] : kInitialByte;
    }
}

inline size_t Distance(size_t op, uint32_t ringPos) {
    // 1..4096: a reference to the slot about to be written reads what was there, 4096 bytes back.
    return ((kRingStart + op - ringPos - 1) & kRingMask) + 1;
}

template <bool kXor>
bool ExpandImpl(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    const uint8_t* key = XorKey();
    auto byteAt = [&](size_t k) -> uint32_t {
        if constexpr (kXor) {
            return in[k] ^ key[k % kXorPeriod];
        } else {
            return in[k];
        }
    };

    size_t ip = 0;
    size_t op = 0;

    // Fast loop: a whole group's input and output (eight 18-byte references, plus the last copy's
    // overshoot) fit, so items need no bounds checks and copies may move whole words. An item is
    // decoded without branching on its kind, which text makes unpredictable: a literal is a
    // one-byte "copy" from the stream, a reference one from the output. Only references that reach
    // into the initial spaces or overlap within a word take the byte-wise path.
    constexpr size_t kFastIn = kMaxGroupBytes + 24;
    constexpr size_t kFastOut = 8 * kMaxMatch + 24;
    if (inSize >= kFastIn && outSize >= kFastOut) {
        const size_t inLimit = inSize - kFastIn;
        const size_t outLimit = outSize - kFastOut;
        while (ip <= inLimit && op <= outLimit) {
            uint32_t flags = byteAt(ip++);
            if (flags == 0xFF) {
                uint64_t word;
                std::memcpy(&word, in + ip, 8);
                if constexpr (kXor) {
                    uint64_t k8;
                    std::memcpy(&k8, key + (ip % kXorPeriod), 8);
                    word ^= k8;
                }
                std::memcpy(out + op, &word, 8);
                ip += 8;
                op += 8;
                continue;
            }
            for (int item = 0; item < 8; ++item, flags >>= 1) {
                const bool literal = (flags & 1) != 0;
                const uint32_t b0 = byteAt(ip);
                const uint32_t b1 = byteAt(ip + 1);
                const uint32_t ringPos = b0 | ((b1 & 0xF0u) << 4);
                const size_t len = (b1 & 0x0Fu) + kMinMatch;
                const size_t dist = Distance(op, ringPos);
                const bool nearOrInitial = (dist < 8) | (dist > op);
                if ((!literal) & nearOrInitial) {
                    if (dist <= op) {
                        // A period shorter than a word (runs, pixel repeats): each byte comes from the
                        // `dist` bytes before the reference, so no byte waits for the one just stored.
                        uint8_t* to = out + op;
                        const uint8_t* period = to - dist;
                        for (size_t j = 0, k = 0; j < len; ++j) {
                            to[j] = period[k];
                            k = k + 1 == dist ? 0 : k + 1;
                        }
                    } else {
                        CopyReferenceSlow(out, op, dist, len);
                    }
                    ip += 2;
                    op += len;
                    continue;
                }
                uint8_t* to = out + op;
                const uint8_t* from = literal ? in + ip : to - dist;
                Copy8(to, from);
                Copy8(to + 8, from + 8);
                Copy8(to + 16, from + 16);
                if constexpr (kXor) {
                    if (literal) *to = static_cast<uint8_t>(b0);
                }
                ip += literal ? 1 : 2;
                op += literal ? 1 : len;
            }
        }
    }

    // Careful loop for the last groups: every byte and every length checked.
    while (op < outSize) {
        if (ip >= inSize) return false;
        uint32_t flags = byteAt(ip++);
        for (int item = 0; item < 8 && op < outSize; ++item, flags >>= 1) {
            if (flags & 1) {
                if (ip >= inSize) return false;
                out[op++] = static_cast<uint8_t>(byteAt(ip++));
                continue;
            }
            if (inSize - ip < 2) return false;
            const uint32_t b0 = byteAt(ip);
            const uint32_t b1 = byteAt(ip + 1);
            ip += 2;
            const uint32_t ringPos = b0 | ((b1 & 0xF0u) << 4);
            const size_t len = (b1 & 0x0Fu) + kMinMatch;
            if (len > outSize - op) return false;
            CopyReferenceSlow(out, op, Distance(op, ringPos), len);
            op += len;
        }
    }
    return ip == inSize;
}

}  // namespace

uint32_t CompressBound(uint32_t n) {
    if (n > kMaxInputSize) return 0;
    // All literals: one flag byte per eight input bytes; a reference never costs more than the
    // literals it replaces.
    return n + (n + 7) / 8 + 64;
}

bool IsValidLevel(int32_t level) { return level >= 1 && level <= kLevelBest; }

uint32_t Compress(const uint8_t* src, uint32_t n, uint8_t* dst, int32_t level, bool withXor, bool stopEarly) {
    EncodeOptions options;
    options.level = IsValidLevel(level) ? level : kLevelDefault;
    options.withXor = withXor;
    options.stopEarly = stopEarly;
    return CompressWith(src, n, dst, options);
}

bool Expand(const uint8_t* src, size_t packedSize, uint8_t* dst, size_t size, bool withXor) {
    if (size == 0) return packedSize == 0;
    if (src == nullptr || dst == nullptr) return false;
    return withXor ? ExpandImpl<true>(src, packedSize, dst, size) : ExpandImpl<false>(src, packedSize, dst, size);
}

}  // namespace tvapi::lzss
