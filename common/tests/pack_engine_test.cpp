// The pack engine and container writer on real folders (natively and under Wine): bytes independent
// of threads, progress in order, failures that name their file and leave an old container as it was.
#include "tavrin/pack_engine.h"

#include <gtest/gtest.h>

#include "genpak_reader.h"
#include "names.h"
#include "tavrin/audio_patterns.h"
#include "tavrin/pack_sources.h"
#include "test_archives.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

// The platform's source, with faults that cannot be made on disk by every user: a file that
// cannot be read, a folder that cannot be listed, a folder link back to the packed folder.
class FaultySource final : public PackSource {
public:
    std::u16string unreadable, unlistable, loopsBack, root;
    FolderListing ListFolder(const std::u16string& folder) override {
        if (!unlistable.empty() && folder.ends_with(unlistable)) throw ScanError{folder, L"denied"};
        if (!loopsBack.empty() && folder.ends_with(loopsBack)) return real_->ListFolder(root);
        FolderListing listing = real_->ListFolder(folder);
        if (!loopsBack.empty() && folder == root) listing.items.push_back({loopsBack.substr(1), true});
        return listing;
    }
    std::unique_ptr<FileReader> NewReader() override {
        struct Reader final : FileReader {
            Reader(std::unique_ptr<FileReader> r, const std::u16string& name) : real(std::move(r)), bad(name) {}
            const uint8_t* Load(const std::u16string& path, uint32_t& size) override {
                return !bad.empty() && path.ends_with(bad) ? nullptr : real->Load(path, size);
            }
            void Release() noexcept override { real->Release(); }
            std::unique_ptr<FileReader> real;
            std::u16string bad;
        };
        return std::make_unique<Reader>(real_->NewReader(), unreadable);
    }
    std::unique_ptr<PackSource> real_ = PlatformPackSource();
};

struct PackEngine : ::testing::Test {
    PackEngine() : song_(tmp_.Path() / fs::path(u"\u6B4C Song")) { fs::create_directories(song_); }
    void Put(const fs::path& relative, const std::string& bytes) {
        fs::create_directories((song_ / relative).parent_path());
        tvtest::WriteFile(song_ / relative, bytes);
    }
    FinishedContainer Pack(const fs::path& output, const std::u16string& ext, unsigned jobs, PackSource& source,
                           std::vector<PackStep>* steps = nullptr) {
        PackJob job{song_.u16string(), ext, 1, output, output.u16string() + u".tmp", jobs};
        return PackFolder(job, source,
                          steps ? PackProgress([steps](const PackStep& s) { steps->push_back(s); }) : nullptr);
    }
    tvtest::TempDir tmp_;
    fs::path song_;
};

// The file a FileFailure named and why; nothing when none was thrown.
std::pair<fs::path, std::wstring> FailureOf(const std::function<void()>& f) try {
    return f(), std::pair<fs::path, std::wstring>{};
} catch (const FileFailure& e) {
    return {e.file, e.reason};
}

