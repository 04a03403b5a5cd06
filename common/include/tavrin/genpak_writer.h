// Writes one GENPAK container: entry data straight into the output while the directory collects
// in a temporary file, then marker, directory and trailer. Both programs write through it; they
// differ only in the two bytes after the marker and in how a finished container takes its place.
// An unfinished container never stays behind: the destructor removes what was written unless
// Finish succeeded, whatever ended the work.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "genpak_format.h"
#include "tavrin/container_files.h"

namespace tavrin {

enum class CommitPolicy {
    // Built in "<output>.part" and moved over the old container once complete, so the old one
    // stays whole until then. A read-only container is the user's way of keeping it: refused.
    kReplaceWhenDone,
    // Written at the output itself (an old one deleted first) and removed if unfinished.
    kWriteInPlace,
};

struct FinishedContainer {
    int32_t dirOffset = 0;
    int32_t entryCount = 0;
};

class GenpakWriter {
public:
    // Opens the data file and the directory's temporary file, both made anew. Throws FileFailure.
    GenpakWriter(std::filesystem::path output, std::filesystem::path temporary, CommitPolicy policy,
                 std::array<uint8_t, 2> writerBytes, ContainerFiles& files = PlatformContainerFiles());
    GenpakWriter(const GenpakWriter&) = delete;
    GenpakWriter& operator=(const GenpakWriter&) = delete;
    ~GenpakWriter();

    // A folder record at the data written so far. Throws FileFailure.
    void AddFolder(std::string_view name);
    // A file record and its data block (packed bytes, stored with method). Refuses an entry whose
    // container would no longer fit the format's signed 32-bit offsets. Throws FileFailure.
    void AddFile(std::string_view name, uint8_t method, const void* block, uint32_t packed, uint32_t fileSize);
    // Marker, the writer bytes, the directory and the trailer; then the container takes its
    // place. Throws FileFailure.
    FinishedContainer Finish();

    const std::filesystem::path& Output() const { return output_; }

private:
    void AddRecord(std::string_view name, uint8_t method, uint32_t packed, uint32_t fileSize);

    std::filesystem::path output_, temporary_, dataPath_;
    CommitPolicy policy_;
    std::array<uint8_t, 2> writerBytes_;
    ContainerFiles& files_;
    std::unique_ptr<ContainerFiles::Output> data_, directory_;
    int64_t dataLength_ = 0;       // the next entry's DataOffset
    int64_t directoryLength_ = 0;  // records written so far
    int32_t entryCount_ = 0;
    bool finished_ = false;
    std::vector<uint8_t> record_;
};

}  // namespace tavrin
