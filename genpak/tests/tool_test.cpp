// genpak on hand-built archives and real folders: the output format, every fault verify reports,
// extraction that never leaves its folder, pack, and the real program's exit codes and UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <sstream>

#include "genpak_commands.h"
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
using tvtest::Record;
using tvtest::TunebaleSample;
using tvtest::Utf8;

struct Result {
    int code;
    std::string out, err;
};

Result Genpak(std::vector<fs::path> args) {
    std::ostringstream out, err;
    return {genpak::tool::Run(args, out, err), out.str(), err.str()};  // in this order
}

struct GenpakTool : ::testing::Test {
    fs::path Write(const fs::path& name, const std::string& bytes) {
        tvtest::WriteFile(tmp_.Path() / name, bytes);
        return tmp_.Path() / name;
    }
    tvtest::TempDir tmp_;
};

// The real program, as other tests run it: its exit code, and its stdout into a file.
int RunExe(const std::vector<fs::path>& args, const fs::path& stdoutFile) {
#if defined(_WIN32)
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"\"" + (fs::path(self).parent_path() / TV_GENPAK_EXE).wstring() + L"\"";
    for (const auto& a : args) cmd += L" \"" + a.wstring() + L"\"";
    return _wsystem((cmd + L" > \"" + stdoutFile.wstring() + L"\" 2>NUL\"").c_str());
#else
    std::string cmd = "'" + (fs::path(TV_GENPAK_DIR) / TV_GENPAK_EXE).string() + "'";
    for (const auto& a : args) cmd += " '" + a.string() + "'";
    const int status = std::system((cmd + " > '" + stdoutFile.string() + "' 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

// In-process and through the real program alike.
TEST_F(GenpakTool, UsageErrorsExitWith2AndWhatIsNoArchiveWith1) {
    const fs::path missing = tmp_.Path() / "missing.pak", junk = Write("junk.pak", "this is no archive at all");
    std::vector<std::pair<std::vector<fs::path>, std::string>> cases = {
        {{"list", missing}, "cannot open"}, {{"list", junk}, "end-tag"}, {{"verify", missing}, "cannot open"}};
    for (const char* usage :
         {"", "lists x", "list", "verify a b", "extract a", "pack --only wav x", "pack --jobs 0 x"}) {
        std::istringstream words(usage);
        cases.push_back({{std::istream_iterator<std::string>(words), {}}, "usage: genpak list ARCHIVE"});
    }
    for (const auto& [args, err] : cases) {
        const Result r = Genpak(args);
        EXPECT_EQ(r.code, err.starts_with("usage") ? 2 : 1) << r.err;
        EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(RunExe(args, tmp_.Path() / "stdout.txt"), r.code);
    }
}

TEST_F(GenpakTool, ListAndVerifyPrintHeaderRecordsAndEscapes) {
    const ArchiveBuilder b = TunebaleSample();
    const std::string data = std::to_string(b.DirOffset() - 8);
    std::string expected = "writer-bytes 01 02 tunebale\nrecords 7\nfolders 2\nfiles 5\ndata-size " + data +
                           "\ndir-offset " + std::to_string(b.DirOffset()) + "\n";
    const char* const methods[] = {"stored", "lzss", "folder", "lzss-xor"};
    for (size_t i = 0; i < b.Records().size(); ++i) {
        const Record& r = b.Records()[i];  // the Chinese name in UTF-8
        expected += std::to_string(i) + " " + methods[r.method] + " " + std::to_string(r.dataOffset) + " " +
                    std::to_string(r.packedSize) + " " + std::to_string(r.fileSize) + " " +
                    (i == 6 ? "MySong/sub/\xE6\xAD\x8C\xE6\x9B\xB2.txt" : r.name) + "\n";
    }
    const fs::path pak = Write(fs::path(u"\u6B4C\u66F2.pak"), b.Build()), out = tmp_.Path() / "stdout.txt";
    EXPECT_EQ(Genpak({"list", pak}).out, expected);
    EXPECT_EQ(RunExe({"list", pak}, out), 0);  // the real program too: UTF-8, "\n" line ends
    EXPECT_EQ(tvtest::ReadFile(out), expected);
    EXPECT_EQ(Genpak({"verify", pak}).out,
              "ok: 7 records (2 folders, 5 files), " + data + " data bytes, writer-bytes 01 02 tunebale\n");
    // Sound too: listsmith's (a member that grew stays LZSS), an empty folder, no records at all.
    for (const std::string& sound :
         {tvtest::ListsmithSample().Build(), ArchiveBuilder().Folder("E").Build(), ArchiveBuilder().Build()})
        EXPECT_EQ(Genpak({"verify", Write("sound.pak", sound)}).code, 0);
    // Bytes that are no characters escaped, an unknown method by its number.
    ArchiveBuilder odd = ArchiveBuilder::Listsmith().Folder("s").Packed("s/\x80" + std::string("a\\b\x01"), "x");
    const std::string oddList = Genpak({"list", Write("odd.tvn", odd.Add({"s/odd", 9, 0, 0, 0, 0, ""}).Build())}).out;
    EXPECT_TRUE(oddList.starts_with("writer-bytes 00 06 listsmith\n") &&
                oddList.find(" s/\\x80a\\x5Cb\\x01\n2 method-9 ") != std::string::npos);
}

// One kind of damage and the fault line verify must print for it: a record bent, or the built
// archive damaged (these faults of the archive as a whole come alone).
struct FaultCase {
    const char* code;
    int record;                          // -1: the archive as a whole
    ArchiveBuilder (*make)() = nullptr;  // null: TunebaleSample
    void (*bend)(Record&) = nullptr;
    void (*damage)(std::string&, uint32_t) = nullptr;
};
using T = ArchiveBuilder;
const FaultCase kFaults[] = {
    {"writer-bytes", -1, [] { return T(0x01, 0x03).Folder("S"); }},
    {"writer-bytes", -1, [] { return T(0x01, 0x06).Folder("S"); }},  // both bytes count
    {"writer-bytes", -1, [] { return T(0x00, 0x02).Folder("S"); }},
    {"method", 1, nullptr, [](Record& r) { r.method = 4; }},
    {"name-nul", 2, nullptr, [](Record& r) { r.afterName = 'x'; }},
    {"name-empty", 1, [] { return T::Listsmith().Folder("S").Packed("", "abc"); }},
    {"name-encoding", 1, [] { return T().Folder("S").Stored("S/\x80", "a"); }},
    {"name-length", 1, [] { return T().Folder("S").Stored("S/" + std::string(253, 'n'), "a"); }},
    {"duplicate-name", 2, [] { return T::Listsmith().Folder("S").Packed("S/a", "1").Packed("S/a", "2"); }},
    {"value-range", 3, nullptr, [](Record& r) { r.method = 1, r.fileSize = r.packedSize = 0x80000000u; }},
    {"data-offset", 2, nullptr, [](Record& r) { r.dataOffset += 1; }},
    {"data-offset", 4, nullptr, [](Record& r) { r.dataOffset = 0; }},
    {"folder-sizes", 4, nullptr, [](Record& r) { r.fileSize = 1; }},
    {"block-past-data", 2, nullptr, [](Record& r) { r.packedSize += 100000; }},
    {"stored-size", 1, nullptr, [](Record& r) { r.fileSize += 1; }},
    {"packed-not-smaller", 1, [] { return T().Folder("S").Packed("S/noise", tvtest::RandomBytes(300, 8)); }},
    {"writer-method", 1, [] { return T::Listsmith().Folder("S").Stored("S/a", "abc"); }},
    {"expand", 2, nullptr, [](Record& r) { r.fileSize += 1; }},
    {"expand", 6, nullptr, [](Record& r) { r.method = 1; }},
    {"first-record", 0, [] { return T().Stored("S", "a"); }},
    {"first-record", 0, [] { return T().Folder("S/T"); }},
    {"top-folder", 1, [] { return T::Listsmith().Folder("S").Packed("T/a", "abc"); }},
    {"top-folder", 1, [] { return T::Listsmith().Folder("S").Packed("Sa", "abc"); }},
    {"parent-missing", 1, [] { return T().Folder("S").Stored("S/sub/a", "abc"); }},
    {"folder-count", 2, [] { return T::Listsmith().Folder("S").Packed("S/a", "abc").Folder("S/b"); }},
    {"order", 2, [] { return T().Folder("S").Stored("S/b", "1").Stored("S/a", "2"); }},
    {"order", 2, [] { return T().Folder("S").Stored("S/sub.txt", "1").Folder("S/sub"); }},
    {"too-short", -1, nullptr, nullptr, [](std::string& s, uint32_t) { s.resize(16); }},
    {"end-tag", -1, nullptr, nullptr, [](std::string& s, uint32_t) { s.back() = 0; }},
    {"dir-offset", -1, nullptr, nullptr, [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 9, 3); }},
    {"marker", -1, nullptr, nullptr, [](std::string& s, uint32_t d) { s[d - 8] = 'g'; }},
    {"records-overrun", -1, nullptr, nullptr, [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 5, 1000); }},
    {"directory-gap", -1, nullptr, nullptr, [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 5, 1); }},
    {"data-size", -1, nullptr, nullptr,  // one more byte of entry data than the blocks account for
     [](std::string& s, uint32_t d) { s.insert(s.begin() + d - 8, 'x'), tvtest::PutLe32(s, s.size() - 9, d + 1); }},
};

