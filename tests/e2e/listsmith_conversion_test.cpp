// The real listsmith.exe under Wine on generated game folders: its window against its twips, the
// question, a whole run and the descriptors it writes (checked with genpak and byte for byte), the
// same run beside another TVAPI.dll, and each way a run ends early, one program per case.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support.h"
#include "game_folder.h"
#include "genpak_reader.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;
constexpr int kCmdGen = 202, kStatus = 203, kProgress = 204, kLog = 205;
const std::wstring kDone = L"转换完毕,请退出!", kUnknown = L"未知错误", kTooMany = L"错误太多,转换中止";

std::string Name(const std::wstring& text) {
    const Bytes b = Ansi(text);
    return std::string(b.begin(), b.end());
}

// The descriptor's marker (the 8 bytes before its directory) and its entry names, through the
// library's reader.
std::pair<Bytes, std::vector<std::string>> ReadDescriptor(const std::wstring& path) {
    const Bytes b = ReadBytes(path);
    tvapi::genpak::MemorySource source(b.data(), b.size());
    tvapi::genpak::Directory dir;
    EXPECT_EQ(tvapi::genpak::ReadDirectory(source, dir), tvapi::genpak::Status::kOk);
    std::pair<Bytes, std::vector<std::string>> d;
    if (dir.dirOffset >= 8) d.first.assign(b.begin() + dir.dirOffset - 8, b.begin() + dir.dirOffset);
    for (const tvapi::genpak::Entry& e : dir.entries) d.second.emplace_back(dir.Name(e));
    return d;
}

