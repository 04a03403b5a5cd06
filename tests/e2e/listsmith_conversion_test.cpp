// The real listsmith.exe converting generated game folders under Wine: the question, the whole
// run with its log and status lines, the descriptors it writes (checked with genpak and byte for
// byte), the error limit, and the ways a run ends early.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "descriptor_reader.h"
#include "game_folder.h"
#include "temp_folder.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;
constexpr int kCmdGen = 202, kStatus = 203, kProgress = 204, kLog = 205;
const wchar_t kTitle[] = L"Tavrin单机歌曲转换器";
const wchar_t kDone[] = L"转换完毕,请退出!";

std::string Name(const std::wstring& text) {
    Bytes b = Ansi(text);
    return std::string(b.begin(), b.end());
}

std::vector<std::string> RecordNames(const std::wstring& descriptor) {
    std::vector<std::string> names;
    for (const DescriptorRecord& r : ReadDescriptor(descriptor).records) names.push_back(r.name);
    return names;
}

// Every file below a folder, with its size: what a run may not change.
std::vector<std::pair<std::wstring, size_t>> Tree(const std::wstring& folder) {
    std::vector<std::pair<std::wstring, size_t>> files;
    std::function<void(const std::wstring&)> walk = [&](const std::wstring& dir) {
        for (const std::wstring& name : FilesIn(dir)) {
            std::wstring path = dir + L"\\" + name;
            if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
                walk(path);
            else
                files.push_back({path, ReadBytes(path).size()});
        }
    };
    walk(folder);
    return files;
}

// A game folder with listsmith.exe and TVAPI.dll in it, and the program running there.
class Listsmith : public ::testing::Test {
protected:
    Listsmith() : game(root.Path()) { InstallListsmith(root.Path()); }

    std::wstring Music() const { return root / L"zal_music"; }
    std::wstring Tvn(const std::wstring& folder) const { return Music() + L"\\" + folder + L".tvn"; }

    void Start() {
        program = std::make_unique<RunningProgram>(L"\"" + (root / L"listsmith.exe") + L"\"", root.Path());
        window = WaitForTopWindow(program->ProcessId(), L"TavrinListsmithMain", kTimeoutMs);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (program && window && IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
        if (program) program->WaitForExit(kTimeoutMs);
    }

    std::wstring Text(int id) const { return WindowText(GetDlgItem(window, id)); }
    bool ButtonEnabled() const { return IsWindowEnabled(GetDlgItem(window, kCmdGen)) != FALSE; }

    // Presses the start button and answers the question.
    void Convert(int answer) {
        ClickButton(GetDlgItem(window, kCmdGen));
        MessageBoxInfo question = Box();
        EXPECT_EQ(question.text, L"该操作将会自动覆盖现有的tvn文件，是否继续？");
        EXPECT_EQ(question.caption, kTitle);
        EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
        PressButton(question.hwnd, answer);
        EXPECT_TRUE(WaitForWindowGone(question.hwnd, kTimeoutMs));
    }
    MessageBoxInfo Box() {
        auto box = WaitForMessageBox(program->ProcessId(), kTimeoutMs);
        if (!box) throw std::runtime_error("no message box");
        return *box;
    }
    void Acknowledge(const std::wstring& text) {
        MessageBoxInfo box = Box();
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, kTitle);
        EXPECT_EQ(box.buttons, (std::vector<int>{IDOK}));
        PressButton(box.hwnd, IDOK);
        EXPECT_TRUE(WaitForWindowGone(box.hwnd, kTimeoutMs));
    }
    bool WaitForStatus(const std::wstring& status) {
        ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
        while (Text(kStatus) != status) {
            if (GetTickCount64() > deadline) return false;
            Sleep(50);
        }
        return true;
    }

    // A song whose image and song file exist (loose), in its own folder.
    void GoodSong(int index, const std::wstring& folder, std::vector<ListSong>& list) {
        std::wstring id = std::to_wstring(index);
        game.Loose(L"zal_image/" + id + L".png", ImageBytes(static_cast<uint32_t>(index), 400));
        game.Loose(L"zal_song/" + id + L".xml", Ansi(SongFileText(folder + L"/" + id + L".ogg")));
        list.push_back({id, L"Song " + id, L"zal_image/" + id + L".png", L"zal_song/" + id + L".xml"});
    }

    TempFolder root;
    GameFolder game;
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr;
};

