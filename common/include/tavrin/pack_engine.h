// The pack engine: one song folder into one GENPAK container. The scan (audio or not, every
// sub-folder, links that loop left out), the order, the entry names in the game's encoding, the
// compression choice per file and the container writer, over the platform's folder listing and
// file reading. The pack builder's window and command mode and the native packer share it, so the
// same folder and switches give the same bytes. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tavrin/genpak_writer.h"

namespace tavrin {

struct FolderItem {
    std::u16string name;
    bool isFolder = false;
    uint64_t size = 0;  // a file's length as listed
};

struct FolderListing {
    uint64_t identity = 0;          // the same for every path that reaches one folder (links included)
    std::vector<FolderItem> items;  // hidden and system entries included, without "." and ".."
};

// A folder the scan could not list, and why (in the interface's language).
struct ScanError {
    std::u16string folder;
    std::wstring reason;
};

// Reads one file at a time. Each worker of a pack has its own, so a reader needs no locks.
class FileReader {
public:
    virtual ~FileReader() = default;
    // The whole file, 1 byte to 2 GiB - 1, valid until the next Load or Release; nullptr when it
    // cannot be read (missing, locked by a writer, short).
    virtual const uint8_t* Load(const std::u16string& path, uint32_t& size) = 0;
    virtual void Release() noexcept = 0;
};

// What a pack reads from the platform. Folders are listed by one thread; readers may be used
// on several threads at once.
class PackSource {
public:
    virtual ~PackSource() = default;
    // Throws ScanError.
    virtual FolderListing ListFolder(const std::u16string& folder) = 0;
    virtual std::unique_ptr<FileReader> NewReader() = 0;
};

enum class PakItemKind : int32_t { kFile = 1, kFolder = 2 };
struct PakItem {
    std::u16string path;  // the packed folder's path, then "/" and the names below it
    PakItemKind kind;
    uint64_t size = 0;  // a file's length as listed
};
using PakItems = std::vector<PakItem>;

// Adds path and everything below it that pakExt selects ("pak": audio files, "tvn": the others,
// anything else: folders only). Folder links are followed, except into a folder that is already
// being scanned further up, which would never end. Throws ScanError.
void GetSubFolderOrFile(const std::u16string& path, std::u16string_view pakExt, PakItems& items, PackSource& source);

struct PackJob {
    std::u16string baseDir;  // the folder, without a trailing separator
    std::u16string pakExt;   // "pak" or "tvn"
    int32_t inputAlgo = 1;   // container method of a file that shrinks: 1 or 3
    std::filesystem::path output, temporary;
    // Threads that read and compress files ahead of the writer; 1 does everything on the
    // calling thread. The container's bytes do not depend on it.
    unsigned jobs = 1;
};

// Where a pack stands, before each entry and once more when all are written (index == count).
struct PackStep {
    size_t index = 0;  // the entry's number from 0
    size_t count = 0;  // entries in all
    bool folder = false;
    const std::u16string* name = nullptr;  // the entry's name; null in the last step
    uint64_t bytesDone = 0;                // file bytes of the entries before this one
    uint64_t bytesTotal = 0;               // file bytes of all entries
};

// Called on the thread that called PackFolder, in the container's order.
using PackProgress = std::function<void(const PackStep& step)>;

// Builds the container; throws FileFailure (naming the file and why) for any failure, leaving no
// partial file and an old container as it was. Any exception a step throws ends the pack the
// same way.
FinishedContainer PackFolder(const PackJob& job, PackSource& source, const PackProgress& progress,
                             ContainerFiles& files = PlatformContainerFiles());

}  // namespace tavrin
