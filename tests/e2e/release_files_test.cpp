// What the shipped files say about themselves: each carries a version resource of its own, read
// back as the programs' own reader reads it, and the registrar alone asks for administrator rights.
#include <windows.h>

#include <gtest/gtest.h>

#include "tavrin/version_info.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

std::string Manifest(const std::wstring& program) {
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    const auto* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
    std::string manifest(text ? text : "", text ? SizeofResource(module, found) : 0);
    FreeLibrary(module);
    return manifest;
}

TEST(ReleaseFiles, EachCarriesItsOwnVersionAndOnlyTheRegistrarAsksForAdministratorRights) {
    // File version, its text, description, internal and original name; product version and name.
    const std::pair<const wchar_t*, std::u16string> shipped[] = {
        {L"tunebale.exe", u"1.3.0.64 1.03.0064 Tavrin歌曲打包器 tunebale tunebale.exe"},
        {L"shellbind.exe", u"1.3.0.12 1.03.0012 tunebale环境设置工具 shellbind shellbind.exe"},
        {L"TVAPI.dll", u"2.1.0.7 2.01.0007 TVAPI 压缩与歌曲包库 TVAPI TVAPI.dll"},
#ifdef TV_HAS_LISTSMITH
        {L"listsmith.exe", u"1.3.0.21 1.03.0021 Tavrin单机歌曲转换器 listsmith listsmith.exe"},
#endif
    };
    for (const auto& [file, expected] : shipped) {
        const VersionInfoRecord r = ReadVersionInfo(ProgramFolder() + file);
        EXPECT_EQ(r.FileVersionText + u" " + r.FileVersion + u" " + r.FileDescription + u" " + r.InternalName + u" " +
                      r.OriginalFilename + u" " + r.ProductVersionText + u" " + r.ProductName,
                  expected + u" 1.3.0.64 Tavrin歌曲打包器");
    }
    EXPECT_NE(Manifest(ProgramFolder() + L"shellbind.exe").find(R"(level="requireAdministrator" uiAccess="false")"),
              std::string::npos);
    EXPECT_NE(Manifest(ProgramFolder() + L"tunebale.exe").find(R"(level="asInvoker")"), std::string::npos);
}

}  // namespace
}  // namespace tavrin::testing
