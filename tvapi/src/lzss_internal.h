// Internals of the LZSS codec shared by its encoder, decoder, tests and benchmark.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lzss.h"

namespace tvapi::lzss::detail {

inline constexpr uint32_t kRingSize = 4096;
inline constexpr uint32_t kRingMask = kRingSize - 1;
inline constexpr uint32_t kMinMatch = 3;
inline constexpr uint32_t kMaxMatch = 18;
// Ring position of the first byte written.
inline constexpr uint32_t kRingStart = kRingSize - kMaxMatch;
// The decoder accepts any distance 1..4096 (a reference to the position being written reads the
// byte 4096 back). The encoder stays within 4078 so it never reads a ring slot at 4078..4095
// before that slot is written: decoders that clear only the first 4078 ring bytes to spaces read
// our streams the same way.
inline constexpr uint32_t kMaxDistance = kRingSize - kMaxMatch;
inline constexpr uint8_t kInitialByte = 0x20;

// A flag group: one flag byte and up to eight items of at most two bytes.
inline constexpr uint32_t kMaxGroupBytes = 1 + 8 * 2;

struct EncodeOptions {
    int32_t level = kLevelDefault;
    bool withXor = false;
    bool stopEarly = true;
    // Step faster and faster through stretches where no match turns up. Off only for measuring
    // what the skipping costs.
    bool skipAhead = true;
};

// Compress with every knob exposed; Compress() is this with skipAhead on.
uint32_t CompressWith(const uint8_t* src, uint32_t n, uint8_t* dst, const EncodeOptions& options);

// XOR scheme of container method 3: stream byte i is XORed with XorKey()[i % 256]. The table
// holds 256 + 8 bytes (the first 8 repeated) so eight key bytes can be loaded at any offset.
inline constexpr size_t kXorPeriod = 256;
const uint8_t* XorKey();
// XORs data[0, size) with the keystream, data[0] being stream byte 0.
void ApplyXor(uint8_t* data, size_t size);

}  // namespace tvapi::lzss::detail