TEST_F(Listsmith, NoChangesNothingThenYesConvertsTheWholeGame) {
    // The list lives in its archive; song files in zal_song.pak, one of them also loose (the loose
    // one wins) and one only in a numbered archive (never searched for song files); images in
    // zal_image.pak, one only in zal_image007.pak, one loose over its archived copy, one missing.
    std::vector<ListSong> list = {
        {L"101", L"一号歌", L"zal_image/img_music/one.png", L"zal_song/one.xml", L"9", L"流行", L"歌手"},
        {L"102", L"Beta easy", L"zal_image/img_music/beta.png", L"zal_song/beta_easy.xml", L"3"},
        {L"103", L"Beta hard", L"zal_image/img_music/beta.png", L"zal_song/beta_hard.xml", L"12.5"},
        {L"104", L"Gamma", L"zal_image/img_music/gamma.png", L"zal_song/gamma.xml"},
        {L"105", L"Delta", L"zal_image/img_music/missing.png", L"zal_song/delta.xml"},
        {L"99", L"Too low", L"zal_image/img_music/one.png", L"zal_song/one.xml"},
    };
    game.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Ansi(MusicListText(list))}});
    game.Archive(L"zal_song.pak", {{L"zal_song/one.xml", Ansi(SongFileText(L"歌曲一/one.ogg"))},
                                   {L"zal_song/beta_easy.xml", Ansi(SongFileText(L"Beta/easy.ogg"))},
                                   {L"zal_song/beta_hard.xml", Ansi(SongFileText(L"Beta/hard.ogg"))},
                                   {L"zal_song/delta.xml", Ansi(SongFileText(L"Wrong/delta.ogg"))}});
    game.Loose(L"zal_song/delta.xml", Ansi(SongFileText(L"Delta/delta.ogg")));
    game.Archive(L"zal_song003.pak", {{L"zal_song/gamma.xml", Ansi(SongFileText(L"Gamma/gamma.ogg"))}});
    Bytes one = ImageBytes(1, 3000), beta = ImageBytes(2, 5000), gamma = ImageBytes(3, 700);
    game.Archive(L"zal_image.pak",
                 {{L"zal_image/img_music/one.png", one}, {L"zal_image/img_music/gamma.png", ImageBytes(4, 100)}});
    game.Archive(L"zal_image007.pak", {{L"zal_image/img_music/beta.png", beta}});
    game.Loose(L"zal_image/img_music/gamma.png", gamma);
    CreateDirectoryW(Music().c_str(), nullptr);
    WriteBytes(Tvn(L"Beta"), Ansi(L"an old descriptor"));
    WriteBytes(Tvn(L"Other"), Ansi(L"another folder's"));
    const auto before = Tree(root.Path());

    Start();
    Convert(IDNO);
    EXPECT_EQ(Tree(root.Path()), before);
    EXPECT_EQ(Text(kStatus), L"当前状态");
    EXPECT_EQ(Text(kProgress), L"当前进度");
    EXPECT_EQ(Text(kLog), L"诊断信息");
    EXPECT_TRUE(ButtonEnabled());

    Convert(IDYES);
    ASSERT_TRUE(WaitForStatus(kDone)) << "status stayed at " << Text(kStatus).size();
    EXPECT_FALSE(ButtonEnabled());          // one conversion per start
    EXPECT_EQ(Text(kProgress), L"歌曲一");  // folders in code-unit order: the Chinese name last
    EXPECT_EQ(Text(kLog), L"XML文件错误: zal_song/gamma.xml\r\n图片错误: zal_image/img_music/missing.png\r\n");

    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"Beta.tvn", L"Delta.tvn", L"Other.tvn", L"歌曲一.tvn"}));
    EXPECT_EQ(ReadBytes(Tvn(L"Other")), Ansi(L"another folder's"));
    for (const wchar_t* folder : {L"Beta", L"Delta", L"歌曲一"}) {
        EXPECT_EQ(VerifyFaults(Tvn(folder)), "") << Name(folder);
        EXPECT_EQ(ReadDescriptor(Tvn(folder)).marker, (Bytes{'G', 'E', 'N', 'P', 'A', 'K', 0x00, 0x06}));
    }

    EXPECT_EQ(RecordNames(Tvn(L"Beta")),
              (std::vector<std::string>{"Beta", "Beta/beta.png", "Beta/beta_easy.xml", "Beta/102.txt",
                                        "Beta/beta_hard.xml", "Beta/103.txt"}));
    EXPECT_EQ(ExtractMember(Tvn(L"Beta"), L"Beta/beta.png"), beta);  // from the numbered archive, stored once
    EXPECT_EQ(ExtractMember(Tvn(L"Beta"), L"Beta/102.txt"),
              ExpectedText(L"102", L"Beta easy", L"Beta/beta.png", L"Beta/beta_easy.xml", L"3", L"Pop", L"Tester"));
    EXPECT_EQ(ExtractMember(Tvn(L"Beta"), L"Beta/103.txt"),
              ExpectedText(L"103", L"Beta hard", L"Beta/beta.png", L"Beta/beta_hard.xml", L"12", L"Pop", L"Tester"));

    EXPECT_EQ(RecordNames(Tvn(L"Delta")), (std::vector<std::string>{"Delta", "Delta/delta.xml", "Delta/105.txt"}));
    EXPECT_EQ(ExtractMember(Tvn(L"Delta"), L"Delta/delta.xml"), ReadBytes(root / L"zal_song\\delta.xml"));
    EXPECT_EQ(ExtractMember(Tvn(L"Delta"), L"Delta/105.txt"),
              ExpectedText(L"105", L"Delta", L"zal_image/img_music/missing.png", L"Delta/delta.xml", L"5", L"Pop",
                           L"Tester"));

    EXPECT_EQ(RecordNames(Tvn(L"歌曲一")),
              (std::vector<std::string>{Name(L"歌曲一"), Name(L"歌曲一/one.png"), Name(L"歌曲一/one.xml"),
                                        Name(L"歌曲一/101.txt")}));
    EXPECT_EQ(ExtractMember(Tvn(L"歌曲一"), L"歌曲一/one.png"), one);
    EXPECT_EQ(ExtractMember(Tvn(L"歌曲一"), L"歌曲一/101.txt"),
              ExpectedText(L"101", L"一号歌", L"歌曲一/one.png", L"歌曲一/one.xml", L"9", L"流行", L"歌手"));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
}

