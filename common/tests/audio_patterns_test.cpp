#include "tavrin/audio_patterns.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(AudioNames, EveryListedExtensionIsAudio) {
    for (std::u16string_view name :
         {u"a.wvc", u"a.wv", u"a.wma", u"a.tta", u"a.tak", u"a.opus", u"a.m4a", u"a.flac", u"a.ape", u"a.alac",
          u"a.aiff", u"a.ac3", u"a.aac", u"a.wav", u"a.ogg", u"a.oga", u"a.mp3", u"a.mp4"})
        EXPECT_TRUE(IsAudioName(name)) << std::string(name.begin(), name.end());
}

TEST(AudioNames, WholeNameMustMatch) {
    EXPECT_FALSE(IsAudioName(u"song.mpeg"));  // "?" is exactly one character
    EXPECT_FALSE(IsAudioName(u"track.ogg.bak"));
    EXPECT_FALSE(IsAudioName(u"chart.xml"));
    EXPECT_FALSE(IsAudioName(u"cover.png"));
    EXPECT_FALSE(IsAudioName(u"mp3"));
    EXPECT_FALSE(IsAudioName(u"a.mp"));
    EXPECT_TRUE(IsAudioName(u".wav"));  // "*" matches an empty run
    EXPECT_TRUE(IsAudioName(u"a.b.wav"));
    EXPECT_FALSE(IsAudioName(u"a.og\xD83D\xDE00"));  // a surrogate pair is two units
}

TEST(AudioNames, TheTestIsOnLowerCaseNames) {
    EXPECT_FALSE(IsAudioName(u"SONG.MP3"));  // callers lower-case first
}

TEST(MatchesPattern, StarsAndQuestionMarks) {
    EXPECT_TRUE(MatchesPattern(u"", u"*"));
    EXPECT_FALSE(MatchesPattern(u"", u"?"));
    EXPECT_TRUE(MatchesPattern(u"abc", u"a*c"));
    EXPECT_TRUE(MatchesPattern(u"abcbc", u"*bc"));
    EXPECT_TRUE(MatchesPattern(u"aXbYc", u"a*b*c"));
    EXPECT_FALSE(MatchesPattern(u"aXbY", u"a*b*c"));
    EXPECT_TRUE(MatchesPattern(u"ab", u"a?"));
    EXPECT_FALSE(MatchesPattern(u"abc", u"a?"));
    EXPECT_FALSE(MatchesPattern(std::u16string(5000, u'a'), u"*a*a*a*b"));
}

}  // namespace
}  // namespace tavrin
