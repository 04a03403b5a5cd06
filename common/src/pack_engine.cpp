#include "tavrin/pack_engine.h"

#include <tvapi.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

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

// One file on its way into the container: read once, and compressed when that makes it smaller.
struct Slot {
    std::unique_ptr<FileReader> reader;
    ByteBuffer compressed;  // the compressor's output, held only while it is to be written
    const uint8_t* block = nullptr;
    uint32_t packed = 0, size = 0;
    uint8_t method = tvapi::genpak::kStored;
    std::exception_ptr failure;  // raised when the writer reaches the file, so failures come in order
    bool ready = false;
};

// Output goes into spare, which moves into the slot when the file shrinks and is otherwise left
// for the next file: incompressible audio then never needs more buffers than there are workers.
void Prepare(Slot& slot, const PakItem& item, int32_t inputAlgo, uint32_t largest, ByteBuffer& spare) noexcept {
    try {
        slot.block = nullptr;
        slot.size = 0;
        slot.method = tvapi::genpak::kStored;
        // The listing's size decides first, so a file the format cannot hold is never read.
        if (item.size >= 0x80000000u) Fail(item.path, L"文件达到或超过2 GiB,GENPAK格式无法容纳");
        if (item.size > 0 && (slot.block = slot.reader->Load(item.path, slot.size)) == nullptr)
            Fail(item.path, L"无法读取文件(文件被占用、无权限、读取不完整或已超过2 GiB)");
        slot.packed = slot.size;
        if (slot.size == 0) return;
        spare.Reserve(LzssCompressBound(std::max(largest, slot.size)));
        uint8_t* out = spare.Reserve(LzssCompressBound(slot.size));
        // The compressor's result means nothing by contract; only the length it sets does. A
        // length left unset stays at size, and the file is stored raw.
        uint32_t compressed = slot.size;
        auto compress = inputAlgo == tvapi::genpak::kLzssXor ? LzssCompressXor2 : LzssCompress2;
        compress(slot.block, slot.size, out, &compressed, TVAPI_LEVEL_DEFAULT);
        if (compressed < slot.size) {
            slot.packed = compressed;
            slot.method = static_cast<uint8_t>(inputAlgo);
            slot.block = out;
            slot.compressed = std::move(spare);
        }
    } catch (...) {
        slot.failure = std::current_exception();
    }
}

// Reads and compresses the files on worker threads, ahead of the writer but never more than
// a few files and 256 MiB, and hands them over in the container's order.
class FilePipeline {
public:
    FilePipeline(const std::vector<const PakItem*>& files, const PackJob& job, PackSource& source)
        : files_(files), inputAlgo_(job.inputAlgo) {
        const unsigned jobs = std::clamp(job.jobs, 1u, 64u);
        // One file being written while each worker prepares another.
        slots_.resize(jobs == 1 ? 1 : jobs + 1);
        for (Slot& slot : slots_) slot.reader = source.NewReader();
        // Each output buffer is made once, for the largest file, rather than grown file by file:
        // every growth is a fresh block the system must clear page by page.
        // Files past kMadeOnce still grow it, so one huge file does not cost every slot its size.
        for (const PakItem* file : files_)
            largest_ = static_cast<uint32_t>(std::max<uint64_t>(largest_, std::min<uint64_t>(file->size, kMadeOnce)));
        if (jobs == 1 || files_.size() < 2) return;
        for (unsigned i = 0; i < jobs; ++i) {
            try {
                workers_.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                break;  // fewer workers, or none: the writer's thread then does the work itself
            }
        }
    }
    FilePipeline(const FilePipeline&) = delete;
    FilePipeline& operator=(const FilePipeline&) = delete;
    ~FilePipeline() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    // File number index, once it is ready; index counts up from 0 by one.
    Slot& Take(size_t index) {
        Slot& slot = slots_[index % slots_.size()];
        if (workers_.empty()) {
            ByteBuffer buffer = TakeSpare();
            Prepare(slot, *files_[index], inputAlgo_, largest_, buffer);
            KeepSpare(std::move(buffer));
        } else {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return slot.ready; });
        }
        if (slot.failure) std::rethrow_exception(slot.failure);
        return slot;
    }

    // The writer is done with file number index: its slot takes another.
    void Release(size_t index) {
        Slot& slot = slots_[index % slots_.size()];
        slot.reader->Release();
        if (workers_.empty()) {
            KeepSpare(std::move(slot.compressed));
            return;
        }
        {
            std::lock_guard lock(mutex_);
            KeepSpare(std::move(slot.compressed));
            slot.ready = false;
            written_ = index + 1;
            ahead_ -= Weight(index);
        }
        changed_.notify_all();
    }

