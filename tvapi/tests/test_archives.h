// Hand-built GENPAK containers, laid out field by field so that a test can build both writers'
// archives and every kind of damage; and the file helpers the tests share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tvtest {

// One directory record as it will be written, with the data block that goes into the entry data.
struct Record {
    std::string name;
    uint8_t method = 0;
    uint32_t dataOffset = 0, packedSize = 0, fileSize = 0;
    uint8_t afterName = 0;
    std::string block;
};

class ArchiveBuilder {
public:
    // Writer bytes after the marker: 01 02 for tunebale, 00 06 for listsmith.
    explicit ArchiveBuilder(uint8_t writer0 = 0x01, uint8_t writer1 = 0x02) : writer_{char(writer0), char(writer1)} {}
    static ArchiveBuilder Tunebale() { return ArchiveBuilder(0x01, 0x02); }
    static ArchiveBuilder Listsmith() { return ArchiveBuilder(0x00, 0x06); }
    ArchiveBuilder& Folder(const std::string& name) { return Add({name, 2, 0, 0, 0, 0, ""}); }
    ArchiveBuilder& Stored(const std::string& name, const std::string& content);
    // The codec's whole stream (method 1, or 3 with the XOR scheme), even when it does not shrink.
    ArchiveBuilder& Packed(const std::string& name, const std::string& content, bool withXor = false);
    // Sets the record's dataOffset to where its block goes, unless keepOffset.
    ArchiveBuilder& Add(Record record, bool keepOffset = false);
    std::vector<Record>& Records() { return records_; }
    const std::vector<Record>& Records() const { return records_; }
    std::string Build() const;  // blocks, marker, directory, trailer
    uint32_t DirOffset() const;

private:
    std::string writer_;
    std::vector<Record> records_;
};

// tunebale's: every method, an empty member, a subfolder and a Chinese name (7 records under
// "MySong"); listsmith's: a member that grew and a 255-byte name.
ArchiveBuilder TunebaleSample();
ArchiveBuilder ListsmithSample();

void PutLe32(std::string& s, size_t at, uint32_t v);
// A path or name in UTF-8, as genpak prints it.
inline std::string Utf8(const std::filesystem::path& p) { return reinterpret_cast<const char*>(p.u8string().c_str()); }
std::string RandomBytes(size_t n, uint32_t seed);
std::string TextLike(size_t n, uint32_t seed);

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir() {
        std::error_code ec;  // read-only files and folders would stay
        for (const auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace tvtest
