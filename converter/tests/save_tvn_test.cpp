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

TEST_F(SaveTvn, EachFolderGetsItsImagesFilesAndTextsInListOrder) {
    const Bytes image = ImageBytes(1, 3000), noise = ImageBytes(8, 6000, true), seven = ImageBytes(7, 2000);
    game.Loose(L"zal_image/img_music/a.png", image);
    game.Loose(L"zal_image/p/Cover.png", ImageBytes(3, 500));
    game.Loose(L"zal_image/q/cover.png", ImageBytes(4, 500));
    game.Loose(L"zal_image/noise.png", noise);
    game.Archive(L"zal_image007.pak", {{L"zal_image/img_music/seven.png", seven}});
    game.Archive(L"zal_song003.pak", {{L"zal_song/numbered.xml", Ansi(SongFileText(L"N/n.ogg"))}});
    for (const wchar_t* folder : {L"A", L"X", L"Y", L"N"}) Song(L"zal_song/" + std::wstring(folder) + L".xml", folder);
    game.Loose(L"zal_image/w.png", ImageBytes(14, 64));
    WriteBytes(Tvn(L"A"), {'o', 'l', 'd'});
    WriteBytes(Music() + L"\\A.tmp", {'t', 'm', 'p'});
    list = {Entry(123, u"A", u"zal_image/img_music/a.png", u"zal_song/A.xml"),
            Entry(124, u"A", u"zal_image/img_music/a.png", u"zal_song/X.xml"),  // shares the stored image
            Entry(125, u"A", u"", u"zal_song/A.xml"),                           // an empty path matches the folder
            Entry(300, u"X", u"zal_image/p/Cover.png", u"zal_song/X.xml"),
            Entry(301, u"X", u"zal_image/q/cover.png", u"zal_song/X.xml"),  // base names compare exactly
            Entry(302, u"Y", u"zal_image/p/Cover.png", u"zal_song/Y.xml"),  // and only in their own descriptor
            Entry(303, u"Y", u"zal_image/noise.png", u"zal_song/Y.xml"),
            Entry(400, u"N", u"zal_image/img_music/seven.png", u"zal_song/numbered.xml"),
            Entry(401, u"N", u"zal_image/img_music/none.png", u"zal_song/N.xml")};
    for (int k = 0; k < 150; ++k) list.push_back(Entry(500 + k, u"Wide", u"zal_image/w.png", u"zal_song/A.xml"));

    EXPECT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(ui.statuses, (std::vector<std::wstring>{L"正在保存TVN文件...", L"保存完毕!"}));
    EXPECT_EQ(ui.progress, (std::vector<std::wstring>{L"A", L"X", L"Y", L"N", L"Wide"}));
    EXPECT_EQ(ui.logClears, 1);
    // Numbered archives hold images but are never searched for song files; what could not be
    // stored keeps the list's path.
    EXPECT_EQ(ui.LogLines(), (std::vector<std::wstring>{L"XML文件错误: zal_song/numbered.xml",
                                                        L"图片错误: zal_image/img_music/none.png"}));
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"A.tvn", L"N.tvn", L"Wide.tvn", L"X.tvn", L"Y.tvn"}));
    const std::pair<const wchar_t*, std::vector<std::string>> names[] = {
        {L"A", {"A", "A/a.png", "A/A.xml", "A/123.txt", "A/X.xml", "A/124.txt", "A/125.txt"}},
        {L"X", {"X", "X/Cover.png", "X/X.xml", "X/300.txt", "X/cover.png", "X/301.txt"}},
        {L"Y", {"Y", "Y/Cover.png", "Y/Y.xml", "Y/302.txt", "Y/noise.png", "Y/303.txt"}},
        {L"N", {"N", "N/seven.png", "N/400.txt", "N/N.xml", "N/401.txt"}}};
    for (const auto& [folder, expected] : names) {
        SCOPED_TRACE(Name(folder));
        const DescriptorFile d = ReadDescriptor(Tvn(folder));
        EXPECT_EQ(d.marker, (Bytes{'G', 'E', 'N', 'P', 'A', 'K', 0x00, 0x06}));
        std::vector<std::string> got;
        int32_t offset = 0;
        for (const auto& r : d.records) {
            got.push_back(r.name);
            EXPECT_EQ(r.method, got.size() == 1 ? 2 : 1) << r.name;  // the folder, then LZSS streams
            EXPECT_EQ(r.dataOffset, offset) << r.name;
            offset += r.packedSize;
        }
        EXPECT_EQ(got, expected);
        EXPECT_EQ(d.dirOffset, offset + 8);
        EXPECT_EQ(VerifyFaults(Tvn(folder)), "");
    }
    EXPECT_EQ(ReadDescriptor(Tvn(L"Wide")).records.size(), 153u);
    EXPECT_EQ(ExtractMember(Tvn(L"A"), L"A/a.png"), image);
    EXPECT_EQ(ExtractMember(Tvn(L"A"), L"A/A.xml"), ReadBytes(root / L"zal_song\\A.xml"));
    EXPECT_EQ(ExtractMember(Tvn(L"A"), L"A/124.txt"),
              ExpectedText(L"124", L"Song A", L"A/a.png", L"A/X.xml", L"5", L"Pop", L"Tester"));
    EXPECT_EQ(ExtractMember(Tvn(L"A"), L"A/125.txt"),
              ExpectedText(L"125", L"Song A", L"A/", L"A/A.xml", L"5", L"Pop", L"Tester"));
    EXPECT_EQ(list[0].Image, u"A/a.png");
    EXPECT_EQ(list[0].File, u"A/A.xml");
    // Incompressible files are whole streams.
    EXPECT_GT(ReadDescriptor(Tvn(L"Y")).records[4].packedSize, 6000);
    EXPECT_EQ(ExtractMember(Tvn(L"Y"), L"Y/noise.png"), noise);
    EXPECT_EQ(ExtractMember(Tvn(L"N"), L"N/seven.png"), seven);
    EXPECT_EQ(ExtractMember(Tvn(L"N"), L"N/400.txt"),
              ExpectedText(L"400", L"Song N", L"N/seven.png", L"zal_song/numbered.xml", L"5", L"Pop", L"Tester"));
    EXPECT_EQ(ExtractMember(Tvn(L"N"), L"N/401.txt"),
              ExpectedText(L"401", L"Song N", L"zal_image/img_music/none.png", L"N/N.xml", L"5", L"Pop", L"Tester"));
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
