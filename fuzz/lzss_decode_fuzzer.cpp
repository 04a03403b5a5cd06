// LZSS decoder on arbitrary bytes: never reads or writes outside its buffers (the sanitizers see
// to that, the buffers have exactly the sizes passed), and agrees with a plain ring-buffer decoder
// on whether the stream is valid and on what it expands to.
//
// Input: two bytes of expanded size (little-endian), one byte whose bit 0 selects the XOR scheme,
// then the stream.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "lzss.h"
#include "lzss_internal.h"

namespace {

std::optional<std::vector<uint8_t>> RingExpand(std::vector<uint8_t> in, size_t size, bool withXor) {
    if (withXor) {
        const uint8_t* key = tvapi::lzss::detail::XorKey();
        for (size_t i = 0; i < in.size(); ++i) in[i] ^= key[i % tvapi::lzss::detail::kXorPeriod];
    }
    std::array<uint8_t, 4096> ring;
    ring.fill(' ');
    size_t r = 4096 - 18;
    std::vector<uint8_t> out;
    size_t ip = 0;
    while (out.size() < size) {
        if (ip >= in.size()) return std::nullopt;
        unsigned flags = in[ip++];
        for (int bit = 0; bit < 8 && out.size() < size; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (ip >= in.size()) return std::nullopt;
                out.push_back(ring[r] = in[ip++]);
                r = (r + 1) % 4096;
                continue;
            }
            if (ip + 2 > in.size()) return std::nullopt;
            const size_t pos = in[ip] | ((in[ip + 1] & 0xF0) << 4);
            const size_t len = (in[ip + 1] & 0x0F) + 3;
            ip += 2;
            if (out.size() + len > size) return std::nullopt;
            for (size_t k = 0; k < len; ++k) {
                out.push_back(ring[r] = ring[(pos + k) % 4096]);
                r = (r + 1) % 4096;
            }
        }
    }
    if (ip != in.size()) return std::nullopt;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const size_t expandedSize = data[0] | static_cast<size_t>(data[1]) << 8;
    const bool withXor = (data[2] & 1) != 0;
    // Exact-size copies, so an access one byte outside is caught.
    const std::vector<uint8_t> stream(data + 3, data + size);
    std::vector<uint8_t> out(expandedSize);
    const bool ok = tvapi::lzss::Expand(stream.data(), stream.size(), out.data(), out.size(), withXor);
    const auto reference = RingExpand(stream, expandedSize, withXor);
    if (ok != reference.has_value()) std::abort();
    if (ok && out != *reference) std::abort();
    return 0;
}
