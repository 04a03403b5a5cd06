#include "encode_pak.h"

#include <windows.h>

#include <tvapi.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "pack_request.h"
#include "pak_entry.h"
#include "support/cfile.h"
#include "support/fso.h"
#include "support/numbered_error.h"
#include "support/text.h"

namespace tavrin {
namespace {

constexpr int32_t kNameCapacity = 255;  // 254 name bytes and the NUL
constexpr int32_t kMaxOffset = std::numeric_limits<int32_t>::max();

// Stops the run: which file, and why.
struct PackFailure {
    std::wstring file;
    std::wstring reason;
};

[[noreturn]] void Fail(const std::wstring& file, const std::wstring& reason) {
    throw PackFailure{file, reason};
}
[[noreturn]] void Fail(const std::wstring& file, const NumberedError& e) {
    Fail(file, e.Description());
}

void KillIfPresent(const std::wstring& path) {
    try {
        KillFile(path);
    } catch (const NumberedError& e) {
        if (e.Number() != 53 && e.Number() != 76) Fail(path, e);  // a missing file is no error
    }
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return text;
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The entry name in the game's byte encoding, at most 254 bytes.
std::vector<uint8_t> ConvertName(const std::wstring& name) {
    char buffer[kNameCapacity];
    uint32_t code = cpMakeTrCode(TVAPI_CP_UTF16, TVAPI_CP_GB18030);
    int32_t count = cpConvertEncoding(code, name.c_str(), -1, buffer, kNameCapacity);
    if (count < 1)
        Fail(name, L"名称无法转换为游戏的编码,或转换后超过254字节");
    return std::vector<uint8_t>(buffer, buffer + count - 1);
}

int32_t CompareKeys(const std::wstring& a, const std::wstring& b) {
    int c = a.compare(b);  // UTF-16 code units in order; a proper prefix is less
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int32_t TVAPI_CALL CompareItems(const void* a, const void* b) {
    return CompareKeys((*static_cast<const PakItem* const*>(a))->path,
                       (*static_cast<const PakItem* const*>(b))->path);
}

class PackRun {
public:
    PackRun(std::wstring baseDir, const std::wstring& pakExt, int32_t inputAlgo, PackUi& ui)
        : baseDir_(std::move(baseDir)), pakExt_(pakExt), inputAlgo_(inputAlgo), ui_(ui) {
        size_t slash = baseDir_.rfind(L'\\');
        baseName_ = slash == std::wstring::npos ? baseDir_ : baseDir_.substr(slash + 1);
        output_ = baseDir_ + (pakExt == L"pak" ? L".pak" : L".tvn");
        temporary_ = baseDir_ + L".tmp";
        work_ = output_ + L".part";
    }

    const std::wstring& Output() const { return output_; }

    // A read-only archive is the user's way of keeping it: never replace one.
    void EnsureReplaceable() const {
        DWORD attributes = GetFileAttributesW(output_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            Fail(output_, L"无法替换文件: " + NumberedError::ErrorDescription(MapSystemError(ERROR_ACCESS_DENIED)));
    }

    // Builds into the work file and replaces the output only once the work file is complete.
    void Build(const FolderLister& lister, PackResult& result) {
        EnsureReplaceable();
        KillIfPresent(temporary_);
        KillIfPresent(work_);
        Open(data_, work_);
        Open(directory_, temporary_);

        PakItems items;
        try {
            GetSubFolderOrFile(baseDir_, pakExt_, items, lister);
        } catch (const ScanError& e) {
            Fail(e.folder, L"无法列出目录内容: " + NumberedError::ErrorDescription(e.number));
        }
        std::vector<const PakItem*> order;
        order.reserve(items.size());
        for (const PakItem& item : items) order.push_back(&item);
        if (!order.empty())
            QuickSort(order.data(), static_cast<int32_t>(order.size()),
                      static_cast<int32_t>(sizeof(order[0])), CompareItems);

        for (size_t i = 0; i < order.size(); ++i) AddEntry(i, *order[i]);
        Finish(static_cast<int32_t>(order.size()), result);
    }

    // Leaves no partial file behind; an existing output stays as it was.
    void Abandon() noexcept {
        data_.CloseFile();
        directory_.CloseFile();
        DeleteFileW(work_.c_str());
        DeleteFileW(temporary_.c_str());
    }

private:
    static void Open(CFile& file, const std::wstring& path) {
        try {
            file.Create(path, true);
        } catch (const NumberedError& e) {
            Fail(path, L"无法创建文件: " + e.Description());
        }
    }

    void AddEntry(size_t index, const PakItem& item) {
        std::wstring name = ReplaceAll(item.path, baseDir_, baseName_);
        bool folder = item.kind == PakItemKind::kFolder;
        ui_.ShowStatus(L"正在打包第 " + std::to_wstring(index + 1) + (folder ? L" 个目录:" : L" 个文件:") +
                       L"\n" + name);
        std::vector<uint8_t> nameBytes = ConvertName(name);
        if (folder) {
            WriteRecord(nameBytes, kPakFolder, 0, 0);
            return;
        }
        int32_t size = ReadSource(item);
        int32_t packed = size;
        uint8_t method = kPakStored;
        const uint8_t* block = source_.Data();
        if (size > 0) {
            uint8_t* out = compressed_.Reserve(LzssCompressBound(static_cast<uint32_t>(size)));
            // The compressor's result means nothing by contract; only the length it sets does. A
            // length left unset stays at size, and the file is stored raw.
            uint32_t compressed = static_cast<uint32_t>(size);
            auto compress = inputAlgo_ == kMethodLzssXor ? LzssCompressXor2 : LzssCompress2;
            compress(block, static_cast<uint32_t>(size), out, &compressed, TVAPI_LEVEL_DEFAULT);
            if (compressed < static_cast<uint32_t>(size)) {
                packed = static_cast<int32_t>(compressed);
                method = static_cast<uint8_t>(inputAlgo_);
                block = out;
            }
        }
        if (packed > kMaxOffset - length_)
            Fail(output_, L"打包后的文件将超过2 GiB,GENPAK格式无法容纳");
        WriteRecord(nameBytes, method, packed, size);
        try {
            if (packed > 0) data_.WritePtr(block, packed);
        } catch (const NumberedError& e) {
            Fail(work_, L"无法写入文件: " + e.Description());
        }
        length_ += packed;
    }

    // The entry's record, at the data written so far: where its block (or the next one) begins.
    void WriteRecord(const std::vector<uint8_t>& name, uint8_t method, int32_t packed, int32_t size) {
        record_.clear();
        AppendPakEntry(record_, std::string_view(reinterpret_cast<const char*>(name.data()), name.size()),
                       method, length_, packed, size);
        try {
            directory_.WritePtr(record_.data(), static_cast<int32_t>(record_.size()));
        } catch (const NumberedError& e) {
            Fail(temporary_, L"无法写入文件: " + e.Description());
        }
    }

    // The whole file in one read into source_. The listing's size decides first, so a file of
    // 2 GiB or more, which the format cannot hold, is refused without reading it.
    int32_t ReadSource(const PakItem& item) {
        if (item.size >= 0x80000000u) Fail(item.path, L"文件达到或超过2 GiB,GENPAK格式无法容纳");
        if (item.size == 0) return 0;
        uint32_t size = 0;
        if (ReadWholeFile(item.path, source_, size) != 0)
            Fail(item.path, L"无法读取文件(文件被占用、无权限、读取不完整或已超过2 GiB)");
        return static_cast<int32_t>(size);
    }

    void Finish(int32_t entryCount, PackResult& result) {
        try {
            std::vector<uint8_t> marker = Utf8Bytes(L"GENPAK");
            marker.insert(marker.end(), {1, 2});
            data_.WritePtr(marker.data(), static_cast<int32_t>(marker.size()));
            int32_t dirOffset = length_ + static_cast<int32_t>(marker.size());
            directory_.SetPointer(0, CFile::kFromBegin);
            std::vector<uint8_t> tail = directory_.ReadAll();
            directory_.CloseFile();
            KillFile(temporary_);
            AppendPakTrailer(tail, dirOffset, entryCount);
            data_.WritePtr(tail.data(), static_cast<int32_t>(tail.size()));
            data_.CloseFile();
            result.entryCount = entryCount;
            result.dirOffset = dirOffset;
        } catch (const NumberedError& e) {
            Fail(work_, L"无法写入文件: " + e.Description());
        }
        EnsureReplaceable();
        if (!MoveFileExW(work_.c_str(), output_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail(output_, L"无法替换文件: " +
                              NumberedError::ErrorDescription(MapSystemError(static_cast<int32_t>(GetLastError()))));
    }

    std::wstring baseDir_, baseName_, pakExt_, output_, temporary_, work_;
    int32_t inputAlgo_;
    PackUi& ui_;
    CFile data_, directory_;
    int32_t length_ = 0;           // entry data written so far
    std::vector<uint8_t> record_;  // the directory record being written
    ByteBuffer source_;            // the current file's bytes
    ByteBuffer compressed_;        // the compressor's output
};

PackResult Refuse(std::wstring message) {
    PackResult r;
    r.outcome = PackOutcome::kRefused;
    r.message = std::move(message);
    return r;
}

}  // namespace

PackResult EncodePak(const std::wstring& dirName, const std::wstring& pakExt, int32_t inputAlgo,
                     PackUi& ui, const FolderLister& lister) {
    CleanFolder folder = CleanFolderPath(ToU16(dirName));
    if (folder.problem == FolderPathProblem::kEmpty) return Refuse(L"请先输入或选择要打包的目录。");
    std::wstring baseDir = FromU16(folder.path);
    if (folder.problem == FolderPathProblem::kDriveRoot)
        return Refuse(L"不能打包驱动器或共享的根目录 " + baseDir + L" ,请选择一个歌曲目录。");
    DWORD attributes = GetFileAttributesW(baseDir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Refuse(L"找不到目录 " + baseDir);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Refuse(baseDir + L" 不是目录。");

    ui.SetBusy(true);
    PackRun run(baseDir, pakExt, inputAlgo, ui);
    PackResult result;
    result.output = run.Output();
    if (FileExists(run.Output()) &&
        !ui.ConfirmOverwrite(L"文件 " + run.Output() + L" 已存在,是否覆盖?")) {
        result.outcome = PackOutcome::kDeclined;
        return result;
    }
    try {
        run.Build(lister, result);
        result.outcome = PackOutcome::kPacked;
    } catch (const PackFailure& f) {
        run.Abandon();
        result.outcome = PackOutcome::kFailed;
        result.message = L"打包 " + run.Output() + L" 失败。\n" + f.file + L"\n" + f.reason;
    } catch (const std::bad_alloc&) {
        run.Abandon();
        result.outcome = PackOutcome::kFailed;
        result.message = L"打包 " + run.Output() + L" 失败。\n" + NumberedError::ErrorDescription(kErrOutOfMemory);
    }
    ui.SetBusy(false);
    return result;
}

}  // namespace tavrin
