#include "tavrin/numbered_error.h"

#include <windows.h>

#include <array>
#include <utility>

#include "tavrin/handle_owners.h"

namespace tavrin {

int32_t MapSystemError(int32_t systemCode) {
    switch (systemCode) {
        case ERROR_FILE_NOT_FOUND:
            return 53;
        case ERROR_PATH_NOT_FOUND:
            return 76;
        case ERROR_TOO_MANY_OPEN_FILES:
            return 67;
        case ERROR_ACCESS_DENIED:
            return 70;
        case ERROR_OUTOFMEMORY:
            return 7;
        case ERROR_WRITE_FAULT:
            return 57;
        case ERROR_READ_FAULT:
            return 57;
        case ERROR_SHARING_VIOLATION:
            return 70;
        case ERROR_LOCK_VIOLATION:
            return 70;
        case ERROR_HANDLE_EOF:
            return 62;
        case ERROR_HANDLE_DISK_FULL:
            return 61;
        case ERROR_FILE_EXISTS:
            return 58;
        case ERROR_INVALID_PARAMETER:
            return 5;
        case ERROR_DISK_FULL:
            return 61;
        case ERROR_INVALID_NAME:
            return 52;
        case ERROR_ALREADY_EXISTS:
            return 58;
        default:
            return systemCode;
    }
}

namespace {

// The runtime's own texts for the numbers the file and registry layers raise.
constexpr std::array<std::pair<int32_t, const wchar_t*>, 22> kStandardTexts{{
    {5, L"无效的过程调用或参数"},
    {6, L"溢出"},
    {7, L"内存溢出"},
    {9, L"下标越界"},
    {11, L"除数为零"},
    {13, L"类型不匹配"},
    {52, L"错误的文件名或号码"},
    {53, L"文件未找到"},
    {54, L"错误的文件方式"},
    {55, L"文件已打开"},
    {57, L"设备 I/O 错误"},
    {58, L"文件已存在"},
    {61, L"磁盘已满"},
    {62, L"输入超出文件尾"},
    {63, L"错误的记录号"},
    {67, L"文件过多"},
    {68, L"设备不可用"},
    {70, L"拒绝的权限"},
    {71, L"磁盘未准备好"},
    {74, L"不能用其他磁盘机重命名"},
    {75, L"路径/文件访问错误"},
    {76, L"路径未找到"},
}};

// Numbers outside the table are system codes that passed through unchanged: the system's own
// text says best what went wrong.
std::wstring SystemText(uint32_t code) {
    constexpr DWORD kLanguages[] = {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED),
                                    MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)};
    for (DWORD lang : kLanguages) {
        wchar_t* text = nullptr;
        DWORD n =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, lang, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        LocalMemory owner(text);
        if (n > 0 && text) {
            std::wstring s(text, n);
            while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ' || s.back() == L'.' ||
                                  s.back() == L'。'))
                s.pop_back();
            if (!s.empty()) return s;
        }
    }
    return {};
}

}  // namespace

std::wstring NumberedError::ErrorDescription(int32_t number) {
    for (const auto& [n, text] : kStandardTexts)
        if (n == number) return text;
    if (number > 0) {
        std::wstring s = SystemText(static_cast<uint32_t>(number));
        if (!s.empty()) return s;
    }
    return L"应用程序定义的错误或对象定义的错误";
}

void RaiseSystemError(uint32_t systemCode) { throw NumberedError(MapSystemError(static_cast<int32_t>(systemCode))); }

void RaiseLastError(int32_t fallback) {
    DWORD code = GetLastError();
    if (code == ERROR_SUCCESS) throw NumberedError(fallback);
    RaiseSystemError(code);
}

}  // namespace tavrin
