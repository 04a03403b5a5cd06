// Windows: the real TVAPI.dll. Every export called by its plain name as tunebale and listsmith
// import them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tvapi.h"

namespace {

HMODULE Dll() { return GetModuleHandleW(L"TVAPI.dll"); }

// Calls fn as a caller that knows only the library's table would: five 32-bit values pushed, last
// first, then the call. Gives how many bytes the callee removed from the stack: a __stdcall
// function removes exactly its own arguments, 4 each; a cdecl one removes none.
uint32_t CalleeRemoved(FARPROC fn, const uint32_t (&args)[5], uint32_t& result) {
    uint32_t left;
    asm volatile(
        "movl %%esp, %%edi\n\tpushl 16(%%esi)\n\tpushl 12(%%esi)\n\tpushl 8(%%esi)\n\tpushl 4(%%esi)\n\t"
        "pushl (%%esi)\n\tcall *%%ebx\n\tmovl %%edi, %%ecx\n\tsubl %%esp, %%ecx\n\tmovl %%edi, %%esp"
        : "=a"(result), "=c"(left)
        : "S"(args), "b"(fn)
        : "edi", "edx", "memory", "cc");
    return 20 - left;
}

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
    // The name, the arguments and how many there are.
    const struct {
        const char* name;
        uint32_t args[5], count;
    } calls[] = {
        {"LzssCompressBound", {600}, 1},
        {"LzssCompress2", {Arg(text.data()), 600, Arg(packed.data()), Arg(&length), 1}, 5},
        {"LzssCompressXor2", {Arg(text.data()), 600, Arg(packed.data()), Arg(&length), 1}, 5},
        {"cpMakeTrCode", {2, 256}, 2},
        {"cpConvertEncoding", {cpMakeTrCode(2, 256), Arg(L"\u6B4C"), 0xFFFFFFFFu, Arg(name), 255}, 5},
        {"QuickSort", {Arg(values), 4, 1, Arg(reinterpret_cast<const void*>(&CompareBytes))}, 4},
        {"GetFileFromPakW", {Arg(scratch), 0, Arg(L"no such.pak"), Arg(L"a/b")}, 4},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        const FARPROC fn = GetProcAddress(Dll(), c.name);
        ASSERT_NE(fn, nullptr);
        uint32_t result = 0;
        EXPECT_EQ(CalleeRemoved(fn, c.args, result), 4 * c.count) << "not __stdcall with 32-bit arguments";
        if (c.args[4] != 255) continue;
        EXPECT_EQ(result, 3u);
        EXPECT_STREQ(name, "\xB8\xE8");
    }
    EXPECT_LT(length, 600u);
    EXPECT_EQ(std::vector<uint8_t>(values, values + 4), (std::vector<uint8_t>{1, 3, 7, 9}));
}

}  // namespace
