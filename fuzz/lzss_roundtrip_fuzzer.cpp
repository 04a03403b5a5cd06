// LZSS compress-then-expand on arbitrary data, both compressors, every level: the output stays
// within the bound, a stream that the early abort did not cut expands to the input, and the early
// abort never changes a stream that shrinks.
//
// Input: one byte of options (level = 1 + low nibble % 9, bit 4 XOR scheme, bit 5 no skip-ahead),
// then the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lzss.h"
#include "lzss_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    namespace lzss = tvapi::lzss;
    lzss::detail::EncodeOptions options;
    options.level = 1 + (data[0] & 0x0F) % 9;
    options.withXor = (data[0] & 0x10) != 0;
    options.skipAhead = (data[0] & 0x20) == 0;
    const std::vector<uint8_t> input(data + 1, data + size);
    const auto n = static_cast<uint32_t>(input.size());

    const uint32_t bound = lzss::CompressBound(n);
    std::vector<uint8_t> full(bound);
    options.stopEarly = false;
    const uint32_t fullSize = lzss::detail::CompressWith(input.data(), n, full.data(), options);
    if (fullSize > n + (n + 7) / 8) std::abort();
    full.resize(fullSize);

    std::vector<uint8_t> expanded(n);
    if (!lzss::Expand(full.data(), full.size(), expanded.data(), expanded.size(), options.withXor) ||
        expanded != input) {
        std::abort();
    }

    std::vector<uint8_t> early(bound);
    options.stopEarly = true;
    const uint32_t earlySize = lzss::detail::CompressWith(input.data(), n, early.data(), options);
    if (earlySize > bound) std::abort();
    if (fullSize < n) {
        early.resize(earlySize);
        if (early != full) std::abort();
    } else if (n != 0 && earlySize < n) {
        std::abort();
    }
    return 0;
}
