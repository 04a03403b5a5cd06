// A fresh folder under the system's temporary folder, removed with its content afterwards.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tavrin::testing {

class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::wstring& Path() const { return path_; }
    // Path of a name inside the folder.
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::wstring& path);
// Every file below a folder by its path relative to it ("\" separators), with its bytes.
std::map<std::wstring, std::vector<uint8_t>> FileTree(const std::wstring& folder);
// Removes a folder and everything below it, clearing read-only attributes first.
void RemoveTree(const std::wstring& path);

}  // namespace tavrin::testing
