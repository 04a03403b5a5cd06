// File-system helpers against real files, folders and another program holding a file.
#include "tavrin/file_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tavrin/numbered_error.h"
#include "raised_number.h"
#include "system_error.h"
#include "temp_folder.h"

namespace tavrin {
namespace {

using testing::RaisedNumber;
using testing::TempFolder;
using testing::WriteBytes;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.rfind(L'\\') + 1);
}

// Another process holds a file open for writing while the test body runs.
class HeldByAnotherProgram {
public:
    explicit HeldByAnotherProgram(const std::wstring& path) {
        std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
        std::wstring readyName = L"tavrin-ready-" + tag, releaseName = L"tavrin-release-" + tag;
        ready_ = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
        release_ = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
        std::wstring cmd =
            L"\"" + ProgramFolder() + L"tv_hold_open.exe\" \"" + path + L"\" " + readyName + L" " + releaseName;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) {
            const DWORD error = GetLastError();
            throw testing::SystemCallFailed("cannot start tv_hold_open.exe", error);
        }
        HANDLE waits[2] = {ready_, pi_.hProcess};
        if (WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0)
            throw std::runtime_error("tv_hold_open.exe did not open the file");
    }
    ~HeldByAnotherProgram() {
        SetEvent(release_);
        WaitForSingleObject(pi_.hProcess, 30000);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
        CloseHandle(ready_);
        CloseHandle(release_);
    }

private:
    HANDLE ready_ = nullptr, release_ = nullptr;
    PROCESS_INFORMATION pi_{};
};

TEST(MapSystemError, TranslatesTheTableAndPassesOthersThrough) {
    const std::pair<int32_t, int32_t> table[] = {{2, 53},  {3, 76},   {4, 67},   {5, 70},  {14, 7},  {29, 57},
                                                 {30, 57}, {32, 70},  {33, 70},  {38, 62}, {39, 61}, {80, 58},
                                                 {87, 5},  {112, 61}, {123, 52}, {183, 58}};
    for (auto [code, number] : table) EXPECT_EQ(MapSystemError(code), number) << code;
    EXPECT_EQ(MapSystemError(0), 0);
    EXPECT_EQ(MapSystemError(1224), 1224);
    EXPECT_EQ(MapSystemError(53), 53);
}

TEST(NumberedErrorText, StandardTextsInChineseAndSystemTextsForOthers) {
    EXPECT_EQ(NumberedError(53).Description(), L"文件未找到");
    EXPECT_EQ(NumberedError(70).Description(), L"拒绝的权限");
    EXPECT_EQ(NumberedError(58).Description(), L"文件已存在");
    EXPECT_EQ(NumberedError(62).Description(), L"输入超出文件尾");
    EXPECT_FALSE(NumberedError(1224).Description().empty());
    EXPECT_FALSE(NumberedError(-7).Description().empty());
}

TEST(FileExists, FilesYesPlainFoldersNoFoldersWithMoreAttributesYes) {
    TempFolder dir;
    WriteBytes(dir / L"f.txt", {1});
    CreateDirectoryW((dir / L"plain").c_str(), nullptr);
    CreateDirectoryW((dir / L"hidden").c_str(), nullptr);
    SetFileAttributesW((dir / L"hidden").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(FileExists(dir / L"f.txt"));
    EXPECT_FALSE(FileExists(dir / L"missing.txt"));
    EXPECT_FALSE(FileExists(dir / L"no-folder\\f.txt"));
    EXPECT_FALSE(FileExists(dir / L"plain"));
    EXPECT_TRUE(FileExists(dir / L"hidden"));
    EXPECT_FALSE(FileExists(L""));
}

TEST(KillFile, DeletesOrRaises53ForMissingAnd70ForReadOnly) {
    TempFolder dir;
    WriteBytes(dir / L"k.bin", {1});
    KillFile(dir / L"k.bin");
    EXPECT_FALSE(FileExists(dir / L"k.bin"));
    EXPECT_EQ(RaisedNumber([&] { KillFile(dir / L"k.bin"); }), 53);
    WriteBytes(dir / L"ro.bin", {1});
    SetFileAttributesW((dir / L"ro.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RaisedNumber([&] { KillFile(dir / L"ro.bin"); }), 70);
    EXPECT_TRUE(FileExists(dir / L"ro.bin"));
}

TEST(ReadWholeFile, ReadsWholeFilesAndReportsEveryFailureAsOne) {
    TempFolder dir;
    WriteBytes(dir / L"five.bin", {1, 2, 3, 4, 5});
    WriteBytes(dir / L"empty.bin", {});
    std::vector<uint8_t> data;
    EXPECT_EQ(ReadWholeFile(dir / L"five.bin", data), 0);
    EXPECT_EQ(data, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ReadWholeFile(dir / L"empty.bin", data), 1);
    EXPECT_EQ(ReadWholeFile(dir / L"missing.bin", data), 1);
    EXPECT_EQ(ReadWholeFile(dir.Path(), data), 1);
}

TEST(SourceFile, MapsEachFileWholeAndRefusesWhatReadWholeFileRefuses) {
    TempFolder dir;
    WriteBytes(dir / L"five.bin", {1, 2, 3, 4, 5});
    WriteBytes(dir / L"empty.bin", {});
    ByteBuffer unmapped;
    SourceFile source;
    ASSERT_TRUE(source.Load(dir / L"five.bin", unmapped));
    EXPECT_EQ(std::vector<uint8_t>(source.Data(), source.Data() + source.Size()),
              (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(RaisedNumber([&] { KillFile(dir / L"five.bin"); }), 70) << "held for reading while in use";
    source.Release();
    for (const wchar_t* name : {L"empty.bin", L"missing.bin"}) EXPECT_FALSE(source.Load(dir / name, unmapped));
    EXPECT_FALSE(source.Load(dir.Path(), unmapped));
}

TEST(ReadWholeFile, FileAnotherProgramHoldsOpenForWritingCannotBeRead) {
    TempFolder dir;
    WriteBytes(dir / L"busy.bin", {1, 2, 3});
    std::vector<uint8_t> data;
    {
        HeldByAnotherProgram holder(dir / L"busy.bin");
        EXPECT_EQ(ReadWholeFile(dir / L"busy.bin", data), 1);
        ByteBuffer unmapped;
        EXPECT_FALSE(SourceFile().Load(dir / L"busy.bin", unmapped));
        EXPECT_EQ(RaisedNumber([&] { KillFile(dir / L"busy.bin"); }), 70);
    }
    EXPECT_EQ(ReadWholeFile(dir / L"busy.bin", data), 0);  // and again once it lets go
}

}  // namespace
}  // namespace tavrin
