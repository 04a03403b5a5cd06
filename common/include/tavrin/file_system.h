// File-system helpers shared by the pack builder and the music-list converter. Failures raise
// NumberedError with the number MapSystemError gives for the system's error code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tavrin/byte_buffer.h"
#include "tavrin/handle_owners.h"

namespace tavrin {

// True for an existing file, and for a folder that carries any attribute besides the folder bit.
// Never raises.
bool FileExists(const std::wstring& path);

// Reads a whole file of 1 byte to 2 GiB - 1 into data in one call. Returns 0 on success, 1 on
// any failure (missing, empty, too large, locked by a writer, short read). Never raises.
int32_t ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& data);

// A whole file of 1 byte to 2 GiB - 1 in memory, read once: mapped from the file, so its bytes are
// never copied into memory of ours, or, when the address space has no room for the view, read
// into the reused buffer. The file stays open to readers only while its bytes are in use, so no
// writer can change them meanwhile.
class SourceFile {
public:
    // False on any failure (missing, empty, too large, locked by a writer, short read).
    bool Load(const std::wstring& path, ByteBuffer& fallback);
    const uint8_t* Data() const { return data_; }
    uint32_t Size() const { return size_; }
    void Release() noexcept;

private:
    FileHandle file_;
    KernelHandle mapping_;
    MappedView view_;
    const uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
};

}  // namespace tavrin
