// listsmith_bench [SONGS ...]: conversion time per song over generated games (a benchmark, not a
// test; bench/listsmith-bench.sh builds and runs it under Wine).
//
// For each song count it generates a game folder: the list in zal_script.pak, one song file per
// song in zal_song.pak, and one image per folder spread over the numbered archives
// zal_image000.pak ... zal_image009.pak (a tenth of them in zal_image.pak); every fifth song
// shares the folder and image of the one before. Then it runs the whole conversion once (question
// answered Yes, reading, sorting, writing every descriptor) and prints the time of each phase and
// per song. With --plain the numbered archives are searched name by name, 999 down, without the
// run's listing of the archives that exist.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "conversion.h"
#include "game_folder.h"
#include "temp_folder.h"

namespace {

using namespace tavrin;
using namespace tavrin::testing;
using Clock = std::chrono::steady_clock;

constexpr int kNumbered = 10;

class TimingUi : public ConversionUi {
public:
    void UpdateStatus(const std::wstring& text) override { marks.push_back({text, Clock::now()}); }
    void UpdateStatus2(const std::wstring&) override {}
    void ClearLog() override {}
    void AppendLog(const std::wstring& text) override { log += text; }
    int32_t ShowMessage(const std::wstring&, uint32_t) override { return 6; }

    struct Mark {
        std::wstring status;
        Clock::time_point at;
    };
    std::vector<Mark> marks;
    std::wstring log;
};

// Game lookups without the run's listing of numbered archives.
class PlainGameData : public GameData {
public:
    bool GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered) override {
        return tavrin::GetGameFile(path, data, allowNumbered);
    }
    std::u16string FromAnsi(const std::vector<uint8_t>& bytes) override { return system_.FromAnsi(bytes); }
    std::optional<std::string> ToAnsi(std::u16string_view text) override { return system_.ToAnsi(text); }

private:
    SystemGameData system_;
};

std::wstring Numbered(int n) {
    wchar_t digits[8];
    swprintf(digits, 8, L"%03d", n);
    return digits;
}

void MakeGame(const GameFolder& game, int songs) {
    std::vector<ListSong> list;
    GameFiles songFiles;
    std::vector<GameFiles> images(kNumbered + 1);  // the last: zal_image.pak
    std::wstring folder, image;
    for (int k = 0; k < songs; ++k) {
        std::wstring id = Numbered(k / 1000) + Numbered(k % 1000);
        if (k % 5 != 4) {
            folder = L"song" + id;
            image = L"zal_image/img_music/" + folder + L".png";
            images[static_cast<size_t>(k % (kNumbered + 1))].push_back({image, ImageBytes(static_cast<uint32_t>(k), 12000)});
        }
        std::wstring file = L"zal_song/" + id + L".xml";
        list.push_back({std::to_wstring(100 + k), L"Song " + id, image, file, std::to_wstring(k % 10), L"Pop", L"Bench"});
        songFiles.push_back({file, Ansi(SongFileText(folder + L"/" + folder + L".ogg"))});
    }
    game.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Ansi(MusicListText(list))}});
    game.Archive(L"zal_song.pak", songFiles);
    for (int n = 0; n < kNumbered; ++n)
        if (!images[static_cast<size_t>(n)].empty()) game.Archive(L"zal_image" + Numbered(n) + L".pak", images[static_cast<size_t>(n)]);
    if (!images[kNumbered].empty()) game.Archive(L"zal_image.pak", images[kNumbered]);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

Clock::time_point At(const TimingUi& ui, const wchar_t* status, Clock::time_point otherwise) {
    for (const auto& m : ui.marks)
        if (m.status == status) return m.at;
    return otherwise;
}

int Run(int songs, bool plain) {
    TempFolder root;
    GameFolder game(root.Path());
    auto made = Clock::now();
    MakeGame(game, songs);
    double making = Seconds(Clock::now() - made);
    CreateDirectoryW((root / L"zal_music").c_str(), nullptr);
    CurrentFolder inside(root.Path());

    TimingUi ui;
    SystemGameData system;
    PlainGameData plainData;
    GameData& data = plain ? static_cast<GameData&>(plainData) : system;
    MusicList list;
    Clock::time_point start{}, end{};
    ConversionOutcome outcome = RunConversion(ui, data, list, root.Path(), [&] { start = Clock::now(); });
    end = Clock::now();
    if (outcome != ConversionOutcome::kFinished || !ui.log.empty() ||
        At(ui, L"保存完毕!", Clock::time_point{}) == Clock::time_point{}) {
        std::fprintf(stderr, "listsmith_bench: the conversion of %d songs did not finish cleanly\n", songs);
        return 1;
    }
    const double total = Seconds(end - start);
    const double reading = Seconds(At(ui, L"读取完毕!", end) - start);
    const double sorting = Seconds(At(ui, L"正在保存TVN文件...", end) - At(ui, L"读取完毕!", end));
    const double saving = Seconds(At(ui, L"保存完毕!", end) - At(ui, L"正在保存TVN文件...", end));
    std::printf("%-6s songs %5d  descriptors %5d  total %7.3f s  per song %7.1f us  (read %6.3f s, sort %6.3f s, "
                "save %6.3f s; game made in %.1f s)\n",
                plain ? "plain" : "listed", songs, songs - songs / 5, total, total * 1e6 / songs, reading, sorting,
                saving, making);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<int> counts;
    bool plain = false;
    for (int k = 1; k < argc; ++k) {
        if (std::wstring(argv[k]) == L"--plain")
            plain = true;
        else
            counts.push_back(_wtoi(argv[k]));
    }
    if (counts.empty()) counts = {1000, 5000};
    for (int songs : counts)
        if (songs <= 0 || Run(songs, plain) != 0) return 1;
    return 0;
}