TEST_F(Listsmith, AMissingListIsReportedAndTheProgramEnds) {
    CreateDirectoryW(Music().c_str(), nullptr);
    const auto before = Tree(root.Path());
    Start();
    Convert(IDYES);
    Acknowledge(L"没有找到文件 zal_script/music.txt!");
    EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(1));
    EXPECT_EQ(Tree(root.Path()), before);
}

TEST_F(Listsmith, FiftyErrorsAreLoggedInFullAndTheRunGoesOn) {
    // Long song-file paths make a log past the 32,767 characters an edit control keeps unless
    // told otherwise.
    std::vector<ListSong> list;
    std::wstring expected;
    for (int k = 0; k < 50; ++k) {
        std::wstring file = L"zal_song/" + std::wstring(850, L'x') + L"/lost" + std::to_wstring(k) + L".xml";
        list.push_back({std::to_wstring(200 + k), L"Lost", L"zal_image/lost.png", file});
        expected += L"XML文件错误: " + file + L"\r\n";
    }
    ASSERT_GT(expected.size(), 40000u);
    GoodSong(300, L"Good", list);
    game.Loose(L"zal_script/music.txt", Ansi(MusicListText(list)));
    CreateDirectoryW(Music().c_str(), nullptr);
    Start();
    Convert(IDYES);
    ASSERT_TRUE(WaitForStatus(kDone));
    const std::wstring log = Text(kLog);
    EXPECT_EQ(log.size(), expected.size());
    EXPECT_TRUE(log == expected) << "the log differs from its " << expected.size() << " characters";
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"Good.tvn"}));
    EXPECT_EQ(VerifyFaults(Tvn(L"Good")), "");
}

TEST_F(Listsmith, TheFiftyFirstErrorStopsTheRun) {
    std::vector<ListSong> list;
    for (int k = 0; k < 51; ++k)
        list.push_back({std::to_wstring(200 + k), L"Lost", L"zal_image/lost.png",
                        L"zal_song/lost" + std::to_wstring(k) + L".xml"});
    GoodSong(300, L"Good", list);
    game.Loose(L"zal_script/music.txt", Ansi(MusicListText(list)));
    CreateDirectoryW(Music().c_str(), nullptr);
    Start();
    Convert(IDYES);
    Acknowledge(L"错误太多,转换中止");
    ASSERT_TRUE(WaitForStatus(kDone));
    std::wstring log = Text(kLog);
    EXPECT_EQ(std::count(log.begin(), log.end(), L'\n'), 51);
    EXPECT_TRUE(FilesIn(Music()).empty());
    EXPECT_FALSE(ButtonEnabled());
}

