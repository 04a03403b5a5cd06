// Reading the music list: which elements become songs, how Index and Level read, the song folder
// from each song's own file, and the values that stop the conversion.
#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>

#include "fake_conversion_ui.h"
#include "fake_game_data.h"
#include "music_list.h"

namespace tavrin {
namespace {

using testing::FakeConversionUi;
using testing::FakeGameData;

constexpr uint32_t kCritical = 0x10;

// The special entries the game's list begins with, as it writes them.
const std::string kSpecials =
    "<?xml version=\"1.0\" encoding=\"gb18030\"?>\r\n"
    "<MusicList>\r\n"
    "<Music\r\n\tIndex=\"0\"\r\n\tName=\"Random\"\r\n\tImage=\"zal_image/img_music/random.png\"\r\n\tFile=\"\"\r\n"
    "\tLevel=\"0\"\r\n\tCoin=\"0\"\r\n></Music>\r\n"
    "<Music\r\n\tIndex=\"1\"\r\n\tName=\"Loop\"\r\n\tImage=\"zal_image/img_music/loop.png\"\r\n\tFile=\"\"\r\n"
    "\tLevel=\"7\"\r\n\tCoin=\"0\"\r\n></Music>\r\n"
    "<Music Index=\"3\" Name=\"Random\" Image=\"zal_image/img_music/random.png\" File=\"\" Level=\"0\" "
    "Coin=\"0\"></Music>\r\n"
    "<Music Index=\"4\" Name=\"Loop\" Image=\"zal_image/img_music/loop.png\" File=\"\" Level=\"7\" "
    "Coin=\"0\"></Music>\r\n";

std::string Song(const std::string& index, const std::string& file, const std::string& level = "5",
                 const std::string& name = "Song") {
    return "<Music Index=\"" + index + "\" Name=\"" + name + "\" Image=\"zal_image/img_music/" + name +
           ".png\" File=\"" + file + "\" Level=\"" + level + "\" Genre=\"Pop\" Artist=\"Someone\"/>\r\n";
}

std::string SongFile(const std::string& bgm) {
    return "<Song>\r\n<BGM Name=\"" + bgm + "\" Volume=\"80\"/>\r\n</Song>\r\n";
}

class MusicListReading : public ::testing::Test {
protected:
    LoadOutcome Load(const std::string& list) {
        game.Put(std::u16string(kMusicListPath), list);
        return LoadMusicList(game, ui, table);
    }
    FakeGameData game;
    FakeConversionUi ui;
    MusicList table;
};

TEST_F(MusicListReading, SkipsTheSpecialEntriesAndReadsEveryFieldOfASong) {
    game.Put(u"zal_script/song/a.xml", SongFile("a01/a01.ogg"));
    ASSERT_EQ(
        Load(kSpecials + "<Music Index=\"101\" Name=\"歌曲 A\" Image=\"zal_image/img_music/a.png\" "
                         "File=\"zal_script/song/a.xml\" Level=\"9\" Genre=\"流行\" Artist=\"&amp;B\" Coin=\"3\"/>\r\n"
                         "</MusicList>\r\n"),
        LoadOutcome::kLoaded);
    ASSERT_EQ(MusicCount(table), 1);
    const MusicEntry& e = table[0];
    EXPECT_EQ(e.Index, 101);
    EXPECT_EQ(e.Name, u"歌曲 A");
    EXPECT_EQ(e.Image, u"zal_image/img_music/a.png");
    EXPECT_EQ(e.File, u"zal_script/song/a.xml");
    EXPECT_EQ(e.Level, 9);
    EXPECT_EQ(e.Genre, u"流行");
    EXPECT_EQ(e.Artist, u"&amp;B");  // values are taken raw
    EXPECT_EQ(e.Folder, u"a01");
    EXPECT_EQ(e.ReadFailed, 0);
    EXPECT_EQ(ui.statuses, (std::vector<std::wstring>{L"正在读取 zal_script/music.txt ...", L"读取完毕!"}));
    EXPECT_EQ(ui.progress, (std::vector<std::wstring>{L"101"}));  // the specials never show
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MusicListReading, AcceptsIndexesFrom100To65535AfterRoundingHalvesToEven) {
    game.Put(u"s.xml", SongFile("f/x.ogg"));
    std::string list;
    for (const char* index : {"99", "100", "65535", "65536", "99.5", "100.5", "101.5", "65535.5", "12abc", "", "abc",
                              "-100", "1e3", "150junk", "+200", "2147483647"})
        list += Song(index, "s.xml");
    list += "<Music Name=\"no index\" File=\"s.xml\" Level=\"1\"/>\r\n";
    ASSERT_EQ(Load(list), LoadOutcome::kLoaded);
    EXPECT_EQ(ui.progress,
              (std::vector<std::wstring>{L"100", L"65535", L"100", L"100", L"102", L"1000", L"150", L"200"}));
    ASSERT_EQ(MusicCount(table), 8);
    EXPECT_EQ(table[3].Index, 100);  // "100.5": the even neighbour
    EXPECT_EQ(table[4].Index, 102);  // "101.5"
}

TEST_F(MusicListReading, TheSongFolderComesFromTheSongFilesBgmName) {
    game.Put(u"ok.xml", SongFile("a/a.ogg"));
    game.Put(u"deep.xml", SongFile("Folder Name/sub/b.ogg"));
    game.Put(u"dots.xml", SongFile("../x.ogg"));
    game.Put(u"empty.xml", SongFile("/x.ogg"));
    game.Put(u"noslash.xml", SongFile("b.ogg"));
    game.Put(u"nobgm.xml", "<Song><Chart/></Song>");
    game.Put(u"colon.xml", SongFile("c:d/x.ogg"));
    game.Put(u"device.xml", SongFile("con/x.ogg"));
    struct Case {
        const char* file;
        std::u16string folder;
        int32_t failed;
    };
    const Case cases[] = {{"ok.xml", u"a", 0},     {"deep.xml", u"Folder Name", 0}, {"dots.xml", u"..", 0},
                          {"empty.xml", u"", 1},   {"noslash.xml", u"", 1},         {"nobgm.xml", u"", 1},
                          {"missing.xml", u"", 1}, {"colon.xml", u"", 1},           {"device.xml", u"", 1}};
    std::string list;
    int index = 100;
    for (const Case& c : cases) list += Song(std::to_string(index++), c.file);
    ASSERT_EQ(Load(list), LoadOutcome::kLoaded);
    ASSERT_EQ(MusicCount(table), static_cast<int32_t>(std::size(cases)));
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(cases[k].file);  // failed entries keep their slot, with no folder
        EXPECT_EQ(table[k].Folder, cases[k].folder);
        EXPECT_EQ(table[k].ReadFailed, cases[k].failed);
    }
}

TEST_F(MusicListReading, FetchesTheListAndSongFilesWithoutNumberedArchives) {
    game.numberedOnly[u"zal_song/a.xml"] = {'x'};
    game.Put(u"zal_song/b.xml", SongFile("b/b.ogg"));
    ASSERT_EQ(Load(Song("100", "zal_song/a.xml") + Song("101", "zal_song/b.xml")), LoadOutcome::kLoaded);
    ASSERT_EQ(game.fetches.size(), 3u);
    EXPECT_EQ(game.fetches[0].path, u"zal_script/music.txt");
    for (const auto& fetch : game.fetches) EXPECT_FALSE(fetch.allowNumbered);
    EXPECT_EQ(table[0].ReadFailed, 1);
    EXPECT_EQ(table[1].Folder, u"b");
}

TEST_F(MusicListReading, AMalformedElementEndsTheListAndKeepsWhatCameBefore) {
    game.Put(u"s.xml", SongFile("f/x.ogg"));
    ASSERT_EQ(Load(Song("100", "s.xml") + Song("101", "s.xml") + "<Music Index=\"102\" Name=\"cut\"></Musi" +
                   Song("103", "s.xml")),
              LoadOutcome::kLoaded);
    EXPECT_EQ(MusicCount(table), 2);
    EXPECT_EQ(ui.status, L"读取完毕!");
}

TEST_F(MusicListReading, ALevelThatIsNoByteStopsWithAMessageNamingTheElement) {
    game.Put(u"s.xml", SongFile("f/x.ogg"));
    struct Case {
        std::string element;
        std::wstring mentions;
    };
    for (const Case& c : {Case{Song("123", "s.xml", "256"), L"\"256\""}, Case{Song("123", "s.xml", "-1"), L"\"-1\""},
                          Case{Song("123", "s.xml", "hard"), L"\"hard\""}, Case{Song("123", "s.xml", "7x"), L"\"7x\""},
                          Case{Song("123", "s.xml", ""), L"\"\""},
                          Case{"<Music Index=\"123\" Name=\"n\" File=\"s.xml\"/>", L"缺少 Level"}}) {
        FakeConversionUi fresh;
        ui = fresh;
        game.fetches.clear();
        EXPECT_EQ(Load(Song("100", "s.xml") + c.element + Song("124", "s.xml")), LoadOutcome::kStopped);
        ASSERT_EQ(ui.messages.size(), 1u);
        const std::wstring& text = ui.messages[0].text;
        EXPECT_EQ(ui.messages[0].style, kCritical);
        EXPECT_NE(text.find(L"第 2 个 Music 元素"), std::wstring::npos) << text.size();
        EXPECT_NE(text.find(L"Index=\"123\""), std::wstring::npos);
        EXPECT_NE(text.find(L"Level"), std::wstring::npos);
        EXPECT_NE(text.find(c.mentions), std::wstring::npos);
        EXPECT_EQ(game.fetches.size(), 2u);  // the list and the first song's file; nothing after
    }
}

TEST_F(MusicListReading, AnIndexBeyond32BitsStopsWithAMessage) {
    game.Put(u"s.xml", SongFile("f/x.ogg"));
    EXPECT_EQ(Load(Song("100", "s.xml") + Song("4294967396", "s.xml")), LoadOutcome::kStopped);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find(L"Index=\"4294967396\""), std::wstring::npos);
    EXPECT_NE(ui.messages[0].text.find(L"32"), std::wstring::npos);
}

