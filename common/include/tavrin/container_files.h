// The file operations a container writer needs, from the platform: Win32 in the programs, the
// standard library in the native build. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tavrin {

// Stops writing: which file, and why (in the interface's language).
struct FileFailure {
    std::filesystem::path file;
    std::wstring reason;
};

// Every operation but Remove throws FileFailure.
class ContainerFiles {
public:
    class Output {
    public:
        virtual ~Output() = default;
        virtual void Write(const void* bytes, size_t count) = 0;
        // Everything written so far, from the start.
        virtual std::vector<uint8_t> ReadBack() = 0;
        virtual void Close() noexcept = 0;
    };

    virtual ~ContainerFiles() = default;
    // A new, empty file at path (an old one replaced), open for writing and reading back.
    virtual std::unique_ptr<Output> Create(const std::filesystem::path& path) = 0;
    // Deletes path; a path that holds no file is no failure.
    virtual void DeleteIfPresent(const std::filesystem::path& path) = 0;
    // Best effort, for cleaning up after a failure.
    virtual void Remove(const std::filesystem::path& path) noexcept = 0;
    virtual bool IsReadOnly(const std::filesystem::path& path) = 0;
    // Moves from over to, replacing it.
    virtual void Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
};

// The platform's own: Win32 on Windows, the standard library elsewhere.
ContainerFiles& PlatformContainerFiles();

}  // namespace tavrin
