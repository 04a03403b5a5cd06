// GetFileFromPakW on archives on disk: the size-then-content protocol, name matching, and the
// directory cache across changed, missing and many numbered archives.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "pak_cache.h"
#include "test_archives.h"
#include "tvapi.h"

namespace {

namespace fs = std::filesystem;
using tvtest::ArchiveBuilder;
using TvString = std::basic_string<TVCHAR>;

TvString TvPath(const fs::path& p) {
#if defined(_WIN32)
    return p.wstring();
#else
    return p.u16string();
#endif
}
TvString Tv(std::u16string_view s) { return TvString(s.begin(), s.end()); }

uint32_t SizeOf(const fs::path& archive, std::u16string_view member) {
    char scratch[2];
    return GetFileFromPakW(scratch, 0, TvPath(archive).c_str(), Tv(member).c_str());
}

std::string ContentOf(const fs::path& archive, std::u16string_view member) {
    const uint32_t size = SizeOf(archive, member);
    if (size == 0) return "<missing>";
    std::string out(size, '\0');
    const uint32_t got = GetFileFromPakW(out.data(), size, TvPath(archive).c_str(), Tv(member).c_str());
    return got == size ? out : "<failed>";
}

class PakCache : public ::testing::Test {
protected:
    void SetUp() override { tvapi::pak::ResetCache(); }
    void TearDown() override { tvapi::pak::ResetCache(); }
    tvtest::TempDir tmp_;
};

TEST_F(PakCache, SizeThenContentNamesAndFailures) {
    const fs::path pak = tmp_.Path() / "zal_script.pak";
    const std::string list = tvtest::TextLike(20000, 1);
    tvtest::WriteFile(pak, ArchiveBuilder::Tunebale()
                               .Folder("zal_script")
                               .Folder("zal_script/sub")
                               .Packed("zal_script/music.txt", list)
                               .Stored("zal_script/raw.bin", "0123456789")
                               .Packed("zal_script/xor.txt", "xor xor xor xor xor xor", true)
                               .Stored("zal_script/\xB8\xE8\xC7\xFA.Ogg", "t")
                               .Build());
    EXPECT_EQ(SizeOf(pak, u"zal_script/music.txt"), list.size());
    EXPECT_EQ(ContentOf(pak, u"zal_script/music.txt"), list);
    EXPECT_EQ(ContentOf(pak, u"zal_script/xor.txt"), "xor xor xor xor xor xor");
    // Names are GB18030 (code page 936's bytes for 歌曲), ASCII case ignored, in both writers' archives.
    EXPECT_EQ(ContentOf(pak, u"ZAL_script/\u6B4C\u66F2.OGG"), "t");
    const fs::path listsmith = tmp_.Path() / "l.tvn";
    tvtest::WriteFile(listsmith, ArchiveBuilder::Listsmith().Folder("S").Packed("S/\xB8\xE8\xC7\xFA", "l").Build());
    EXPECT_EQ(ContentOf(listsmith, u"S/\u6B4C\u66F2"), "l");

    const TvString archive = TvPath(pak);
    const TvString member = Tv(u"zal_script/raw.bin");
    EXPECT_EQ(GetFileFromPakW(nullptr, 0, archive.c_str(), member.c_str()), 10u) << "size query needs no buffer";
    std::string buffer(16, '#');
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 9, archive.c_str(), member.c_str()), 0u) << "one byte short";
    EXPECT_EQ(GetFileFromPakW(nullptr, 10, archive.c_str(), member.c_str()), 0u);
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 16, archive.c_str(), member.c_str()), 10u) << "a larger buffer";
    EXPECT_EQ(buffer, "0123456789######") << "nothing written past the content";
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 10, nullptr, member.c_str()), 0u);
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 10, archive.c_str(), nullptr), 0u);
    EXPECT_EQ(GetFileFromPakW(nullptr, 0, TvString().c_str(), member.c_str()), 0u);

    const std::pair<fs::path, std::u16string> missing[] = {
        {tmp_.Path() / "nope.pak", u"zal_script/raw.bin"},
        {tmp_.Path(), u"zal_script/raw.bin"},  // a folder is no archive
        {pak, u"zal_script/y"},
        {pak, u"zal_script/sub"},
        {pak, u"zal_script"},
        {pak, u""},
        {pak, u"zal_script/\u6B4C\u66F3.Ogg"},
        {pak, u"zal_script/\xD800"},  // a member with a lone surrogate cannot be named
        {pak, std::u16string(300, u'x')},
    };
    for (const auto& [where, name] : missing) EXPECT_EQ(SizeOf(where, name), 0u) << where;
    std::string bytes = ArchiveBuilder::Tunebale().Folder("a").Stored("a/x", "abc").Build();
    bytes.back() = 0;
    tvtest::WriteFile(tmp_.Path() / "bad.pak", bytes);
    tvtest::WriteFile(tmp_.Path() / "empty.pak", "");
    EXPECT_EQ(SizeOf(tmp_.Path() / "bad.pak", u"a/x"), 0u);
    EXPECT_EQ(SizeOf(tmp_.Path() / "empty.pak", u"a/x"), 0u);
}

