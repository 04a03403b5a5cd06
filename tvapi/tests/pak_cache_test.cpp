// GetFileFromPakW on archives on disk: the size-then-content protocol, name matching, and the
// directory cache across changed, missing, evicted and many numbered archives.
#include <gtest/gtest.h>

#include <thread>

#include "pak_cache.h"
#include "test_archives.h"
#include "tvapi.h"

namespace {

namespace fs = std::filesystem;
using tvtest::ArchiveBuilder;
using TvString = std::basic_string<TVCHAR>;

TvString Tv(std::u16string_view s) { return TvString(s.begin(), s.end()); }
TvString TvPath(const fs::path& p) { return Tv(p.u16string()); }

uint32_t SizeOf(const fs::path& archive, std::u16string_view member) {
    return GetFileFromPakW(nullptr, 0, TvPath(archive).c_str(), Tv(member).c_str());
}

std::string ContentOf(const fs::path& archive, std::u16string_view member) {
    std::string out(SizeOf(archive, member), '\0');
    const auto n = static_cast<uint32_t>(out.size());
    if (n == 0) return "<missing>";
    return GetFileFromPakW(out.data(), n, TvPath(archive).c_str(), Tv(member).c_str()) == n ? out : "<failed>";
}

class PakCache : public ::testing::Test {
protected:
    void SetUp() override { tvapi::pak::ResetCache(); }
    void TearDown() override { tvapi::pak::ResetCache(); }
    fs::path Write(const std::string& name, const ArchiveBuilder& b) {
        tvtest::WriteFile(tmp_.Path() / name, b.Build());
        return tmp_.Path() / name;
    }
    tvtest::TempDir tmp_;
};

TEST_F(PakCache, SizeThenContentNamesAndFailures) {
    const std::string list = tvtest::TextLike(20000, 1);
    const fs::path pak = Write("zal_script.pak", ArchiveBuilder::Tunebale()
                                                     .Folder("zal_script")
                                                     .Folder("zal_script/sub")
                                                     .Packed("zal_script/music.txt", list)
                                                     .Stored("zal_script/raw.bin", "0123456789")
                                                     .Packed("zal_script/xor.txt", "xor xor xor xor", true)
                                                     .Stored("zal_script/" + tvtest::kSong + ".Ogg", "t"));
    EXPECT_EQ(ContentOf(pak, u"zal_script/music.txt"), list);
    EXPECT_EQ(ContentOf(pak, u"zal_script/xor.txt"), "xor xor xor xor");
    // Names are GB18030 (code page 936's bytes for 歌曲), ASCII case ignored, in both writers' archives.
    EXPECT_EQ(ContentOf(pak, u"ZAL_script/\u6B4C\u66F2.OGG"), "t");
    const fs::path other = Write("l.tvn", ArchiveBuilder::Listsmith().Folder("S").Packed("S/" + tvtest::kSong, "l"));
    EXPECT_EQ(ContentOf(other, u"S/\u6B4C\u66F2"), "l");

    const TvString archive = TvPath(pak), member = Tv(u"zal_script/raw.bin");
    std::string buffer(16, '#');
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 9, archive.c_str(), member.c_str()), 0u) << "one byte short";
    EXPECT_EQ(GetFileFromPakW(nullptr, 10, archive.c_str(), member.c_str()), 0u);
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 16, archive.c_str(), member.c_str()), 10u) << "a larger buffer";
    EXPECT_EQ(buffer, "0123456789######") << "nothing written past the content";
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 10, nullptr, member.c_str()), 0u);
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 10, archive.c_str(), nullptr), 0u);
    std::string bad = ArchiveBuilder::Tunebale().Folder("a").Stored("a/x", "abc").Build();
    bad.back() = 0;
    tvtest::WriteFile(tmp_.Path() / "bad.pak", bad);
    tvtest::WriteFile(tmp_.Path() / "empty.pak", "");
    const fs::path dir = tmp_.Path();  // a folder is no archive
    const std::u16string script = u"zal_script/raw.bin";
    // clang-format off
    const std::pair<fs::path, std::u16string> missing[] = {
        {dir / "nope.pak", script}, {dir, script}, {"", script}, {pak, u"zal_script/y"}, {pak, u"zal_script/sub"},
        {pak, u"zal_script"}, {pak, u""}, {pak, u"zal_script/\u6B4C\u66F3.Ogg"}, {pak, u"zal_script/\xD800"},
        {pak, std::u16string(300, u'x')}, {dir / "bad.pak", u"a/x"}, {dir / "empty.pak", u"a/x"}};
    // clang-format on
    for (const auto& [where, name] : missing) EXPECT_EQ(SizeOf(where, name), 0u) << where;
}

