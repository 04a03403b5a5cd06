// LZSS codec of the GENPAK container (methods 1 and 3).
//
// The stream is the classic 4096-byte-ring LZSS with 18-byte lookahead: flag bytes read from their
// lowest bit up, 1 = one literal byte, 0 = a two-byte reference (ring position low 8 bits; high 4
// bits in the upper nibble and length - 3 in the lower nibble of the second byte). The ring starts
// filled with spaces and writing starts at ring position 4096 - 18. There is no end marker: the
// reader is told the expanded size. docs/lzss-stream.md describes the stream, the levels, the XOR
// scheme and the decoder's failure rules.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tvapi::lzss {

// Largest input the compressor accepts (container sizes are signed 32-bit values).
inline constexpr uint32_t kMaxInputSize = 0x7FFFFFFFu;

inline constexpr int32_t kLevelDefault = 1;  // fast; what the programs pass
inline constexpr int32_t kLevelBest = 9;     // smallest output

// Bytes a destination needs for either compressor on n input bytes (>= n + ceil(n/8) + slack).
// 0 when n exceeds kMaxInputSize.
uint32_t CompressBound(uint32_t n);

// True for the levels Compress accepts: 1 (default, fast) to 9 (smallest output).
bool IsValidLevel(int32_t level);

// Compresses n bytes into dst (CompressBound(n) bytes). Returns the stream length. When the
// output would reach n bytes the compressor may stop early and return a value >= n: the caller
// then stores the data raw. withXor applies the XOR scheme of container method 3.
// stopEarly false always produces the whole stream (never longer than n + ceil(n/8)): the music
// list converter stores every member compressed, even one that grows.
// An invalid level compresses as the default level. n > kMaxInputSize returns 0 and writes
// nothing (callers check CompressBound first). May throw std::bad_alloc (work memory per call:
// about 120 KB at levels 1-4, 300 KB at 5-9).
uint32_t Compress(const uint8_t* src, uint32_t n, uint8_t* dst, int32_t level, bool withXor, bool stopEarly = true);

// Expands a stream of packedSize bytes into exactly size bytes at dst. Returns false for any
// corrupt or truncated stream (and then dst's content is unspecified); never reads or writes
// outside [src, src+packedSize) and [dst, dst+size).
bool Expand(const uint8_t* src, size_t packedSize, uint8_t* dst, size_t size, bool withXor);

}  // namespace tvapi::lzss
