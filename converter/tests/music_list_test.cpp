// Reading the music list: which elements become songs, how Index and Level read, the song folder
// from each song's own file, and the values that stop the conversion; its sort, against a literal
// transcription of the partition exchange; the buffer a descriptor member is compressed into.
#include <gtest/gtest.h>

#include <tvapi.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "fakes.h"
#include "save_tvn.h"
#include "sort_music_list.h"

namespace tavrin {
namespace {

std::u16string Song(const std::u16string& index, const std::u16string& level = u"5") {
    return u"<Music Index=\"" + index + u"\" Name=\"S\" File=\"s.xml\" Level=\"" + level + u"\"/>\r\n";
}

class MusicListReading : public ::testing::Test {
protected:
    LoadOutcome Load(const std::u16string& list) {
        ui = {};
        game.fetches.clear();
        game.files[u"zal_script/music.txt"] = list;
        game.files[u"s.xml"] = u"<BGM Name=\"f/x.ogg\"/>";
        return LoadMusicList(game, ui, table);
    }
    testing::FakeGameData game;
    testing::FakeConversionUi ui;
    MusicList table;
};

TEST_F(MusicListReading, ReadsEachSongAndItsFolderFromItsOwnFileNeverFromNumberedArchives) {
    game.files = {{u"a.xml", u"<Song>\r\n<BGM Name=\"a01/a.ogg\" Volume=\"80\"/>\r\n</Song>"},
                  {u"n.xml", u"<BGM Name=\"n/n.ogg\"/>"},
                  {u"nobgm.xml", u"<Song><Chart/></Song>"},
                  {u"dev.xml", u"<BGM Name=\"con/x.ogg\"/>"}};
    game.numbered = {u"n.xml"};
    // The game's special entries come first, one of them spread over lines.
    ASSERT_EQ(Load(u"<?xml version=\"1.0\" encoding=\"gb18030\"?>\r\n<MusicList>\r\n<Music\r\n\tIndex=\"0\"\r\n\t"
                   u"Name=\"Random\"\r\n\tFile=\"\"\r\n\tLevel=\"0\"\r\n></Music>\r\n<Music Index=\"4\" Level=\"7\"/>"
                   u"<Music Index=\"101\" Name=\"歌曲 A\" Image=\"zal_image/a.png\" File=\"a.xml\" Level=\"9\" "
                   u"Genre=\"流行\" Artist=\"&amp;B\" Coin=\"3\"/>\r\n<Music Index=\"102\" File=\"n.xml\" Level=\"1\"/>"
                   u"<Music Index=\"103\" File=\"nobgm.xml\" Level=\"1\"/><Music Index=\"104\" File=\"lost.xml\" "
                   u"Level=\"1\"/><Music Index=\"105\" File=\"dev.xml\" Level=\"1\"/></MusicList>"),
              LoadOutcome::kLoaded);
    ASSERT_EQ(MusicCount(table), 5);
    const MusicEntry& e = table[0];
    EXPECT_EQ(std::tie(e.Index, e.Name, e.Image, e.File, e.Level, e.Genre, e.Artist, e.Folder, e.ReadFailed),
              std::make_tuple(101, u"歌曲 A", u"zal_image/a.png", u"a.xml", 9, u"流行", u"&amp;B", u"a01", 0));
    for (int k = 1; k < 5; ++k) EXPECT_EQ(std::tie(table[k].Folder, table[k].ReadFailed), std::make_tuple(u"", 1));
    EXPECT_EQ(ui.statuses, (std::vector<std::wstring>{L"正在读取 zal_script/music.txt ...", L"读取完毕!"}));
    EXPECT_EQ(ui.progress, (std::vector<std::wstring>{L"101", L"102", L"103", L"104", L"105"}));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(game.fetches.size(), 6u);
    for (const auto& [path, allowNumbered] : game.fetches) EXPECT_FALSE(allowNumbered);
}

TEST_F(MusicListReading, TakesIndexes100To65535AfterRoundingAndEndsAtAMalformedElement) {
    std::u16string list;
    for (auto* index : {u"99", u"100", u"65535", u"65536", u"99.5", u"65535.5", u"", u"-100", u"150junk", u"+200"})
        list += Song(index);
    list += u"<Music Name=\"no index\" File=\"s.xml\" Level=\"1\"/><Music Index=\"300\"></Musi" + Song(u"301");
    ASSERT_EQ(Load(list), LoadOutcome::kLoaded);
    EXPECT_EQ(ui.progress, (std::vector<std::wstring>{L"100", L"65535", L"100", L"150", L"200"}));
}

TEST_F(MusicListReading, AValueTheTableCannotHoldStopsWithAMessageNamingTheElement) {
    const std::pair<std::u16string, std::wstring> cases[] = {
        {Song(u"123", u"256"), L"(Index=\"123\"): Level \"256\""},
        {Song(u"123", u"-1"), L"(Index=\"123\"): Level \"-1\""},
        {Song(u"123", u"hard"), L"(Index=\"123\"): Level \"hard\""},
        {Song(u"123", u"7x"), L"(Index=\"123\"): Level \"7x\""},
        {Song(u"123", u""), L"(Index=\"123\"): Level \"\""},
        {u"<Music Index=\"123\" File=\"s.xml\"/>", L"(Index=\"123\"): 缺少 Level"},
        {Song(u"4294967396"), L"(Index=\"4294967396\"): Index 超出32位"}};
    for (const auto& [element, mentions] : cases) {
        SCOPED_TRACE(::testing::PrintToString(element));
        EXPECT_EQ(Load(Song(u"100") + element + Song(u"124")), LoadOutcome::kStopped);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].first.find(L"第 2 个 Music 元素 " + mentions), std::wstring::npos);
        EXPECT_EQ(ui.messages[0].second, 0x10u);  // critical
        EXPECT_EQ(game.fetches.size(), 2u);       // the list and the first song's file; nothing after
    }
}

