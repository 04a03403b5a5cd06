#include "test_archives.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

#include "lzss.h"

namespace tvtest {

static std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

void PutLe32(std::string& s, size_t at, uint32_t v) { s.replace(at, 4, Le32(v)); }

ArchiveBuilder& ArchiveBuilder::Stored(const std::string& name, const std::string& content) {
    const auto n = static_cast<uint32_t>(content.size());
    return Add({name, 0, 0, n, n, 0, content});
}

ArchiveBuilder& ArchiveBuilder::Packed(const std::string& name, const std::string& content, bool withXor) {
    const auto n = static_cast<uint32_t>(content.size());
    std::string out(tvapi::lzss::CompressBound(n), '\0');
    out.resize(tvapi::lzss::Compress(reinterpret_cast<const uint8_t*>(content.data()), n,
                                     reinterpret_cast<uint8_t*>(out.data()), tvapi::lzss::kLevelDefault, withXor,
                                     /*stopEarly=*/false));
    return Add({name, static_cast<uint8_t>(withXor ? 3 : 1), 0, static_cast<uint32_t>(out.size()), n, 0, out});
}

ArchiveBuilder& ArchiveBuilder::Add(Record record, bool keepOffset) {
    if (!keepOffset) record.dataOffset = DirOffset() - 8;
    records_.push_back(std::move(record));
    return *this;
}

uint32_t ArchiveBuilder::DirOffset() const {
    uint32_t data = 8;
    for (const auto& r : records_) data += static_cast<uint32_t>(r.block.size());
    return data;
}

std::string ArchiveBuilder::Build() const {
    std::string data, dir;
    for (const auto& r : records_) {
        data += r.block;
        dir += std::string{static_cast<char>(r.name.size()), static_cast<char>(r.method)} + Le32(r.dataOffset) +
               Le32(r.packedSize) + Le32(r.fileSize) + r.name + static_cast<char>(r.afterName);
    }
    return data + "GENPAK" + writer_ + dir + Le32(DirOffset()) + Le32(static_cast<uint32_t>(records_.size())) + '\x12';
}

ArchiveBuilder TunebaleSample() {
    return ArchiveBuilder::Tunebale()
        .Folder("MySong")
        .Stored("MySong/a.bin", RandomBytes(100, 1))
        .Packed("MySong/chart.xml", TextLike(4000, 2))
        .Stored("MySong/empty", "")
        .Folder("MySong/sub")
        .Stored("MySong/sub.txt", "sorts between sub and its contents")
        .Packed("MySong/sub/\xB8\xE8\xC7\xFA.txt", TextLike(2000, 3), /*withXor=*/true);  // 歌曲 in GB18030
}

ArchiveBuilder ListsmithSample() {
    return ArchiveBuilder::Listsmith()
        .Folder("song7")
        .Packed("song7/cover.png", RandomBytes(700, 4))              // grows; still method 1
        .Packed("song7/" + std::string(249, 'n'), TextLike(900, 5))  // NameLen 255
        .Packed("song7/100.txt", std::string("\xFF\xFE<\0M\0", 6));
}

std::string RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

std::string TextLike(size_t n, uint32_t seed) {
    static const char* const kWords[] = {"<Music ",    "Index=\"", "Name=\"", "\" ", "/>\r\n", "song", "level",
                                         "zal_image/", "Artist",   "0",       "1",   "2",      "genre"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) s += kWords[rng() % std::size(kWords)];
    return s.substr(0, n);
}

TempDir::TempDir() {
    // Test programs run two at a time: create_directories is false for a name another one took.
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    do path_ = std::filesystem::temp_directory_path() / ("tvapi-test-" + stamp + "-" + std::to_string(counter++));
    while (!std::filesystem::create_directories(path_));
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    if (!std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot write test file");
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read test file");
    return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace tvtest
