// File-system helpers against real files, folders and another program holding a file.
#include "tavrin/file_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "system_error.h"
#include "temp_folder.h"
#include "window_driver.h"

namespace tavrin {
namespace {

using testing::ProgramFolder;
using testing::TempFolder;
using testing::WriteBytes;

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

TEST(FileSystem, FileExistsAndWholeFilesReadOrMappedAndHeld) {
    TempFolder dir;
    WriteBytes(dir / L"five.bin", {1, 2, 3, 4, 5});
    WriteBytes(dir / L"empty.bin", {});
    CreateDirectoryW((dir / L"plain").c_str(), nullptr);
    CreateDirectoryW((dir / L"hidden").c_str(), nullptr);
    SetFileAttributesW((dir / L"hidden").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    // Files yes, plain folders no, folders with more attributes yes.
    EXPECT_TRUE(FileExists(dir / L"five.bin"));
    EXPECT_FALSE(FileExists(dir / L"missing.txt"));
    EXPECT_FALSE(FileExists(dir / L"no-folder\\f.txt"));
    EXPECT_FALSE(FileExists(dir / L"plain"));
    EXPECT_TRUE(FileExists(dir / L"hidden"));
    EXPECT_FALSE(FileExists(L""));

    std::vector<uint8_t> data;
    EXPECT_EQ(ReadWholeFile(dir / L"five.bin", data), 0);
    EXPECT_EQ(data, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    ByteBuffer unmapped;
    SourceFile source;
    ASSERT_TRUE(source.Load(dir / L"five.bin", unmapped));
    EXPECT_EQ(std::vector<uint8_t>(source.Data(), source.Data() + source.Size()), data);
    EXPECT_FALSE(DeleteFileW((dir / L"five.bin").c_str())) << "held for reading while in use";
    source.Release();
    // Every failure is one: empty, missing, a folder.
    for (const std::wstring& path : {dir / L"empty.bin", dir / L"missing.bin", dir.Path()}) {
        EXPECT_EQ(ReadWholeFile(path, data), 1);
        EXPECT_FALSE(source.Load(path, unmapped));
    }
}

TEST(FileSystem, FileAnotherProgramHoldsOpenForWritingCannotBeRead) {
    TempFolder dir;
    WriteBytes(dir / L"busy.bin", {1, 2, 3});
    std::vector<uint8_t> data;
    {
        HeldByAnotherProgram holder(dir / L"busy.bin");
        EXPECT_EQ(ReadWholeFile(dir / L"busy.bin", data), 1);
        ByteBuffer unmapped;
        EXPECT_FALSE(SourceFile().Load(dir / L"busy.bin", unmapped));
    }
    EXPECT_EQ(ReadWholeFile(dir / L"busy.bin", data), 0);  // and again once it lets go
}

}  // namespace
}  // namespace tavrin
