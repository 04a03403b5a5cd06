// genpak list, verify and extract on hand-built archives: output format, every fault that verify
// reports, and extraction that never leaves its folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "genpak_commands.h"
#include "pack_progress.h"
#include "test_archives.h"
#include "verify.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace {

namespace fs = std::filesystem;
using tvtest::ArchiveBuilder;
using tvtest::ListsmithSample;
using tvtest::Record;
using tvtest::TunebaleSample;

struct Result {
    int code;
    std::string out;
    std::string err;
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

Result Genpak(std::vector<fs::path> args) {
    std::ostringstream out, err;
    const int code = genpak::tool::Run(args, out, err);
    return {code, out.str(), err.str()};
}

class GenpakTool : public ::testing::Test {
protected:
    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path p = tmp_.Path() / name;
        tvtest::WriteFile(p, bytes);
        return p;
    }
    tvtest::TempDir tmp_;
};

std::string Utf8Of(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

const std::string kSongUtf8 = "\xE6\xAD\x8C\xE6\x9B\xB2";  // 歌曲, UTF-8

// Usage errors exit with 2 and the usage on stderr; what is no archive with 1 and why.
TEST_F(GenpakTool, BadInputExitsWithItsCodeAndSaysWhy) {
    const fs::path missing = tmp_.Path() / "missing.pak", junk = Write("junk.pak", "this is no archive at all");
    struct Case {
        std::vector<fs::path> args;
        int code;
        std::string err;
    };
    for (const Case& c : {Case{{}, 2, "usage: genpak list ARCHIVE"}, Case{{"lists", "x"}, 2, "usage"},
                          Case{{"list"}, 2, "usage"}, Case{{"verify", "a", "b"}, 2, "usage"},
                          Case{{"extract", "a"}, 2, "usage"}, Case{{"pack", "--only", "wav", "x"}, 2, "usage"},
                          Case{{"pack", "--jobs", "0", "x"}, 2, "usage"}, Case{{"list", missing}, 1, "cannot open"},
                          Case{{"list", junk}, 1, "end-tag"}, Case{{"verify", missing}, 1, "cannot open"}}) {
        const Result r = Genpak(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const Result help = Genpak({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("genpak pack FOLDER"), std::string::npos);
}

TEST_F(GenpakTool, ListShowsHeaderAndOneLinePerRecord) {
    const ArchiveBuilder b = TunebaleSample();
    const fs::path pak = Write("MySong.pak", b.Build());
    const Result r = Genpak({"list", pak});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto lines = r.Lines();
    ASSERT_EQ(lines.size(), 6u + b.Records().size());
    EXPECT_EQ(lines[0], "writer-bytes 01 02 tunebale");
    EXPECT_EQ(lines[1], "records 7");
    EXPECT_EQ(lines[2], "folders 2");
    EXPECT_EQ(lines[3], "files 5");
    EXPECT_EQ(lines[4], "data-size " + std::to_string(b.DirOffset() - 8));
    EXPECT_EQ(lines[5], "dir-offset " + std::to_string(b.DirOffset()));
    const char* const methods[] = {"stored", "lzss", "folder", "lzss-xor"};
    for (size_t i = 0; i < b.Records().size(); ++i) {
        const Record& rec = b.Records()[i];
        const std::string name = i == 6 ? "MySong/sub/" + kSongUtf8 + ".txt" : rec.name;
        EXPECT_EQ(lines[6 + i], std::to_string(i) + " " + methods[rec.method] + " " + std::to_string(rec.dataOffset) +
                                    " " + std::to_string(rec.packedSize) + " " + std::to_string(rec.fileSize) + " " +
                                    name);
    }
}

TEST_F(GenpakTool, ListEscapesBytesThatAreNoCharacters) {
    ArchiveBuilder b = ArchiveBuilder::Listsmith();
    b.Folder("s").Packed(
        "s/\x80"
        "a\\b\x01",
        "x");
    Record odd;
    odd.name = "s/odd";
    odd.method = 9;
    b.Add(odd);
    const Result r = Genpak({"list", Write("odd.tvn", b.Build())});
    ASSERT_EQ(r.code, 0);
    const auto lines = r.Lines();
    EXPECT_EQ(lines[0], "writer-bytes 00 06 listsmith");
    EXPECT_EQ(lines[7].substr(lines[7].rfind(' ') + 1), "s/\\x80a\\x5Cb\\x01");
    EXPECT_EQ(lines[8].substr(0, 11), "2 method-9 ");
}

TEST_F(GenpakTool, VerifyAcceptsSoundArchivesOfBothWriters) {
    const ArchiveBuilder t = TunebaleSample();
    Result r = Genpak({"verify", Write("t.pak", t.Build())});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "ok: 7 records (2 folders, 5 files), " + std::to_string(t.DirOffset() - 8) +
                         " data bytes, writer-bytes 01 02 tunebale\n");
    const ArchiveBuilder l = ListsmithSample();
    r = Genpak({"verify", Write("l.tvn", l.Build())});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.Lines().size(), 1u);
    // Empty folder, and a missing one (no records at all).
    EXPECT_EQ(Genpak({"verify", Write("e.pak", ArchiveBuilder::Tunebale().Folder("E").Build())}).code, 0);
    EXPECT_EQ(Genpak({"verify", Write("n.pak", ArchiveBuilder::Tunebale().Build())}).code, 0);
    // listsmith stores every member with LZSS, even one that grew.
    ArchiveBuilder grew = ArchiveBuilder::Listsmith();
    grew.Folder("S").Packed("S/noise.png", tvtest::RandomBytes(300, 8));
    ASSERT_GE(grew.Records()[1].packedSize, grew.Records()[1].fileSize);
    EXPECT_EQ(Genpak({"verify", Write("grew.tvn", grew.Build())}).code, 0);
}

// One kind of damage and the fault line verify must print for it.
struct FaultCase {
    const char* code;
    long long record;  // -1: the archive as a whole
    ArchiveBuilder (*make)();
};

ArchiveBuilder Bent(ArchiveBuilder b, size_t record, void (*bend)(Record&)) {
    bend(b.Records()[record]);
    return b;
}

std::string Finish(const ArchiveBuilder& b, void (*damage)(std::string&, uint32_t)) {
    std::string s = b.Build();
    damage(s, b.DirOffset());
    return s;
}

const FaultCase kFaults[] = {
    {"writer-bytes", -1, [] { return ArchiveBuilder(0x01, 0x03).Folder("S"); }},
    {"writer-bytes", -1, [] { return ArchiveBuilder(0x01, 0x06).Folder("S"); }},  // both bytes count
    {"writer-bytes", -1, [] { return ArchiveBuilder(0x00, 0x02).Folder("S"); }},
    {"method", 1, [] { return Bent(TunebaleSample(), 1, [](Record& r) { r.method = 4; }); }},
    {"name-nul", 2, [] { return Bent(TunebaleSample(), 2, [](Record& r) { r.afterName = 'x'; }); }},
    {"name-empty", 1, [] { return ArchiveBuilder::Listsmith().Folder("S").Packed("", "abc"); }},
    {"name-encoding", 1, [] { return ArchiveBuilder::Tunebale().Folder("S").Stored("S/\x80", "a"); }},
    {"name-length", 1, [] { return ArchiveBuilder::Tunebale().Folder("S").Stored("S/" + std::string(253, 'n'), "a"); }},
    {"duplicate-name", 2, [] { return ArchiveBuilder::Listsmith().Folder("S").Packed("S/a", "1").Packed("S/a", "2"); }},
    {"value-range", 3,
     [] {
         return Bent(TunebaleSample(), 3, [](Record& r) { r.method = 1, r.fileSize = r.packedSize = 0x80000000u; });
     }},
    {"data-offset", 2, [] { return Bent(TunebaleSample(), 2, [](Record& r) { r.dataOffset += 1; }); }},
    {"data-offset", 4, [] { return Bent(TunebaleSample(), 4, [](Record& r) { r.dataOffset = 0; }); }},
    {"folder-sizes", 4, [] { return Bent(TunebaleSample(), 4, [](Record& r) { r.fileSize = 1; }); }},
    {"block-past-data", 2, [] { return Bent(TunebaleSample(), 2, [](Record& r) { r.packedSize += 100000; }); }},
    {"stored-size", 1, [] { return Bent(TunebaleSample(), 1, [](Record& r) { r.fileSize += 1; }); }},
    {"packed-not-smaller", 1,
     [] { return ArchiveBuilder::Tunebale().Folder("S").Packed("S/noise", tvtest::RandomBytes(300, 8)); }},
    {"writer-method", 1, [] { return ArchiveBuilder::Listsmith().Folder("S").Stored("S/a", "abc"); }},
    {"expand", 2, [] { return Bent(TunebaleSample(), 2, [](Record& r) { r.fileSize += 1; }); }},
    {"expand", 6, [] { return Bent(TunebaleSample(), 6, [](Record& r) { r.method = 1; }); }},
    {"first-record", 0, [] { return ArchiveBuilder::Tunebale().Stored("S", "a"); }},
    {"first-record", 0, [] { return ArchiveBuilder::Tunebale().Folder("S/T"); }},
    {"top-folder", 1, [] { return ArchiveBuilder::Listsmith().Folder("S").Packed("T/a", "abc"); }},
    {"top-folder", 1, [] { return ArchiveBuilder::Listsmith().Folder("S").Packed("Sa", "abc"); }},
    {"parent-missing", 1, [] { return ArchiveBuilder::Tunebale().Folder("S").Stored("S/sub/a", "abc"); }},
    {"folder-count", 2, [] { return ArchiveBuilder::Listsmith().Folder("S").Packed("S/a", "abc").Folder("S/b"); }},
    {"order", 2, [] { return ArchiveBuilder::Tunebale().Folder("S").Stored("S/b", "1").Stored("S/a", "2"); }},
    {"order", 2, [] { return ArchiveBuilder::Tunebale().Folder("S").Stored("S/sub.txt", "1").Folder("S/sub"); }},
};

TEST_F(GenpakTool, VerifyReportsEachKindOfFault) {
    for (const FaultCase& c : kFaults) {
        const fs::path pak = Write("fault.pak", c.make().Build());
        const Result r = Genpak({"verify", pak});
        const std::string expected = std::string("fault ") + c.code +
                                     (c.record >= 0 ? " record " + std::to_string(c.record) : std::string()) + ": ";
        bool found = false;
        for (const auto& line : r.Lines()) found = found || line.rfind(expected, 0) == 0;
        EXPECT_EQ(r.code, 1) << c.code;
        EXPECT_TRUE(found) << "expected a line starting with \"" << expected << "\", got:\n" << r.out;
        EXPECT_EQ(r.out.find("ok:"), std::string::npos);
    }
}

TEST_F(GenpakTool, VerifyListsArchiveLevelFaultsAlone) {
    struct Case {
        const char* code;
        void (*damage)(std::string&, uint32_t);
    } const cases[] = {
        {"too-short", [](std::string& s, uint32_t) { s.resize(16); }},
        {"end-tag", [](std::string& s, uint32_t) { s.back() = 0; }},
        {"dir-offset", [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 9, 3); }},
        {"marker", [](std::string& s, uint32_t d) { s[d - 8] = 'g'; }},
        {"records-overrun", [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 5, 1000); }},
        {"directory-gap", [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 5, 1); }},
        {"data-size",
         [](std::string& s, uint32_t d) {
             // One more byte of entry data than the blocks account for.
             s.insert(s.begin() + d - 8, 'x');
             tvtest::PutLe32(s, s.size() - 9, d + 1);
         }},
    };
    for (const auto& c : cases) {
        const Result r = Genpak({"verify", Write("damaged.pak", Finish(TunebaleSample(), c.damage))});
        EXPECT_EQ(r.code, 1) << c.code;
        ASSERT_EQ(r.Lines().size(), 1u) << r.out;
        EXPECT_EQ(r.Lines()[0].rfind(std::string("fault ") + c.code + ": ", 0), 0u) << r.out;
    }
}

