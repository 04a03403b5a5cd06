// The pack builder's side of a pack, against real folders under Wine: refusals, the one question,
// the status line and progress, the busy pointer, and how a failure is told. What goes into a
// container is the pack engine's, tested with it.
#include "encode_pak.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <thread>

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
    std::vector<std::pair<uint64_t, uint64_t>> progress;
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
};

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

class EncodePakTest : public ::testing::Test {
protected:
    void SetUp() override {
        song_ = root_ / L"My Song";
        CreateDirectoryW(song_.c_str(), nullptr);
    }
    void Add(const std::wstring& relative, const Bytes& bytes) { WriteBytes(song_ + L"\\" + relative, bytes); }
    PackResult Pack(const std::wstring& ext) { return EncodePak(song_, ext, 1, ui_); }
    bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    void ExpectNoLeftovers() {
        for (const wchar_t* ext : {L".tmp", L".pak.part", L".tvn.part"}) EXPECT_FALSE(Exists(song_ + ext)) << ext;
    }

    TempFolder root_;
    std::wstring song_;
    FakeUi ui_;
};

TEST_F(EncodePakTest, StatusLineAndProgressFollowEachEntry) {
    Add(L"a.xml", Text("abc"));
    CreateDirectoryW((song_ + L"\\z").c_str(), nullptr);
    Add(L"z\\b.txt", Text("de"));
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    EXPECT_EQ(ui_.statuses, (std::vector<std::wstring>{
                                L"正在打包第 1 个目录:\nMy Song", L"正在打包第 2 个文件:\nMy Song/a.xml",
                                L"正在打包第 3 个目录:\nMy Song/z", L"正在打包第 4 个文件:\nMy Song/z/b.txt"}));
    using P = std::pair<uint64_t, uint64_t>;
    EXPECT_EQ(ui_.progress, (std::vector<P>{{0, 5}, {0, 5}, {3, 5}, {3, 5}, {5, 5}}));
    EXPECT_FALSE(ui_.busy);
    EXPECT_TRUE(ui_.questions.empty());
    ExpectNoLeftovers();
    // Our library says in its version resource that its compressors may run at once.
    EXPECT_EQ(DefaultPackJobs(), std::max(1u, std::thread::hardware_concurrency()));
}

TEST_F(EncodePakTest, HiddenAndSystemEntriesArePacked) {
    CreateDirectoryW((song_ + L"\\hidden").c_str(), nullptr);
    Add(L"hidden\\h.txt", Text("h"));
    SetFileAttributesW((song_ + L"\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    Add(L"system.txt", Text("s"));
    SetFileAttributesW((song_ + L"\\system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(Pack(L"tvn").outcome, PackOutcome::kPacked);
    const auto files = testing::ExtractedFiles(song_ + L".tvn");
    EXPECT_EQ(files.size(), 2u);
    EXPECT_EQ(files.count(L"My Song\\hidden\\h.txt"), 1u);
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
    EXPECT_EQ(testing::VerifyFaults(song_ + L".tvn"), "");
    ExpectNoLeftovers();  // the stale temporary file went without a question
    EXPECT_EQ(ui_.questions.size(), 2u);
}

TEST_F(EncodePakTest, SlashesAndTrailingSeparatorPackTheSameAsTheCleanPath) {
    Add(L"a.xml", Text("<chart><note/><note/><note/></chart>"));
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
    EXPECT_FALSE(Exists(L"C:\\.pak"));
    EXPECT_FALSE(Exists(song_ + L"\\file.txt.pak"));
    EXPECT_TRUE(ui_.statuses.empty());
}

// A failure is told with the output, the file and the reason; nothing partial stays, an old output
// is kept. A file another program is writing, and an old output the user made read-only.
TEST_F(EncodePakTest, AFailureNamesTheFileAndKeepsTheOldOutput) {
    Add(L"a.xml", Text("a"));
    Add(L"locked.xml", Text("l"));
    struct Case {
        std::wstring named, reason;
        bool readOnly;
    };
    for (const Case& c : {Case{L"/locked.xml", L"无法读取文件", false}, Case{L".tvn", L"只读", true}}) {
        WriteBytes(song_ + L".tvn", Text("OLD"));
        ui_.answers = {true};
        HANDLE writer =
            CreateFileW((song_ + L"\\locked.xml").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (c.readOnly) {
            CloseHandle(writer);
            writer = INVALID_HANDLE_VALUE;
            SetFileAttributesW((song_ + L".tvn").c_str(), FILE_ATTRIBUTE_READONLY);
        }
        const PackResult r = Pack(L"tvn");
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        SetFileAttributesW((song_ + L".tvn").c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(r.outcome, PackOutcome::kFailed);
        EXPECT_EQ(r.message.rfind(L"打包 " + song_ + L".tvn 失败。\n" + song_ + c.named + L"\n", 0), 0u);
        EXPECT_NE(r.message.find(c.reason), std::wstring::npos);
        EXPECT_EQ(ReadBytes(song_ + L".tvn"), Text("OLD"));
        ExpectNoLeftovers();
        EXPECT_FALSE(ui_.busy);
    }
}

}  // namespace
}  // namespace tavrin
