// The pack engine over Win32: FindFirstFileExW listings, files mapped by SourceFile.
#include "tavrin/pack_sources.h"

#include <windows.h>

#include <algorithm>
#include <thread>

#include "tavrin/file_system.h"
#include "tavrin/module_path.h"
#include "tavrin/version_info.h"
#include "tavrin/numbered_error.h"
#include "tavrin/text.h"
#include "tavrin/handle_owners.h"

namespace tavrin {
namespace {

// What our TVAPI.dll writes in its version resource's comments.
constexpr std::u16string_view kParallelCompressors = u"thread-safe compressors";

uint64_t FolderIdentity(const std::wstring& folder) {
    FileHandle h(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) RaiseLastError();
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.Get(), &info)) RaiseLastError();
    uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return index ^ (static_cast<uint64_t>(info.dwVolumeSerialNumber) << 40);
}

class Source final : public PackSource {
public:
    explicit Source(FolderLister lister) : lister_(std::move(lister)) {}

    FolderListing ListFolder(const std::u16string& folder) override {
        try {
            return lister_(FromU16(folder));
        } catch (const NumberedError& e) {
            throw ScanError{folder, L"无法列出目录内容: " + e.Description()};
        }
    }
    std::unique_ptr<FileReader> NewReader() override { return std::make_unique<Reader>(); }

private:
    class Reader final : public FileReader {
    public:
        const uint8_t* Load(const std::u16string& path, uint32_t& size) override {
            if (!file_.Load(FromU16(path), unmapped_)) return nullptr;
            size = file_.Size();
            return file_.Data();
        }
        void Release() noexcept override { file_.Release(); }

    private:
        SourceFile file_;
        ByteBuffer unmapped_;  // where a file goes when it cannot be mapped
    };

    FolderLister lister_;
};

}  // namespace

std::unique_ptr<PackSource> WindowsPackSource(FolderLister lister) {
    return std::make_unique<Source>(std::move(lister));
}

std::unique_ptr<PackSource> PlatformPackSource() { return WindowsPackSource(); }

unsigned DefaultPackJobs() {
    // The library's contract says nothing about threads, so another maker's TVAPI.dll gets its
    // calls one at a time; ours says in its version resource that it allows more.
    const HMODULE library = GetModuleHandleW(L"TVAPI.dll");
    if (library == nullptr) return 1;
    const VersionInfoRecord version = ReadVersionInfo(ModulePath(library));
    if (version.Comments.find(kParallelCompressors) == std::u16string::npos) return 1;
    return std::max(1u, std::thread::hardware_concurrency());
}

FolderListing ListFolder(const std::wstring& folder) {
    FolderListing listing;
    listing.identity = FolderIdentity(folder);
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return listing;  // an empty drive root
        RaiseLastError();
    }
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        listing.items.push_back({ToU16(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                 (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (FindNextFileW(find.Get(), &data));
    // "No more files" ends a listing; anything else means part of it is missing.
    if (GetLastError() != ERROR_NO_MORE_FILES) RaiseLastError();
    return listing;
}

}  // namespace tavrin
