#include "descriptor_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include "archive_check.h"
#include "genpak_reader.h"
#include "temp_folder.h"

namespace tavrin::testing {

DescriptorFile ReadDescriptor(const std::wstring& path) {
    const Bytes b = ReadBytes(path);
    tvapi::genpak::MemorySource source(b.data(), b.size());
    tvapi::genpak::Directory dir;
    DescriptorFile d;
    EXPECT_EQ(tvapi::genpak::ReadDirectory(source, dir), tvapi::genpak::Status::kOk);
    if (dir.dirOffset < 8) return d;
    d.dirOffset = static_cast<int32_t>(dir.dirOffset);
    d.marker.assign(b.begin() + d.dirOffset - 8, b.begin() + d.dirOffset);
    for (const tvapi::genpak::Entry& e : dir.entries) {
        EXPECT_EQ(e.afterName, 0) << "NUL after the name";
        d.records.push_back({std::string(dir.Name(e)), e.method, static_cast<int32_t>(e.dataOffset),
                             static_cast<int32_t>(e.packedSize), static_cast<int32_t>(e.fileSize)});
    }
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
