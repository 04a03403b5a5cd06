// SaveTVN against a real game folder: what goes into each descriptor and in which order, the log
// lines and the error limit, and that zal_music only ever holds whole descriptors.
#include <windows.h>

#include <gtest/gtest.h>

#include "descriptor_reader.h"
#include "fake_conversion_ui.h"
#include "game_folder.h"
#include "save_tvn.h"
#include "temp_folder.h"

namespace tavrin::testing {
namespace {

constexpr uint32_t kCritical = 0x10;

std::string Name(const std::wstring& text) {
    Bytes b = Ansi(text);
    return std::string(b.begin(), b.end());
}

MusicEntry Entry(int32_t index, std::u16string folder, std::u16string image, std::u16string file) {
    MusicEntry e;
    e.Index = index;
    e.Name = u"Song " + folder;
    e.Folder = std::move(folder);
    e.Image = std::move(image);
    e.File = std::move(file);
    e.Level = 5;
    e.Genre = u"Pop";
    e.Artist = u"Tester";
    return e;
}

MusicEntry Failed(std::u16string file) {
    MusicEntry e = Entry(100, u"", u"zal_image/x.png", std::move(file));
    e.ReadFailed = 1;
    return e;
}

class SaveTvn : public ::testing::Test {
protected:
    SaveTvn() : game(root.Path()), inside(root.Path()) { CreateDirectoryW(Music().c_str(), nullptr); }

    std::wstring Music() const { return root / L"zal_music"; }
    std::wstring Tvn(const std::wstring& folder) const { return Music() + L"\\" + folder + L".tvn"; }
    SaveOutcome Save() { return SaveTVN(data, ui, list, root.Path()); }

    void Song(const std::wstring& gamePath, const std::wstring& folder) {
        game.Loose(gamePath, Ansi(SongFileText(folder + L"/" + folder + L".ogg")));
    }

    TempFolder root;
    GameFolder game;
    CurrentFolder inside;
    SystemGameData data;
    FakeConversionUi ui;
    MusicList list;
};

TEST_F(SaveTvn, OneSongGivesTheFolderItsImageItsFileAndItsTextInThatOrder) {
    Bytes image = ImageBytes(1, 3000);
    game.Loose(L"zal_image/img_music/a.png", image);
    Song(L"zal_song/a.xml", L"SongA");
    list = {Entry(123, u"SongA", u"zal_image/img_music/a.png", u"zal_song/a.xml")};

    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(ui.statuses, (std::vector<std::wstring>{L"正在保存TVN文件...", L"保存完毕!"}));
    EXPECT_EQ(ui.progress, (std::vector<std::wstring>{L"SongA"}));
    EXPECT_EQ(ui.logClears, 1);
    EXPECT_EQ(ui.log, L"");

    DescriptorFile d = ReadDescriptor(Tvn(L"SongA"));
    EXPECT_EQ(d.marker, (Bytes{'G', 'E', 'N', 'P', 'A', 'K', 0x00, 0x06}));
    ASSERT_EQ(d.records.size(), 4u);
    const auto& r = d.records;
    EXPECT_EQ(r[0].name, "SongA");
    EXPECT_EQ(r[0].method, 2);
    EXPECT_EQ(r[0].dataOffset, 0);
    EXPECT_EQ(r[0].packedSize, 0);
    EXPECT_EQ(r[0].fileSize, 0);
    EXPECT_EQ(r[1].name, "SongA/a.png");
    EXPECT_EQ(r[2].name, "SongA/a.xml");
    EXPECT_EQ(r[3].name, "SongA/123.txt");
    int32_t offset = 0;
    for (size_t k = 1; k < 4; ++k) {
        EXPECT_EQ(r[k].method, 1);
        EXPECT_EQ(r[k].dataOffset, offset);
        offset += r[k].packedSize;
    }
    EXPECT_EQ(r[1].fileSize, 3000);
    EXPECT_EQ(d.dirOffset, offset + 8);
    EXPECT_EQ(VerifyFaults(Tvn(L"SongA")), "");

    Bytes text = ExpectedText(L"123", L"Song SongA", L"SongA/a.png", L"SongA/a.xml", L"5", L"Pop", L"Tester");
    EXPECT_EQ(ExtractMember(Tvn(L"SongA"), L"SongA/123.txt"), text);
    EXPECT_EQ(ExtractMember(Tvn(L"SongA"), L"SongA/a.png"), image);
    EXPECT_EQ(ExtractMember(Tvn(L"SongA"), L"SongA/a.xml"), ReadBytes(root / L"zal_song\\a.xml"));
    EXPECT_EQ(list[0].Image, u"SongA/a.png");
    EXPECT_EQ(list[0].File, u"SongA/a.xml");
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"SongA.tvn"}));
}

