// listsmith_bench [--plain] [--runs R] [SONGS ...]: conversion time per song over generated games
// (a benchmark, not a test; bench/listsmith-bench.sh builds and runs it under Wine).
//
// For each song count (default 1000 and 5000) it generates a game folder: the list in
// zal_script.pak, one song file per song in zal_song.pak, and one 12 KB image per folder spread
// over the numbered archives zal_image000.pak ... zal_image009.pak (an eleventh of them in
// zal_image.pak); every fifth song shares the folder and image of the one before. Each run
// converts the whole game once (question answered Yes, reading, sorting, writing every descriptor
// into a fresh zal_music) and times each phase; runs alternate between the song counts so that
// they share the machine's conditions, and the best and the median of R runs (default 3) are
// printed.
//
// "floor" is the time the file system alone needs for what writing the descriptors asks of it,
// measured the same way: per descriptor, deleting two names that are not there, creating the
// descriptor and its temporary file, a few small writes, reading the temporary file back,
// deleting it and closing. Wine's file creation slows down as a folder fills (it looks through the
// folder for names differing only in case), so "beyond floor" is listsmith's own share.
//
// With --plain the numbered archives are searched name by name, 999 down, without the run's
// listing of the archives that exist.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <tuple>
#include <cstdio>
#include <string>
#include <vector>

#include "conversion.h"
#include "game_folder.h"
#include "support.h"

namespace {

using namespace tavrin;
using namespace tavrin::testing;
using Clock = std::chrono::steady_clock;

constexpr int kNumbered = 10;

class TimingUi : public ConversionUi {
public:
    void UpdateStatus(const std::wstring& text) override {
        marks.push_back({text, Clock::now()});
        saving = text == L"正在保存TVN文件...";
    }
    // While saving, the progress line names each folder as its descriptor is begun.
    void UpdateStatus2(const std::wstring&) override {
        if (saving) folders.push_back(Clock::now());
    }
    void ClearLog() override {}
    void AppendLog(const std::wstring& text) override { log += text; }
    int32_t ShowMessage(const std::wstring&, uint32_t) override { return 6; }

    struct Mark {
        std::wstring status;
        Clock::time_point at;
    };
    std::vector<Mark> marks;
    std::vector<Clock::time_point> folders;  // when each descriptor was begun
    std::wstring log;
    bool saving = false;
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

// Adds up the time spent fetching game files.
class TimedGameData : public GameData {
public:
    explicit TimedGameData(GameData& inner) : inner_(inner) {}
    bool GetGameFile(const std::u16string& path, std::vector<uint8_t>& data, bool allowNumbered) override {
        auto start = Clock::now();
        bool found = inner_.GetGameFile(path, data, allowNumbered);
        fetching += Clock::now() - start;
        return found;
    }
    std::u16string FromAnsi(const std::vector<uint8_t>& bytes) override { return inner_.FromAnsi(bytes); }
    std::optional<std::string> ToAnsi(std::u16string_view text) override { return inner_.ToAnsi(text); }

    Clock::duration fetching{};

private:
    GameData& inner_;
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
            images[static_cast<size_t>(k % (kNumbered + 1))].push_back(
                {image, ImageBytes(static_cast<uint32_t>(k), 12000)});
        }
        std::wstring file = L"zal_song/" + id + L".xml";
        list.push_back(
            {std::to_wstring(100 + k), L"Song " + id, image, file, std::to_wstring(k % 10), L"Pop", L"Bench"});
        songFiles.push_back({file, Ansi(SongFileText(folder + L"/" + folder + L".ogg"))});
    }
    game.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Ansi(MusicListText(list))}});
    game.Archive(L"zal_song.pak", songFiles);
    for (int n = 0; n < kNumbered; ++n)
        if (!images[static_cast<size_t>(n)].empty())
            game.Archive(L"zal_image" + Numbered(n) + L".pak", images[static_cast<size_t>(n)]);
    if (!images[kNumbered].empty()) game.Archive(L"zal_image.pak", images[kNumbered]);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

