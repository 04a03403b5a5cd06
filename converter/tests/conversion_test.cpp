// The conversion behind the start button, without the window: the status lines in their order and
// the window's callbacks for each way of ending. The real program's runs are in tests/e2e.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "conversion.h"
#include "descriptor_reader.h"
#include "fake_conversion_ui.h"
#include "game_folder.h"
#include "temp_folder.h"

namespace tavrin::testing {
namespace {

class Conversion : public ::testing::Test {
protected:
    Conversion() : game(root.Path()), inside(root.Path()) { CreateDirectoryW(Music().c_str(), nullptr); }

    std::wstring Music() const { return root / L"zal_music"; }

    ConversionOutcome Run() {
        return RunConversion(
            ui, data, list, root.Path(), [this] { ++started; }, [this] { ++finished; });
    }

    // Two folders given in reverse order, the second with two songs.
    void TwoFolders() {
        std::vector<ListSong> songs = {
            {L"300", L"Zeta", L"zal_image/img_music/z.png", L"zal_song/z.xml"},
            {L"101", L"Alpha easy", L"zal_image/img_music/a.png", L"zal_song/a1.xml"},
            {L"102", L"Alpha hard", L"zal_image/img_music/a.png", L"zal_song/a2.xml"},
        };
        game.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Ansi(MusicListText(songs))}});
        game.Archive(L"zal_song.pak", {{L"zal_song/z.xml", Ansi(SongFileText(L"Zeta/z.ogg"))},
                                       {L"zal_song/a1.xml", Ansi(SongFileText(L"Alpha/a.ogg"))},
                                       {L"zal_song/a2.xml", Ansi(SongFileText(L"Alpha/a.ogg"))}});
        game.Archive(L"zal_image.pak", {{L"zal_image/img_music/z.png", ImageBytes(1, 700)},
                                        {L"zal_image/img_music/a.png", ImageBytes(2, 900)}});
    }

    TempFolder root;
    GameFolder game;
    CurrentFolder inside;
    SystemGameData data;
    FakeConversionUi ui;
    MusicList list;
    int started = 0;
    int finished = 0;  // the window's normal pointer and beep
};

TEST_F(Conversion, YesReadsSortsAndSavesWithTheStatusLinesInOrder) {
    TwoFolders();
    EXPECT_EQ(Run(), ConversionOutcome::kFinished);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(ui.statuses,
              (std::vector<std::wstring>{L"正在读取 zal_script/music.txt ...", L"读取完毕!", L"正在排序列表...",
                                         L"正在保存TVN文件...", L"保存完毕!", L"转换完毕,请退出!"}));
    EXPECT_EQ(ui.progress, (std::vector<std::wstring>{L"300", L"101", L"102", L"Alpha", L"Zeta"}));
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"Alpha.tvn", L"Zeta.tvn"}));
    std::vector<std::string> names;
    for (const auto& r : ReadDescriptor(Music() + L"\\Alpha.tvn").records) names.push_back(r.name);
    // The partition exchange is not stable: with Zeta first, the pivot 102 trades places with it
    // and stays ahead of 101.
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Alpha/a.png", "Alpha/a2.xml", "Alpha/102.txt", "Alpha/a1.xml",
                                               "Alpha/101.txt"}));
    EXPECT_EQ(ExtractMember(Music() + L"\\Alpha.tvn", L"Alpha/102.txt"),
              ExpectedText(L"102", L"Alpha hard", L"Alpha/a.png", L"Alpha/a2.xml", L"5", L"Pop", L"Tester"));
    EXPECT_EQ(VerifyFaults(Music() + L"\\Zeta.tvn"), "");
}

TEST_F(Conversion, AListWithoutSongsSavesNothingAndFinishes) {
    game.Loose(L"zal_script/music.txt", Ansi(MusicListText({})));
    EXPECT_EQ(Run(), ConversionOutcome::kFinished);
    EXPECT_EQ(ui.statuses.back(), L"转换完毕,请退出!");
    EXPECT_NE(std::find(ui.statuses.begin(), ui.statuses.end(), L"保存完毕!"), ui.statuses.end());
    EXPECT_TRUE(FilesIn(Music()).empty());
}

TEST_F(Conversion, AMissingListEndsTheRunBeforeAnythingIsWritten) {
    EXPECT_EQ(Run(), ConversionOutcome::kListMissing);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, L"没有找到文件 zal_script/music.txt!");
    EXPECT_TRUE(ui.statuses.empty());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 0);  // no beep: the program ends
}

TEST_F(Conversion, AnUnreadableLevelStopsTheRunWithNothingWritten) {
    game.Loose(L"zal_script/music.txt",
               Ansi(MusicListText({{L"101", L"A", L"zal_image/a.png", L"zal_song/a.xml", L"300"}})));
    game.Loose(L"zal_song/a.xml", Ansi(SongFileText(L"A/a.ogg")));
    EXPECT_EQ(Run(), ConversionOutcome::kStopped);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.messages[1].text.find(L"\"300\""), std::wstring::npos);
    EXPECT_EQ(ui.status, L"读取失败,转换中止");
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(FilesIn(Music()).empty());
}

}  // namespace
}  // namespace tavrin::testing