TEST_F(MusicListReading, TheTableHolds65536SongsAndAListWithMoreStops) {
    game.Put(u"s.xml", SongFile("f/x.ogg"));
    std::string full;
    for (int k = 0; k < kMusicListCapacity; ++k) full += Song(std::to_string(100 + k % 65000), "s.xml");
    ASSERT_EQ(Load(full), LoadOutcome::kLoaded);
    EXPECT_EQ(MusicCount(table), kMusicListCapacity);
    EXPECT_TRUE(ui.messages.empty());

    FakeConversionUi fresh;
    ui = fresh;
    ASSERT_EQ(Load(full + Song("99", "s.xml") + Song("777", "s.xml")), LoadOutcome::kStopped);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find(L"第 65538 个 Music 元素 (Index=\"777\")"), std::wstring::npos);
    EXPECT_NE(ui.messages[0].text.find(L"65536"), std::wstring::npos);
}

TEST(ListValues, IndexAndLevelReadTheLeadingNumberRoundedHalfToEven) {
    // clang-format off
    const std::pair<std::u16string_view, std::optional<int32_t>> indexes[] = {
        {u"^ERROR", 0}, {u"", 0}, {u".5", 0}, {u"1.5", 2}, {u"2.5", 2}, {u"2.5000001", 3}, {u"-2.5", -2},
        {u"1.5e2", 150}, {u"7e", 7}, {u"1e-999", 0}, {u"2147483647", 2147483647}, {u"2147483646.5", 2147483646},
        {u"-2147483648", -2147483647 - 1}, {u"2147483647.5", std::nullopt}, {u"2147483648", std::nullopt},
        {u"-2147483649", std::nullopt}, {u"1e999", std::nullopt}, {u"99999999999999999999999", std::nullopt},
    };
    // clang-format on
    for (const auto& [text, index] : indexes)
        EXPECT_EQ(ReadIndex(text), index) << ::testing::PrintToString(std::u16string(text));
    // The reader trims; anything left over is not a number.
    // clang-format off
    const std::pair<std::u16string_view, std::optional<int>> levels[] = {
        {u"0", 0}, {u"255", 255}, {u"255.4", 255}, {u"254.5", 254}, {u"1e2", 100}, {u"255.5", std::nullopt},
        {u"-0.6", std::nullopt}, {u"^ERROR", std::nullopt}, {u"5 ", std::nullopt}, {u".", std::nullopt},
    };
    // clang-format on
    for (const auto& [text, level] : levels)
        EXPECT_EQ(ReadLevel(text), level) << ::testing::PrintToString(std::u16string(text));
}