Clock::time_point At(const TimingUi& ui, const wchar_t* status, Clock::time_point otherwise) {
    for (const auto& m : ui.marks)
        if (m.status == status) return m.at;
    return otherwise;
}

struct Timing {
    double total = 0, reading = 0, saving = 0, fetching = 0, floor = 0;
    // Seconds per descriptor over the first and the last tenth of them.
    double savingFirst = 0, savingLast = 0, floorFirst = 0, floorLast = 0;
};

// Seconds per step over the first and the last tenth of a series of time points (the last point
// ends the last step).
std::pair<double, double> Tenths(const std::vector<Clock::time_point>& at) {
    const size_t steps = at.size() - 1, tenth = std::max<size_t>(1, steps / 10);
    return {Seconds(at[tenth] - at[0]) / static_cast<double>(tenth),
            Seconds(at[steps] - at[steps - tenth]) / static_cast<double>(tenth)};
}

// One game and its runs.
class Game {
public:
    Game(int songs, bool plain) : songs_(songs), plain_(plain), game_(root_.Path()) {
        auto start = Clock::now();
        MakeGame(game_, songs);
        making_ = Seconds(Clock::now() - start);
    }

    int Songs() const { return songs_; }
    int Descriptors() const { return songs_ - songs_ / 5; }
    double Making() const { return making_; }

    // One whole conversion into a fresh zal_music, after the file system's floor for as many
    // descriptors; false when it did not finish cleanly.
    bool Convert(Timing& t) {
        Floor(t);
        const std::wstring music = root_ / L"zal_music";
        if (runs_ > 0) MoveFileW(music.c_str(), (root_ / (L"zal_music_run" + std::to_wstring(runs_))).c_str());
        ++runs_;
        CreateDirectoryW(music.c_str(), nullptr);
        CurrentFolder inside(root_.Path());

        TimingUi ui;
        SystemGameData system;
        PlainGameData plainData;
        TimedGameData data(plain_ ? static_cast<GameData&>(plainData) : system);
        MusicList list;
        Clock::time_point start{};
        ConversionOutcome outcome = RunConversion(ui, data, list, root_.Path(), [&] { start = Clock::now(); });
        const Clock::time_point end = Clock::now();
        if (outcome != ConversionOutcome::kFinished || !ui.log.empty() ||
            At(ui, L"保存完毕!", Clock::time_point{}) == Clock::time_point{})
            return false;
        t.total = Seconds(end - start);
        t.reading = Seconds(At(ui, L"读取完毕!", end) - start);
        t.saving = Seconds(At(ui, L"保存完毕!", end) - At(ui, L"正在保存TVN文件...", end));
        t.fetching = Seconds(data.fetching);
        std::vector<Clock::time_point> begun = ui.folders;
        begun.push_back(At(ui, L"保存完毕!", end));
        std::tie(t.savingFirst, t.savingLast) = Tenths(begun);
        return true;
    }

private:
    // The file system's share, in a fresh folder of its own.
    void Floor(Timing& t) {
        const std::wstring folder = root_ / (L"floor" + std::to_wstring(runs_));
        CreateDirectoryW(folder.c_str(), nullptr);
        const uint8_t record[40] = {};
        std::vector<Clock::time_point> begun;
        for (int k = 0; k < Descriptors(); ++k) {
            begun.push_back(Clock::now());
            const std::wstring base = folder + L"\\song" + std::to_wstring(100000 + k);
            const std::wstring tvn = base + L".tvn", tmp = base + L".tmp";
            DeleteFileW(tvn.c_str());
            DeleteFileW(tmp.c_str());
            HANDLE data = CreateFileW(tvn.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, 0, nullptr);
            HANDLE dir = CreateFileW(tmp.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                     0, nullptr);
            DWORD n = 0;
            for (int w = 0; w < 4; ++w) {
                WriteFile(dir, record, sizeof(record), &n, nullptr);
                WriteFile(data, record, sizeof(record), &n, nullptr);
            }
            uint8_t back[160];
            SetFilePointer(dir, 0, nullptr, FILE_BEGIN);
            ReadFile(dir, back, sizeof(back), &n, nullptr);
            CloseHandle(dir);
            DeleteFileW(tmp.c_str());
            WriteFile(data, back, n, &n, nullptr);
            CloseHandle(data);
        }
        begun.push_back(Clock::now());
        t.floor = Seconds(begun.back() - begun.front());
        std::tie(t.floorFirst, t.floorLast) = Tenths(begun);
    }

