// Song descriptors (.tvn) from the sorted song table: one GENPAK container per song folder in
// zal_music beside the program, holding the folder, each song's image and own file (compressed
// once per descriptor) and a one-line Music text per song.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "music_list.h"

namespace tavrin {

// The text after the last "/" of a game path (the whole path when it has none).
std::u16string BaseName(std::u16string_view path);

// The base names stored in the descriptor being written, by entry number. Slot 0 is the folder
// entry's empty name, so an empty image or file path counts as stored. Descriptor texts take an
// entry number but leave their slot empty.
class StoredNames {
public:
    static constexpr int32_t kSlots = 101;

    // A new descriptor: only the folder entry.
    void Start();
    // Whether base is stored, comparing code units exactly.
    bool Contains(std::u16string_view base) const;
    // Stores base under the next entry number; false when that number has no slot.
    [[nodiscard]] bool Store(std::u16string_view base);
    // Counts a descriptor text entry.
    void AddText() { ++count_; }
    int32_t EntryCount() const { return count_; }

private:
    std::array<std::u16string, kSlots> slots_;
    int32_t count_ = 0;
};

// The name of a song's descriptor text: folder + "/" + Index + ".txt".
std::u16string TextEntryName(std::u16string_view folder, int32_t index);

// The descriptor text of one song: UTF-16LE with a byte-order mark, one Music element line with
// the values as they are (no escaping), CR LF.
std::vector<uint8_t> DescriptorText(const MusicEntry& entry);

// The compressor's output buffer for n source bytes: n x 1.125 to the nearest integer (a half to
// the even one) plus 1, which holds the whole stream of incompressible data too.
size_t PackBufferSize(size_t n);

inline constexpr int32_t kMaxEntryName = 255;  // bytes in the ANSI code page
inline constexpr int32_t kErrorLimit = 50;     // one more stops the run

enum class SaveOutcome {
    kSaved,          // every folder was written ("保存完毕!")
    kTooManyErrors,  // stopped between descriptors after the 51st error
    kUnexpected,     // "未知错误": stopped; the descriptor being written was removed
};

#ifdef _WIN32
// Writes the descriptors for list (sorted by Folder) into programFolder\zal_music\, logging each
// problem in ui's log. Rewrites Image and File of the entries whose files it stores or finds
// stored. ConversionClosed from ui passes through once the descriptor being written is removed.
SaveOutcome SaveTVN(GameData& game, ConversionUi& ui, MusicList& list, const std::wstring& programFolder);
#endif

}  // namespace tavrin
