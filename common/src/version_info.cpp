#include "tavrin/version_info.h"

#include <windows.h>

#include <cwchar>
#include <utility>
#include <vector>

namespace tavrin {
namespace {

// The file's version information as GetFileVersionInfoW hands it out; empty when there is none.
std::vector<uint8_t> LoadVersionInfo(const std::wstring& fileName) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &unused);
    if (size < 1) return {};
    std::vector<uint8_t> info(size + 1);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, info.data())) return {};
    return info;
}

std::u16string Dotted(uint32_t ms, uint32_t ls) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
    return std::u16string(text, text + std::wcslen(text));
}

std::optional<FileVersionRecord> FixedPart(std::vector<uint8_t>& info) {
    void* root = nullptr;
    UINT length = 0;
    if (info.empty() || !VerQueryValueW(info.data(), L"\\", &root, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(root);
    FileVersionRecord r;
    r.FileVersionText = Dotted(fixed.dwFileVersionMS, fixed.dwFileVersionLS);
    r.ProductVersionText = Dotted(fixed.dwProductVersionMS, fixed.dwProductVersionLS);
    r.FileMajor = static_cast<int32_t>(fixed.dwFileVersionMS >> 16);
    r.FileMinor = static_cast<int32_t>(fixed.dwFileVersionMS & 0xFFFF);
    r.FileBuild = static_cast<int32_t>(fixed.dwFileVersionLS >> 16);
    r.FileRevision = static_cast<int32_t>(fixed.dwFileVersionLS & 0xFFFF);
    r.ProductMajor = static_cast<int32_t>(fixed.dwProductVersionMS >> 16);
    r.ProductMinor = static_cast<int32_t>(fixed.dwProductVersionMS & 0xFFFF);
    r.ProductBuild = static_cast<int32_t>(fixed.dwProductVersionLS >> 16);
    r.ProductRevision = static_cast<int32_t>(fixed.dwProductVersionLS & 0xFFFF);
    return r;
}

// A text entry up to its first NUL; empty when the resource lacks it.
std::u16string Text(std::vector<uint8_t>& info, const std::wstring& path) {
    void* value = nullptr;
    UINT units = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &units) || units == 0) return {};
    const auto* text = static_cast<const char16_t*>(value);
    std::u16string s(text, units);
    return s.substr(0, s.find(u'\0'));
}

using TextField = std::u16string VersionInfoRecord::*;
constexpr std::pair<const wchar_t*, TextField> kTextEntries[] = {
    {L"Comments", &VersionInfoRecord::Comments},
    {L"CompanyName", &VersionInfoRecord::CompanyName},
    {L"FileDescription", &VersionInfoRecord::FileDescription},
    {L"FileVersion", &VersionInfoRecord::FileVersion},
    {L"InternalName", &VersionInfoRecord::InternalName},
    {L"LegalCopyright", &VersionInfoRecord::LegalCopyright},
    {L"LegalTrademarks", &VersionInfoRecord::LegalTrademarks},
    {L"OriginalFilename", &VersionInfoRecord::OriginalFilename},
    {L"PrivateBuild", &VersionInfoRecord::PrivateBuild},
    {L"ProductName", &VersionInfoRecord::ProductName},
    {L"ProductVersion", &VersionInfoRecord::ProductVersion},
    {L"SpecialBuild", &VersionInfoRecord::SpecialBuild},
};

}  // namespace

std::optional<FileVersionRecord> ReadFixedVersion(const std::wstring& fileName) {
    std::vector<uint8_t> info = LoadVersionInfo(fileName);
    return FixedPart(info);
}

VersionInfoRecord ReadVersionInfo(const std::wstring& fileName) {
    VersionInfoRecord r;
    std::vector<uint8_t> info = LoadVersionInfo(fileName);
    if (info.empty()) return r;
    if (std::optional<FileVersionRecord> fixed = FixedPart(info)) static_cast<FileVersionRecord&>(r) = *fixed;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) return r;
    // Language in the lower half, code page in the upper; the key spells the language first.
    const auto* translation = static_cast<const WORD*>(value);
    wchar_t key[16];
    std::swprintf(key, 16, L"%04X%04X", translation[0], translation[1]);
    const std::wstring prefix = L"\\StringFileInfo\\" + std::wstring(key) + L"\\";
    for (const auto& [name, field] : kTextEntries) r.*field = Text(info, prefix + name);
    return r;
}

}  // namespace tavrin
