// Pack building against real folders under Wine: what goes into each container, in which order
// and form, and what every failure leaves behind.
#include "encode_pak.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>

#include "genpak_reader.h"
#include "names.h"
#include "tavrin/numbered_error.h"
#include "tavrin/text.h"
#include "archive_check.h"
#include "temp_folder.h"

namespace tavrin {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

class FakeUi final : public PackUi {
public:
    std::deque<bool> answers;
    std::vector<std::wstring> questions, statuses;
    bool busy = false;
    bool ConfirmOverwrite(const std::wstring& question) override {
        questions.push_back(question);
        if (answers.empty()) throw std::logic_error("unexpected question");
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowStatus(const std::wstring& line) override { statuses.push_back(line); }
    void SetBusy(bool b) override { busy = b; }
    void ShowProgress(uint64_t done, uint64_t total) override { progress.emplace_back(done, total); }
    std::vector<std::pair<uint64_t, uint64_t>> progress;
};

struct Record {
    std::wstring name;
    int method;
    uint32_t offset, packed, size;
    Bytes content;
};

struct Archive {
    uint8_t writerBytes[2];
    uint32_t dirOffset;
    std::vector<Record> records;
    std::string faults;  // genpak verify's, "" when sound
};

Archive Open(const std::wstring& path) {
    Bytes bytes = ReadBytes(path);
    tvapi::genpak::MemorySource source(bytes.data(), bytes.size());
    Archive a{};
    a.faults = testing::VerifyFaults(path);
    tvapi::genpak::Directory dir;
    EXPECT_EQ(tvapi::genpak::ReadDirectory(source, dir), tvapi::genpak::Status::kOk);
    a.writerBytes[0] = dir.writerBytes[0];
    a.writerBytes[1] = dir.writerBytes[1];
    a.dirOffset = dir.dirOffset;
    for (const auto& e : dir.entries) {
        std::u16string name;
        EXPECT_TRUE(tvapi::names::FromGb18030(dir.Name(e), name));
        Record r{FromU16(name), e.method, e.dataOffset, e.packedSize, e.fileSize, {}};
        if (e.method != tvapi::genpak::kFolder) {
            r.content.resize(e.fileSize);
            EXPECT_TRUE(tvapi::genpak::ReadMember(source, e, r.content.data()));
        }
        a.records.push_back(std::move(r));
    }
    return a;
}

std::vector<std::wstring> Names(const Archive& a) {
    std::vector<std::wstring> names;
    for (const Record& r : a.records) names.push_back(r.name);
    return names;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Noise(size_t n, uint32_t seed) {
    Bytes b(n);
    for (auto& x : b) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<uint8_t>(seed >> 24);
    }
    return b;
}
Bytes Compressible(size_t n) {
    std::string s;
    for (size_t i = 0; s.size() < n; ++i)
        s += "<Note Time=\"" + std::to_string(i * 120) + "\" Lane=\"" + std::to_string(i % 7) + "\"/>\r\n";
    s.resize(n);
    return Text(s);
}

class EncodePakTest : public ::testing::Test {
protected:
    void SetUp() override {
        song_ = root_ / L"My Song";
        CreateDirectoryW(song_.c_str(), nullptr);
    }
    void Add(const std::wstring& relative, const Bytes& bytes) { WriteBytes(song_ + L"\\" + relative, bytes); }
    void AddFolder(const std::wstring& relative) { CreateDirectoryW((song_ + L"\\" + relative).c_str(), nullptr); }
    PackResult Pack(const std::wstring& ext, int32_t algo = 1, const FolderLister& lister = ListFolder) {
        return EncodePak(song_, ext, algo, ui_, lister);
    }
    bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    void ExpectNoLeftovers() {
        EXPECT_FALSE(Exists(song_ + L".tmp"));
        EXPECT_FALSE(Exists(song_ + L".pak.part"));
        EXPECT_FALSE(Exists(song_ + L".tvn.part"));
    }

