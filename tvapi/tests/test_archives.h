// Hand-built GENPAK containers for the reader, cache and genpak tests, laid out field by field
// so that a test can build both writers' archives and every kind of damage.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tvtest {

// One directory record as it will be written; the builder fills DataOffset unless told not to.
struct Record {
    std::string name;  // name bytes, written as they are
    uint8_t method = 0;
    uint32_t dataOffset = 0;
    uint32_t packedSize = 0;
    uint32_t fileSize = 0;
    uint8_t afterName = 0;
    std::string block;  // the data block that goes into the entry data
};

class ArchiveBuilder {
public:
    // Writer bytes after the marker: 01 02 for tunebale, 00 06 for listsmith.
    explicit ArchiveBuilder(uint8_t writer0 = 0x01, uint8_t writer1 = 0x02) : writer_{writer0, writer1} {}
    static ArchiveBuilder Tunebale() { return ArchiveBuilder(0x01, 0x02); }
    static ArchiveBuilder Listsmith() { return ArchiveBuilder(0x00, 0x06); }

    ArchiveBuilder& Folder(const std::string& name);
    ArchiveBuilder& Stored(const std::string& name, const std::string& content);
    // LZSS stream of the content from the codec (method 1, or 3 with the XOR scheme); the whole
    // stream, even when it is not smaller.
    ArchiveBuilder& Packed(const std::string& name, const std::string& content, bool withXor = false);
    // A method 1 stream made only of literals (flag 0xFF before every eight bytes): a valid stream
    // that does not depend on the compressor.
    ArchiveBuilder& Literals(const std::string& name, const std::string& content);
    // A record as given; its block is appended to the entry data and its DataOffset set to where
    // the block starts, unless keepOffset.
    ArchiveBuilder& Add(Record record, bool keepOffset = false);

    std::vector<Record>& Records() { return records_; }
    const std::vector<Record>& Records() const { return records_; }
    // The whole file: blocks, marker, directory, trailer.
    std::string Build() const;
    // Directory offset of the built file.
    uint32_t DirOffset() const;

private:
    uint8_t writer_[2];
    std::vector<Record> records_;
    uint32_t position_ = 0;
};

inline const std::string kSong = "\xB8\xE8\xC7\xFA";  // 歌曲 in GB18030 / code page 936

// Sound archives of both writers: tunebale's with every method, an empty member, a subfolder and a
// Chinese name (7 records under "MySong"); listsmith's with a member that grew and a 255-byte name.
ArchiveBuilder TunebaleSample();
ArchiveBuilder ListsmithSample();

void PutLe32(std::string& s, size_t at, uint32_t v);
uint32_t GetLe32(const std::string& s, size_t at);

// Random bytes and text-like bytes from a fixed seed.
std::string RandomBytes(size_t n, uint32_t seed);
std::string TextLike(size_t n, uint32_t seed);

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace tvtest
