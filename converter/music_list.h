// The song table of the music-list converter and its reader: the game's central list of Music
// elements, each completed with the song folder named by its own file's BGM element.
//
// Portable: the game's files and the system code page come in through GameData, which the
// program implements over the game folder (music_list_win.cpp) and tests over memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion_ui.h"

namespace tavrin {

struct MusicEntry {
    std::u16string Name;
    std::u16string Folder;  // the song file's BGM Name before its first "/"; empty when ReadFailed
    std::u16string Image;   // game path; the descriptor writer rewrites it
    std::u16string File;    // game path of the song's own file; rewritten likewise
    std::u16string Genre;
    std::u16string Artist;
    int32_t Index = 0;       // 100 ... 65535
    int32_t ReadFailed = 0;  // bit 0: the song file is missing, unreadable or names no usable folder
    uint8_t Level = 0;
};

// The table holds at most this many songs; a list with more stops the conversion.
inline constexpr int32_t kMusicListCapacity = 65536;

// Entries in list order (sorted by folder once SortMusicList has run).
using MusicList = std::vector<MusicEntry>;
inline int32_t MusicCount(const MusicList& list) { return static_cast<int32_t>(list.size()); }

inline constexpr std::u16string_view kMusicListPath = u"zal_script/music.txt";

// Where the game's files and texts come from.
class GameData {
public:
    virtual ~GameData() = default;
    // The whole file at a game path ("zal_script/music.txt"): a loose file under the current
    // folder first, then the archive named by the path's first component, then (allowNumbered)
    // that archive's numbered siblings 999 down to 000. False when none has it.
    virtual bool GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered) = 0;
    // Game text in the system's ANSI code page.
    virtual std::u16string FromAnsi(const std::vector<uint8_t>& bytes) = 0;
    // An entry name in the system's ANSI code page; nullopt when the code page cannot represent
    // it exactly (never a "?" in its place).
    virtual std::optional<std::string> ToAnsi(std::u16string_view text) = 0;
};

enum class LoadOutcome {
    kLoaded,       // the table is filled
    kListMissing,  // the user was told; the program ends
    kStopped,      // a list value the table cannot hold; the user was told, nothing was written
};

// Fills list from the game's music list, reporting through ui: the status line, the Index of
// each accepted entry on the progress line, and a message box when it cannot go on.
LoadOutcome LoadMusicList(GameData& game, ConversionUi& ui, MusicList& list);

// The reading rules of single values, exposed for tests.

// Index: the number the value starts with (none: 0), to the nearest integer, a half to the even
// neighbour. nullopt when that integer does not fit 32 bits.
std::optional<int32_t> ReadIndex(std::u16string_view value);
// Level: the whole value must be a number that rounds (a half to even) to 0 ... 255.
std::optional<uint8_t> ReadLevel(std::u16string_view value);
// The song folder named by a BGM Name ("folder/song.ogg" gives "folder"); nullopt when the name
// has no "/", the part before it is empty (the table's mark of a failed song), or it would take
// the descriptor zal_music\<folder>.tvn out of zal_music or to a device: a "\", a ":", or a
// device name (CON, PRN, AUX, NUL, COM1 ... COM9, LPT1 ... LPT9) with or without an extension, in
// any case. ".", ".." and names ending in a dot or space are ordinary folders; other characters
// the file system refuses are left for the descriptor's creation to fail on.
std::optional<std::u16string> SongFolder(std::u16string_view bgmName);

// UTF-16 for the window: wchar_t holds UTF-16 on Windows and UTF-32 elsewhere.
std::wstring UiText(std::u16string_view text);

#ifdef _WIN32
// The numbered archives (prefix000.pak ... prefix999.pak) that exist, listed once per prefix, so
// that a lookup through them asks only the archives that are there instead of a thousand names.
class NumberedArchives {
public:
    // Their numbers, highest first.
    const std::vector<int32_t>& Existing(const std::wstring& prefix);

private:
    std::vector<std::pair<std::wstring, std::vector<int32_t>>> listed_;
};

// A game file from the current folder: the loose file when it exists (and then only it), else the
// member of the same path in the archive named by the path's first component ("zal_base.pak" for
// a path without "/"), else, when allowNumbered, in that archive's numbered siblings from 999 down.
// numbered, when given, remembers which numbered archives exist for the rest of the run.
bool GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered,
                 NumberedArchives* numbered = nullptr);

// The game in the current folder, read through TVAPI.dll, with texts in the system's ANSI code
// page.
class SystemGameData final : public GameData {
public:
    bool GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered) override;
    std::u16string FromAnsi(const std::vector<uint8_t>& bytes) override;
    std::optional<std::string> ToAnsi(std::u16string_view text) override;

private:
    NumberedArchives numbered_;
};
#endif

}  // namespace tavrin
