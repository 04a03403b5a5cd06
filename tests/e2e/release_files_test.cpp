// What the shipped files say about themselves: each carries a version resource of its own, read
// back here as the programs' own reader reads it, and the registrar alone asks for administrator
// rights.
#include <windows.h>

#include <gtest/gtest.h>

#include "tavrin/version_info.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

struct Shipped {
    const wchar_t* file;
    const wchar_t* fileVersion;  // the numbers
    const wchar_t* versionText;  // the FileVersion entry
    const wchar_t* description;
    const wchar_t* internalName;
};

const Shipped kShipped[] = {
    {L"tunebale.exe", L"1.3.0.64", L"1.03.0064", L"Tavrin歌曲打包器", L"tunebale"},
    {L"shellbind.exe", L"1.3.0.12", L"1.03.0012", L"tunebale环境设置工具", L"shellbind"},
    {L"TVAPI.dll", L"2.1.0.7", L"2.01.0007", L"TVAPI 压缩与歌曲包库", L"TVAPI"},
#ifdef TV_HAS_LISTSMITH
    {L"listsmith.exe", L"1.3.0.21", L"1.03.0021", L"Tavrin单机歌曲转换器", L"listsmith"},
#endif
};

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

TEST(ReleaseFiles, EachCarriesItsOwnVersionWithChineseTexts) {
    for (const Shipped& s : kShipped) {
        SCOPED_TRACE(std::string(s.file, s.file + wcslen(s.file)));
        const VersionInfoRecord r = ReadVersionInfo(ProgramFolder() + s.file);
        EXPECT_EQ(W(r.FileVersionText), s.fileVersion);
        EXPECT_EQ(W(r.ProductVersionText), L"1.3.0.64");
        EXPECT_EQ(W(r.FileVersion), s.versionText);
        EXPECT_EQ(W(r.FileDescription), s.description);
        EXPECT_EQ(W(r.InternalName), s.internalName);
        EXPECT_EQ(W(r.OriginalFilename), s.file);
        EXPECT_EQ(W(r.ProductName), L"Tavrin歌曲打包器");
    }
}

std::string Manifest(const std::wstring& program) {
    HMODULE module =
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return {};
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {  // RT_MANIFEST
        HGLOBAL loaded = LoadResource(module, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        if (data) text.assign(data, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

TEST(ReleaseFiles, OnlyTheRegistrarAsksForAdministratorRights) {
    const std::string shellbind = Manifest(ProgramFolder() + L"shellbind.exe");
    EXPECT_NE(shellbind.find(R"(level="requireAdministrator" uiAccess="false")"), std::string::npos) << shellbind;
    const std::string tunebale = Manifest(ProgramFolder() + L"tunebale.exe");
    EXPECT_NE(tunebale.find(R"(level="asInvoker")"), std::string::npos) << tunebale;
}

}  // namespace
}  // namespace tavrin::testing