    TempFolder root_;
    std::wstring song_;
    FakeUi ui_;
};

TEST_F(EncodePakTest, SongFolderSplitsIntoAudioArchiveAndDescriptor) {
    Bytes mp3 = Noise(5000, 1), ogg = Noise(3000, 2), chart = Compressible(20000), png = Noise(700, 3);
    Add(L"song.mp3", mp3);
    Add(L"bg.ogg", ogg);
    Add(L"chart.xml", chart);
    Add(L"cover.png", png);
    ASSERT_EQ(Pack(L"pak").outcome, PackOutcome::kPacked);
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);

    Archive pak = Open(song_ + L".pak");
    EXPECT_EQ(pak.faults, "");
    EXPECT_EQ(pak.writerBytes[0], 1);
    EXPECT_EQ(pak.writerBytes[1], 2);
    EXPECT_EQ(Names(pak), (std::vector<std::wstring>{L"My Song", L"My Song/bg.ogg", L"My Song/song.mp3"}));
    EXPECT_EQ(pak.records[0].method, 2);
    EXPECT_EQ(pak.records[0].offset, 0u);
    EXPECT_EQ(pak.records[1].content, ogg);
    EXPECT_EQ(pak.records[2].content, mp3);
    EXPECT_EQ(pak.records[1].method, 0);  // noise does not shrink: stored raw
    EXPECT_EQ(pak.records[1].packed, 3000u);