TEST(GenpakVerify, FindsFaultsInEveryTruncation) {
    for (const std::string& whole : {TunebaleSample().Build(), ListsmithSample().Build()}) {
        for (size_t n = 0; n < whole.size(); ++n) {
            // A copy of exactly n bytes, so that reading past it is an error the sanitizer sees.
            const std::vector<char> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            tvapi::genpak::MemorySource source(prefix.data(), prefix.size());
            ASSERT_FALSE(genpak::Verify(source).empty()) << "prefix of " << n << " bytes";
        }
    }
}

TEST_F(GenpakTool, ExtractWritesFoldersAndFiles) {
    const ArchiveBuilder b = TunebaleSample();
    const fs::path pak = Write("MySong.pak", b.Build());
    const fs::path out = tmp_.Path() / "out";
    const Result r = Genpak({"extract", pak, out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "extracted 2 folders and 5 files\n");
    EXPECT_TRUE(fs::is_directory(out / "MySong" / "sub"));
    EXPECT_EQ(tvtest::ReadFile(out / "MySong" / "a.bin"), tvtest::RandomBytes(100, 1));
    EXPECT_EQ(tvtest::ReadFile(out / "MySong" / "chart.xml"), tvtest::TextLike(4000, 2));
    EXPECT_EQ(tvtest::ReadFile(out / "MySong" / "empty"), "");
    EXPECT_EQ(tvtest::ReadFile(out / "MySong" / "sub" / fs::path(u"\u6B4C\u66F2.txt")), tvtest::TextLike(2000, 3));
}

TEST_F(GenpakTool, ExtractRefusesNamesThatLeaveTheFolder) {
    const std::string unsafe[] = {"S/../../evil", "../evil",  "/evil",      "S//evil", "S/./evil",
                                  "C:/evil",      "S/C:evil", "S/..\\evil", "S/a\x01", "S/\x80"};
    ArchiveBuilder b = ArchiveBuilder::Listsmith();
    b.Folder("S");
    for (const auto& name : unsafe) b.Packed(name, "evil");
    b.Packed("S/fine.txt", "fine");
    const fs::path pak = Write("evil.tvn", b.Build());
    const fs::path root = tmp_.Path() / "deep" / "out";
    const Result r = Genpak({"extract", pak, root});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "extracted 1 folders and 1 files\n");
    std::istringstream err(r.err);
    int refused = 0;
    for (std::string line; std::getline(err, line);) refused += line.find("refused") != std::string::npos ? 1 : 0;
    EXPECT_EQ(refused, static_cast<int>(std::size(unsafe)));
    // Nothing but S and S/fine.txt anywhere under the temporary folder's "deep".
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(tmp_.Path() / "deep")) {
        found.push_back(fs::relative(e.path(), tmp_.Path() / "deep").generic_string());
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"out", "out/S", "out/S/fine.txt"}));
    EXPECT_FALSE(fs::exists(tmp_.Path() / "evil"));
}