TEST_F(PakCache, ReadsTheDirectoryOnceAndAChangedArchiveAgain) {
    const fs::path pak = tmp_.Path() / "c.pak";
    tvtest::WriteFile(pak, ArchiveBuilder::Tunebale().Folder("c").Stored("c/x", "one").Stored("c/z", "z").Build());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ContentOf(pak, u"c/x"), "one");
        EXPECT_EQ(ContentOf(pak, u"c/z"), "z");
    }
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 1u);
    EXPECT_EQ(tvapi::pak::Stats().hits, 19u);
    EXPECT_EQ(tvapi::pak::Stats().archives, 1u);
    const auto firstTime = fs::last_write_time(pak);

    // A new size.
    tvtest::WriteFile(pak, ArchiveBuilder::Tunebale().Folder("c").Stored("c/x", "three").Stored("c/z", "z").Build());
    fs::last_write_time(pak, firstTime);
    EXPECT_EQ(ContentOf(pak, u"c/x"), "three");
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 2u);

    // The same size, another member name, a new modification time.
    tvtest::WriteFile(pak, ArchiveBuilder::Tunebale().Folder("c").Stored("c/y", "three").Stored("c/z", "z").Build());
    fs::last_write_time(pak, firstTime + std::chrono::seconds(5));
    EXPECT_EQ(SizeOf(pak, u"c/x"), 0u);
    EXPECT_EQ(ContentOf(pak, u"c/y"), "three");
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 3u);

    // Gone.
    fs::remove(pak);
    EXPECT_EQ(SizeOf(pak, u"c/y"), 0u);
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 3u);
}

TEST_F(PakCache, NumberedArchiveSearchReadsEachExistingDirectoryOnce) {
    // listsmith looks for a member in prefix999.pak down to prefix000.pak, for every image.
    const fs::path cwd = fs::current_path();
    fs::current_path(tmp_.Path());
    for (const int n : {7, 42, 500}) {
        char name[32];
        std::snprintf(name, sizeof name, "zal_image%03d.pak", n);
        tvtest::WriteFile(name, ArchiveBuilder::Tunebale()
                                    .Folder("zal_image")
                                    .Stored("zal_image/img" + std::to_string(n) + ".png", std::to_string(n))
                                    .Build());
    }
    auto find = [](const std::string& member) -> std::string {
        const std::u16string m(member.begin(), member.end());
        for (int n = 999; n >= 0; --n) {
            char name[32];
            std::snprintf(name, sizeof name, "zal_image%03d.pak", n);
            const std::string s = name;
            const std::u16string archive(s.begin(), s.end());
            if (SizeOf(fs::path(archive), m) != 0) return ContentOf(fs::path(archive), m);
        }
        return "<missing>";
    };
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(find("zal_image/img7.png"), "7");
        EXPECT_EQ(find("zal_image/img42.png"), "42");
        EXPECT_EQ(find("zal_image/img500.png"), "500");
        EXPECT_EQ(find("zal_image/none.png"), "<missing>");
    }
    fs::current_path(cwd);
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 3u) << "only the three archives that exist were read, once";
    EXPECT_EQ(tvapi::pak::Stats().archives, 3u);
}

TEST_F(PakCache, StaysWithinItsBounds) {
    tvapi::pak::ResetCache(/*maxArchives=*/2, tvapi::pak::kDefaultMaxBytes);
    std::vector<fs::path> paks;
    for (int i = 0; i < 3; ++i) {
        paks.push_back(tmp_.Path() / ("p" + std::to_string(i) + ".pak"));
        tvtest::WriteFile(paks.back(), ArchiveBuilder::Tunebale().Folder("p").Stored("p/x", std::to_string(i)).Build());
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ContentOf(paks[i], u"p/x"), std::to_string(i));
    EXPECT_EQ(tvapi::pak::Stats().archives, 2u);
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 3u);
    EXPECT_EQ(ContentOf(paks[0], u"p/x"), "0") << "the least recently used one was dropped and is read again";
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 4u);

    // A byte budget too small for any directory: nothing is kept, lookups still work.
    tvapi::pak::ResetCache(tvapi::pak::kDefaultMaxArchives, /*maxBytes=*/16);
    EXPECT_EQ(ContentOf(paks[1], u"p/x"), "1");
    EXPECT_EQ(tvapi::pak::Stats().archives, 0u);
    EXPECT_LE(tvapi::pak::Stats().bytes, 16u);
}

TEST_F(PakCache, TwoThreadsMayLookUpAtOnce) {
    std::vector<fs::path> paks;
    for (int i = 0; i < 4; ++i) {
        paks.push_back(tmp_.Path() / ("t" + std::to_string(i) + ".pak"));
        tvtest::WriteFile(paks.back(),
                          ArchiveBuilder::Tunebale().Folder("t").Packed("t/x", tvtest::TextLike(1000 + i, i)).Build());
    }
    tvapi::pak::ResetCache(/*maxArchives=*/2, tvapi::pak::kDefaultMaxBytes);  // keep evicting
    auto work = [&](int seed, int* failures) {
        for (int round = 0; round < 200; ++round) {
            const int i = (round * 7 + seed) % 4;
            if (ContentOf(paks[i], u"t/x") != tvtest::TextLike(1000 + i, static_cast<uint32_t>(i))) ++*failures;
        }
    };
    int failuresA = 0;
    int failuresB = 0;
    std::thread a(work, 1, &failuresA);
    std::thread b(work, 2, &failuresB);
    a.join();
    b.join();
    EXPECT_EQ(failuresA + failuresB, 0);
}

}  // namespace
