#include "tavrin/genpak_writer.h"

#include <windows.h>

#include "genpak_format.h"
#include "tavrin/genpak_records.h"
#include "tavrin/numbered_error.h"

namespace tavrin {
namespace {

namespace fmt = tvapi::genpak;

[[noreturn]] void Fail(const std::wstring& file, const wchar_t* what, int32_t number) {
    throw FileFailure{file, what + NumberedError::ErrorDescription(number)};
}

void DeleteIfPresent(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return;
    const DWORD code = GetLastError();
    // A name the file system refuses holds no file either; creating it will say why.
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND && code != ERROR_INVALID_NAME)
        Fail(path, L"无法删除文件: ", MapSystemError(static_cast<int32_t>(code)));
}

bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void RefuseReadOnly(const std::wstring& path) {
    if (IsReadOnlyFile(path)) Fail(path, L"无法替换文件: ", MapSystemError(ERROR_ACCESS_DENIED));
}

void Open(CFile& file, const std::wstring& path) {
    try {
        file.Create(path, true);
    } catch (const NumberedError& e) {
        Fail(path, L"无法创建文件: ", e.Number());
    }
}

}  // namespace

GenpakWriter::GenpakWriter(std::wstring output, std::wstring temporary, CommitPolicy policy,
                           std::array<uint8_t, 2> writerBytes)
    : output_(std::move(output)), temporary_(std::move(temporary)), policy_(policy), writerBytes_(writerBytes) {
    if (policy_ == CommitPolicy::kReplaceWhenDone) {
        RefuseReadOnly(output_);
        dataPath_ = output_ + L".part";
    } else {
        dataPath_ = output_;
    }
    DeleteIfPresent(temporary_);
    DeleteIfPresent(dataPath_);
    Open(data_, dataPath_);
    try {
        Open(directory_, temporary_);
    } catch (...) {
        data_.CloseFile();  // no destructor runs for an object never made
        DeleteFileW(dataPath_.c_str());
        throw;
    }
}

GenpakWriter::~GenpakWriter() {
    if (finished_) return;
    data_.CloseFile();
    directory_.CloseFile();
    DeleteFileW(dataPath_.c_str());
    DeleteFileW(temporary_.c_str());
}

void GenpakWriter::Write(CFile& file, const std::wstring& path, const void* bytes, size_t count) {
    try {
        file.WritePtr(bytes, static_cast<int32_t>(count));
    } catch (const NumberedError& e) {
        Fail(path, L"无法写入文件: ", e.Number());
    }
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
    Write(directory_, temporary_, record_.data(), record_.size());
    directoryLength_ += recordSize;
    ++entryCount_;
}

void GenpakWriter::AddFolder(std::string_view name) { AddRecord(name, fmt::kFolder, 0, 0); }

void GenpakWriter::AddFile(std::string_view name, uint8_t method, const void* block, uint32_t packed,
                           uint32_t fileSize) {
    AddRecord(name, method, packed, fileSize);
    if (packed > 0) Write(data_, dataPath_, block, packed);
    dataLength_ += packed;
}

FinishedContainer GenpakWriter::Finish() {
    std::vector<uint8_t> tail;
    tail.reserve(fmt::kMarkerSize + static_cast<size_t>(directoryLength_) + fmt::kTrailerSize);
    for (size_t i = 0; i + 2 < fmt::kMarkerSize; ++i) tail.push_back(static_cast<uint8_t>(fmt::kMarkerText[i]));
    tail.push_back(writerBytes_[0]);
    tail.push_back(writerBytes_[1]);
    const auto dirOffset = static_cast<int32_t>(dataLength_ + static_cast<int64_t>(fmt::kMarkerSize));
    try {
        if (directoryLength_ > 0) {
            directory_.SetPointer(0, CFile::kFromBegin);
            std::vector<uint8_t> records = directory_.ReadAll();
            tail.insert(tail.end(), records.begin(), records.end());
        }
    } catch (const NumberedError& e) {
        Fail(temporary_, L"无法读取文件: ", e.Number());
    }
    directory_.CloseFile();
    DeleteIfPresent(temporary_);
    AppendPakTrailer(tail, dirOffset, entryCount_);
    Write(data_, dataPath_, tail.data(), tail.size());
    data_.CloseFile();
    if (policy_ == CommitPolicy::kReplaceWhenDone) {
        RefuseReadOnly(output_);
        if (!MoveFileExW(dataPath_.c_str(), output_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail(output_, L"无法替换文件: ", MapSystemError(static_cast<int32_t>(GetLastError())));
    }
    finished_ = true;
    return {dirOffset, entryCount_};
}

}  // namespace tavrin