TEST_F(SaveTvn, SongsOfOneFolderShareAStoredImageAndEmptyPathsMatchTheFolder) {
    game.Loose(L"zal_image/img_music/shared.png", ImageBytes(2, 800));
    Song(L"zal_song/easy.xml", L"Duo");
    Song(L"zal_song/hard.xml", L"Duo");
    list = {Entry(200, u"Duo", u"zal_image/img_music/shared.png", u"zal_song/easy.xml"),
            Entry(201, u"Duo", u"zal_image/img_music/shared.png", u"zal_song/hard.xml"),
            Entry(202, u"Duo", u"", u"zal_song/easy.xml")};
    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(ui.progress, (std::vector<std::wstring>{L"Duo"}));  // one descriptor, one progress line

    DescriptorFile d = ReadDescriptor(Tvn(L"Duo"));
    std::vector<std::string> names;
    for (const auto& rec : d.records) names.push_back(rec.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Duo", "Duo/shared.png", "Duo/easy.xml", "Duo/200.txt", "Duo/hard.xml",
                                               "Duo/201.txt", "Duo/202.txt"}));
    EXPECT_EQ(VerifyFaults(Tvn(L"Duo")), "");
    EXPECT_EQ(ExtractMember(Tvn(L"Duo"), L"Duo/201.txt"),
              ExpectedText(L"201", L"Song Duo", L"Duo/shared.png", L"Duo/hard.xml", L"5", L"Pop", L"Tester"));
    EXPECT_EQ(ExtractMember(Tvn(L"Duo"), L"Duo/202.txt"),
              ExpectedText(L"202", L"Song Duo", L"Duo/", L"Duo/easy.xml", L"5", L"Pop", L"Tester"));
    EXPECT_EQ(ui.log, L"");
}

TEST_F(SaveTvn, BaseNamesCompareExactlyAndOnlyWithinTheirOwnDescriptor) {
    game.Loose(L"zal_image/p/Cover.png", ImageBytes(3, 500));
    game.Loose(L"zal_image/q/cover.png", ImageBytes(4, 500));
    Song(L"zal_song/x.xml", L"X");
    Song(L"zal_song/y.xml", L"Y");
    list = {Entry(300, u"X", u"zal_image/p/Cover.png", u"zal_song/x.xml"),
            Entry(301, u"X", u"zal_image/q/cover.png", u"zal_song/x.xml"),
            Entry(302, u"Y", u"zal_image/p/Cover.png", u"zal_song/y.xml")};
    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    std::vector<std::string> x, y;
    for (const auto& rec : ReadDescriptor(Tvn(L"X")).records) x.push_back(rec.name);
    for (const auto& rec : ReadDescriptor(Tvn(L"Y")).records) y.push_back(rec.name);
    EXPECT_EQ(x, (std::vector<std::string>{"X", "X/Cover.png", "X/x.xml", "X/300.txt", "X/cover.png", "X/301.txt"}));
    EXPECT_EQ(y, (std::vector<std::string>{"Y", "Y/Cover.png", "Y/y.xml", "Y/302.txt"}));
}

