// Which files of a song folder are audio: the archive takes them, the descriptor the rest.
// Portable: no Windows headers.
#pragma once

#include <array>
#include <string_view>

namespace tavrin {

// Whole-name patterns over lower-cased names: "*" matches any run, "?" exactly one UTF-16 unit.
inline constexpr std::array<std::u16string_view, 16> AudioPatterns{
    u"*.wvc", u"*.wv",   u"*.wma",  u"*.tta", u"*.tak", u"*.opus", u"*.m4a", u"*.flac",
    u"*.ape", u"*.alac", u"*.aiff", u"*.ac3", u"*.aac", u"*.wav",  u"*.og?", u"*.mp?",
};

bool MatchesPattern(std::u16string_view name, std::u16string_view pattern);
// name must already be lower-cased.
bool IsAudioName(std::u16string_view lowerCaseName);

}  // namespace tavrin