// The descriptor text of a song with its stored paths: UTF-16LE with BOM, one Music line, CR LF.
Bytes ExpectedText(const ListSong& s) {
    const std::wstring line = L"\uFEFF<Music Index=\"" + s.index + L"\" Name=\"" + s.name + L"\" Image=\"" + s.image +
                              L"\" File=\"" + s.file + L"\" Level=\"" + s.level + L"\" Genre=\"" + s.genre +
                              L"\" Artist=\"" + s.artist + L"\"/>\r\n";
    Bytes bytes;
    for (wchar_t c : line) bytes.insert(bytes.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    return bytes;
}

class Listsmith;
struct Ending {
    const char* name;
    std::function<void(Listsmith&)> game;  // writes the list and what it names
    std::wstring message;                  // part of the message box's text; empty: no box
    std::wstring status;                   // the closing status; empty: the program ends with 1
    int logLines;
    std::wstring logHas;
    std::vector<std::wstring> descriptors;  // zal_music afterwards; none: the game folder unchanged
};
void PrintTo(const Ending& e, std::ostream* out) { *out << e.name; }

// A game folder with listsmith.exe and TVAPI.dll in it, and the program running there.
class Listsmith : public ::testing::TestWithParam<Ending> {
public:
    Listsmith() : game(root.Path()) {
        for (const wchar_t* name : {L"listsmith.exe", L"TVAPI.dll"})
            EXPECT_TRUE(CopyFileW((ProgramFolder() + name).c_str(), (root / name).c_str(), FALSE));
        CreateDirectoryW(Music().c_str(), nullptr);
    }
    ~Listsmith() override {
        if (window && IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
        if (program) program->WaitForExit(kTimeoutMs);
    }

    std::wstring Music() const { return root / L"zal_music"; }
    std::wstring Tvn(const std::wstring& folder) const { return Music() + L"\\" + folder + L".tvn"; }
    std::wstring Text(int id) const { return WindowText(GetDlgItem(window, id)); }
    std::vector<std::wstring> Descriptors() const {
        std::vector<std::wstring> names;
        for (const auto& [name, bytes] : FileTree(Music())) names.push_back(name);
        return names;
    }

    void Start() {
        program = std::make_unique<RunningProgram>(L"\"" + (root / L"listsmith.exe") + L"\"", root.Path());
        window = WaitForTopWindow(program->ProcessId(), L"TavrinListsmithMain", kTimeoutMs);
        ASSERT_NE(window, nullptr);
    }
    // Waits for a message box, checks its caption and presses a button.
    MessageBoxInfo Answer(int button) {
        const auto box = WaitForMessageBox(program->ProcessId(), kTimeoutMs);
        if (!box) throw std::runtime_error("no message box");
        EXPECT_EQ(box->caption, L"Tavrin单机歌曲转换器");
        PressButton(box->hwnd, button);
        EXPECT_TRUE(WaitForWindowGone(box->hwnd, kTimeoutMs));
        return *box;
    }
    void Convert(int answer) {
        ClickButton(GetDlgItem(window, kCmdGen));
        const MessageBoxInfo question = Answer(answer);
        EXPECT_EQ(question.text, L"该操作将会自动覆盖现有的tvn文件，是否继续？");
        EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
    }
    bool WaitForStatus(const std::wstring& status) {
        return Eventually([&] { return Text(kStatus) == status; });
    }

    // A song with a loose song file naming folder, and a loose image unless one is given.
    void Song(int index, const std::wstring& folder, std::wstring image = {}) {
        const std::wstring id = std::to_wstring(index), file = L"zal_song/" + id + L".xml";
        if (image.empty()) game.Loose(image = L"zal_image/" + id + L".png", ImageBytes(index, 400));
        game.Loose(file, Ansi(SongFileText(folder + L"/" + id + L".ogg")));
        list.push_back({id, L"Song " + id, image, file});
    }
    // Songs whose files are missing, each an error.
    void Lost(int count, const std::wstring& dir = L"") {
        for (int k = 0; k < count; ++k)
            list.push_back({std::to_wstring(200 + k), L"Lost", L"zal_image/lost.png",
                            L"zal_song/" + dir + L"lost" + std::to_wstring(k) + L".xml"});
    }
    void WriteList() { game.Loose(L"zal_script/music.txt", Ansi(MusicListText(list))); }

    TempFolder root;
    GameFolder game;
    std::vector<ListSong> list;
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr;
};

TEST_F(Listsmith, NoChangesNothingThenYesConvertsTheWholeGame) {
    // The list in its archive; song files in zal_song.pak, one also loose (the loose one wins),
    // one only in a numbered archive (never searched for song files); images in zal_image.pak,
    // one only in zal_image007.pak (and asked for in capitals), one missing, one empty path.
    list = {{L"101", L"一号歌", L"zal_image/img_music/one.png", L"zal_song/one.xml", L"9", L"流行", L"歌手"},
            {L"102", L"Beta &amp; easy", L"zal_image/img_music/beta.png", L"zal_song/beta_easy.xml", L"3"},
            {L"103", L"Beta hard", L"zal_image/img_music/beta.png", L"zal_song/beta_hard.xml", L"12.5"},
            {L"104", L"Gamma", L"zal_image/img_music/gamma.png", L"zal_song/gamma.xml"},
            {L"105", L"Delta", L"zal_image/img_music/missing.png", L"zal_song/delta.xml"},
            {L"106", L"Delta", L"", L"zal_song/delta.xml"},
            {L"107", L"Delta", L"zal_image/img_music/beta.png", L"zal_song/delta.xml"},
            {L"108", L"Beta", L"zal_image/img_music/BETA.PNG", L"zal_song/beta_hard.xml"},
            {L"99", L"Too low", L"zal_image/img_music/one.png", L"zal_song/one.xml"}};
    const Bytes one = ImageBytes(1, 3000, true), beta = ImageBytes(2, 5000),
                oneXml = Ansi(SongFileText(L"歌曲一/1.ogg")), easy = Ansi(SongFileText(L"Beta/easy.ogg")),
                hard = Ansi(SongFileText(L"Beta/hard.ogg")), delta = Ansi(SongFileText(L"Delta/delta.ogg"));
    game.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Ansi(MusicListText(list))}});
    game.Archive(L"zal_song.pak", {{L"zal_song/one.xml", oneXml},
                                   {L"zal_song/beta_easy.xml", easy},
                                   {L"zal_song/beta_hard.xml", hard},
                                   {L"zal_song/delta.xml", Ansi(SongFileText(L"Wrong/delta.ogg"))}});
    game.Loose(L"zal_song/delta.xml", delta);
    game.Archive(L"zal_song003.pak", {{L"zal_song/gamma.xml", Ansi(SongFileText(L"Gamma/gamma.ogg"))}});
    game.Archive(L"zal_image.pak", {{L"zal_image/img_music/one.png", one}});
    game.Archive(L"zal_image007.pak", {{L"zal_image/img_music/beta.png", beta}});
    WriteBytes(Tvn(L"Beta"), Ansi(L"an old descriptor"));
    WriteBytes(Tvn(L"Other"), Ansi(L"another folder's"));
    const auto before = FileTree(root.Path());

    Start();
    EXPECT_EQ(WindowText(window), L"Tavrin歌曲转换器 Beta2");
    const std::wstring usage =
        L"使用说明:\r\n     点击“开始转换”将集中式列表的单机快速转换为分布式列表的单机。\r\n     "
        L"视歌曲数量，可能需要几秒钟"
        L"到几分钟的时间，请耐心等待。\r\n     该操作将会自动覆盖现有的tvn文件，请谨慎开始。";
    ExpectForm(window, 4695, 4470,
               std::vector<ExpectedControl>{{L"Static", usage, {120, 120, 4455, 1455}, false},
                                            {L"Button", L"&S.开始转换", {240, 1560, 4215, 495}, true},
                                            {L"Static", L"当前状态", {0, 2160, 4695, 255}, false},
                                            {L"Static", L"当前进度", {0, 2400, 4695, 255}, false},
                                            {L"Edit", L"诊断信息", {120, 2640, 4455, 1695}, true}});
    Convert(IDNO);
    EXPECT_TRUE(FileTree(root.Path()) == before);
    EXPECT_EQ(Text(kStatus) + Text(kProgress) + Text(kLog), L"当前状态当前进度诊断信息");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, kCmdGen)));

    Convert(IDYES);
    ASSERT_TRUE(WaitForStatus(kDone));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, kCmdGen)));  // one conversion per start
    EXPECT_EQ(Text(kProgress), L"歌曲一");                       // folders in code-unit order: the Chinese name last
    const std::wstring log = L"XML文件错误: zal_song/gamma.xml\r\n图片错误: zal_image/img_music/missing.png\r\n";
    EXPECT_EQ(Text(kLog), log);
    EXPECT_EQ(Descriptors(), (std::vector<std::wstring>{L"Beta.tvn", L"Delta.tvn", L"Other.tvn", L"歌曲一.tvn"}));
    EXPECT_EQ(ReadBytes(Tvn(L"Other")), Ansi(L"another folder's"));
    // Each image and song file once per descriptor (names compare exactly), each song's text after
    // them; what could not be stored keeps the list's path, an empty one names the folder.
    const std::pair<std::wstring, std::vector<std::pair<std::wstring, Bytes>>> descriptors[] = {
        {L"Beta",
         {{L"beta.png", beta},
          {L"beta_easy.xml", easy},
          {L"102.txt", ExpectedText({L"102", L"Beta &amp; easy", L"Beta/beta.png", L"Beta/beta_easy.xml", L"3"})},
          {L"beta_hard.xml", hard},
          {L"103.txt", ExpectedText({L"103", L"Beta hard", L"Beta/beta.png", L"Beta/beta_hard.xml", L"12"})},
          {L"BETA.PNG", beta},
          {L"108.txt", ExpectedText({L"108", L"Beta", L"Beta/BETA.PNG", L"Beta/beta_hard.xml"})}}},
        {L"Delta",
         {{L"delta.xml", delta},
          {L"105.txt", ExpectedText({L"105", L"Delta", L"zal_image/img_music/missing.png", L"Delta/delta.xml"})},
          {L"106.txt", ExpectedText({L"106", L"Delta", L"Delta/", L"Delta/delta.xml"})},
          {L"beta.png", beta},
          {L"107.txt", ExpectedText({L"107", L"Delta", L"Delta/beta.png", L"Delta/delta.xml"})}}},
        {L"歌曲一",
         {{L"one.png", one},
          {L"one.xml", oneXml},
          {L"101.txt",
           ExpectedText({L"101", L"一号歌", L"歌曲一/one.png", L"歌曲一/one.xml", L"9", L"流行", L"歌手"})}}}};
    for (const auto& [folder, members] : descriptors) {
        SCOPED_TRACE(Name(folder));
        std::vector<std::string> names = {Name(folder)};
        for (const auto& [name, bytes] : members) names.push_back(Name(folder + L"/" + name));
        EXPECT_EQ(ReadDescriptor(Tvn(folder)), std::make_pair(Bytes{'G', 'E', 'N', 'P', 'A', 'K', 0, 6}, names));
        EXPECT_EQ(VerifyFaults(Tvn(folder)), "");
        // Extracted on a file system that ignores case, "BETA.PNG" is "beta.png".
        for (const auto& [path, bytes] : ExtractedFiles(Tvn(folder)))
            EXPECT_NE(std::find(members.begin(), members.end(), std::pair(path.substr(folder.size() + 1), bytes)),
                      members.end())
                << Name(path);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(0));

    // Again beside a library that keeps only the contract (tests/other_tvapi): its compressor's
    // streams, the same members, the same log.
    std::map<std::wstring, std::pair<Bytes, std::map<std::wstring, Bytes>>> ours;
    for (const auto& [folder, members] : descriptors)
        ours[folder] = {ReadBytes(Tvn(folder)), ExtractedFiles(Tvn(folder))};
    ASSERT_TRUE(
        CopyFileW((ProgramFolder() + L"..\\other-tvapi\\TVAPI.dll").c_str(), (root / L"TVAPI.dll").c_str(), FALSE));
    Start();
    Convert(IDYES);
    ASSERT_TRUE(WaitForStatus(kDone));
    EXPECT_EQ(Text(kLog), log);
    for (const auto& [folder, bytesAndMembers] : ours) {
        SCOPED_TRACE(Name(folder) + " with the other library");
        EXPECT_NE(ReadBytes(Tvn(folder)), bytesAndMembers.first) << "the other library packed it";
        EXPECT_EQ(VerifyFaults(Tvn(folder)), "");
        EXPECT_TRUE(ExtractedFiles(Tvn(folder)) == bytesAndMembers.second);
    }
}