    Archive tvn = Open(song_ + L".tvn");
    EXPECT_EQ(tvn.faults, "");
    EXPECT_EQ(Names(tvn), (std::vector<std::wstring>{L"My Song", L"My Song/chart.xml", L"My Song/cover.png"}));
    EXPECT_EQ(tvn.records[1].method, 1);
    EXPECT_LT(tvn.records[1].packed, tvn.records[1].size);
    EXPECT_EQ(tvn.records[1].content, chart);
    EXPECT_EQ(tvn.records[2].content, png);
    EXPECT_EQ(tvn.records[2].offset, tvn.records[1].packed);
    ExpectNoLeftovers();
    EXPECT_FALSE(ui_.busy);
    EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(EncodePakTest, EmptyFolderGivesMarkerOneFolderRecordAndTrailer) {
    ASSERT_EQ(Pack(L"pak").outcome, PackOutcome::kPacked);
    Bytes expected = Text("GENPAK");
    expected.insert(expected.end(), {1, 2, 7, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (char c : std::string("My Song")) expected.push_back(static_cast<uint8_t>(c));
    expected.insert(expected.end(), {0, 8, 0, 0, 0, 1, 0, 0, 0, 0x12});
    EXPECT_EQ(ReadBytes(song_ + L".pak"), expected);
}

TEST_F(EncodePakTest, SubFoldersAreRecordedInBothOutputsAndSortBeforeTheirContent) {
    AddFolder(L"sub");
    AddFolder(L"empty");
    Add(L"sub.txt", Text("beside"));
    Add(L"sub\\x.txt", Text("inside"));
    Add(L"sub\\k.wav", Noise(100, 4));
    ASSERT_EQ(Pack(L"pak").outcome, PackOutcome::kPacked);
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    EXPECT_EQ(Names(Open(song_ + L".pak")),
              (std::vector<std::wstring>{L"My Song", L"My Song/empty", L"My Song/sub", L"My Song/sub/k.wav"}));
    // "." sorts before "/": sub.txt stands between the folder sub and its content.
    Archive tvn = Open(song_ + L".tvn");
    EXPECT_EQ(Names(tvn), (std::vector<std::wstring>{L"My Song", L"My Song/empty", L"My Song/sub", L"My Song/sub.txt",
                                                     L"My Song/sub/x.txt"}));
    // A folder's offset is where the next data goes.
    EXPECT_EQ(tvn.records[2].offset, 0u);
    EXPECT_EQ(tvn.records[4].offset, tvn.records[3].packed);
    EXPECT_EQ(tvn.faults, "");
}

TEST_F(EncodePakTest, ZeroByteFilesHaveARecordButNoBlock) {
    Add(L"a.ogg", {});
    Add(L"b.ogg", Noise(10, 5));
    Add(L"c.ogg", {});
    ASSERT_EQ(Pack(L"pak").outcome, PackOutcome::kPacked);
    Archive pak = Open(song_ + L".pak");
    ASSERT_EQ(pak.records.size(), 4u);
    EXPECT_EQ(pak.records[1].method, 0);
    EXPECT_EQ(pak.records[1].packed, 0u);
    EXPECT_EQ(pak.records[1].size, 0u);
    EXPECT_EQ(pak.records[2].offset, 0u);
    EXPECT_EQ(pak.records[3].offset, 10u);
    EXPECT_EQ(pak.records[3].size, 0u);
    EXPECT_EQ(pak.dirOffset, 18u);
}

TEST_F(EncodePakTest, AudioIsToldByTheLowerCasedWholeName) {
    for (const wchar_t* name : {L"SONG.MP3", L"song.mpeg", L"track.ogg.bak", L"Voice.Opus"}) Add(name, Text("x"));
    ASSERT_EQ(Pack(L"pak").outcome, PackOutcome::kPacked);
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    EXPECT_EQ(Names(Open(song_ + L".pak")),
              (std::vector<std::wstring>{L"My Song", L"My Song/SONG.MP3", L"My Song/Voice.Opus"}));
    EXPECT_EQ(Names(Open(song_ + L".tvn")),
              (std::vector<std::wstring>{L"My Song", L"My Song/song.mpeg", L"My Song/track.ogg.bak"}));
}

TEST_F(EncodePakTest, HiddenAndReadOnlyFoldersAndFilesAreStillPacked) {
    AddFolder(L"hidden");
    Add(L"hidden\\h.txt", Text("h"));
    SetFileAttributesW((song_ + L"\\hidden").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    Add(L"system.txt", Text("s"));
    SetFileAttributesW((song_ + L"\\system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    Archive tvn = Open(song_ + L".tvn");
    EXPECT_EQ(Names(tvn), (std::vector<std::wstring>{L"My Song", L"My Song/hidden", L"My Song/hidden/h.txt",
                                                     L"My Song/system.txt"}));
    EXPECT_EQ(tvn.records[1].method, 2);
}

TEST_F(EncodePakTest, StatusLineCountsFoldersAndFilesTogether) {
    Add(L"a.xml", Text("a"));
    AddFolder(L"z");
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    EXPECT_EQ(ui_.statuses,
              (std::vector<std::wstring>{L"正在打包第 1 个目录:\nMy Song", L"正在打包第 2 个文件:\nMy Song/a.xml",
                                         L"正在打包第 3 个目录:\nMy Song/z"}));
}

TEST_F(EncodePakTest, XorMethodAppliesToFilesThatShrink) {
    Bytes chart = Compressible(8000), noise = Noise(4000, 6);
    Add(L"chart.txt", chart);
    Add(L"noise.bin", noise);
    ASSERT_EQ(Pack(L"tvn", 3).outcome, PackOutcome::kPacked);
    Archive tvn = Open(song_ + L".tvn");
    EXPECT_EQ(tvn.records[1].method, 3);
    EXPECT_EQ(tvn.records[1].content, chart);
    EXPECT_EQ(tvn.records[2].method, 0);
    EXPECT_EQ(tvn.records[2].content, noise);
    EXPECT_EQ(tvn.faults, "");
}

TEST_F(EncodePakTest, UnicodeNamesBecomeGb18030AndComeBack) {
    for (const wchar_t* name : {L"歌曲.txt", L"日本語.txt", L"한국어.txt", L"😀.txt"}) Add(name, Text("u"));
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    Archive tvn = Open(song_ + L".tvn");
    EXPECT_EQ(tvn.faults, "");
    EXPECT_EQ(tvn.records.size(), 5u);
    std::vector<std::wstring> names = Names(tvn);
    EXPECT_NE(std::find(names.begin(), names.end(), L"My Song/😀.txt"), names.end());
}

TEST_F(EncodePakTest, OverwriteQuestionNoKeepsEverythingYesReplaces) {
    Add(L"a.xml", Text("new"));
    WriteBytes(song_ + L".tvn", Text("OLD"));
    WriteBytes(song_ + L".tmp", Text("temp"));
    ui_.answers = {false};
    EXPECT_EQ(Pack(L"tvn").outcome, PackOutcome::kDeclined);
    EXPECT_EQ(ui_.questions, (std::vector<std::wstring>{L"文件 " + song_ + L".tvn 已存在,是否覆盖?"}));
    EXPECT_EQ(ReadBytes(song_ + L".tvn"), Text("OLD"));
    EXPECT_EQ(ReadBytes(song_ + L".tmp"), Text("temp"));
    EXPECT_FALSE(ui_.busy) << "the busy pointer outlived the declined run";
    ui_.answers = {true};
    EXPECT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    EXPECT_EQ(Open(song_ + L".tvn").records.size(), 2u);
    ExpectNoLeftovers();  // the stale temporary file went without a question
    EXPECT_EQ(ui_.questions.size(), 2u);
}

TEST_F(EncodePakTest, SlashesAndTrailingSeparatorPackTheSameAsTheCleanPath) {
    Add(L"a.xml", Compressible(3000));
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    Bytes clean = ReadBytes(song_ + L".tvn");
    for (std::wstring typed : {song_ + L"\\", song_ + L"/"}) {
        std::replace(typed.begin(), typed.begin() + static_cast<long>(song_.size()) - 8, L'\\', L'/');
        ui_.answers = {true};
        ASSERT_EQ(EncodePak(typed, L"tvn", 1, ui_).outcome, PackOutcome::kPacked);
        EXPECT_EQ(ReadBytes(song_ + L".tvn"), clean);
    }
}

TEST_F(EncodePakTest, UnusablePathsAreRefusedBeforeAnythingIsWritten) {
    Add(L"file.txt", Text("f"));
    for (const std::wstring& bad : {std::wstring(L""), std::wstring(L"   "), root_ / L"missing", song_ + L"\\file.txt",
                                    std::wstring(L"C:\\"), std::wstring(L"Z:/")}) {
        PackResult r = EncodePak(bad, L"pak", 1, ui_);
        EXPECT_EQ(r.outcome, PackOutcome::kRefused);
        EXPECT_FALSE(r.message.empty());
    }
    EXPECT_FALSE(Exists(L".pak"));
    EXPECT_FALSE(Exists(L"C:\\.pak"));
    EXPECT_FALSE(Exists(song_ + L"\\file.txt.pak"));
    EXPECT_TRUE(ui_.statuses.empty());
}

// Failures: the message names the file and the reason, nothing partial stays, an old output is kept.
class EncodePakFailureTest : public EncodePakTest {
protected:
    void ExpectFailedKeepingOld(const PackResult& r, const std::wstring& ext, const std::wstring& named) {
        EXPECT_EQ(r.outcome, PackOutcome::kFailed);
        EXPECT_NE(r.message.find(named), std::wstring::npos)
            << "message: " << std::string(r.message.begin(), r.message.end());
        EXPECT_EQ(ReadBytes(song_ + ext), Text("OLD"));
        ExpectNoLeftovers();
        EXPECT_FALSE(ui_.busy);
    }
    void KeepOld(const std::wstring& ext) {
        WriteBytes(song_ + ext, Text("OLD"));
        ui_.answers = {true};
    }
};

TEST_F(EncodePakFailureTest, ASourceFileThatCannotBeReadStopsThePack) {
    Add(L"a.xml", Text("a"));
    Add(L"locked.xml", Text("l"));
    KeepOld(L".tvn");
    HANDLE writer =
        CreateFileW((song_ + L"\\locked.xml").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    PackResult r = Pack(L"tvn");
    CloseHandle(writer);
    ExpectFailedKeepingOld(r, L".tvn", L"locked.xml");
}

TEST_F(EncodePakFailureTest, AFileOf2GiBOrMoreStopsThePack) {
    Add(L"huge.ogg", {});
    HANDLE h = CreateFileW((song_ + L"\\huge.ogg").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 0x80000000LL;
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h));  // sparse on the host
    CloseHandle(h);
    KeepOld(L".pak");
    ExpectFailedKeepingOld(Pack(L"pak"), L".pak", L"huge.ogg");
}

TEST_F(EncodePakFailureTest, AFolderThatCannotBeListedStopsThePack) {
    AddFolder(L"sub");
    AddFolder(L"sub\\deny");
    Add(L"sub\\a.ogg", Noise(10, 7));
    KeepOld(L".pak");
    auto lister = [](const std::wstring& folder) {
        if (folder.ends_with(L"/deny")) throw NumberedError(70);
        return ListFolder(folder);
    };
    PackResult r = Pack(L"pak", 1, lister);
    ExpectFailedKeepingOld(r, L".pak", L"My Song/sub/deny");
    EXPECT_NE(r.message.find(L"拒绝的权限"), std::wstring::npos);
}

TEST_F(EncodePakFailureTest, ANameLongerThan254BytesStopsThePack) {
    std::wstring part(62, L'长');  // 124 bytes in GB18030: with "My Song/", 257 in all
    AddFolder(part);
    AddFolder(part + L"\\" + part);
    KeepOld(L".tvn");
    ExpectFailedKeepingOld(Pack(L"tvn"), L".tvn", part + L"/" + part);
}

TEST_F(EncodePakFailureTest, AReadOnlyOutputIsNotReplacedAndTheUserIsTold) {
    Add(L"a.ogg", Noise(10, 8));
    KeepOld(L".pak");
    SetFileAttributesW((song_ + L".pak").c_str(), FILE_ATTRIBUTE_READONLY);
    PackResult r = Pack(L"pak");
    SetFileAttributesW((song_ + L".pak").c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectFailedKeepingOld(r, L".pak", song_ + L".pak");
}

TEST_F(EncodePakFailureTest, ATemporaryNameTakenByAFolderStopsThePack) {
    Add(L"a.ogg", Noise(10, 9));
    KeepOld(L".pak");
    CreateDirectoryW((song_ + L".tmp").c_str(), nullptr);
    PackResult r = Pack(L"pak");
    EXPECT_EQ(r.outcome, PackOutcome::kFailed);
    EXPECT_NE(r.message.find(song_ + L".tmp"), std::wstring::npos);
    EXPECT_EQ(ReadBytes(song_ + L".pak"), Text("OLD"));
    EXPECT_FALSE(Exists(song_ + L".pak.part"));
}

TEST_F(EncodePakTest, AFolderLinkBackIntoTheTreeIsNotFollowedAgain) {
    AddFolder(L"sub");
    Add(L"sub\\a.ogg", Noise(10, 10));
    // The listing of "loop" reaches the song folder itself, as a junction to it would.
    auto lister = [&](const std::wstring& folder) {
        if (folder.ends_with(L"/loop")) return ListFolder(song_);
        FolderListing listing = ListFolder(folder);
        if (folder.ends_with(L"/sub")) listing.items.push_back({u"loop", true});
        return listing;
    };
    ASSERT_EQ(Pack(L"pak", 1, lister).outcome, PackOutcome::kPacked);
    EXPECT_EQ(Names(Open(song_ + L".pak")),
              (std::vector<std::wstring>{L"My Song", L"My Song/sub", L"My Song/sub/a.ogg"}));
}

}  // namespace
}  // namespace tavrin