TEST_F(GenpakTool, VerifyReportsEachKindOfFault) {
    for (const FaultCase& c : kFaults) {
        ArchiveBuilder b = c.make ? c.make() : TunebaleSample();
        if (c.bend) c.bend(b.Records()[static_cast<size_t>(c.record)]);
        std::string bytes = b.Build();
        if (c.damage) c.damage(bytes, b.DirOffset());
        const Result r = Genpak({"verify", Write("fault.pak", bytes)});
        SCOPED_TRACE(r.out);
        const std::string expected =
            std::string("fault ") + c.code + (c.record >= 0 ? " record " + std::to_string(c.record) : "") + ": ";
        EXPECT_EQ(r.code, 1) << c.code;  // the whole archive's faults come alone, and never an "ok:"
        EXPECT_NE(("\n" + r.out).find("\n" + expected), std::string::npos);
        EXPECT_TRUE(r.out.find("ok:") == std::string::npos &&
                    (!c.damage || std::count(r.out.begin(), r.out.end(), '\n') == 1));
    }
}

TEST(GenpakVerify, FindsFaultsInEveryTruncation) {
    for (const std::string& whole : {TunebaleSample().Build(), tvtest::ListsmithSample().Build()})
        for (size_t n = 0; n < whole.size(); ++n) {  // exactly n bytes: the sanitizer sees a read past them
            const std::vector<char> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            tvapi::genpak::MemorySource source(prefix.data(), prefix.size());
            ASSERT_FALSE(genpak::Verify(source).empty()) << "prefix of " << n << " bytes";
        }
}

