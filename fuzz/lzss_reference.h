// A plain ring-buffer LZSS decoder written from the stream description, with the documented XOR
// keystream: the oracle of the decode fuzzer and the codec's tests. It also notes how far back
// references reach and whether one read a ring slot at 4078..4095 before it was written.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tvref {

inline uint8_t DocumentedKeyByte(size_t offset) {
    uint32_t state = 0x5456u;
    for (size_t i = 0; i <= offset % 256; ++i) state = state * 1103515245u + 12345u;
    return static_cast<uint8_t>(state >> 24);
}

struct Expanded {
    std::vector<uint8_t> data;
    size_t referencesIntoInitialSpaces = 0;  // references that read a never-written slot
    size_t longestDistance = 0;              // 1..4096
    bool readUnwrittenHighSlot = false;
};

inline std::optional<Expanded> RingExpand(std::vector<uint8_t> in, size_t size, bool withXor) {
    if (withXor) {
        for (size_t i = 0; i < in.size(); ++i) in[i] ^= DocumentedKeyByte(i);
    }
    std::array<uint8_t, 4096> ring;
    std::array<bool, 4096> written{};
    ring.fill(' ');
    size_t r = 4096 - 18;
    Expanded result;
    auto put = [&](uint8_t c) {
        result.data.push_back(c);
        ring[r] = c;
        written[r] = true;
        r = (r + 1) % 4096;
    };
    size_t ip = 0;
    while (result.data.size() < size) {
        if (ip >= in.size()) return std::nullopt;
        unsigned flags = in[ip++];
        for (int bit = 0; bit < 8 && result.data.size() < size; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (ip >= in.size()) return std::nullopt;
                put(in[ip++]);
                continue;
            }
            if (ip + 2 > in.size()) return std::nullopt;
            const size_t pos = in[ip] | ((in[ip + 1] & 0xF0) << 4);
            const size_t len = (in[ip + 1] & 0x0F) + 3;
            ip += 2;
            if (result.data.size() + len > size) return std::nullopt;
            result.longestDistance = std::max(result.longestDistance, (r + 4096 - pos - 1) % 4096 + 1);
            bool intoSpaces = false;
            for (size_t k = 0; k < len; ++k) {
                const size_t from = (pos + k) % 4096;
                intoSpaces = intoSpaces || !written[from];
                result.readUnwrittenHighSlot = result.readUnwrittenHighSlot || (!written[from] && from >= 4096 - 18);
                put(ring[from]);
            }
            if (intoSpaces) ++result.referencesIntoInitialSpaces;
        }
    }
    if (ip != in.size()) return std::nullopt;
    return result;
}

}  // namespace tvref