TEST_F(MusicListReading, TheTableHolds65536SongsAndAListWithMoreStops) {
    std::u16string full;
    for (int k = 0; k < kMusicListCapacity; ++k) full += Song(u"100");
    ASSERT_EQ(Load(full), LoadOutcome::kLoaded);
    EXPECT_EQ(MusicCount(table), kMusicListCapacity);
    EXPECT_EQ(table.back().Folder, u"f");
    ASSERT_EQ(Load(full + Song(u"99") + Song(u"777")), LoadOutcome::kStopped);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].first.find(L"第 65538 个 Music 元素 (Index=\"777\")"), std::wstring::npos);
    EXPECT_NE(ui.messages[0].first.find(L"65536"), std::wstring::npos);
}

TEST(ListValues, IndexLevelAndSongFolderReadAsTheGameWritesThem) {
    // The leading number, to the nearest integer, a half to the even one; the whole value for Level.
    // clang-format off
    const std::pair<std::u16string_view, std::optional<int32_t>> indexes[] = {
        {u"^ERROR", 0}, {u"", 0}, {u".5", 0}, {u"1.5", 2}, {u"2.5", 2}, {u"2.5000001", 3}, {u"-2.5", -2},
        {u"1.5e2", 150}, {u"7e", 7}, {u"1e-999", 0}, {u"2147483647", 2147483647}, {u"2147483646.5", 2147483646},
        {u"-2147483648", -2147483647 - 1}, {u"2147483647.5", std::nullopt}, {u"2147483648", std::nullopt},
        {u"-2147483649", std::nullopt}, {u"1e999", std::nullopt}, {u"99999999999999999999999", std::nullopt}};
    const std::pair<std::u16string_view, std::optional<int>> levels[] = {
        {u"0", 0}, {u"255", 255}, {u"255.4", 255}, {u"254.5", 254}, {u"1e2", 100}, {u"255.5", std::nullopt},
        {u"-0.6", std::nullopt}, {u"^ERROR", std::nullopt}, {u"5 ", std::nullopt}, {u".", std::nullopt}};
    // clang-format on
    for (const auto& [text, index] : indexes) EXPECT_EQ(ReadIndex(text), index) << ::testing::PrintToString(text);
    for (const auto& [text, level] : levels) EXPECT_EQ(ReadLevel(text), level) << ::testing::PrintToString(text);
    // With ".tvn" after them these stay inside zal_music, ordinary names or ones the file system
    // refuses when the descriptor is created; devices and separators are no folders.
    for (std::u16string_view bgm : {u"a/a.ogg", u"歌曲/x/y.ogg", u"./x", u"../x", u"a./x", u"a /x", u"a*/x", u"a|b/x",
                                    u"a\tb/x", u"com10/x", u"COM0/x", u"connect/x", u" con/x"})
        EXPECT_EQ(SongFolder(bgm), bgm.substr(0, bgm.find(u'/'))) << ::testing::PrintToString(bgm);
    for (std::u16string_view bgm :
         {u"a.ogg", u"^ERROR", u"/x.ogg", u"a\\b/x", u"c:d/x", u"NUL/x", u"con/x", u"aux.txt/x", u"prn./x", u"Con /x",
          u"nul .a.b/x", u"LPT1/x", u"Com3/x", u"lpt9.x/x", u"COM\u00B9/x"})
        EXPECT_EQ(SongFolder(bgm), std::nullopt) << ::testing::PrintToString(bgm);
}

TEST(ListValues, UiTextKeepsEveryCharacter) {
    // The first and last pairs, and halves alone: UTF-32 where wchar_t is 32 bits wide.
    const std::u16string text = u"a歌\U00010000\U0010FFFF\xDBFFz\xDC00";
    const std::wstring utf32 = L"a歌\U00010000\U0010FFFF\uFFFDz\uFFFD";
    EXPECT_EQ(UiText(text), sizeof(wchar_t) == 2 ? std::wstring(text.begin(), text.end()) : utf32);
}

