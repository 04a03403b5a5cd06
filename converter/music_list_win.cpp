// The game's files and the system code page on Windows: loose files, archives through
// TVAPI.dll, MultiByteToWideChar and WideCharToMultiByte with CP_ACP.
#include <windows.h>

#include <tvapi.h>

#include <limits>
#include <new>

#include "music_list.h"
#include "tavrin/file_system.h"
#include "tavrin/text.h"
#include "tavrin/handle_owners.h"

namespace tavrin {
namespace {

constexpr int32_t kHighestNumber = 999;

// The member's size; 0 when the archive or member is missing (and for sizes no container holds).
uint32_t MemberSize(const std::wstring& archive, const std::wstring& member) {
    uint8_t scratch[2] = {};
    uint32_t size = GetFileFromPakW(scratch, 0, archive.c_str(), member.c_str());
    return size > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ? 0 : size;
}

std::wstring NumberedName(const std::wstring& prefix, int32_t n) {
    wchar_t digits[4] = {static_cast<wchar_t>(L'0' + n / 100), static_cast<wchar_t>(L'0' + n / 10 % 10),
                         static_cast<wchar_t>(L'0' + n % 10), 0};
    return prefix + digits + L".pak";
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The number of a file name prefix + three digits + ".pak", or -1.
int32_t NumberOf(std::wstring_view fileName, std::wstring_view prefixName) {
    if (fileName.size() != prefixName.size() + 7) return -1;
    if (!SameNameIgnoringCase(fileName.substr(0, prefixName.size()), prefixName)) return -1;
    if (!SameNameIgnoringCase(fileName.substr(prefixName.size() + 3), L".pak")) return -1;
    int32_t n = 0;
    for (wchar_t c : fileName.substr(prefixName.size(), 3)) {
        if (c < L'0' || c > L'9') return -1;
        n = n * 10 + (c - L'0');
    }
    return n;
}

}  // namespace

const std::vector<int32_t>& NumberedArchives::Existing(const std::wstring& prefix) {
    for (const auto& [known, numbers] : listed_)
        if (known == prefix) return numbers;
    std::vector<bool> present(kHighestNumber + 1, false);
    size_t cut = prefix.find_last_of(L"\\/");
    std::wstring_view prefixName = std::wstring_view(prefix).substr(cut == std::wstring::npos ? 0 : cut + 1);
    WIN32_FIND_DATAW found{};
    FindHandle find(FindFirstFileW((prefix + L"*.pak").c_str(), &found));
    if (find) {
        do {
            int32_t n = NumberOf(found.cFileName, prefixName);
            if (n >= 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) present[static_cast<size_t>(n)] = true;
        } while (FindNextFileW(find.Get(), &found));
    }
    std::vector<int32_t> numbers;
    for (int32_t n = kHighestNumber; n >= 0; --n)
        if (present[static_cast<size_t>(n)]) numbers.push_back(n);
    listed_.emplace_back(prefix, std::move(numbers));
    return listed_.back().second;
}

bool GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered,
                 NumberedArchives* numbered) {
    const std::wstring member = FromU16(path);
    if (FileExists(member)) return ReadWholeFile(member, data) == 0;

    size_t slash = member.find(L'/');
    std::wstring prefix = slash == std::wstring::npos ? std::wstring() : member.substr(0, slash);
    std::wstring archive = slash == std::wstring::npos ? std::wstring(L"zal_base.pak") : prefix + L".pak";
    uint32_t size = MemberSize(archive, member);
    if (size == 0 && allowNumbered) {
        auto tryNumber = [&](int32_t n) {
            archive = NumberedName(prefix, n);
            size = MemberSize(archive, member);
            return size != 0;
        };
        if (numbered) {
            for (int32_t n : numbered->Existing(prefix))
                if (tryNumber(n)) break;
        } else {
            for (int32_t n = kHighestNumber; n >= 0; --n)
                if (tryNumber(n)) break;
        }
    }
    if (size == 0) return false;
    try {
        data.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The filling call's result means nothing by contract: the size answer was the only check.
    GetFileFromPakW(data.data(), size, archive.c_str(), member.c_str());
    return true;
}

bool SystemGameData::GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered) {
    return tavrin::GetGameFile(path, data, allowNumbered, &numbered_);
}

std::u16string SystemGameData::FromAnsi(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return {};
    const auto* source = reinterpret_cast<const char*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    int n = MultiByteToWideChar(CP_ACP, 0, source, length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, source, length, text.data(), n);
    return ToU16(text);
}

std::optional<std::string> SystemGameData::ToAnsi(std::u16string_view text) {
    if (text.empty()) return std::string();
    const std::wstring wide = FromU16(text);
    const int length = static_cast<int>(wide.size());
    // A UTF-8 system code page has no default character; it refuses what it cannot encode.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, usedDefaultOut);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, wide.data(), length, bytes.data(), n, nullptr, usedDefaultOut) != n ||
        usedDefault)
        return std::nullopt;
    return bytes;
}

}  // namespace tavrin
