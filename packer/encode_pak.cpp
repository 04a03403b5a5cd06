#include "encode_pak.h"

#include <windows.h>

#include <tvapi.h>

#include <array>
#include <string>
#include <vector>

#include "pack_request.h"
#include "tavrin/file_system.h"
#include "tavrin/genpak_writer.h"
#include "tavrin/numbered_error.h"
#include "tavrin/text.h"

namespace tavrin {
namespace {

constexpr int32_t kNameCapacity = 255;  // 254 name bytes and the NUL

// The pack builder's bytes after the marker.
constexpr std::array<uint8_t, 2> kWriterBytes = {0x01, 0x02};

// Stops the run: which file, and why.
using PackFailure = FileFailure;

[[noreturn]] void Fail(const std::wstring& file, const std::wstring& reason) { throw PackFailure{file, reason}; }

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return text;
    for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The entry name in the game's byte encoding, at most 254 bytes.
std::string ConvertName(const std::wstring& name) {
    char buffer[kNameCapacity];
    uint32_t code = cpMakeTrCode(TVAPI_CP_UTF16, TVAPI_CP_GB18030);
    int32_t count = cpConvertEncoding(code, name.c_str(), -1, buffer, kNameCapacity);
    if (count < 1) Fail(name, L"名称无法转换为游戏的编码,或转换后超过254字节");
    return std::string(buffer, static_cast<size_t>(count - 1));
}

int32_t CompareKeys(const std::wstring& a, const std::wstring& b) {
    int c = a.compare(b);  // UTF-16 code units in order; a proper prefix is less
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int32_t TVAPI_CALL CompareItems(const void* a, const void* b) {
    return CompareKeys((*static_cast<const PakItem* const*>(a))->path, (*static_cast<const PakItem* const*>(b))->path);
}

class PackRun {
public:
    PackRun(std::wstring baseDir, const std::wstring& pakExt, int32_t inputAlgo, PackUi& ui)
        : baseDir_(std::move(baseDir)), pakExt_(pakExt), inputAlgo_(inputAlgo), ui_(ui) {
        size_t slash = baseDir_.rfind(L'\\');
        baseName_ = slash == std::wstring::npos ? baseDir_ : baseDir_.substr(slash + 1);
        output_ = baseDir_ + (pakExt == L"pak" ? L".pak" : L".tvn");
        temporary_ = baseDir_ + L".tmp";
    }

    const std::wstring& Output() const { return output_; }

    // Builds into a work file that replaces the output only once complete; on any failure the
    // writer leaves no partial file and an old output as it was.
    void Build(const FolderLister& lister, PackResult& result) {
        GenpakWriter writer(output_, temporary_, CommitPolicy::kReplaceWhenDone, kWriterBytes);
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
            QuickSort(order.data(), static_cast<int32_t>(order.size()), static_cast<int32_t>(sizeof(order[0])),
                      CompareItems);

        for (size_t i = 0; i < order.size(); ++i) AddEntry(writer, i, *order[i]);
        FinishedContainer done = writer.Finish();
        result.entryCount = done.entryCount;
        result.dirOffset = done.dirOffset;
    }

private:
    void AddEntry(GenpakWriter& writer, size_t index, const PakItem& item) {
        std::wstring name = ReplaceAll(item.path, baseDir_, baseName_);
        bool folder = item.kind == PakItemKind::kFolder;
        ui_.ShowStatus(L"正在打包第 " + std::to_wstring(index + 1) + (folder ? L" 个目录:" : L" 个文件:") + L"\n" +
                       name);
        std::string nameBytes = ConvertName(name);
        if (folder) {
            writer.AddFolder(nameBytes);
            return;
        }
        uint32_t size = ReadSource(item);
        uint32_t packed = size;
        uint8_t method = tvapi::genpak::kStored;
        const uint8_t* block = source_.Data();  // a stored file is written straight from it
        if (size > 0) {
            uint8_t* out = compressed_.Reserve(LzssCompressBound(size));
            // The compressor's result means nothing by contract; only the length it sets does. A
            // length left unset stays at size, and the file is stored raw.
            uint32_t compressed = size;
            auto compress = inputAlgo_ == kMethodLzssXor ? LzssCompressXor2 : LzssCompress2;
            compress(block, size, out, &compressed, TVAPI_LEVEL_DEFAULT);
            if (compressed < size) {
                packed = compressed;
                method = static_cast<uint8_t>(inputAlgo_);
                block = out;
            }
        }
        writer.AddFile(nameBytes, method, block, packed, size);
        source_.Release();
    }

    // The whole file, read once into source_. The listing's size decides first, so a file of
    // 2 GiB or more, which the format cannot hold, is refused without reading it.
    uint32_t ReadSource(const PakItem& item) {
        if (item.size >= 0x80000000u) Fail(item.path, L"文件达到或超过2 GiB,GENPAK格式无法容纳");
        if (item.size == 0) return 0;
        if (!source_.Load(item.path, unmapped_))
            Fail(item.path, L"无法读取文件(文件被占用、无权限、读取不完整或已超过2 GiB)");
        return source_.Size();
    }

    std::wstring baseDir_, baseName_, pakExt_, output_, temporary_;
    int32_t inputAlgo_;
    PackUi& ui_;
    SourceFile source_;      // the current file's bytes
    ByteBuffer unmapped_;    // where they go when they cannot be mapped
    ByteBuffer compressed_;  // the compressor's output
};

// The busy pointer for as long as a run lasts, however it ends (a No to the question included).
class BusyPointer {
public:
    explicit BusyPointer(PackUi& ui) : ui_(ui) { ui_.SetBusy(true); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer() { ui_.SetBusy(false); }

private:
    PackUi& ui_;
};

PackResult Refuse(std::wstring message) {
    PackResult r;
    r.outcome = PackOutcome::kRefused;
    r.message = std::move(message);
    return r;
}

}  // namespace

PackResult EncodePak(const std::wstring& dirName, const std::wstring& pakExt, int32_t inputAlgo, PackUi& ui,
                     const FolderLister& lister) {
    CleanFolder folder = CleanFolderPath(ToU16(dirName));
    if (folder.problem == FolderPathProblem::kEmpty) return Refuse(L"请先输入或选择要打包的目录。");
    std::wstring baseDir = FromU16(folder.path);
    if (folder.problem == FolderPathProblem::kDriveRoot)
        return Refuse(L"不能打包驱动器或共享的根目录 " + baseDir + L" ,请选择一个歌曲目录。");
    DWORD attributes = GetFileAttributesW(baseDir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Refuse(L"找不到目录 " + baseDir);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Refuse(baseDir + L" 不是目录。");

    BusyPointer busy(ui);
    PackRun run(baseDir, pakExt, inputAlgo, ui);
    PackResult result;
    result.output = run.Output();
    if (FileExists(run.Output()) && !ui.ConfirmOverwrite(L"文件 " + run.Output() + L" 已存在,是否覆盖?")) {
        result.outcome = PackOutcome::kDeclined;
        return result;
    }
    try {
        run.Build(lister, result);
        result.outcome = PackOutcome::kPacked;
    } catch (const PackFailure& f) {
        result.outcome = PackOutcome::kFailed;
        result.message = L"打包 " + run.Output() + L" 失败。\n" + f.file.wstring() + L"\n" + f.reason;
    } catch (const std::bad_alloc&) {
        result.outcome = PackOutcome::kFailed;
        result.message = L"打包 " + run.Output() + L" 失败。\n" + NumberedError::ErrorDescription(kErrOutOfMemory);
    }
    return result;
}

}  // namespace tavrin
