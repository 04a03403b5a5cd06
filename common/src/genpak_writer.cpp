#include "tavrin/genpak_writer.h"

#include "genpak_format.h"
#include "tavrin/genpak_records.h"

namespace tavrin {
namespace {

namespace fmt = tvapi::genpak;

}  // namespace

GenpakWriter::GenpakWriter(std::filesystem::path output, std::filesystem::path temporary, CommitPolicy policy,
                           std::array<uint8_t, 2> writerBytes, ContainerFiles& files)
    : output_(std::move(output)),
      temporary_(std::move(temporary)),
      policy_(policy),
      writerBytes_(writerBytes),
      files_(files) {
    dataPath_ = output_;
    if (policy_ == CommitPolicy::kReplaceWhenDone) {
        if (files_.IsReadOnly(output_)) throw FileFailure{output_, L"无法替换文件: 文件是只读的"};
        dataPath_ += L".part";
    }
    files_.DeleteIfPresent(temporary_);
    files_.DeleteIfPresent(dataPath_);
    data_ = files_.Create(dataPath_);
    try {
        directory_ = files_.Create(temporary_);
    } catch (...) {
        data_->Close();  // no destructor runs for an object never made
        files_.Remove(dataPath_);
        throw;
    }
}

GenpakWriter::~GenpakWriter() {
    if (finished_) return;
    data_->Close();
    directory_->Close();
    files_.Remove(dataPath_);
    files_.Remove(temporary_);
}

void GenpakWriter::AddRecord(std::string_view name, uint8_t method, uint32_t packed, uint32_t fileSize) {
    const auto recordSize = static_cast<int64_t>(fmt::kRecordFixedSize + name.size());
    // Everything the container will hold once this entry is in: the data, the marker, the
    // directory so far and the trailer all lie below the 2 GiB that signed offsets reach.
    if (dataLength_ + packed + static_cast<int64_t>(fmt::kMarkerSize) + directoryLength_ + recordSize +
            static_cast<int64_t>(fmt::kTrailerSize) >
        fmt::kMaxContainerSize)
        throw FileFailure{output_, L"打包后的文件将超过2 GiB,GENPAK格式无法容纳"};
    record_.clear();
    AppendPakEntry(record_, name, method, static_cast<int32_t>(dataLength_), static_cast<int32_t>(packed),
                   static_cast<int32_t>(fileSize));
    directory_->Write(record_.data(), record_.size());
    directoryLength_ += recordSize;
    ++entryCount_;
}

void GenpakWriter::AddFolder(std::string_view name) { AddRecord(name, fmt::kFolder, 0, 0); }

void GenpakWriter::AddFile(std::string_view name, uint8_t method, const void* block, uint32_t packed,
                           uint32_t fileSize) {
    AddRecord(name, method, packed, fileSize);
    if (packed > 0) data_->Write(block, packed);
    dataLength_ += packed;
}

FinishedContainer GenpakWriter::Finish() {
    std::vector<uint8_t> tail;
    tail.reserve(fmt::kMarkerSize + static_cast<size_t>(directoryLength_) + fmt::kTrailerSize);
    for (size_t i = 0; i + 2 < fmt::kMarkerSize; ++i) tail.push_back(static_cast<uint8_t>(fmt::kMarkerText[i]));
    tail.push_back(writerBytes_[0]);
    tail.push_back(writerBytes_[1]);
    const auto dirOffset = static_cast<int32_t>(dataLength_ + static_cast<int64_t>(fmt::kMarkerSize));
    const std::vector<uint8_t> records = directory_->ReadBack();
    tail.insert(tail.end(), records.begin(), records.end());
    directory_->Close();
    files_.DeleteIfPresent(temporary_);
    AppendPakTrailer(tail, dirOffset, entryCount_);
    data_->Write(tail.data(), tail.size());
    data_->Close();
    if (policy_ == CommitPolicy::kReplaceWhenDone) {
        if (files_.IsReadOnly(output_)) throw FileFailure{output_, L"无法替换文件: 文件是只读的"};
        files_.Replace(dataPath_, output_);
    }
    finished_ = true;
    return {dirOffset, entryCount_};
}

}  // namespace tavrin
