// The whole conversion behind listsmith's start button, without the window: the question, then
// reading the list, grouping it by folder and writing the descriptors, with the status lines on
// the way. The window adds the busy pointer, the disabled button and the closing beep.
#pragma once

#include <functional>
#include <string>

#include "conversion_ui.h"
#include "music_list.h"

namespace tavrin {

enum class ConversionOutcome {
    kDeclined,     // the user answered No: nothing changed
    kFinished,     // the descriptors were written, or saving stopped and said why
    kListMissing,  // the user was told; the program ends
    kStopped,      // the list holds a value the table cannot take; the user was told
};

inline constexpr wchar_t kOverwriteQuestion[] = L"该操作将会自动覆盖现有的tvn文件，是否继续？";

// Asks the overwrite question; after Yes calls started (the window makes itself busy) and runs the
// conversion, writing into programFolder\zal_music. Once the run has set its closing status (saving
// done or stopped, or a list value the table cannot take) it calls finished: the window's normal
// pointer and beep. A missing list calls no finished, as the program just ends. ConversionClosed
// from ui passes through, with no incomplete descriptor left behind. list is the song table, kept
// for the life of the program.
ConversionOutcome RunConversion(ConversionUi& ui, GameData& game, MusicList& list, const std::wstring& programFolder,
                                const std::function<void()>& started, const std::function<void()>& finished = {});

}  // namespace tavrin
