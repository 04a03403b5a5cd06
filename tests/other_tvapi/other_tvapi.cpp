// A second TVAPI.dll, for tests only: written from the library's contract alone and sharing no
// code with ours, so the programs are shown to work with any library that keeps that contract.
// A plain greedy LZSS in the same stream, names through code page 936, an insertion sort, and an
// archive reader that reads the directory again on every call. Results that the contract says
// callers ignore are deliberately meaningless.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kRing = 4096, kMaxMatch = 18, kMinMatch = 3, kStart = kRing - kMaxMatch;
constexpr uint32_t kJunk = 0xDEADBEEF;  // what an ignored result holds

// The keystream of container method 3: the C standard's example rand(), seeded "TV".
struct XorKey {
    uint8_t k[256];
    XorKey() {
        uint32_t state = 0x5456;
        for (uint8_t& b : k) {
            state = state * 1103515245u + 12345u;
            b = static_cast<uint8_t>(state >> 24);
        }
    }
};
const XorKey kKey;

// Greedy: at each position the longest match within the last kStart bytes, found by brute force.
uint32_t Compress(const uint8_t* src, uint32_t n, uint8_t* dst) {
    uint32_t out = 0, flagAt = 0, items = 8;
    for (uint32_t k = 0; k < n;) {
        if (items == 8) {
            flagAt = out++;
            dst[flagAt] = 0;
            items = 0;
        }
        uint32_t best = 0, bestDistance = 0;
        const uint32_t limit = n - k < kMaxMatch ? n - k : kMaxMatch;
        for (uint32_t d = 1; d <= k && d <= kStart; ++d) {
            uint32_t len = 0;
            while (len < limit && src[k - d + len] == src[k + len]) ++len;
            if (len > best) {
                best = len;
                bestDistance = d;
                if (len == limit) break;
            }
        }
        if (best >= kMinMatch) {
            const uint32_t position = (kStart + k - bestDistance) % kRing;
            dst[out++] = static_cast<uint8_t>(position);
            dst[out++] = static_cast<uint8_t>(((position >> 4) & 0xF0) | (best - kMinMatch));
            k += best;
        } else {
            dst[flagAt] = static_cast<uint8_t>(dst[flagAt] | (1u << items));
            dst[out++] = src[k++];
        }
        ++items;
    }
    return out;
}

bool Expand(const uint8_t* src, uint32_t n, bool withXor, uint8_t* out, uint32_t size) {
    uint8_t ring[kRing];
    std::memset(ring, ' ', sizeof ring);
    uint32_t r = kStart, in = 0, done = 0;
    auto next = [&](uint8_t& b) {
        if (in >= n) return false;
        b = static_cast<uint8_t>(src[in] ^ (withXor ? kKey.k[in % 256] : 0));
        ++in;
        return true;
    };
    while (done < size) {
        uint8_t flags;
        if (!next(flags)) return false;
        for (int bit = 0; bit < 8 && done < size; ++bit) {
            uint8_t a, b;
            if (!next(a)) return false;
            if (flags >> bit & 1) {
                out[done++] = ring[r++ % kRing] = a;
                continue;
            }
            if (!next(b)) return false;
            const uint32_t position = a | (b & 0xF0u) << 4, length = (b & 0x0Fu) + kMinMatch;
            for (uint32_t j = 0; j < length; ++j) {
                if (done >= size) return false;
                out[done++] = ring[r++ % kRing] = ring[(position + j) % kRing];
            }
        }
    }
    return in == n;
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

bool ReadAt(HANDLE file, uint32_t offset, void* to, uint32_t count) {
    DWORD got = 0;
    return SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           ReadFile(file, to, count, &got, nullptr) && got == count;
}

bool SameName(const char* a, uint32_t n, const char* b) {
    if (std::strlen(b) != n) return false;
    for (uint32_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace

extern "C" {

uint32_t __stdcall LzssCompressBound(uint32_t n) { return n + n / 8 + 16; }

int32_t __stdcall LzssCompress2(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t) {
    *packed = Compress(static_cast<const uint8_t*>(src), n, static_cast<uint8_t*>(dst));
    return 0;  // ignored by contract, and a failure by our library's reading
}

int32_t __stdcall LzssCompressXor2(const void* src, uint32_t n, void* dst, uint32_t* packed, int32_t) {
    auto* out = static_cast<uint8_t*>(dst);
    *packed = Compress(static_cast<const uint8_t*>(src), n, out);
    for (uint32_t i = 0; i < *packed; ++i) out[i] ^= kKey.k[i % 256];
    return 0;
}

uint32_t __stdcall cpMakeTrCode(uint16_t from, uint16_t to) { return static_cast<uint32_t>(from) << 16 | to; }

int32_t __stdcall cpConvertEncoding(uint32_t code, const wchar_t* text, int32_t length, char* out, int32_t capacity) {
    if (code != (2u << 16 | 256u)) return 0;
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text, length, out, capacity, nullptr, &lossy);
    return lossy ? 0 : n;  // with length -1 the count includes the NUL
}

int32_t __stdcall QuickSort(void* first, int32_t count, int32_t width,
                            int32_t(__stdcall* compare)(const void*, const void*)) {
    auto* base = static_cast<uint8_t*>(first);
    std::vector<uint8_t> held(static_cast<size_t>(width));
    for (int32_t i = 1; i < count; ++i) {
        std::memcpy(held.data(), base + i * width, held.size());
        int32_t j = i;
        for (; j > 0 && compare(base + (j - 1) * width, held.data()) > 0; --j)
            std::memcpy(base + j * width, base + (j - 1) * width, held.size());
        std::memcpy(base + j * width, held.data(), held.size());
    }
    return static_cast<int32_t>(kJunk);
}

uint32_t __stdcall GetFileFromPakW(void* buffer, uint32_t size, const wchar_t* archive, const wchar_t* member) {
    char name[1024];
    if (WideCharToMultiByte(936, 0, member, -1, name, sizeof name, nullptr, nullptr) <= 0) return 0;
    HANDLE file = CreateFileW(archive, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    uint32_t result = 0;
    const DWORD length = GetFileSize(file, nullptr);
    uint8_t trailer[9];
    if (length >= 17 && ReadAt(file, length - 9, trailer, 9) && trailer[8] == 0x12) {
        const uint32_t dirOffset = Le32(trailer), count = Le32(trailer + 4);
        std::vector<uint8_t> dir(length - 9 > dirOffset ? length - 9 - dirOffset : 0);
        if (!dir.empty() && ReadAt(file, dirOffset, dir.data(), static_cast<uint32_t>(dir.size()))) {
            for (size_t at = 0, i = 0; i < count && at + 15 <= dir.size(); ++i) {
                const uint8_t* r = dir.data() + at;
                const uint32_t nameLen = r[0];
                at += 15 + nameLen;
                if (r[1] == 2 || at > dir.size() || !SameName(reinterpret_cast<const char*>(r + 14), nameLen, name))
                    continue;
                const uint32_t method = r[1], offset = Le32(r + 2), packed = Le32(r + 6), full = Le32(r + 10);
                if (size == 0) {
                    result = full;
                } else if (size >= full) {
                    std::vector<uint8_t> data(packed);
                    if (ReadAt(file, offset, data.data(), packed)) {
                        if (method == 0)
                            std::memcpy(buffer, data.data(), packed < full ? packed : full);
                        else
                            Expand(data.data(), packed, method == 3, static_cast<uint8_t*>(buffer), full);
                    }
                    result = kJunk;  // ignored by contract
                }
                break;
            }
        }
    }
    CloseHandle(file);
    return result;
}

}  // extern "C"
