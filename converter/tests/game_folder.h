// Generated game folders for the converter's tests and benchmark: the music list, songs' own
// files and images, loose or in archives that the pack builder's writer makes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrin::testing {

using Bytes = std::vector<uint8_t>;
using GameFiles = std::vector<std::pair<std::wstring, Bytes>>;  // game path, content

// A text in the system's ANSI code page (936 on the test bench), as the game stores its texts.
Bytes Ansi(std::wstring_view text);

struct ListSong {
    std::wstring index;  // as the list writes it
    std::wstring name;
    std::wstring image;
    std::wstring file;
    std::wstring level = L"5";
    std::wstring genre = L"Pop";
    std::wstring artist = L"Tester";
};

// The list: an XML declaration, the game's special entries (Index 0, 1, 3, 4) and one Music
// element per song, each start tag spread over tab-indented lines.
std::wstring MusicListText(const std::vector<ListSong>& songs);
// A song's own file, naming its music in a BGM element.
std::wstring SongFileText(const std::wstring& bgmName);
// Deterministic image bytes of the given size: rows of flat colour with some noise, or all noise.
Bytes ImageBytes(uint32_t seed, size_t size, bool noise = false);

class GameFolder {
public:
    explicit GameFolder(std::wstring root) : root_(std::move(root)) {}
    const std::wstring& Root() const { return root_; }

    // A loose file at a game path ("/" separators), folders created as needed.
    void Loose(const std::wstring& gamePath, const Bytes& bytes) const;
    // An archive named archiveName in the game folder holding files, whose game paths all begin
    // with the same folder (the archive's prefix): the folder's record, then each file, compressed
    // when that pays, named in the system code page.
    void Archive(const std::wstring& archiveName, const GameFiles& files) const;

private:
    std::wstring root_;
};

// Makes a folder the process's current folder for the object's life (game paths are relative).
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder);
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
    ~CurrentFolder();

private:
    std::wstring previous_;
};

// Copies listsmith.exe and TVAPI.dll from the test's folder into folder.
void InstallListsmith(const std::wstring& folder);

}  // namespace tavrin::testing