TEST_F(Listsmith, ClosingTheWindowMidRunEndsItWithOnlyWholeDescriptors) {
    for (int k = 0; k < 1500; ++k) Song(100 + k, L"F" + std::to_wstring(10000 + k));
    WriteList();
    Start();
    Convert(IDYES);
    // Ten whole descriptors once the eleventh is begun; the one being written is gone once the run stops.
    Eventually([&] { return GetFileAttributesW(Tvn(L"F10010").c_str()) != INVALID_FILE_ATTRIBUTES; });
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
    const std::vector<std::wstring> written = Descriptors();
    EXPECT_TRUE(written.size() >= 10 && written.size() < 1500) << written.size() << " of 1500";
    for (const std::wstring& name : written)
        EXPECT_TRUE(name.ends_with(L".tvn") && VerifyFaults(Music() + L"\\" + name).empty()) << Name(name);
}

TEST_P(Listsmith, EndsWithWholeDescriptorsOnly) {
    const Ending& e = GetParam();
    e.game(*this);
    if (!list.empty()) WriteList();
    const auto before = FileTree(root.Path());
    Start();
    Convert(IDYES);
    if (!e.message.empty()) {
        const MessageBoxInfo box = Answer(IDOK);
        EXPECT_TRUE(box.text.find(e.message) != std::wstring::npos && box.buttons == std::vector<int>{IDOK})
            << Name(box.text);
    }
    if (e.status.empty()) {
        EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(1));
    } else {
        ASSERT_TRUE(WaitForStatus(e.status)) << Name(Text(kStatus));
        const std::wstring log = Text(kLog);
        EXPECT_EQ(std::count(log.begin(), log.end(), L'\n'), e.logLines);
        EXPECT_NE(log.find(e.logHas), std::wstring::npos) << Name(log.substr(0, 300));
    }
    EXPECT_EQ(Descriptors(), e.descriptors);
    for (const std::wstring& name : e.descriptors) EXPECT_EQ(VerifyFaults(Music() + L"\\" + name), "") << Name(name);
    EXPECT_TRUE(!e.descriptors.empty() || FileTree(root.Path()) == before) << "the game folder changed";
}