TEST_F(GenpakTool, ExtractWritesMembersRefusesNamesThatLeaveTheFolderAndTellsWhatDidNotExpand) {
    const fs::path out = tmp_.Path() / "out";
    Result r = Genpak({"extract", Write("MySong.pak", TunebaleSample().Build()), out});
    EXPECT_EQ(r.out, "extracted 2 folders and 5 files\n");  // what they hold: the end-to-end tests
    EXPECT_EQ(tvtest::ReadFile(out / "MySong" / "sub" / fs::path(u"\u6B4C\u66F2.txt")), tvtest::TextLike(2000, 3));
    ArchiveBuilder bad = TunebaleSample();
    bad.Records()[2].fileSize += 1;
    r = Genpak({"extract", Write("bad.pak", bad.Build()), tmp_.Path() / "bad"});
    EXPECT_TRUE(r.code == 1 && r.err.find("record 2") != std::string::npos) << r.err;
    EXPECT_EQ(r.out, "extracted 2 folders and 4 files\n");
    const std::string unsafe[] = {"S/../../evil", "../evil",  "/evil",      "S//evil", "S/./evil",
                                  "C:/evil",      "S/C:evil", "S/..\\evil", "S/a\x01", "S/\x80"};
    ArchiveBuilder b = ArchiveBuilder::Listsmith().Folder("S");
    for (const auto& name : unsafe) b.Packed(name, "evil");
    r = Genpak({"extract", Write("unsafe.tvn", b.Packed("S/fine.txt", "fine").Build()), tmp_.Path() / "x"});
    EXPECT_TRUE(r.code == 1 && r.out == "extracted 1 folders and 1 files\n") << r.out;
    size_t refused = 0;
    for (size_t at = 0; (at = r.err.find("refused", at)) != std::string::npos; ++at) ++refused;
    EXPECT_EQ(refused, std::size(unsafe));
    EXPECT_EQ(tvtest::ReadFile(tmp_.Path() / "x" / "S" / "fine.txt"), "fine");
    for (const auto& e : fs::recursive_directory_iterator(tmp_.Path()))
        EXPECT_EQ(e.path().filename().string().find("evil"), std::string::npos) << e.path();
}

