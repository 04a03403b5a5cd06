#include "test_archives.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

#include "lzss.h"

namespace tvtest {

void PutLe32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

static Record Make(const std::string& name, uint8_t method, const std::string& block, size_t fileSize) {
    return {name, method, 0, static_cast<uint32_t>(block.size()), static_cast<uint32_t>(fileSize), 0, block};
}

ArchiveBuilder& ArchiveBuilder::Folder(const std::string& name) { return Add(Make(name, 2, "", 0)); }

ArchiveBuilder& ArchiveBuilder::Stored(const std::string& name, const std::string& content) {
    return Add(Make(name, 0, content, content.size()));
}

ArchiveBuilder& ArchiveBuilder::Packed(const std::string& name, const std::string& content, bool withXor) {
    const auto n = static_cast<uint32_t>(content.size());
    std::string out(tvapi::lzss::CompressBound(n), '\0');
    out.resize(tvapi::lzss::Compress(reinterpret_cast<const uint8_t*>(content.data()), n,
                                     reinterpret_cast<uint8_t*>(out.data()), tvapi::lzss::kLevelDefault, withXor,
                                     /*stopEarly=*/false));
    return Add(Make(name, withXor ? 3 : 1, out, n));
}

ArchiveBuilder& ArchiveBuilder::Add(Record record, bool keepOffset) {
    if (!keepOffset) record.dataOffset = position_;
    position_ += static_cast<uint32_t>(record.block.size());
    records_.push_back(std::move(record));
    return *this;
}

uint32_t ArchiveBuilder::DirOffset() const {
    uint32_t data = 8;
    for (const auto& r : records_) data += static_cast<uint32_t>(r.block.size());
    return data;
}

std::string ArchiveBuilder::Build() const {
    std::string out;
    for (const auto& r : records_) out += r.block;
    out += "GENPAK" + std::string{static_cast<char>(writer_[0]), static_cast<char>(writer_[1])};
    const auto dirOffset = static_cast<uint32_t>(out.size());
    for (const auto& r : records_) {
        const size_t at = out.size();
        out.resize(at + 14);
        out[at] = static_cast<char>(r.name.size());
        out[at + 1] = static_cast<char>(r.method);
        PutLe32(out, at + 2, r.dataOffset);
        PutLe32(out, at + 6, r.packedSize);
        PutLe32(out, at + 10, r.fileSize);
        out += r.name + static_cast<char>(r.afterName);
    }
    const size_t at = out.size();
    out.resize(at + 8);
    PutLe32(out, at, dirOffset);
    PutLe32(out, at + 4, static_cast<uint32_t>(records_.size()));
    return out + '\x12';
}

ArchiveBuilder TunebaleSample() {
    ArchiveBuilder b = ArchiveBuilder::Tunebale();
    b.Folder("MySong")
        .Stored("MySong/a.bin", RandomBytes(100, 1))
        .Packed("MySong/chart.xml", TextLike(4000, 2))
        .Stored("MySong/empty", "")
        .Folder("MySong/sub")
        .Stored("MySong/sub.txt", "sorts between sub and its contents")
        .Packed("MySong/sub/" + kSong + ".txt", TextLike(2000, 3), /*withXor=*/true);
    return b;
}

ArchiveBuilder ListsmithSample() {
    ArchiveBuilder b = ArchiveBuilder::Listsmith();
    b.Folder("song7")
        .Packed("song7/cover.png", RandomBytes(700, 4))              // grows; still method 1
        .Packed("song7/" + std::string(249, 'n'), TextLike(900, 5))  // NameLen 255
        .Packed("song7/100.txt", std::string("\xFF\xFE<\0M\0", 6));
    return b;
}

std::string RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

std::string TextLike(size_t n, uint32_t seed) {
    static const char* const kWords[] = {"<Music ",    "Index=\"", "Name=\"", "\" ", "/>\r\n", "song", "level",
                                         "zal_image/", "Artist",   "0",       "1",   "2",      "genre"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) s += kWords[rng() % std::size(kWords)];
    s.resize(n);
    return s;
}

TempDir::TempDir() {
    // Test programs run two at a time: create_directory fails on a name another one took.
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    do path_ = std::filesystem::temp_directory_path() / ("tvapi-test-" + stamp + "-" + std::to_string(counter++));
    while (!std::filesystem::create_directories(path_));
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) throw std::runtime_error("cannot write");
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read test file");
    return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace tvtest
