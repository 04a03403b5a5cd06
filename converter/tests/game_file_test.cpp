// Fetching game files: a loose file first, then the archive its first folder names, then that
// archive's numbered siblings from 999 down; and the system code page both ways.
#include <windows.h>

#include <gtest/gtest.h>

#include "game_folder.h"
#include "music_list.h"
#include "support.h"
#include "test_archives.h"

namespace tavrin::testing {
namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(GameFiles, LooseFilesThenThePrefixArchiveThenNumberedOnesFrom999DownWhenAllowed) {
    TempFolder root;
    GameFolder game(root.Path());
    CurrentFolder inside(root.Path());
    game.Loose(L"zal_script/music.txt", Text("loose"));
    game.Loose(L"zal_script/empty.txt", {});
    game.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Text("archived")},
                                     {L"zal_script/empty.txt", Text("archived")},
                                     {L"zal_script/B.PNG", Text("b")}});
    game.Archive(L"zal_image.pak", {{L"zal_image/both.png", Text("unnum")}});
    game.Archive(L"zal_image003.pak", {{L"zal_image/a.png", Text("three")}, {L"zal_image/only3.png", Text("3")}});
    game.Archive(L"zal_image007.pak", {{L"zal_image/a.png", Text("seven")}, {L"zal_image/both.png", Text("7")}});
    for (const wchar_t* n : {L"999", L"000", L"12"})
        game.Archive(L"zal_image" + std::wstring(n) + L".pak", {{L"zal_image/" + std::wstring(n), Text("n")}});
    CreateDirectoryW((root / L"zal_image006.pak").c_str(), nullptr);  // folders are no archives
    // Archives whose members have no folder around them (the pack builder always writes one).
    tvtest::WriteFile(root / L"005.pak", tvtest::ArchiveBuilder().Stored("readme.txt", "five").Build());
    tvtest::WriteFile(root / L"zal_base.pak", tvtest::ArchiveBuilder().Stored("base.txt", "base").Build());
    // clang-format off
    const std::tuple<std::u16string, bool, std::optional<std::string>> cases[] = {
        {u"zal_script/music.txt", false, "loose"}, {u"zal_script/empty.txt", true, std::nullopt},
        {u"zal_script/b.png", false, "b"}, {u"zal_script/none.txt", true, std::nullopt},
        {u"zal_song/a.xml", true, std::nullopt}, {u"zal_image/a.png", true, "seven"},
        {u"zal_image/a.png", false, std::nullopt}, {u"zal_image/only3.png", true, "3"}, {u"zal_image/999", true, "n"},
        {u"zal_image/000", true, "n"}, {u"zal_image/12", true, std::nullopt}, {u"zal_image/both.png", true, "unnum"},
        {u"readme.txt", false, std::nullopt}, {u"readme.txt", true, "five"}, {u"base.txt", false, "base"}};
    // clang-format on
    for (const auto& [path, allowNumbered, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(path) + (allowNumbered ? " numbered" : ""));
        // The plain walk through every numbered name and a run's listing of those that exist agree.
        Bytes plain, listed;
        const bool found = GetGameFile(path, plain, allowNumbered);
        EXPECT_EQ(SystemGameData().GetGameFile(path, listed, allowNumbered), found);
        EXPECT_EQ(found ? std::optional<std::string>(std::in_place, plain.begin(), plain.end()) : std::nullopt,
                  expected);
        EXPECT_TRUE(!found || listed == plain);
    }
    NumberedArchives run;
    EXPECT_EQ(run.Existing(L"zal_image"), (std::vector<int32_t>{999, 7, 3, 0}));
    game.Archive(L"zal_image004.pak", {{L"zal_image/a.png", Text("four")}});
    EXPECT_EQ(run.Existing(L"zal_image"), (std::vector<int32_t>{999, 7, 3, 0}));  // listed once per run
    EXPECT_EQ(NumberedArchives().Existing(L"zal_image"), (std::vector<int32_t>{999, 7, 4, 3, 0}));
}

TEST(SystemCodePage, ReadsAndWritesTheGamesTextsAndRefusesWhatItCannotRepresent) {
    ASSERT_EQ(GetACP(), 936u) << "the test bench runs with the Chinese code page";
    SystemGameData data;
    EXPECT_EQ(data.FromAnsi({0xB8, 0xE8, 0xC7, 0xFA, 'A'}), u"歌曲A");  // written: the end-to-end runs
    EXPECT_EQ(data.ToAnsi(u"a?b"), "a?b");  // a real question mark, never one in place of a character
    for (std::u16string_view text : {u"한국어", u"song\U0001F3B5", u"\u0627", u"\u00C0", u"a\xD800"})
        EXPECT_EQ(data.ToAnsi(text), std::nullopt) << text.size();
}

}  // namespace
}  // namespace tavrin::testing