TEST_F(SaveTvn, ImagesComeFromNumberedArchivesButSongFilesNever) {
    game.Archive(L"zal_image007.pak", {{L"zal_image/img_music/seven.png", ImageBytes(7, 2000)}});
    game.Archive(L"zal_song003.pak", {{L"zal_song/numbered.xml", Ansi(SongFileText(L"N/n.ogg"))}});
    Song(L"zal_song/n.xml", L"N");
    list = {Entry(400, u"N", u"zal_image/img_music/seven.png", u"zal_song/numbered.xml"),
            Entry(401, u"N", u"zal_image/img_music/none.png", u"zal_song/n.xml")};
    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(ui.LogLines(), (std::vector<std::wstring>{L"XML文件错误: zal_song/numbered.xml",
                                                        L"图片错误: zal_image/img_music/none.png"}));
    std::vector<std::string> names;
    for (const auto& rec : ReadDescriptor(Tvn(L"N")).records) names.push_back(rec.name);
    EXPECT_EQ(names, (std::vector<std::string>{"N", "N/seven.png", "N/400.txt", "N/n.xml", "N/401.txt"}));
    EXPECT_EQ(ExtractMember(Tvn(L"N"), L"N/seven.png"), ImageBytes(7, 2000));
    // What could not be stored keeps the list's path.
    EXPECT_EQ(ExtractMember(Tvn(L"N"), L"N/400.txt"),
              ExpectedText(L"400", L"Song N", L"N/seven.png", L"zal_song/numbered.xml", L"5", L"Pop", L"Tester"));
    EXPECT_EQ(ExtractMember(Tvn(L"N"), L"N/401.txt"),
              ExpectedText(L"401", L"Song N", L"zal_image/img_music/none.png", L"N/n.xml", L"5", L"Pop", L"Tester"));
}

TEST_F(SaveTvn, IncompressibleFilesAreStoredAsWholeStreams) {
    Bytes noise = ImageBytes(8, 6000, true);
    game.Loose(L"zal_image/noise.png", noise);
    Song(L"zal_song/z.xml", L"Z");
    list = {Entry(500, u"Z", u"zal_image/noise.png", u"zal_song/z.xml")};
    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    DescriptorFile d = ReadDescriptor(Tvn(L"Z"));
    ASSERT_EQ(d.records.size(), 4u);
    EXPECT_EQ(d.records[1].method, 1);
    EXPECT_GT(d.records[1].packedSize, 6000);
    EXPECT_EQ(VerifyFaults(Tvn(L"Z")), "");
    EXPECT_EQ(ExtractMember(Tvn(L"Z"), L"Z/noise.png"), noise);
}

TEST_F(SaveTvn, AnOldDescriptorIsReplaced) {
    WriteBytes(Tvn(L"Old"), {'o', 'l', 'd'});
    WriteBytes(Music() + L"\\Old.tmp", {'t', 'm', 'p'});
    game.Loose(L"zal_image/o.png", ImageBytes(9, 100));
    Song(L"zal_song/o.xml", L"Old");
    list = {Entry(600, u"Old", u"zal_image/o.png", u"zal_song/o.xml")};
    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(VerifyFaults(Tvn(L"Old")), "");
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"Old.tvn"}));
}

TEST_F(SaveTvn, FiftyErrorsAreLoggedAndTheRunGoesOn) {
    for (int k = 0; k < 50; ++k)
        list.push_back(Failed(u"zal_song/missing" + std::u16string(1, static_cast<char16_t>(u'A' + k % 26)) + u".xml"));
    game.Loose(L"zal_image/g.png", ImageBytes(10, 100));
    Song(L"zal_song/g.xml", L"Good");
    list.push_back(Entry(700, u"Good", u"zal_image/g.png", u"zal_song/g.xml"));
    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(ui.LogLines().size(), 50u);
    EXPECT_EQ(ui.LogLines()[0], L"XML文件错误: zal_song/missingA.xml");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.status, L"保存完毕!");
    EXPECT_EQ(VerifyFaults(Tvn(L"Good")), "");
}