// Incompressible data: the whole stream fits, and not a byte is written past the buffer.
TEST(PackBuffer, HoldsWholeStreamsOfDataThatDoesNotShrink) {
    std::mt19937 random(77);
    for (uint32_t n : {1u, 2u, 3u, 4u, 7u, 8u, 9u, 12u, 15u, 16u, 17u, 100u, 4093u, 65536u, 100003u}) {
        std::vector<uint8_t> source(n);
        for (uint8_t& b : source) b = static_cast<uint8_t>(random());
        std::vector<uint8_t> buffer(PackBufferSize(n) + 16, 0xC5);
        uint32_t packed = 0;
        ASSERT_EQ(LzssCompress2(source.data(), n, buffer.data(), &packed, TVAPI_LEVEL_DEFAULT), 1);
        EXPECT_TRUE(packed >= n && packed <= PackBufferSize(n)) << n;
        for (size_t k = PackBufferSize(n); k < buffer.size(); ++k) ASSERT_EQ(buffer[k], 0xC5) << n;
    }
}

// SortMusicList leaves the entries of one folder in the order the procedure leaves them, on random
// and slow-shaped tables, and groups a full table.
MusicList Table(const std::vector<std::u16string>& folders) {
    MusicList list(folders.size());
    for (size_t k = 0; k < folders.size(); ++k) {
        list[k].Folder = folders[k];
        list[k].Index = static_cast<int32_t>(100 + k);  // tells equal folders apart
    }
    return list;
}

std::vector<int32_t> Indexes(const MusicList& list) {
    std::vector<int32_t> out;
    for (const MusicEntry& e : list) out.push_back(e.Index);
    return out;
}

// The procedure step by step, on whole entries, recursing into both sides.
void ReferenceSort(MusicList& list, int32_t lo, int32_t hi) {
    int32_t i = lo, j = hi;
    for (;;) {
        while (i < j && !(list[i].Folder > list[j].Folder)) ++i;
        if (i < j) std::swap(list[i], list[j]);
        while (i < j && !(list[i].Folder > list[j].Folder)) --j;
        if (i >= j) break;
        std::swap(list[i], list[j]);
    }
    if (lo < i - 1) ReferenceSort(list, lo, i - 1);
    if (j + 1 < hi) ReferenceSort(list, j + 1, hi);
}

std::u16string Name(uint32_t n) {
    const std::string ascii = "f" + std::to_string(n);
    return std::u16string(ascii.begin(), ascii.end());
}

TEST(SortMusicList, LeavesTheSameOrderAsTheProcedureAndGroupsAFullTable) {
    // Code units, not code points: a surrogate pair (0xD83C ...) sorts before U+FF21.
    std::vector<std::vector<std::u16string>> tables = {
        {u"b", u"a", u"", u"b", u"ab", u"a", u"\uFF21", u"\U0001F3B5", u""}, {u"z", u"y", u"c", u"b", u"a", u"x"}, {}};
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        const uint32_t size = random() % 300, folders = 1 + random() % (seed % 4 == 0 ? 1000 : 12);
        tables.emplace_back();
        for (uint32_t k = 0; k < size; ++k) tables.back().push_back(random() % 10 ? Name(random() % folders) : u"");
    }
    // Its slow shapes: ascending in threes, descending in pairs, rotated by one, organ pipe, all
    // equal; then full tables in random order, in pairs, descending and with seven folders.
    tables.resize(tables.size() + 9);
    std::mt19937 random(20240611);
    for (int32_t n = 3000, k = 0; k < n; ++k) {
        const int32_t values[] = {k / 3, (n - k) / 2, (k + 1) % n / 2, std::min(k, n - k) / 2, 0};
        for (int s = 0; s < 5; ++s) tables[tables.size() - 9 + s].push_back(Name(100000u + values[s]));
    }
    for (uint32_t n = kMusicListCapacity, k = 0; k < n; ++k) {
        const uint32_t values[] = {static_cast<uint32_t>(random() % 5000), 100000 + k / 2, 100000 + n - k, k % 7};
        for (int s = 0; s < 4; ++s) tables[tables.size() - 4 + s].push_back(Name(values[s]));
    }
    for (size_t t = 0; t < tables.size(); ++t) {
        MusicList list = Table(tables[t]), expected = list;
        // The second table sorts only its middle; the full tables are too slow for the procedure.
        const int32_t lo = t == 1 ? 1 : 0, hi = MusicCount(list) - 1 - (t == 1 ? 1 : 0);
        SortMusicList(list, lo, hi);
        if (t + 4 < tables.size()) {
            if (lo < hi) ReferenceSort(expected, lo, hi);
            ASSERT_EQ(Indexes(list), Indexes(expected)) << "table " << t;
        } else {
            EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](auto& a, auto& b) { return a.Folder < b.Folder; }));
            std::vector<int32_t> indexes = Indexes(list), all(list.size());
            std::sort(indexes.begin(), indexes.end());
            std::iota(all.begin(), all.end(), 100);
            EXPECT_EQ(indexes, all) << "every entry once, table " << t;
        }
    }
}

}  // namespace
}  // namespace tavrin
