// The C interface of tvapi.h over the internal modules. Nothing here throws across the boundary:
// the callers are programs that only look at the results.
#include <filesystem>
#include <string>

#include "lzss.h"
#include "names.h"
#include "pak_cache.h"
#include "sort.h"
#include "tvapi.h"

namespace {

int32_t Compress(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t level, bool withXor) {
    if (src == nullptr || dst == nullptr || packed == nullptr || !tvapi::lzss::IsValidLevel(level)) return 0;
    if (n > tvapi::lzss::kMaxInputSize) return 0;
    try {
        // Always the whole stream: listsmith stores every member with Method 1, even one that does
        // not shrink, so a stream cut short at n bytes would be unreadable there. tunebale stores a
        // result >= n raw either way.
        *packed = tvapi::lzss::Compress(static_cast<const uint8_t*>(src), n, static_cast<uint8_t*>(dst), level, withXor,
                                        /*stopEarly=*/false);
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace

extern "C" {

uint32_t TVAPI_CALL LzssCompressBound(uint32_t n) { return tvapi::lzss::CompressBound(n); }

int32_t TVAPI_CALL LzssCompress2(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t level) {
    return Compress(src, n, dst, packed, level, false);
}

int32_t TVAPI_CALL LzssCompressXor2(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t level) {
    return Compress(src, n, dst, packed, level, true);
}

uint32_t TVAPI_CALL cpMakeTrCode(uint16_t from, uint16_t to) { return tvapi::names::MakeTrCode(from, to); }

int32_t TVAPI_CALL cpConvertEncoding(uint32_t code, const TVCHAR* text, int32_t length, char* out, int32_t capacity) {
    if (code != tvapi::names::kUtf16ToGb18030) return 0;
    return tvapi::names::ToGb18030(text, length, out, capacity);
}

void TVAPI_CALL QuickSort(void* first, int32_t count, int32_t width,
                          int32_t(TVAPI_CALL* compare)(const void*, const void*)) {
    if (count <= 1 || width <= 0) return;
    tvapi::sort::Sort(first, static_cast<size_t>(count), static_cast<size_t>(width), compare);
}

uint32_t TVAPI_CALL GetFileFromPakW(void* buffer, uint32_t size, const TVCHAR* archive, const TVCHAR* member) {
    if (archive == nullptr || member == nullptr || archive[0] == 0) return 0;
    try {
        std::u16string name;
        for (const TVCHAR* p = member; *p != 0; ++p) name.push_back(static_cast<char16_t>(*p));
#if defined(_WIN32)
        const std::filesystem::path path{std::wstring(archive)};
#else
        const std::filesystem::path path{std::u16string(archive)};  // to UTF-8; throws on a lone surrogate
#endif
        return tvapi::pak::GetFile(buffer, size, path, name);
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