// Each record as "name method offset packed size", its content checked against the file.
std::vector<std::string> Records(const fs::path& archive, const fs::path& folder) {
    const std::string bytes = tvtest::ReadFile(archive);
    tvapi::genpak::MemorySource source(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    tvapi::genpak::Directory dir;
    EXPECT_EQ(tvapi::genpak::ReadDirectory(source, dir), tvapi::genpak::Status::kOk);
    std::vector<std::string> records;
    for (const auto& e : dir.entries) {
        std::u16string name;
        EXPECT_TRUE(tvapi::names::FromGb18030(dir.Name(e), name));
        records.emplace_back(tvtest::Utf8(name));
        for (uint32_t n : {uint32_t{e.method}, e.dataOffset, e.packedSize, e.fileSize})
            records.back() += " " + std::to_string(n);
        if (e.method == tvapi::genpak::kFolder) continue;
        std::string content(e.fileSize, '\0');
        EXPECT_TRUE(tvapi::genpak::ReadMember(source, e, reinterpret_cast<uint8_t*>(content.data())));
        EXPECT_EQ(content, tvtest::ReadFile(folder.parent_path() / fs::path(name))) << records.back();
    }
    return records;
}

// An empty folder's whole container, byte for byte; a full one's records in each container: audio by
// its lower-cased whole name, every folder in both, "sub" < "sub.txt" < "sub/...", empty files without
// a block, raw storage for what does not shrink, names in GB18030 and back, a link back not followed.
TEST_F(PackEngine, AFolderBecomesTheseRecords) {
    FaultySource source;
    const fs::path pak = tmp_.Path() / "empty.pak";
    fs::create_directory(tmp_.Path() / "My Song");
    PackFolder({(tmp_.Path() / "My Song").u16string(), u"pak", 1, pak, pak.u16string() + u".tmp"}, source, nullptr);
    EXPECT_EQ(tvtest::ReadFile(pak), std::string("GENPAK\x01\x02\x07\x02", 10) + std::string(12, '\0') +
                                         std::string("My Song\0\x08\0\0\0\x01\0\0\0\x12", 17));
    fs::create_directories(song_ / "empty");
    Put("SONG.MP3", tvtest::RandomBytes(500, 1));
    Put("Voice.Opus", "");
    Put("song.mpeg", "m");
    Put("track.ogg.bak", tvtest::TextLike(4000, 2));
    Put("sub.txt", "beside");
    Put("sub/k.wav", tvtest::RandomBytes(100, 3));
    Put(fs::path(u"sub/\u6B4C\uD55C\U0001F3B5.txt"), "");
    const std::string s = "\u6B4C Song";
    source.root = song_.u16string(), source.loopsBack = u"/loop";
    for (const std::u16string ext : {u"tvn", u"pak"}) Pack(song_.u16string() + u"." + ext, ext, 2, source);
    EXPECT_EQ(Records(song_.u16string() + u".pak", song_),
              (std::vector<std::string>{s + " 2 0 0 0", s + "/SONG.MP3 0 0 500 500", s + "/Voice.Opus 0 500 0 0",
                                        s + "/empty 2 500 0 0", s + "/sub 2 500 0 0", s + "/sub/k.wav 0 500 100 100"}));
    std::vector<std::string> tvn = Records(song_.u16string() + u".tvn", song_);
    EXPECT_TRUE(tvn.size() == 7 && tvn[6].starts_with(s + "/track.ogg.bak 1 7 ") && tvn[6].ends_with(" 4000"));  // LZSS
    tvn.resize(6);
    EXPECT_EQ(tvn, (std::vector<std::string>{s + " 2 0 0 0", s + "/empty 2 0 0 0", s + "/song.mpeg 0 0 1 1",
                                             s + "/sub 2 1 0 0", s + "/sub.txt 0 1 6 6",
                                             s + "/sub/\u6B4C\uD55C\U0001F3B5.txt 0 7 0 0"}));
    EXPECT_FALSE(MatchesPattern(std::u16string(5000, u'a'), u"*a*a*a*b"));  // "*" backtracks, in time
}

TEST_F(PackEngine, ThreadsChangeNeitherTheBytesNorTheOrderOfProgressOrFailures) {
    // Files of every kind the engine treats apart: empty, tiny, compressible, not, in sub-folders.
    const size_t sizes[] = {0, 1, 7, 300, 4096, 40000};
    for (int i = 0; i < 60; ++i) {
        const std::string dir = i % 3 == 0 ? "" : (i % 3 == 1 ? "sub/" : "sub/deep/");
        Put(dir + "f" + std::to_string(i) + (i % 2 ? ".ogg" : ".OGG"),
            (i % 4 < 2 ? tvtest::RandomBytes : tvtest::TextLike)(sizes[i % 6], static_cast<uint32_t>(i)));
    }
    FaultySource source, unreadable;  // unreadable: f1, f11, f21 ...
    unreadable.unreadable = u"1.ogg";
    std::vector<PackStep> firstSteps;
    const fs::path first = tmp_.Path() / "jobs1.pak";
    EXPECT_EQ(Pack(first, u"pak", 1, source, &firstSteps).entryCount, 63);
    ASSERT_EQ(firstSteps.size(), 64u);
    for (size_t i = 0; i < firstSteps.size(); ++i)
        EXPECT_TRUE(firstSteps[i].index == i && (firstSteps[i].name == nullptr) == (i == 63) &&
                    firstSteps[i].bytesDone >= firstSteps[i ? i - 1 : 0].bytesDone);
    EXPECT_EQ(firstSteps.back().bytesDone, firstSteps.back().bytesTotal);
    // Of several unreadable files one thread meets one first; so must more.
    const fs::path firstFailure = FailureOf([&] { Pack(first.u16string() + u"x", u"pak", 1, unreadable); }).first;
    EXPECT_FALSE(firstFailure.empty());
    for (unsigned jobs : {2u, 4u, 7u}) {
        SCOPED_TRACE(jobs);
        const fs::path output = tmp_.Path() / ("jobs" + std::to_string(jobs) + ".pak");
        std::vector<PackStep> steps;
        Pack(output, u"pak", jobs, source, &steps);
        EXPECT_EQ(tvtest::ReadFile(output), tvtest::ReadFile(first));
        ASSERT_EQ(steps.size(), firstSteps.size());
        for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(steps[i].bytesDone, firstSteps[i].bytesDone);
        EXPECT_EQ(FailureOf([&] { Pack(output, u"pak", jobs, unreadable); }).first, firstFailure);
        EXPECT_EQ(tvtest::ReadFile(output), tvtest::ReadFile(first));
    }
}

TEST_F(PackEngine, EachFailureNamesItsFileAndLeavesTheOldContainerAsItWas) {
    const std::u16string longPart(62, u'\u957F');  // 124 bytes in GB18030: 257 with the folder's name
    const fs::path output = tmp_.Path() / "out.tvn", temporary = output.u16string() + u".tmp";
    // What each case makes go wrong, and the end of the file or folder the failure names.
    const std::pair<std::function<void(FaultySource&)>, std::u16string> cases[] = {
        {[](FaultySource& s) { s.unreadable = u"locked.xml"; }, u"locked.xml"},
        {[](FaultySource& s) { s.unlistable = u"/deny"; }, u"/deny"},
        {[&](FaultySource&) { fs::resize_file(song_ / "huge.png", 0x80000000ull); }, u"huge.png"},  // 2 GiB
        {[&](FaultySource&) { Put(fs::path(longPart) / fs::path(longPart) / "x.txt", "x"); },
         longPart + u"/" + longPart},
        {[&](FaultySource&) { fs::permissions(output, fs::perms::owner_write, fs::perm_options::remove); }, u"out.tvn"},
        {[&](FaultySource&) { fs::create_directory(temporary); }, u"out.tvn.tmp"},  // the temporary name taken
    };
    Put("locked.xml", tvtest::TextLike(5000, 1));
    Put("huge.png", "");
    fs::create_directories(song_ / "deny");
    for (size_t i = 0; i < std::size(cases); ++i) {
        for (unsigned jobs : {1u, 3u}) {
            SCOPED_TRACE(std::to_string(i) + ", jobs " + std::to_string(jobs));
            tvtest::WriteFile(output, "OLD");
            FaultySource source;
            cases[i].first(source);
            const auto [file, reason] = FailureOf([&] { Pack(output, u"tvn", jobs, source); });
            EXPECT_TRUE(file.u16string().ends_with(cases[i].second) && !reason.empty()) << file;
            fs::permissions(output, fs::perms::owner_write, fs::perm_options::add);
            // No file left beside; a folder of the user's with the temporary name stays.
            EXPECT_TRUE(tvtest::ReadFile(output) == "OLD" && !fs::exists(output.u16string() + u".part") &&
                        fs::exists(temporary) == fs::is_directory(temporary));
        }
        // Undo what the case made on disk, so the next one fails only for its own reason.
        fs::resize_file(song_ / "huge.png", 0);
        fs::remove_all(song_ / fs::path(longPart));
        fs::remove_all(temporary);
    }
}

// The writer alone: an entry that would take the container past signed 2 GiB is refused; it goes on.
TEST(GenpakWriter, AnEntryPast2GiBIsRefused) {
    tvtest::TempDir dir;
    GenpakWriter writer(dir.Path() / "song.tvn", dir.Path() / "song.tmp", CommitPolicy::kReplaceWhenDone, {1, 2});
    writer.AddFolder("F");  // 16 bytes of directory
    // With the marker (8), this entry's record (18) and the trailer (9), 51 bytes beside the data:
    // one byte more of data and DirOffset or the trailer would pass the largest signed offset.
    const uint32_t tooMuch = 0x7FFFFFFFu - 51 + 1;
    EXPECT_NE(FailureOf([&] { writer.AddFile("F/a", 0, "", tooMuch, tooMuch); }).second.find(L"2 GiB"),
              std::wstring::npos);
    writer.AddFile("F/b", tvapi::genpak::kStored, "", 1, 1);  // the writer is still usable
    writer.Finish();
    EXPECT_EQ(tvtest::ReadFile(dir.Path() / "song.tvn").size(), 1u + 8 + 16 + 18 + 9);
}

}  // namespace
}  // namespace tavrin
