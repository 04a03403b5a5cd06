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

// A caller that knows only the library's table: it pushes each argument as one 32-bit value, last
// first, calls the function by the address GetProcAddress gave for its plain name, and measures
// how far the stack pointer moved across the call. A __stdcall callee removes exactly its own
// arguments, so the answer is 0; a cdecl function, or one that takes other widths, leaves the
// stack unbalanced.
extern "C" int32_t TvCallWith32BitArgs(FARPROC fn, const uint32_t* args, uint32_t count, uint32_t* result);
asm(R"(
    .text
    .globl _TvCallWith32BitArgs
_TvCallWith32BitArgs:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  call *8(%ebp)
    movl 20(%ebp), %ecx
    movl %eax, (%ecx)
    movl %esp, %eax
    subl %edi, %eax
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebp
    ret
)");

int32_t __stdcall CompareBytes(const void* a, const void* b) {
    const uint8_t x = *static_cast<const uint8_t*>(a), y = *static_cast<const uint8_t*>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

uint32_t Arg(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

TEST(TvapiDll, EachExportIsStdcallWith32BitArgumentsUnderItsPlainName) {
    ASSERT_EQ(sizeof(void*), 4u) << "the library is 32-bit x86";
    ASSERT_NE(Dll(), nullptr) << "the test is not linked against TVAPI.dll";
    const std::string text(600, 'q');
    std::vector<uint8_t> packed(1000);
    uint32_t length = 0;
    char name[255];
    uint8_t values[] = {9, 3, 7, 1};
    char scratch[2];
    struct Call {
        const char* name;
        std::vector<uint32_t> args;
    } const calls[] = {
        {"LzssCompressBound", {600}},
        {"LzssCompress2", {Arg(text.data()), 600, Arg(packed.data()), Arg(&length), 1}},
        {"LzssCompressXor2", {Arg(text.data()), 600, Arg(packed.data()), Arg(&length), 1}},
        {"cpMakeTrCode", {2, 256}},
        {"cpConvertEncoding", {cpMakeTrCode(2, 256), Arg(L"\u6B4C"), 0xFFFFFFFFu, Arg(name), 255}},
        {"QuickSort", {Arg(values), 4, 1, Arg(reinterpret_cast<const void*>(&CompareBytes))}},
        {"GetFileFromPakW", {Arg(scratch), 0, Arg(L"no such.pak"), Arg(L"a/b")}},
    };
    for (const Call& c : calls) {
        SCOPED_TRACE(c.name);
        const FARPROC fn = GetProcAddress(Dll(), c.name);
        ASSERT_NE(fn, nullptr);
        uint32_t result = 0;
        EXPECT_EQ(TvCallWith32BitArgs(fn, c.args.data(), static_cast<uint32_t>(c.args.size()), &result), 0)
            << "the stack is not balanced";
        if (std::string(c.name) == "cpConvertEncoding") {
            EXPECT_EQ(result, 3u);
            EXPECT_STREQ(name, "\xB8\xE8");
        }
        if (std::string(c.name).rfind("LzssCompress", 0) == 0 && c.args.size() == 5) {
            EXPECT_LT(length, 600u);
        }
    }
    EXPECT_EQ(std::vector<uint8_t>(values, values + 4), (std::vector<uint8_t>{1, 3, 7, 9}));
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