// genpak pack: the audio into FOLDER.pak and the rest into FOLDER.tvn; an existing archive kept
// unless --force; a failure names its file and is counted, and the other folders go on.
TEST_F(GenpakTool, PackWritesBothArchivesKeepsOldOnesAndGoesOnAfterAFailure) {
    const fs::path song = tmp_.Path() / fs::path(u"\u6B4C-Song"), pak = song.u16string() + u".pak",
                   tvn = song.u16string() + u".tvn", big = tmp_.Path() / "big";
    for (const fs::path& folder : {song, big}) fs::create_directories(folder);
    tvtest::WriteFile(song / "song.OGG", tvtest::RandomBytes(5000, 4));
    tvtest::WriteFile(song / "chart.xml", tvtest::TextLike(9000, 6));
    Write("big/huge.mp3", "");  // 2 GiB: too big for a container
    fs::resize_file(big / "huge.mp3", 0x80000000ull);
    Result r = Genpak({"pack", "--jobs", "3", song, big, tmp_.Path() / "missing"});
    EXPECT_TRUE(r.code == 1 && r.err.find("missing: no such folder") != std::string::npos) << r.err;
    EXPECT_NE(r.err.find("failed " + Utf8(big) + ".pak: " + Utf8(big) + "/huge.mp3: "), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("3 packed, 0 kept, 3 failed"), std::string::npos) << r.out;
    // The audio in the one, the rest in the other (both front ends write the same bytes: tests/e2e).
    EXPECT_TRUE(Genpak({"list", pak}).out.ends_with("\n1 stored 0 5000 5000 " + Utf8(song.filename()) + "/song.OGG\n"));
    const std::string before = tvtest::ReadFile(tvn);
    EXPECT_NE(Genpak({"pack", "--only", "tvn", "--xor", song}).out.find("0 packed, 1 kept, 0 failed"),
              std::string::npos);
    EXPECT_EQ(tvtest::ReadFile(tvn), before);
    EXPECT_EQ(Genpak({"pack", "--force", "--only", "tvn", "--xor", song}).code, 0);
    EXPECT_NE(Genpak({"list", tvn}).out.find(" lzss-xor "), std::string::npos);
}

}  // namespace