TEST_F(Listsmith, AMissingZalMusicFolderIsAnUnknownErrorThatLeavesNothingBehind) {
    std::vector<ListSong> list;
    GoodSong(100, L"First", list);
    GoodSong(101, L"Second", list);
    game.Loose(L"zal_script/music.txt", Ansi(MusicListText(list)));
    const auto before = Tree(root.Path());
    Start();
    Convert(IDYES);
    Acknowledge(L"未知错误");
    ASSERT_TRUE(WaitForStatus(kDone));
    EXPECT_EQ(Text(kLog).rfind(L"未知错误: ", 0), 0u);
    EXPECT_EQ(Tree(root.Path()), before);
}

TEST_F(Listsmith, DotsAndEndingSpacesGiveOrdinaryDescriptorsARefusedNameEndsSaving) {
    // Windows trims dots and spaces only at the end of a name; ".tvn" follows each of these. In
    // code-unit order "a|b" comes after them, and "z" after it is never reached.
    struct Case {
        std::wstring folder, descriptor;
    };
    const Case cases[] = {{L".", L"..tvn"}, {L"..", L"...tvn"}, {L"abc.", L"abc..tvn"}, {L"abc ", L"abc .tvn"}};
    std::vector<ListSong> list;
    int index = 100;
    for (const Case& c : cases) GoodSong(index++, c.folder, list);
    GoodSong(index++, L"a|b", list);
    GoodSong(index++, L"z", list);
    game.Loose(L"zal_script/music.txt", Ansi(MusicListText(list)));
    CreateDirectoryW(Music().c_str(), nullptr);
    Start();
    Convert(IDYES);
    Acknowledge(L"未知错误");
    ASSERT_TRUE(WaitForStatus(kDone));
    const std::wstring log = Text(kLog);
    EXPECT_EQ(log.rfind(L"未知错误: ", 0), 0u) << Name(log);
    EXPECT_NE(log.find(L"zal_music\\a|b."), std::wstring::npos) << Name(log);
    EXPECT_EQ(FilesIn(Music()), (std::vector<std::wstring>{L"...tvn", L"..tvn", L"abc .tvn", L"abc..tvn"}));
    index = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.descriptor));
        const std::wstring id = std::to_wstring(index++);
        const std::wstring descriptor = Music() + L"\\" + c.descriptor;
        EXPECT_EQ(VerifyFaults(descriptor), "");
        EXPECT_EQ(
            RecordNames(descriptor),
            (std::vector<std::string>{Name(c.folder), Name(c.folder + L"/" + id + L".png"),
                                      Name(c.folder + L"/" + id + L".xml"), Name(c.folder + L"/" + id + L".txt")}));
    }
}

TEST_F(Listsmith, ClosingTheWindowMidRunEndsItWithOnlyWholeDescriptors) {
    const int songs = 1500;
    std::vector<ListSong> list;
    for (int k = 0; k < songs; ++k) GoodSong(100 + k, L"F" + std::to_wstring(10000 + k), list);
    game.Loose(L"zal_script/music.txt", Ansi(MusicListText(list)));
    CreateDirectoryW(Music().c_str(), nullptr);
    Start();
    Convert(IDYES);
    // Ten whole descriptors: a file still being written is not one, and is gone once the run stops.
    auto descriptors = [&] {
        std::vector<std::wstring> names = FilesIn(Music());
        return std::count_if(names.begin(), names.end(), [](const std::wstring& n) { return n.ends_with(L".tvn"); });
    };
    ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
    while (descriptors() < 10 && GetTickCount64() < deadline) Sleep(20);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(0));

    std::vector<std::wstring> written = FilesIn(Music());
    EXPECT_GE(written.size(), 10u);
    EXPECT_LT(written.size(), static_cast<size_t>(songs)) << "the run was over before the window closed";
    for (const std::wstring& name : written) {
        ASSERT_EQ(name.substr(name.size() - 4), L".tvn") << "only descriptors, no temporary file";
        EXPECT_EQ(VerifyFaults(Music() + L"\\" + name), "") << Name(name);
    }
}

}  // namespace
}  // namespace tavrin::testing