private:
    static constexpr uint64_t kBytesAhead = 256u << 20;

    uint64_t Weight(size_t index) const { return files_[index]->size; }

    bool CanClaim() const {
        return next_ < files_.size() && next_ < written_ + slots_.size() &&
               (ahead_ == 0 || ahead_ + Weight(next_) <= kBytesAhead);
    }

    // Under the lock when there are workers.
    ByteBuffer TakeSpare() {
        if (spares_.empty()) return ByteBuffer();
        ByteBuffer buffer = std::move(spares_.back());
        spares_.pop_back();
        return buffer;
    }
    void KeepSpare(ByteBuffer&& buffer) {
        if (buffer.Data() != nullptr) spares_.push_back(std::move(buffer));
    }

    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stop_ || next_ >= files_.size() || CanClaim(); });
            if (stop_ || next_ >= files_.size()) return;
            const size_t index = next_++;
            ahead_ += Weight(index);
            Slot& slot = slots_[index % slots_.size()];
            ByteBuffer buffer = TakeSpare();
            lock.unlock();
            Prepare(slot, *files_[index], inputAlgo_, largest_, buffer);
            lock.lock();
            KeepSpare(std::move(buffer));
            slot.ready = true;
            changed_.notify_all();
        }
    }

    const std::vector<const PakItem*>& files_;
    const int32_t inputAlgo_;
    static constexpr uint64_t kMadeOnce = 64u << 20;
    uint32_t largest_ = 0;  // listed size of the largest file, up to kMadeOnce
    std::vector<Slot> slots_;
    std::vector<ByteBuffer> spares_;  // output buffers no file holds
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t next_ = 0;     // the next file a worker takes
    size_t written_ = 0;  // files the writer is done with
    uint64_t ahead_ = 0;  // listed bytes of the files taken and not yet written
    bool stop_ = false;
};

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
        std::vector<const PakItem*> fileOrder;
        PackStep step;
        step.count = order.size();
        for (const PakItem* item : order) {
            if (item->kind != PakItemKind::kFile) continue;
            fileOrder.push_back(item);
            step.bytesTotal += item->size;
        }
        FilePipeline pipeline(fileOrder, job_, source_);
        size_t fileIndex = 0;
        for (const PakItem* item : order) {
            const std::u16string name = ReplaceAll(item->path, job_.baseDir, baseName_);
            step.folder = item->kind == PakItemKind::kFolder;
            step.name = &name;
            if (progress) progress(step);
            const std::string entryName = ConvertName(name);
            if (step.folder) {
                writer.AddFolder(entryName);
            } else {
                const Slot& slot = pipeline.Take(fileIndex);
                // A stored file goes straight from its source.
                writer.AddFile(entryName, slot.method, slot.block, slot.packed, slot.size);
                pipeline.Release(fileIndex++);
                step.bytesDone += item->size;
            }
            ++step.index;
        }
        const FinishedContainer done = writer.Finish();
        step.folder = false;
        step.name = nullptr;
        if (progress) progress(step);
        return done;
    }

private:
    const PackJob& job_;
    PackSource& source_;
    std::u16string baseName_;
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
