// Fetching game files: loose files first, then the prefix archive, then the numbered archives from
// 999 down; and the system code page both ways.
#include <windows.h>

#include <gtest/gtest.h>

#include "game_folder.h"
#include "music_list.h"
#include "temp_folder.h"
#include "test_archives.h"

namespace tavrin::testing {
namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

class GameFiles_ : public ::testing::Test {
protected:
    GameFiles_() : game(root.Path()), inside(root.Path()) {}

    // Both lookups: the plain walk through every numbered name, and a run's listing of the
    // numbered archives that exist; they must agree.
    std::optional<Bytes> Fetch(const std::u16string& path, bool allowNumbered) {
        Bytes plain, listed;
        SystemGameData run;
        bool a = GetGameFile(path, plain, allowNumbered);
        bool b = run.GetGameFile(path, listed, allowNumbered);
        EXPECT_EQ(a, b) << "plain and listed lookups differ";
        if (a && b) {
            EXPECT_EQ(plain, listed);
        }
        if (!a) return std::nullopt;
        return plain;
    }

    TempFolder root;
    GameFolder game;
    CurrentFolder inside;
};

TEST_F(GameFiles_, LooseFilesWinAndTheFirstPathComponentNamesTheArchive) {
    game.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Text("from the archive")}});
    EXPECT_EQ(Fetch(u"zal_script/music.txt", false), Text("from the archive"));
    game.Loose(L"zal_script/music.txt", Text("loose"));
    EXPECT_EQ(Fetch(u"zal_script/music.txt", false), Text("loose"));
    game.Loose(L"zal_script/music.txt", {});
    EXPECT_EQ(Fetch(u"zal_script/music.txt", true), std::nullopt) << "an empty loose file; the archive is not tried";
    game.Archive(L"zal_image.pak",
                 {{L"zal_image/img_music/a.png", ImageBytes(1, 5000)}, {L"zal_image/b.png", ImageBytes(2, 300)}});
    EXPECT_EQ(Fetch(u"zal_image/img_music/a.png", false), ImageBytes(1, 5000));
    EXPECT_EQ(Fetch(u"zal_image/B.PNG", false), ImageBytes(2, 300));  // archives match names as Windows does
    EXPECT_EQ(Fetch(u"zal_image/missing.png", false), std::nullopt);
    EXPECT_EQ(Fetch(u"zal_song/a.xml", false), std::nullopt);  // no such archive
}

TEST_F(GameFiles_, NumberedArchivesAreSearchedFrom999DownOnlyWhenAllowed) {
    game.Archive(L"zal_image003.pak", {{L"zal_image/img_music/a.png", Text("three")},
                                       {L"zal_image/img_music/only3.png", Text("only in 3")}});
    game.Archive(L"zal_image007.pak", {{L"zal_image/img_music/a.png", Text("seven")}});
    game.Archive(L"zal_image999.pak", {{L"zal_image/img_music/top.png", Text("999")}});
    game.Archive(L"zal_image000.pak", {{L"zal_image/img_music/zero.png", Text("000")}});
    game.Archive(L"zal_image12.pak", {{L"zal_image/img_music/short.png", Text("two digits")}});
    EXPECT_EQ(Fetch(u"zal_image/img_music/a.png", true), Text("seven"));
    EXPECT_EQ(Fetch(u"zal_image/img_music/only3.png", true), Text("only in 3"));
    EXPECT_EQ(Fetch(u"zal_image/img_music/top.png", true), Text("999"));
    EXPECT_EQ(Fetch(u"zal_image/img_music/zero.png", true), Text("000"));
    EXPECT_EQ(Fetch(u"zal_image/img_music/short.png", true), std::nullopt);
    EXPECT_EQ(Fetch(u"zal_image/img_music/a.png", false), std::nullopt);

    game.Archive(L"zal_image.pak", {{L"zal_image/img_music/a.png", Text("unnumbered")}});
    EXPECT_EQ(Fetch(u"zal_image/img_music/a.png", true), Text("unnumbered"));
}

TEST_F(GameFiles_, APathWithoutSlashIsLookedUpInZalBaseThenInArchivesNamedByNumberAlone) {
    EXPECT_EQ(Fetch(u"readme.txt", true), std::nullopt);
    // Archives whose one member has no folder around it (the pack builder always writes one).
    tvtest::WriteFile(root / L"005.pak", tvtest::ArchiveBuilder().Stored("readme.txt", "five").Build());
    EXPECT_EQ(Fetch(u"readme.txt", false), std::nullopt);
    EXPECT_EQ(Fetch(u"readme.txt", true), Text("five"));
    tvtest::WriteFile(root / L"zal_base.pak", tvtest::ArchiveBuilder().Stored("readme.txt", "base").Build());
    EXPECT_EQ(Fetch(u"readme.txt", false), Text("base"));
}

TEST_F(GameFiles_, TheListingOfNumberedArchivesIsMadeOncePerRun) {
    game.Archive(L"zal_image004.pak", {{L"zal_image/a.png", Text("four")}});
    NumberedArchives numbered;
    EXPECT_EQ(numbered.Existing(L"zal_image"), (std::vector<int32_t>{4}));
    game.Archive(L"zal_image005.pak", {{L"zal_image/a.png", Text("five")}});
    EXPECT_EQ(numbered.Existing(L"zal_image"), (std::vector<int32_t>{4}));  // the run's view
    NumberedArchives later;
    EXPECT_EQ(later.Existing(L"zal_image"), (std::vector<int32_t>{5, 4}));
    CreateDirectoryW((root / L"zal_image006.pak").c_str(), nullptr);
    EXPECT_EQ(NumberedArchives().Existing(L"zal_image"), (std::vector<int32_t>{5, 4}));  // folders are no archives
}

TEST(SystemCodePage, ReadsAndWritesTheGamesTexts) {
    ASSERT_EQ(GetACP(), 936u) << "the test bench runs with the Chinese code page";
    SystemGameData data;
    Bytes gbk = {0xB8, 0xE8, 0xC7, 0xFA, 'A'};  // 歌曲A
    EXPECT_EQ(data.FromAnsi(gbk), u"歌曲A");
    EXPECT_EQ(data.ToAnsi(u"歌曲A"), std::string(gbk.begin(), gbk.end()));
    EXPECT_EQ(data.ToAnsi(u""), std::string());
}

TEST(SystemCodePage, RefusesWhatItCannotRepresentInsteadOfWritingQuestionMarks) {
    SystemGameData data;
    for (std::u16string_view text : {u"한국어", u"song\U0001F3B5", u"\u0627", u"\u00C0", u"a\xD800"})
        EXPECT_EQ(data.ToAnsi(text), std::nullopt) << text.size();
    EXPECT_EQ(data.ToAnsi(u"a?b"), std::string("a?b"));  // a real question mark is fine
}

}  // namespace
}  // namespace tavrin::testing
