// LZSS decoder on arbitrary bytes: never reads or writes outside its buffers (the sanitizers see
// to that, the buffers have exactly the sizes passed), and agrees with the ring-buffer decoder of
// lzss_reference.h on whether the stream is valid and on what it expands to.
//
// Input: two bytes of expanded size (little-endian), one byte whose bit 0 selects the XOR scheme,
// then the stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lzss.h"
#include "lzss_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const size_t expandedSize = data[0] | static_cast<size_t>(data[1]) << 8;
    const bool withXor = (data[2] & 1) != 0;
    // Exact-size copies, so an access one byte outside is caught.
    const std::vector<uint8_t> stream(data + 3, data + size);
    std::vector<uint8_t> out(expandedSize);
    const bool ok = tvapi::lzss::Expand(stream.data(), stream.size(), out.data(), out.size(), withXor);
    const auto reference = tvref::RingExpand(stream, expandedSize, withXor);
    if (ok != reference.has_value()) std::abort();
    if (ok && out != reference->data) std::abort();
    return 0;
}