    int songs_;
    bool plain_;
    TempFolder root_;
    GameFolder game_;
    double making_ = 0;
    int runs_ = 0;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
double Best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<int> counts;
    bool plain = false;
    int runs = 3;
    for (int k = 1; k < argc; ++k) {
        std::wstring arg = argv[k];
        if (arg == L"--plain") {
            plain = true;
        } else if (arg == L"--runs" && k + 1 < argc) {
            runs = _wtoi(argv[++k]);
        } else {
            counts.push_back(_wtoi(arg.c_str()));
        }
    }
    if (counts.empty()) counts = {1000, 5000};
    if (runs < 1) runs = 1;

    std::vector<std::unique_ptr<Game>> games;
    for (int songs : counts) {
        if (songs <= 0) return 2;
        games.push_back(std::make_unique<Game>(songs, plain));
        std::printf("game of %d songs (%d descriptors) made in %.1f s\n", songs, games.back()->Descriptors(),
                    games.back()->Making());
    }
    std::vector<std::vector<Timing>> timings(games.size());
    for (int r = 0; r < runs; ++r) {
        for (size_t g = 0; g < games.size(); ++g) {
            Timing t;
            if (!games[g]->Convert(t)) {
                std::fprintf(stderr, "listsmith_bench: the conversion of %d songs did not finish cleanly\n",
                             games[g]->Songs());
                return 1;
            }
            timings[g].push_back(t);
        }
    }

    std::printf("\nlookups: %s; %d runs each; best / median of the runs\n",
                plain ? "plain (999 down by name)" : "numbered archives listed once per run", runs);
    std::printf("%6s  %17s  %17s  %17s  %17s  %17s  |  %-27s  %-27s\n", "songs", "total us/song", "reading us/song",
                "fetching us/song", "saving us/song", "floor us/song", "saving us/descriptor 1st->10th tenth",
                "floor us/descriptor 1st->10th tenth");
    for (size_t g = 0; g < games.size(); ++g) {
        auto column = [&](auto field, double per) {
            std::vector<double> v;
            for (const Timing& t : timings[g]) v.push_back(field(t) * 1e6 / per);
            return std::pair(Best(v), Median(v));
        };
        auto print = [](std::pair<double, double> c) { std::printf("  %7.0f / %7.0f", c.first, c.second); };
        const double songs = games[g]->Songs();
        std::printf("%6d", games[g]->Songs());
        print(column([](const Timing& t) { return t.total; }, songs));
        print(column([](const Timing& t) { return t.reading; }, songs));
        print(column([](const Timing& t) { return t.fetching; }, songs));
        print(column([](const Timing& t) { return t.saving; }, songs));
        print(column([](const Timing& t) { return t.floor; }, songs));
        auto first = column([](const Timing& t) { return t.savingFirst; }, 1);
        auto last = column([](const Timing& t) { return t.savingLast; }, 1);
        auto floorFirst = column([](const Timing& t) { return t.floorFirst; }, 1);
        auto floorLast = column([](const Timing& t) { return t.floorLast; }, 1);
        std::printf("  |  %7.0f -> %7.0f (best)      %7.0f -> %7.0f (best)\n", first.first, last.first,
                    floorFirst.first, floorLast.first);
    }
    return 0;
}
