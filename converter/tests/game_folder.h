// Generated game folders for the converter's tests and benchmark: the music list, songs' own
// files and images, loose or in archives made by the pack builder's writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrin::testing {

using Bytes = std::vector<uint8_t>;
using GameFiles = std::vector<std::pair<std::wstring, Bytes>>;  // game path, content

// A text in the system's ANSI code page (936 on the test bench), as the game stores texts.
Bytes Ansi(std::wstring_view text);

struct ListSong {
    std::wstring index, name, image, file, level = L"5", genre = L"Pop", artist = L"Tester";
};

// The list: the game's special entries (Index 0, 1, 3, 4), then a Music element per song, each
// start tag spread over tab-indented lines.
std::wstring MusicListText(const std::vector<ListSong>& songs);
// A song's own file, naming its music in a BGM element.
std::wstring SongFileText(const std::wstring& bgmName);
// Image bytes: rows of flat colour with some noise, or all noise.
Bytes ImageBytes(uint32_t seed, size_t size, bool noise = false);

class GameFolder {
public:
    explicit GameFolder(std::wstring root) : root_(std::move(root)) {}
    // A loose file at a game path ("/" separators), folders created as needed.
    void Loose(const std::wstring& gamePath, const Bytes& bytes) const;
    // An archive of files whose game paths share their first folder: that folder's record, then
    // each file, compressed when that pays, named in the code page.
    void Archive(const std::wstring& archiveName, const GameFiles& files) const;

private:
    std::wstring root_;
};

// The process's current folder for the object's life (game paths are relative).
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder) { std::filesystem::current_path(folder); }
    CurrentFolder(const CurrentFolder&) = delete;
    ~CurrentFolder() { std::filesystem::current_path(previous_); }

private:
    const std::filesystem::path previous_ = std::filesystem::current_path();
};

}  // namespace tavrin::testing
