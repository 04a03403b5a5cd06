// The pack builder's side of a pack, against real folders under Wine: refusals, the one question,
// the status line and progress, and how a failure is told. What goes into a container is the pack
// engine's, tested with it.
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
using testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

struct FakeUi final : PackUi {
    std::deque<bool> answers;
    std::vector<std::wstring> questions, statuses;
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    bool busy = false;
    bool ConfirmOverwrite(const std::wstring& question) override {
        questions.push_back(question);
        if (answers.empty()) throw std::logic_error("unexpected question");
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowStatus(const std::wstring& line) override { statuses.push_back(line); }
    void SetBusy(bool b) override { busy = b; }
    void ShowProgress(uint64_t done, uint64_t total) override { progress.emplace_back(done, total); }
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(EncodePak, StatusProgressQuestionsRefusalsAndFailures) {
    testing::TempFolder root;
    const std::wstring song = root / L"My Song", tvn = song + L".tvn";
    CreateDirectoryW(song.c_str(), nullptr);
    CreateDirectoryW((song + L"\\z").c_str(), nullptr);
    WriteBytes(song + L"\\a.xml", {'a', 'b', 'c'});
    WriteBytes(song + L"\\z\\b.txt", {'d', 'e'});
    SetFileAttributesW((song + L"\\z").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);  // packed too
    auto noLeftovers = [&] { return !Exists(song + L".tmp") && !Exists(tvn + L".part"); };
    FakeUi ui;
    ASSERT_EQ(EncodePak(song + L"/", L"tvn", 1, ui).outcome, PackOutcome::kPacked);  // the same as the clean path
    EXPECT_EQ(ui.statuses, (std::vector<std::wstring>{
                               L"正在打包第 1 个目录:\nMy Song", L"正在打包第 2 个文件:\nMy Song/a.xml",
                               L"正在打包第 3 个目录:\nMy Song/z", L"正在打包第 4 个文件:\nMy Song/z/b.txt"}));
    EXPECT_EQ(ui.progress, (std::vector<std::pair<uint64_t, uint64_t>>{{0, 5}, {0, 5}, {3, 5}, {3, 5}, {5, 5}}));
    EXPECT_EQ(testing::ExtractedFiles(tvn).size(), 2u);
    EXPECT_TRUE(noLeftovers() && !ui.busy && ui.questions.empty());
    // Our library says in its version resource that its compressors may run at once.
    EXPECT_EQ(DefaultPackJobs(), std::max(1u, std::thread::hardware_concurrency()));

    // No keeps the old output and a stale temporary file; yes replaces both without a second question.
    const Bytes packed = ReadBytes(tvn);
    WriteBytes(tvn, {'O', 'L', 'D'});
    WriteBytes(song + L".tmp", {'t'});
    ui.answers = {false, true};
    EXPECT_EQ(EncodePak(song, L"tvn", 1, ui).outcome, PackOutcome::kDeclined);
    EXPECT_EQ(ui.questions, (std::vector<std::wstring>{L"文件 " + tvn + L" 已存在,是否覆盖?"}));
    EXPECT_EQ(ReadBytes(tvn), (Bytes{'O', 'L', 'D'}));
    EXPECT_TRUE(Exists(song + L".tmp") && !ui.busy);
    EXPECT_EQ(EncodePak(song, L"tvn", 1, ui).outcome, PackOutcome::kPacked);
    EXPECT_EQ(ReadBytes(tvn), packed);
    EXPECT_TRUE(noLeftovers() && ui.questions.size() == 2);

    // Unusable paths are refused before anything is written.
    ui.statuses.clear();
    for (const std::wstring& bad : {std::wstring(L""), std::wstring(L"   "), root / L"missing", song + L"\\a.xml",
                                    std::wstring(L"C:\\"), std::wstring(L"Z:/")}) {
        const PackResult r = EncodePak(bad, L"pak", 1, ui);
        EXPECT_EQ(r.outcome, PackOutcome::kRefused);
        EXPECT_FALSE(r.message.empty());
    }
    EXPECT_FALSE(Exists(L"C:\\.pak") || Exists(song + L"\\a.xml.pak"));
    EXPECT_TRUE(ui.statuses.empty());

    // A failure tells the output, the file and the reason; nothing partial stays, the old output
    // is kept: a file another program is writing, an old output the user made read-only.
    for (const auto& [named, reason, readOnly] :
         {std::tuple{L"/a.xml", L"无法读取文件", false}, std::tuple{L".tvn", L"只读", true}}) {
        WriteBytes(tvn, {'O', 'L', 'D'});
        ui.answers = {true};
        HANDLE writer =
            readOnly ? INVALID_HANDLE_VALUE
                     : CreateFileW((song + L"\\a.xml").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (readOnly) SetFileAttributesW(tvn.c_str(), FILE_ATTRIBUTE_READONLY);
        const PackResult r = EncodePak(song, L"tvn", 1, ui);
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        SetFileAttributesW(tvn.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(r.outcome, PackOutcome::kFailed);
        EXPECT_TRUE(r.message.starts_with(L"打包 " + tvn + L" 失败。\n" + song + named + L"\n")) << r.message.size();
        EXPECT_NE(r.message.find(reason), std::wstring::npos);
        EXPECT_EQ(ReadBytes(tvn), (Bytes{'O', 'L', 'D'}));
        EXPECT_TRUE(noLeftovers() && !ui.busy);
    }
}

}  // namespace
}  // namespace tavrin
