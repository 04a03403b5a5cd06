#include "version_resource.h"

#include <algorithm>
#include <string>

namespace tavrin::version {
namespace {

// A version resource is a tree of blocks. Each block, starting on a 4-byte boundary (counted from
// the start of the resource), is little-endian:
//
//   u16  wLength       bytes of the block, its children included (trailing padding excluded)
//   u16  wValueLength  length of the value: UTF-16 units when wType is 1, bytes when it is 0
//   u16  wType         1 text, 0 binary
//   u16  szKey[]       the key, UTF-16, NUL-terminated
//   pad                to a 4-byte boundary
//   ...  value         wValueLength units
//   pad                to a 4-byte boundary
//   ...  children      blocks, each starting on a 4-byte boundary, up to wLength
//
// The root block is "VS_VERSION_INFO" with VS_FIXEDFILEINFO as its binary value; its children are
// "StringFileInfo" (one block per "llllcccc" language key holding the text entries) and
// "VarFileInfo" (with "Translation": pairs of 16-bit language and code page).
//
// Every length is checked against the block that holds it: a block that claims to run past its
// parent, is shorter than its header or has no NUL-terminated key ends the search there.

constexpr size_t kHeaderSize = 6;

size_t AlignUp(size_t offset) { return (offset + 3) & ~size_t{3}; }

uint16_t U16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

uint32_t U32(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(U16(b, at)) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}

struct Block {
    size_t begin = 0;       // offset of wLength
    size_t end = 0;         // begin + wLength
    size_t keyBegin = 0;    // first unit of the key
    size_t keyUnits = 0;    // key length without its NUL
    size_t valueBegin = 0;  // after the key's padding
    uint16_t valueLength = 0;
    bool text = false;
    size_t childrenBegin = 0;
};

// The block at offset, which must lie within [offset, limit).
std::optional<Block> ReadBlock(std::span<const uint8_t> info, size_t offset, size_t limit) {
    if (offset > limit || limit - offset < kHeaderSize) return std::nullopt;
    Block b;
    b.begin = offset;
    size_t length = U16(info, offset);
    if (length < kHeaderSize || length > limit - offset) return std::nullopt;
    b.end = offset + length;
    b.valueLength = U16(info, offset + 2);
    b.text = U16(info, offset + 4) == 1;
    b.keyBegin = offset + kHeaderSize;
    size_t at = b.keyBegin;
    for (;; at += 2) {
        if (at + 2 > b.end) return std::nullopt;  // key without its NUL
        if (U16(info, at) == 0) break;
    }
    b.keyUnits = (at - b.keyBegin) / 2;
    b.valueBegin = AlignUp(at + 2);
    size_t valueBytes = static_cast<size_t>(b.valueLength) * (b.text ? 2 : 1);
    b.childrenBegin = AlignUp(b.valueBegin + valueBytes);
    return b;
}

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool KeyEquals(std::span<const uint8_t> info, const Block& b, std::u16string_view key) {
    if (b.keyUnits != key.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        if (FoldAscii(U16(info, b.keyBegin + 2 * i)) != FoldAscii(key[i])) return false;
    }
    return true;
}

std::optional<Block> FindChild(std::span<const uint8_t> info, const Block& parent,
                               std::u16string_view key) {
    for (size_t at = parent.childrenBegin; at < parent.end;) {
        std::optional<Block> child = ReadBlock(info, at, parent.end);
        if (!child) return std::nullopt;
        if (KeyEquals(info, *child, key)) return child;
        at = AlignUp(child->end);
    }
    return std::nullopt;
}

std::u16string Decimal(uint32_t n) {
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

// Text of a string entry: at most its value length, up to the first NUL.
std::u16string EntryText(const Value& v) {
    size_t units = std::min<size_t>(v.length, v.data.size() / 2);
    std::u16string s;
    for (size_t i = 0; i < units; ++i) {
        char16_t c = U16(v.data, 2 * i);
        if (c == 0) break;
        s.push_back(c);
    }
    return s;
}

}  // namespace

std::optional<Value> QueryValue(std::span<const uint8_t> info, std::u16string_view subBlock) {
    std::optional<Block> block = ReadBlock(info, 0, info.size());
    if (!block) return std::nullopt;
    size_t pos = 0;
    while (pos < subBlock.size()) {
        size_t slash = subBlock.find(u'\\', pos);
        if (slash == std::u16string_view::npos) slash = subBlock.size();
        if (slash > pos) {
            block = FindChild(info, *block, subBlock.substr(pos, slash - pos));
            if (!block) return std::nullopt;
        }
        pos = slash + 1;
    }
    // A key whose padding already fills the block leaves no place for a value.
    if (block->valueBegin > block->end) return std::nullopt;
    Value v;
    v.offset = block->valueBegin;
    v.length = block->valueLength;
    v.text = block->text;
    size_t valueBytes = static_cast<size_t>(block->valueLength) * (block->text ? 2 : 1);
    if (block->valueBegin < block->end)
        v.data = info.subspan(v.offset, std::min(valueBytes, block->end - block->valueBegin));
    return v;
}

FileVersionRecord FixedPartFromHalves(uint32_t fileMS, uint32_t fileLS, uint32_t productMS,
                                      uint32_t productLS) {
    auto high = [](uint32_t v) { return static_cast<int32_t>(v >> 16); };
    auto low = [](uint32_t v) { return static_cast<int32_t>(v & 0xFFFF); };
    FileVersionRecord r;
    r.FileMajor = high(fileMS);
    r.FileMinor = low(fileMS);
    r.FileBuild = high(fileLS);
    r.FileRevision = low(fileLS);
    r.ProductMajor = high(productMS);
    r.ProductMinor = low(productMS);
    r.ProductBuild = high(productLS);
    r.ProductRevision = low(productLS);
    auto dotted = [](int32_t a, int32_t b, int32_t c, int32_t d) {
        return Decimal(static_cast<uint32_t>(a)) + u"." + Decimal(static_cast<uint32_t>(b)) + u"." +
               Decimal(static_cast<uint32_t>(c)) + u"." + Decimal(static_cast<uint32_t>(d));
    };
    r.FileVersionText = dotted(r.FileMajor, r.FileMinor, r.FileBuild, r.FileRevision);
    r.ProductVersionText = dotted(r.ProductMajor, r.ProductMinor, r.ProductBuild, r.ProductRevision);
    return r;
}

std::optional<FileVersionRecord> ReadFixedPart(std::span<const uint8_t> info) {
    std::optional<Value> root = QueryValue(info, u"\\");
    if (!root || root->length < kFixedInfoSize || root->data.size() < kFixedInfoSize) return std::nullopt;
    // VS_FIXEDFILEINFO: dwSignature, dwStrucVersion, then the four halves.
    return FixedPartFromHalves(U32(root->data, 8), U32(root->data, 12), U32(root->data, 16),
                               U32(root->data, 20));
}

std::u16string LanguageKey(uint32_t translation) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string hex;
    for (uint32_t v = translation; v != 0; v >>= 4) hex.insert(hex.begin(), kHex[v & 0xF]);
    hex.insert(0, 8 - hex.size(), u'0');
    return hex.substr(4) + hex.substr(0, 4);
}

std::optional<uint32_t> FirstTranslation(std::span<const uint8_t> info) {
    std::optional<Value> v = QueryValue(info, u"\\VarFileInfo\\Translation");
    if (!v || v->data.size() < 4) return std::nullopt;
    return U32(v->data, 0);
}

VersionInfoRecord ParseVersionInfo(std::span<const uint8_t> info) {
    VersionInfoRecord r;
    if (std::optional<FileVersionRecord> fixed = ReadFixedPart(info))
        static_cast<FileVersionRecord&>(r) = *fixed;

    std::optional<uint32_t> translation = FirstTranslation(info);
    if (!translation) return r;
    const std::u16string prefix = u"\\StringFileInfo\\" + LanguageKey(*translation) + u"\\";
    struct Entry {
        std::u16string_view name;
        std::u16string VersionInfoRecord::*field;
    };
    static constexpr Entry kEntries[] = {
        {u"Comments", &VersionInfoRecord::Comments},
        {u"CompanyName", &VersionInfoRecord::CompanyName},
        {u"FileDescription", &VersionInfoRecord::FileDescription},
        {u"FileVersion", &VersionInfoRecord::FileVersion},
        {u"InternalName", &VersionInfoRecord::InternalName},
        {u"LegalCopyright", &VersionInfoRecord::LegalCopyright},
        {u"LegalTrademarks", &VersionInfoRecord::LegalTrademarks},
        {u"OriginalFilename", &VersionInfoRecord::OriginalFilename},
        {u"PrivateBuild", &VersionInfoRecord::PrivateBuild},
        {u"ProductName", &VersionInfoRecord::ProductName},
        {u"ProductVersion", &VersionInfoRecord::ProductVersion},
        {u"SpecialBuild", &VersionInfoRecord::SpecialBuild},
    };
    for (const Entry& e : kEntries) {
        if (std::optional<Value> v = QueryValue(info, prefix + std::u16string(e.name)))
            r.*e.field = EntryText(*v);
    }
    return r;
}

}  // namespace tavrin::version
