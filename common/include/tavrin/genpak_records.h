// The GENPAK container's directory records and trailer as bytes. Portable: no Windows headers.
//
// Record (15 + NameLen bytes, little-endian): u8 NameLen, u8 Method, u32 DataOffset,
// u32 PackedSize, u32 FileSize, the name bytes, 0x00.
// Trailer (9 bytes): u32 DirOffset, u32 EntryCount, u8 0x12.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "genpak_format.h"

namespace tavrin {

// name holds at most 255 bytes; callers check their own limit first.
void AppendPakEntry(std::vector<uint8_t>& out, std::string_view name, uint8_t method, int32_t dataOffset,
                    int32_t packedSize, int32_t fileSize);
void AppendPakTrailer(std::vector<uint8_t>& out, int32_t dirOffset, int32_t entryCount);

}  // namespace tavrin