TEST(ListValues, SongFolderIsTheBgmNameBeforeItsFirstSlash) {
    struct Case {
        std::u16string_view bgm;
        std::optional<std::u16string> folder;
    };
    // clang-format off
    const Case cases[] = {
        {u"a/a.ogg", u"a"}, {u"歌曲/x/y.ogg", u"歌曲"}, {u"a.b/x.ogg", u"a.b"},
        // With ".tvn" after them these are ordinary names inside zal_music: "zal_music\..tvn",
        // "zal_music\...tvn", "zal_music\a..tvn", "zal_music\a .tvn".
        {u"./x", u"."}, {u"../x", u".."}, {u"a./x", u"a."}, {u"a /x", u"a "},
        // The file system refuses these; creating the descriptor fails and says so.
        {u"a*/x", u"a*"}, {u"a?/x", u"a?"}, {u"a|b/x", u"a|b"}, {u"a<b>/x", u"a<b>"}, {u"a\"b/x", u"a\"b"},
        {u"a\tb/x", u"a\tb"},
        // Not device names: a longer stem, a digit 0, a space before the name.
        {u"com10/x.ogg", u"com10"}, {u"COM0/x", u"COM0"}, {u"connect/x", u"connect"}, {u" con/x", u" con"},
        // No folder, or one that would leave zal_music or open a device.
        {u"a.ogg", std::nullopt}, {u"^ERROR", std::nullopt}, {u"/x.ogg", std::nullopt},
        {u"a\\b/x", std::nullopt}, {u"..\\..\\x/y", std::nullopt}, {u"c:d/x", std::nullopt},
        {u"a:stream/x", std::nullopt}, {u"NUL/x", std::nullopt}, {u"con/x", std::nullopt}, {u"aux.txt/x", std::nullopt},
        {u"prn./x", std::nullopt}, {u"Con /x", std::nullopt}, {u"nul .a.b/x", std::nullopt}, {u"LPT1/x", std::nullopt},
        {u"Com3/x", std::nullopt}, {u"lpt9.x/x", std::nullopt}, {u"COM\u00B9/x", std::nullopt},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(c.bgm)));
        EXPECT_EQ(SongFolder(c.bgm), c.folder);
    }
}

TEST(ListValues, UiTextKeepsEveryCharacter) {
    // The first and last pairs, and halves alone.
    const std::wstring wide = UiText(u"a歌\U00010000\U0010FFFF\xDBFFz\xDC00");
    if constexpr (sizeof(wchar_t) == 2) {
        EXPECT_EQ(wide, std::wstring(L"a歌\U00010000\U0010FFFF\xDBFFz\xDC00"));
    } else {
        const std::wstring expected = {L'a',
                                       L'歌',
                                       static_cast<wchar_t>(0x10000),
                                       static_cast<wchar_t>(0x10FFFF),
                                       static_cast<wchar_t>(0xFFFD),
                                       L'z',
                                       static_cast<wchar_t>(0xFFFD)};
        EXPECT_EQ(wide, expected);
    }
}

}  // namespace
}  // namespace tavrin
