// The GENPAK container, as the library reads it and the programs write it. All integers are
// little-endian and there is no header: a reader starts at the end.
//
//   0                 entry data: the blocks of the file entries, back to back, in entry order
//   DirOffset - 8     "GENPAK" and two bytes that name the writer (a reader does not rely on them)
//   DirOffset         EntryCount records, each 15 + NameLen bytes:
//                       u8 NameLen, u8 Method, u32 DataOffset, u32 PackedSize, u32 FileSize,
//                       NameLen name bytes, 0x00
//   length - 9        u32 DirOffset, u32 EntryCount, u8 EndTag 0x12
//
// The records end exactly where the trailer begins. Every 32-bit field holds a value below 2^31.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tvapi::genpak {

inline constexpr char kMarkerText[] = "GENPAK";
inline constexpr size_t kMarkerSize = 8;  // "GENPAK" and the two writer bytes
inline constexpr size_t kRecordFixedSize = 15;
inline constexpr size_t kRecordMaxSize = kRecordFixedSize + 255;
inline constexpr size_t kTrailerSize = 9;
inline constexpr uint8_t kEndTagByte = 0x12;
inline constexpr int64_t kMaxContainerSize = 0x7FFFFFFF;  // offsets are signed 32-bit values

enum Method : uint8_t { kStored = 0, kLzss = 1, kFolder = 2, kLzssXor = 3 };

}  // namespace tvapi::genpak