TEST_F(GenpakTool, ExtractReportsMembersThatDoNotExpand) {
    const fs::path pak = Write("bad.pak", Bent(TunebaleSample(), 2, [](Record& r) { r.fileSize += 1; }).Build());
    const Result r = Genpak({"extract", pak, tmp_.Path() / "out"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("record 2"), std::string::npos);
    EXPECT_EQ(r.out, "extracted 2 folders and 4 files\n");
}

// The real program, as other tests will run it: exit codes and UTF-8 bytes on stdout.
fs::path GenpakExe() {
#if defined(_WIN32)
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / TV_GENPAK_EXE;
#else
    return fs::path(TV_GENPAK_DIR) / TV_GENPAK_EXE;
#endif
}

int RunExe(const std::vector<fs::path>& args, const fs::path& stdoutFile) {
#if defined(_WIN32)
    std::wstring cmd = L"\"\"" + GenpakExe().wstring() + L"\"";
    for (const auto& a : args) cmd += L" \"" + a.wstring() + L"\"";
    cmd += L" > \"" + stdoutFile.wstring() + L"\" 2>NUL\"";
    const int code = _wsystem(cmd.c_str());
    if (code == -1) ADD_FAILURE() << "cannot start the command processor for genpak: " << std::strerror(errno);
    return code;
#else
    std::string cmd = "'" + GenpakExe().string() + "'";
    for (const auto& a : args) cmd += " '" + a.string() + "'";
    cmd += " > '" + stdoutFile.string() + "' 2>/dev/null";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

TEST_F(GenpakTool, TheProgramPrintsUtf8AndExitsWithTheDocumentedCodes) {
    ASSERT_TRUE(fs::exists(GenpakExe())) << GenpakExe();
    const fs::path folder = tmp_.Path() / fs::path(u"\u6B4C");  // a Unicode path too
    fs::create_directories(folder);
    const fs::path pak = folder / fs::path(u"\u66F2.pak");
    tvtest::WriteFile(pak, TunebaleSample().Build());
    const fs::path out = tmp_.Path() / "stdout.txt";
    EXPECT_EQ(RunExe({"list", pak}, out), 0);
    const std::string listed = tvtest::ReadFile(out);
    EXPECT_NE(listed.find("MySong/sub/" + kSongUtf8 + ".txt\n"), std::string::npos) << listed;
    EXPECT_EQ(listed.find('\r'), std::string::npos);
    EXPECT_EQ(RunExe({"verify", pak}, out), 0);
    EXPECT_EQ(tvtest::ReadFile(out).rfind("ok: 7 records", 0), 0u);
    EXPECT_EQ(RunExe({"bogus"}, out), 2);
    tvtest::WriteFile(pak, Bent(TunebaleSample(), 2, [](Record& r) { r.dataOffset += 1; }).Build());
    EXPECT_EQ(RunExe({"verify", pak}, out), 1);
}

// genpak pack: the folder's audio into FOLDER.pak and the rest into FOLDER.tvn, sound and whole;
// an existing archive kept unless --force; a folder that cannot be packed fails alone.
TEST_F(GenpakTool, PackWritesBothArchivesKeepsOldOnesAndGoesOnAfterAFailure) {
    const fs::path song = tmp_.Path() / fs::path(u"\u6B4C-Song");
    fs::create_directories(song / "sub");
    tvtest::WriteFile(song / "song.OGG", tvtest::RandomBytes(5000, 4));
    tvtest::WriteFile(song / "sub" / "kick.wav", tvtest::TextLike(3000, 5));
    tvtest::WriteFile(song / "chart.xml", tvtest::TextLike(9000, 6));
    tvtest::WriteFile(song / "empty.png", "");
    fs::path pak = song, tvn = song;
    pak += ".pak";
    tvn += ".tvn";

    Result r = Genpak({"pack", song, tmp_.Path() / "missing"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("missing: no such folder"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("2 packed, 0 kept, 2 failed"), std::string::npos) << r.out;
    struct Expect {
        fs::path archive;
        std::vector<std::string> names;
    };
    const std::string base = "\xE6\xAD\x8C-Song";
    for (const Expect& e : {Expect{pak, {base, base + "/song.OGG", base + "/sub", base + "/sub/kick.wav"}},
                            Expect{tvn, {base, base + "/chart.xml", base + "/empty.png", base + "/sub"}}}) {
        EXPECT_EQ(Genpak({"verify", e.archive}).code, 0);
        const auto lines = Genpak({"list", e.archive}).Lines();
        std::vector<std::string> names;
        for (const std::string& line : lines)
            if (!line.empty() && line[0] >= '0' && line[0] <= '9') names.push_back(line.substr(line.rfind(' ') + 1));
        EXPECT_EQ(names, e.names);
    }
    const fs::path out = tmp_.Path() / "out";
    ASSERT_EQ(Genpak({"extract", tvn, out}).code, 0);
    EXPECT_EQ(tvtest::ReadFile(out / song.filename() / "chart.xml"), tvtest::TextLike(9000, 6));

    const std::string before = tvtest::ReadFile(tvn);
    r = Genpak({"pack", "--only", "tvn", "--xor", song});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("0 packed, 1 kept, 0 failed"), std::string::npos) << r.out;
    EXPECT_EQ(tvtest::ReadFile(tvn), before);
    r = Genpak({"pack", "--force", "--only", "tvn", "--xor", song});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(Genpak({"list", tvn}).out.find(" lzss-xor "), std::string::npos);

    // A failure names its file, keeps the old archive and is counted, with any number of threads.
    tvtest::WriteFile(song / "sub" / "huge.mp3", "");
    fs::resize_file(song / "sub" / "huge.mp3", 0x80000000ull);
    r = Genpak({"pack", "--force", "--jobs", "3", "--only", "pak", song});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("failed " + Utf8Of(pak) + ": " + Utf8Of(song) + "/sub/huge.mp3: "), std::string::npos)
        << r.err;
    EXPECT_EQ(Genpak({"verify", pak}).code, 0);
    EXPECT_NE(r.out.find("0 packed, 0 kept, 1 failed"), std::string::npos) << r.out;
}

// The progress of a pack: a bar redrawn at most every 0.1 s (the last step always) on a terminal,
// one line per archive elsewhere, nothing when quiet.
TEST(GenpakPackProgress, EachModeWritesWhatItShould) {
    using Mode = genpak::tool::PackProgressView::Mode;
    struct Case {
        Mode mode;
        std::vector<double> times;  // of the steps 0..3 of a 3-entry pack (step 3: the end)
        size_t draws;               // "\r" + bar lines
        std::string contains;
    };
    const std::u16string name = u"x";
    for (const Case& c : {Case{Mode::kBar, {0, 0.05, 0.7, 0.75}, 3, "3/3 entries 3.0/3.0 MiB 4.0 MiB/s 0:00 left"},
                          Case{Mode::kBar, {0, 1, 2, 3}, 4, "2/3 entries 2.0/3.0 MiB 1.0 MiB/s 0:01 left"},
                          Case{Mode::kLines, {0, 1, 2, 3}, 0, "packing a.pak: 3 entries, 3.0 MiB\n"},
                          Case{Mode::kOff, {0, 1, 2, 3}, 0, ""}}) {
        std::ostringstream err;
        size_t tick = 0;
        std::vector<double> clock = c.times;
        clock.insert(clock.begin(), 0);  // Begin reads the clock first
        genpak::tool::PackProgressView view(err, c.mode, [&] { return clock[std::min(tick++, clock.size() - 1)]; });
        view.Begin("a.pak");
        for (size_t i = 0; i <= 3; ++i) view.Update({i, 3, false, i < 3 ? &name : nullptr, i << 20, 3u << 20});
        view.Clear();
        const std::string text = err.str();
        SCOPED_TRACE(text);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), static_cast<long>(c.draws ? c.draws + 2 : 0));
        EXPECT_NE(text.find(c.contains), std::string::npos);
        // The bar is wiped at the end; with nothing to show, nothing at all.
        const size_t wipe = c.mode == Mode::kBar ? text.rfind('\r', text.size() - 2) : 0;
        EXPECT_EQ(text.find_first_not_of("\r ", wipe),
                  c.mode == Mode::kBar || c.mode == Mode::kOff ? std::string::npos : 0u);
    }
}

}  // namespace