TEST_F(SaveTvn, TheFiftyFirstErrorStopsTheRunBetweenDescriptors) {
    for (int k = 0; k < 51; ++k) list.push_back(Failed(u"zal_song/missing.xml"));
    game.Loose(L"zal_image/g.png", ImageBytes(10, 100));
    Song(L"zal_song/g.xml", L"Good");
    list.push_back(Entry(700, u"Good", u"zal_image/g.png", u"zal_song/g.xml"));
    EXPECT_EQ(Save(), SaveOutcome::kTooManyErrors);
    EXPECT_EQ(ui.LogLines().size(), 51u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, L"错误太多,转换中止");
    EXPECT_EQ(ui.messages[0].style, kCritical);
    EXPECT_EQ(ui.status, L"错误太多,转换中止");
    EXPECT_TRUE(FilesIn(Music()).empty());
}

TEST_F(SaveTvn, ErrorsInsideADescriptorAreCountedOnceItIsComplete) {
    for (int k = 0; k < 49; ++k) list.push_back(Failed(u"zal_song/missing.xml"));
    Song(L"zal_song/m.xml", L"Many");
    for (int k = 0; k < 3; ++k)
        list.push_back(Entry(800 + k, u"Many",
                             u"zal_image/none" + std::u16string(1, static_cast<char16_t>(u'0' + k)) + u".png",
                             u"zal_song/m.xml"));
    list.push_back(Entry(900, u"Later", u"zal_image/none.png", u"zal_song/m.xml"));
    EXPECT_EQ(Save(), SaveOutcome::kTooManyErrors);
    EXPECT_EQ(ui.LogLines().size(), 52u);
    EXPECT_EQ(VerifyFaults(Tvn(L"Many")), "");  // finished before the check
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"Many.tvn"}));
}

TEST_F(SaveTvn, AMissingZalMusicFolderIsAnUnexpectedErrorThatLeavesNothing) {
    RemoveDirectoryW(Music().c_str());
    game.Loose(L"zal_image/a.png", ImageBytes(11, 100));
    Song(L"zal_song/a.xml", L"A");
    list = {Entry(100, u"A", u"zal_image/a.png", u"zal_song/a.xml")};
    EXPECT_EQ(Save(), SaveOutcome::kUnexpected);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, L"未知错误");
    EXPECT_EQ(ui.messages[0].style, 0u);
    ASSERT_EQ(ui.LogLines().size(), 1u);
    EXPECT_EQ(ui.LogLines()[0].rfind(L"未知错误: ", 0), 0u);
    EXPECT_NE(ui.status, L"保存完毕!");
    EXPECT_EQ(GetFileAttributesW(Music().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SaveTvn, AnUnexpectedErrorMidDescriptorRemovesItAndItsTemporaryFile) {
    game.Loose(L"zal_image/a.png", ImageBytes(12, 1000));
    const std::wstring longBase(150, L'n');
    game.Loose(L"zal_image/" + longBase + L".png", ImageBytes(13, 100));
    Song(L"zal_song/a.xml", L"A");
    // 111 + 1 + 154 bytes: the second image's entry name does not fit 255.
    const std::u16string folder = u"B" + std::u16string(110, u'b');
    const std::wstring folderName(folder.begin(), folder.end());
    WriteBytes(Tvn(folderName), {'o', 'l', 'd'});
    list = {Entry(100, u"A", u"zal_image/a.png", u"zal_song/a.xml"),
            Entry(101, folder, u"zal_image/a.png", u"zal_song/a.xml"),
            Entry(102, folder, u"zal_image/" + std::u16string(150, u'n') + u".png", u"zal_song/a.xml"),
            Entry(103, u"C", u"zal_image/a.png", u"zal_song/a.xml")};
    EXPECT_EQ(Save(), SaveOutcome::kUnexpected);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, L"未知错误");
    EXPECT_EQ(ui.messages[0].style, 0u);
    // A stays whole; the half-written descriptor and its temporary file are gone (the old one was
    // replaced when writing began); C was never started.
    EXPECT_EQ(VerifyFaults(Tvn(L"A")), "");
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"A.tvn"}));
    EXPECT_EQ(ui.progress, (std::vector<std::wstring>{L"A", folderName}));
    ASSERT_EQ(ui.LogLines().size(), 1u);
    EXPECT_NE(ui.LogLines()[0].find(L"255"), std::wstring::npos);
}

