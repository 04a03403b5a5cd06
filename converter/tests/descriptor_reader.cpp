#include "descriptor_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include "archive_check.h"
#include "temp_folder.h"

namespace tavrin::testing {
namespace {

int32_t Le32(const Bytes& b, size_t at) {
    return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

DescriptorFile ReadDescriptor(const std::wstring& path) {
    DescriptorFile d;
    Bytes b = ReadBytes(path);
    EXPECT_GE(b.size(), 17u);
    if (b.size() < 17) return d;
    EXPECT_EQ(b.back(), 0x12);
    d.dirOffset = Le32(b, b.size() - 9);
    int32_t count = Le32(b, b.size() - 5);
    EXPECT_GE(d.dirOffset, 8);
    if (d.dirOffset < 8 || static_cast<size_t>(d.dirOffset) > b.size() - 9) return d;
    d.marker.assign(b.begin() + d.dirOffset - 8, b.begin() + d.dirOffset);
    size_t at = static_cast<size_t>(d.dirOffset);
    for (int32_t k = 0; k < count; ++k) {
        if (at + 15 > b.size() - 9) {
            ADD_FAILURE() << "records run into the trailer";
            return d;
        }
        DescriptorRecord r;
        size_t length = b[at];
        r.method = b[at + 1];
        r.dataOffset = Le32(b, at + 2);
        r.packedSize = Le32(b, at + 6);
        r.fileSize = Le32(b, at + 10);
        r.name.assign(b.begin() + static_cast<std::ptrdiff_t>(at + 14),
                      b.begin() + static_cast<std::ptrdiff_t>(at + 14 + length));
        EXPECT_EQ(b[at + 14 + length], 0) << "NUL after the name";
        d.records.push_back(r);
        at += 15 + length;
    }
    EXPECT_EQ(at, b.size() - 9) << "the directory ends where the trailer begins";
    return d;
}

Bytes ExtractMember(const std::wstring& descriptor, const std::wstring& memberPath) {
    std::wstring path = memberPath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return ExtractedFiles(descriptor)[path];
}

Bytes ExpectedText(const std::wstring& index, const std::wstring& name, const std::wstring& image,
                   const std::wstring& file, const std::wstring& level, const std::wstring& genre,
                   const std::wstring& artist) {
    std::wstring line = L"\uFEFF<Music Index=\"" + index + L"\" Name=\"" + name + L"\" Image=\"" + image +
                        L"\" File=\"" + file + L"\" Level=\"" + level + L"\" Genre=\"" + genre + L"\" Artist=\"" +
                        artist + L"\"/>\r\n";
    Bytes bytes;
    for (wchar_t c : line) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tavrin::testing