const std::wstring kLong = std::wstring(850, L'x') + L"/";  // 50 lines pass an edit control's 32,767
const std::wstring kBs = L"B" + std::wstring(110, L'b'), kNs = L"zal_image/" + std::wstring(150, L'n') + L".png";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Endings, Listsmith, ::testing::Values(
    Ending{"MissingList", [](Listsmith&) {}, L"没有找到文件 zal_script/music.txt!", L"", 0, L"", {}},
    Ending{"LevelNoByte", [](Listsmith& g) { g.Song(101, L"A"); g.list[0].level = L"300"; },
           L"(Index=\"101\"): Level \"300\" 不是 0 到 255 之间的数字。", L"读取失败,转换中止", 0, L"诊断信息", {}},
    Ending{"FiftyErrorsAreLoggedInFull", [](Listsmith& g) { g.Lost(50, kLong); g.Song(300, L"Good"); },
           L"", kDone, 50, L"XML文件错误: zal_song/" + kLong + L"lost49.xml\r\n", {L"Good.tvn"}},
    Ending{"TheFiftyFirstErrorStops", [](Listsmith& g) { g.Lost(51); g.Song(300, L"Good"); },
           kTooMany, kDone, 51, L"zal_song/lost50.xml", {}},
    // The limit is checked between descriptors.
    Ending{"ErrorsCountOnceTheirDescriptorIsWhole", [](Listsmith& g) {
               g.Lost(49);
               for (int k = 800; k < 804; ++k) g.Song(k, k < 803 ? L"Many" : L"Next", L"zal_image/none.png"); },
           kTooMany, kDone, 52, L"图片错误: zal_image/none.png", {L"Many.tvn"}},
    // Windows trims dots and spaces only at the end of a name; ".tvn" follows each of these. In
    // code-unit order "a|b" comes after them, and "z" after it is never reached.
    Ending{"AFolderNameTheFileSystemRefuses", [](Listsmith& g) {
               for (auto* f : {L".", L"..", L"abc.", L"abc ", L"a|b", L"z"}) g.Song(100 + int(g.list.size()), f); },
           kUnknown, kDone, 1, L"未知错误: ", {L"...tvn", L"..tvn", L"abc .tvn", L"abc..tvn"}},
    // 111 + 1 + 154 bytes: the second image's entry name does not fit. The old descriptor was
    // replaced when writing began, and the half-written one is gone.
    Ending{"AnEntryNameOver255Bytes", [](Listsmith& g) {
               g.game.Loose(kNs, ImageBytes(9, 100));
               WriteBytes(g.Tvn(kBs), {'o', 'l', 'd'});
               for (int k = 0; k < 4; ++k) g.Song(100 + k, k == 0 ? L"A" : k == 3 ? L"C" : kBs, k == 2 ? kNs : L""); },
           kUnknown, kDone, 1, L"255", {L"A.tvn"}},
    // Each song stores its image and song file: the 34th song's file would need slot 102 of 101.
    Ending{"MoreThan100StoredFiles", [](Listsmith& g) { for (int k = 0; k < 34; ++k) g.Song(100 + k, L"Big"); },
           kUnknown, kDone, 1, L"100", {}},
    Ending{"NoZalMusicFolder", [](Listsmith& g) { RemoveDirectoryW(g.Music().c_str()); g.Song(100, L"A"); },
           kUnknown, kDone, 1, L"未知错误: ", {}}),
    [](const ::testing::TestParamInfo<Ending>& row) { return std::string(row.param.name); });
// clang-format on

}  // namespace
}  // namespace tavrin::testing
