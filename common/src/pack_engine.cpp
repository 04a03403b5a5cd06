#include "tavrin/pack_engine.h"

#include <tvapi.h>

#include <algorithm>
#include <array>
#include <new>

#include "tavrin/audio_patterns.h"
#include "tavrin/byte_buffer.h"

namespace tavrin {
namespace {

static_assert(sizeof(TVCHAR) == sizeof(char16_t), "names go to the library as UTF-16");

constexpr int32_t kNameCapacity = 255;  // 254 name bytes and the NUL
constexpr std::array<uint8_t, 2> kWriterBytes = {0x01, 0x02};

[[noreturn]] void Fail(const std::u16string& file, const std::wstring& reason) { throw FileFailure{file, reason}; }

// Only the patterns' ASCII letters are compared; other characters meet only "*" and "?".
std::u16string AsciiLowerCase(std::u16string_view name) {
    std::u16string lower(name);
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return lower;
}

bool Selected(std::u16string_view fileName, std::u16string_view pakExt) {
    if (pakExt == u"pak") return IsAudioName(AsciiLowerCase(fileName));
    if (pakExt == u"tvn") return !IsAudioName(AsciiLowerCase(fileName));
    return false;
}

void Scan(const std::u16string& path, std::u16string_view pakExt, PakItems& items, PackSource& source,
          std::vector<uint64_t>& ancestors) {
    const FolderListing listing = source.ListFolder(path);
    // A link back to a folder above this one would nest forever: it adds nothing new.
    if (std::find(ancestors.begin(), ancestors.end(), listing.identity) != ancestors.end()) return;
    items.push_back({path, PakItemKind::kFolder});
    for (const FolderItem& item : listing.items)
        if (!item.isFolder && Selected(item.name, pakExt))
            items.push_back({path + u"/" + item.name, PakItemKind::kFile, item.size});
    ancestors.push_back(listing.identity);
    for (const FolderItem& item : listing.items)
        if (item.isFolder) Scan(path + u"/" + item.name, pakExt, items, source, ancestors);
    ancestors.pop_back();
}

std::u16string ReplaceAll(std::u16string text, const std::u16string& from, const std::u16string& to) {
    if (from.empty()) return text;
    for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The entry name in the game's byte encoding, at most 254 bytes.
std::string ConvertName(const std::u16string& name) {
    char buffer[kNameCapacity];
    const uint32_t code = cpMakeTrCode(TVAPI_CP_UTF16, TVAPI_CP_GB18030);
    const int32_t count =
        cpConvertEncoding(code, reinterpret_cast<const TVCHAR*>(name.c_str()), -1, buffer, kNameCapacity);
    if (count < 1) Fail(name, L"名称无法转换为游戏的编码,或转换后超过254字节");
    return std::string(buffer, static_cast<size_t>(count - 1));
}

// UTF-16 code units in order; a proper prefix is less.
int32_t TVAPI_CALL CompareItems(const void* a, const void* b) {
    const int c =
        (*static_cast<const PakItem* const*>(a))->path.compare((*static_cast<const PakItem* const*>(b))->path);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

class PackRun {
public:
    PackRun(const PackJob& job, PackSource& source) : job_(job), source_(source) {
        const size_t slash = job_.baseDir.find_last_of(u"\\/");  // "/" only natively
        baseName_ = slash == std::u16string::npos ? job_.baseDir : job_.baseDir.substr(slash + 1);
    }

    FinishedContainer Build(const PackProgress& progress, ContainerFiles& files) {
        GenpakWriter writer(job_.output, job_.temporary, CommitPolicy::kReplaceWhenDone, kWriterBytes, files);
        PakItems items;
        try {
            GetSubFolderOrFile(job_.baseDir, job_.pakExt, items, source_);
        } catch (const ScanError& e) {
            Fail(e.folder, e.reason);
        }
        std::vector<const PakItem*> order;
        order.reserve(items.size());
        for (const PakItem& item : items) order.push_back(&item);
        if (!order.empty())
            QuickSort(order.data(), static_cast<int32_t>(order.size()), static_cast<int32_t>(sizeof(order[0])),
                      CompareItems);
        for (size_t i = 0; i < order.size(); ++i) {
            const PakItem& item = *order[i];
            const std::u16string name = ReplaceAll(item.path, job_.baseDir, baseName_);
            const bool folder = item.kind == PakItemKind::kFolder;
            if (progress) progress(i, folder, name);
            if (folder)
                writer.AddFolder(ConvertName(name));
            else
                AddFile(writer, ConvertName(name), item);
        }
        return writer.Finish();
    }

private:
    void AddFile(GenpakWriter& writer, const std::string& name, const PakItem& item) {
        // The listing's size decides first, so a file the format cannot hold is never read.
        if (item.size >= 0x80000000u) Fail(item.path, L"文件达到或超过2 GiB,GENPAK格式无法容纳");
        uint32_t size = 0;
        const uint8_t* block = nullptr;
        if (item.size > 0 && (block = source_.Load(item.path, size)) == nullptr)
            Fail(item.path, L"无法读取文件(文件被占用、无权限、读取不完整或已超过2 GiB)");
        uint32_t packed = size;
        uint8_t method = tvapi::genpak::kStored;
        if (size > 0) {
            uint8_t* out = compressed_.Reserve(LzssCompressBound(size));
            // The compressor's result means nothing by contract; only the length it sets does. A
            // length left unset stays at size, and the file is stored raw.
            uint32_t compressed = size;
            auto compress = job_.inputAlgo == tvapi::genpak::kLzssXor ? LzssCompressXor2 : LzssCompress2;
            compress(block, size, out, &compressed, TVAPI_LEVEL_DEFAULT);
            if (compressed < size) {
                packed = compressed;
                method = static_cast<uint8_t>(job_.inputAlgo);
                block = out;
            }
        }
        writer.AddFile(name, method, block, packed, size);  // a stored file straight from its source
        source_.Release();
    }

    const PackJob& job_;
    PackSource& source_;
    std::u16string baseName_;
    ByteBuffer compressed_;  // the compressor's output
};

}  // namespace

void GetSubFolderOrFile(const std::u16string& path, std::u16string_view pakExt, PakItems& items, PackSource& source) {
    std::vector<uint64_t> ancestors;
    Scan(path, pakExt, items, source, ancestors);
}

FinishedContainer PackFolder(const PackJob& job, PackSource& source, const PackProgress& progress,
                             ContainerFiles& files) {
    return PackRun(job, source).Build(progress, files);
}

}  // namespace tavrin
