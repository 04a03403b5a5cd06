// Windows: the real TVAPI.dll, linked through its import library. Every export is called once and
// found by its plain name, as tunebale and listsmith import them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tvapi.h"

namespace {

HMODULE Dll() { return GetModuleHandleW(L"TVAPI.dll"); }

TEST(TvapiDll, ExportsTheSevenFunctionsUndecorated) {
  ASSERT_NE(Dll(), nullptr) << "the test is not linked against TVAPI.dll";
  struct Export {
    const char* name;
    void* linked;
  } const exports[] = {
      {"LzssCompressBound", reinterpret_cast<void*>(&LzssCompressBound)},
      {"LzssCompress2", reinterpret_cast<void*>(&LzssCompress2)},
      {"LzssCompressXor2", reinterpret_cast<void*>(&LzssCompressXor2)},
      {"cpMakeTrCode", reinterpret_cast<void*>(&cpMakeTrCode)},
      {"cpConvertEncoding", reinterpret_cast<void*>(&cpConvertEncoding)},
      {"QuickSort", reinterpret_cast<void*>(&QuickSort)},
      {"GetFileFromPakW", reinterpret_cast<void*>(&GetFileFromPakW)},
  };
  for (const auto& e : exports) {
    const FARPROC byName = GetProcAddress(Dll(), e.name);
    ASSERT_NE(byName, nullptr) << e.name;
    // The function the test calls is the DLL's (an import thunk may stand between, so compare
    // the module that holds the address).
    HMODULE owner = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(byName), &owner);
    EXPECT_EQ(owner, Dll()) << e.name;
  }
}

int32_t TVAPI_CALL CompareInts(const void* a, const void* b) {
  int32_t x, y;
  std::memcpy(&x, a, 4);
  std::memcpy(&y, b, 4);
  return x < y ? -1 : x > y ? 1 : 0;
}

TEST(TvapiDll, EveryExportWorksThroughTheImportLibrary) {
  const std::string text(2000, 'a');
  std::vector<uint8_t> packed(LzssCompressBound(2000));
  ASSERT_GE(packed.size(), 2000u + 250u);
  uint32_t n = 0;
  ASSERT_EQ(LzssCompress2(text.data(), 2000, packed.data(), &n, TVAPI_LEVEL_DEFAULT), 1);
  EXPECT_LT(n, 2000u);
  uint32_t nx = 0;
  ASSERT_EQ(LzssCompressXor2(text.data(), 2000, packed.data(), &nx, TVAPI_LEVEL_DEFAULT), 1);
  EXPECT_EQ(nx, n) << "the XOR scheme keeps the stream's length";

  const uint32_t code = cpMakeTrCode(2, 256);
  ASSERT_NE(code, 0u);
  char name[255];
  EXPECT_EQ(cpConvertEncoding(code, L"\u6B4C\u66F2", -1, name, 255), 5);
  EXPECT_STREQ(name, "\xB8\xE8\xC7\xFA");

  int32_t values[] = {5, -1, 3, 3, 0};
  QuickSort(values, 5, 4, CompareInts);
  EXPECT_EQ(std::vector<int32_t>(values, values + 5), (std::vector<int32_t>{-1, 0, 3, 3, 5}));

  // A small archive written field by field: one folder, one stored member.
  const std::filesystem::path pak = std::filesystem::temp_directory_path() / L"tvapi_dll_\u6B4C.pak";
  {
    std::string a = "hello";
    a += "GENPAK\x01\x02";
    auto rec = [&](const std::string& nm, char method, uint32_t off, uint32_t size) {
      a += static_cast<char>(nm.size());
      a += method;
      for (uint32_t v : {off, size, size}) a.append(reinterpret_cast<const char*>(&v), 4);
      a += nm;
      a += '\0';
    };
    rec("d", 2, 0, 0);
    rec("d/h.txt", 0, 0, 5);
    const uint32_t dirOffset = 13, count = 2;
    a.append(reinterpret_cast<const char*>(&dirOffset), 4);
    a.append(reinterpret_cast<const char*>(&count), 4);
    a += '\x12';
    std::ofstream(pak, std::ios::binary).write(a.data(), static_cast<std::streamsize>(a.size()));
  }
  char scratch[2];
  EXPECT_EQ(GetFileFromPakW(scratch, 0, pak.c_str(), L"d/h.txt"), 5u);
  char content[5];
  EXPECT_EQ(GetFileFromPakW(content, 5, pak.c_str(), L"D/H.TXT"), 5u);
  EXPECT_EQ(std::string(content, 5), "hello");
  EXPECT_EQ(GetFileFromPakW(scratch, 0, pak.c_str(), L"d/none"), 0u);
  std::filesystem::remove(pak);
}

TEST(TvapiDll, NamesKeepTheBytesOfCodePage936) {
  // Every BMP character that code page 936 converts and converts back gets the same bytes from
  // cpConvertEncoding, with two known kinds of exception:
  // - the euro sign: the code page has it as the single byte 0x80, GB18030 at A2E3;
  // - private-use code points that the code page uses as stand-ins for cells GBK left empty
  //   (A2E3, A8BF, A989..A995, FE50..FE9F and so on): GB18030 gave those cells real characters and
  //   the private-use code points four-byte codes.
  // Real names hold neither, so the two writers' names agree.
  const uint32_t code = cpMakeTrCode(2, 256);
  long long compared = 0;
  long long privateUse = 0;
  for (uint32_t cp = 0x80; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const wchar_t text[2] = {static_cast<wchar_t>(cp), 0};
    char ansi[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, text, 1, ansi, sizeof ansi, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) continue;
    wchar_t back[2] = {};
    if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, ansi, n, back, 2) != 1 || back[0] != text[0]) continue;
    char ours[8];
    const int32_t m = cpConvertEncoding(code, text, 1, ours, sizeof ours);
    ASSERT_GT(m, 1);
    const std::string gb(ours, static_cast<size_t>(m - 1));
    ++compared;
    if (gb == std::string(ansi, static_cast<size_t>(n))) continue;
    if (cp == 0x20AC) {
      EXPECT_EQ(gb, "\xA2\xE3");
      EXPECT_EQ(std::string(ansi, static_cast<size_t>(n)), "\x80");
      continue;
    }
    EXPECT_TRUE(cp >= 0xE000 && cp <= 0xF8FF) << "U+" << std::hex << cp << " differs";
    EXPECT_EQ(gb.size(), 4u) << "U+" << std::hex << cp;
    ++privateUse;
  }
  EXPECT_GT(compared, 20000) << "code page 936 is not available";
  EXPECT_LT(privateUse, 100);
}

}  // namespace