TEST_F(SaveTvn, AFolderNeedingMoreThan100StoredFilesIsAnUnexpectedError) {
    Song(L"zal_song/s.xml", L"Big");
    // Each song adds its image and text: the 51st image would need slot 102.
    for (int k = 0; k < 51; ++k) {
        std::wstring image = L"zal_image/i" + std::to_wstring(k) + L".png";
        game.Loose(image, ImageBytes(100 + static_cast<uint32_t>(k), 64));
        list.push_back(Entry(100 + k, u"Big", std::u16string(image.begin(), image.end()), u"zal_song/s.xml"));
    }
    EXPECT_EQ(Save(), SaveOutcome::kUnexpected);
    EXPECT_TRUE(FilesIn(Music()).empty());
}

TEST_F(SaveTvn, AFolderOfManySongsSharingTheirFilesIsWritten) {
    game.Loose(L"zal_image/one.png", ImageBytes(14, 64));
    Song(L"zal_song/s.xml", L"Wide");
    for (int k = 0; k < 150; ++k) list.push_back(Entry(100 + k, u"Wide", u"zal_image/one.png", u"zal_song/s.xml"));
    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    DescriptorFile d = ReadDescriptor(Tvn(L"Wide"));
    EXPECT_EQ(d.records.size(), 153u);
    EXPECT_EQ(VerifyFaults(Tvn(L"Wide")), "");
}

TEST_F(SaveTvn, NamesTheCodePageCannotRepresentAreLoggedNeverWrittenWithQuestionMarks) {
    game.Loose(L"zal_image/ok.png", ImageBytes(15, 64));
    Song(L"zal_song/s.xml", L"歌曲");
    list = {Entry(100, u"歌曲", u"zal_image/\u0627.png", u"zal_song/s.xml"),
            Entry(101, u"한국어", u"zal_image/ok.png", u"zal_song/s.xml"),
            Entry(102, u"한국어", u"zal_image/ok.png", u"zal_song/s.xml")};
    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(ui.LogLines(),
              (std::vector<std::wstring>{L"名称无法用系统代码页表示: zal_image/\u0627.png",
                                         L"名称无法用系统代码页表示: 한국어", L"名称无法用系统代码页表示: 한국어"}));
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"歌曲.tvn"}));
    std::vector<std::string> names;
    for (const auto& rec : ReadDescriptor(Tvn(L"歌曲")).records) names.push_back(rec.name);
    EXPECT_EQ(names, (std::vector<std::string>{Name(L"歌曲"), Name(L"歌曲/s.xml"), Name(L"歌曲/100.txt")}));
    EXPECT_EQ(VerifyFaults(Tvn(L"歌曲")), "");
}

TEST_F(SaveTvn, ClosingTheWindowStopsBeforeTheNextDescriptorIsTouched) {
    game.Loose(L"zal_image/a.png", ImageBytes(16, 500));
    Song(L"zal_song/a.xml", L"A");
    WriteBytes(Tvn(L"B"), {'o', 'l', 'd'});
    list = {Entry(100, u"A", u"zal_image/a.png", u"zal_song/a.xml"),
            Entry(101, u"B", u"zal_image/a.png", u"zal_song/a.xml")};
    ui.onPump = [this] {
        if (ui.progress.size() == 2) throw ConversionClosed{};
    };
    EXPECT_THROW(Save(), ConversionClosed);
    EXPECT_EQ(VerifyFaults(Tvn(L"A")), "");
    EXPECT_EQ(ReadBytes(Tvn(L"B")), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"A.tvn", L"B.tvn"}));
}

}  // namespace
}  // namespace tavrin::testing