TEST_F(PakCache, ReadsEachDirectoryOnceUntilTheArchiveChangesOrIsEvicted) {
    const fs::path pak = Write("c.pak", ArchiveBuilder::Tunebale().Folder("c").Stored("c/x", "one").Stored("c/z", "z"));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ContentOf(pak, u"c/x") + ContentOf(pak, u"c/z"), "onez");
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 1u);
    EXPECT_EQ(tvapi::pak::Stats().hits, 19u);
    const auto firstTime = fs::last_write_time(pak);
    // A new size with the old time; the same size, another member name and a new time; gone.
    Write("c.pak", ArchiveBuilder::Tunebale().Folder("c").Stored("c/x", "three").Stored("c/z", "z"));
    fs::last_write_time(pak, firstTime);
    EXPECT_EQ(ContentOf(pak, u"c/x"), "three");
    Write("c.pak", ArchiveBuilder::Tunebale().Folder("c").Stored("c/y", "three").Stored("c/z", "z"));
    fs::last_write_time(pak, firstTime + std::chrono::seconds(5));
    EXPECT_EQ(ContentOf(pak, u"c/x") + ContentOf(pak, u"c/y"), "<missing>three");
    fs::remove(pak);
    EXPECT_EQ(SizeOf(pak, u"c/y"), 0u);
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 3u);

    // listsmith looks for a member in prefix999.pak down to prefix000.pak, for every image: only
    // the archives that exist are read, once.
    auto img = [&](int n) { return tmp_.Path() / ("zal_image" + std::to_string(n + 1000).substr(1) + ".pak"); };
    auto member = [](int n) { return u"i/" + fs::path(std::to_string(n)).u16string(); };
    for (const int n : {7, 42, 500})
        tvtest::WriteFile(img(n), ArchiveBuilder().Stored("i/" + std::to_string(n), "#").Build());
    auto find = [&](int m) {
        for (int n = 999; n >= 0; --n) {
            if (SizeOf(img(n), member(m)) != 0) return n;
        }
        return -1;
    };
    tvapi::pak::ResetCache();
    for (int round = 0; round < 3; ++round) {
        for (const int n : {7, 42, 500, 1}) EXPECT_EQ(find(n), n == 1 ? -1 : n);
    }
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 3u);
    // Two archives at most: the least recently used goes. A byte budget too small for any
    // directory: nothing is kept, lookups still work.
    tvapi::pak::ResetCache(/*maxArchives=*/2, tvapi::pak::kDefaultMaxBytes);
    for (const int n : {7, 42, 500, 7}) EXPECT_EQ(SizeOf(img(n), member(n)), 1u);
    EXPECT_EQ(tvapi::pak::Stats().archives, 2u);
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 4u) << "the least recently used one was dropped and read again";
    tvapi::pak::ResetCache(tvapi::pak::kDefaultMaxArchives, /*maxBytes=*/16);
    EXPECT_EQ(find(42), 42);
    EXPECT_EQ(tvapi::pak::Stats().archives, 0u);
    EXPECT_LE(tvapi::pak::Stats().bytes, 16u);
}

TEST_F(PakCache, TwoThreadsMayLookUpAtOnceWhileArchivesAreEvicted) {
    for (int i = 0; i < 4; ++i)
        Write(std::to_string(i), ArchiveBuilder::Tunebale().Folder("t").Packed("t/x", tvtest::TextLike(1000 + i, i)));
    tvapi::pak::ResetCache(/*maxArchives=*/2, tvapi::pak::kDefaultMaxBytes);
    int failures[2] = {0, 0};
    auto work = [&](int seed) {
        for (int round = 0; round < 200; ++round) {
            const int i = (round * 7 + seed) % 4;
            failures[seed] += ContentOf(tmp_.Path() / std::to_string(i), u"t/x") != tvtest::TextLike(1000 + i, i);
        }
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    EXPECT_EQ(failures[0] + failures[1], 0);
}

}  // namespace
