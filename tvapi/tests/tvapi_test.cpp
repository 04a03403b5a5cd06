// TVAPI's portable core: the LZSS codec, the container reader and the directory cache, names and
// QuickSort. The GB18030 table itself is checked against glibc and code page 936 elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <tuple>

#include "genpak_reader.h"
#include "lzss.h"
#include "lzss_reference.h"
#include "names.h"
#include "pak_cache.h"
#include "test_archives.h"
#include "tvapi.h"

namespace {

namespace fs = std::filesystem;
namespace lzss = tvapi::lzss;
using namespace tvapi::genpak;
using tvtest::ArchiveBuilder;
using Bytes = std::vector<uint8_t>;
const std::string kSong = "\xB8\xE8\xC7\xFA";  // 歌曲 in GB18030 / code page 936

// The LZSS codec: round trips checked by the ring-buffer reference decoder; every truncation.

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Text(size_t n, uint32_t seed) { return B(tvtest::TextLike(n, seed)); }
Bytes Noise(size_t n, uint32_t seed) { return B(tvtest::RandomBytes(n, seed)); }
Bytes Cat(Bytes a, const Bytes& b) { return a.insert(a.end(), b.begin(), b.end()), a; }

// Stretches of text, noise, runs and spaces, so the skip-ahead both starts and stops.
Bytes Mixed(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out;
    for (auto r = static_cast<uint32_t>(rng()); out.size() < n; r = static_cast<uint32_t>(rng())) {
        const size_t len = std::min<size_t>(n - out.size(), 1 + rng() % 20000);
        const auto run = static_cast<uint8_t>(r % 4 == 2 ? r >> 8 : ' ');
        out = Cat(out, r % 4 == 0 ? Text(len, r) : r % 4 == 1 ? Noise(len, r) : Bytes(len, run));
    }
    return out;
}

Bytes Compress(const Bytes& data, int32_t level, bool withXor) {
    Bytes out(lzss::CompressBound(static_cast<uint32_t>(data.size())));
    out.resize(lzss::Compress(data.data(), static_cast<uint32_t>(data.size()), out.data(), level, withXor, false));
    return out;
}

// A copy of exactly the stream's size, so that the sanitizer sees any read past it.
std::optional<Bytes> Expand(Bytes stream, size_t size, bool withXor) {
    Bytes out(size);
    if (!lzss::Expand(stream.data(), stream.size(), out.data(), out.size(), withXor)) return std::nullopt;
    return out;
}

TEST(Lzss, BothCompressorsAtEveryLevelRestoreTheInputWithinTheRingAndStopEarlyOnlyWhenNothingShrinks) {
    // The skip-ahead is under way when runs or text begin after noise.
    // clang-format off
    std::vector<std::pair<std::string, Bytes>> inputs = {
        {"empty", {}}, {"one byte", {0x41}}, {"three spaces", Bytes(3, ' ')}, {"zeros", Bytes(100000, 0)},
        {"spaces then text", Cat(Bytes(5000, ' '), Text(3000, 7))}, {"text", Text(150000, 1)},
        {"random", Noise(70000, 2)}, {"mixed", Mixed(300000, 3)},
        {"noise then runs", Cat(Noise(3000, 73), Bytes(37000, 'x'))},
        {"noise then text", Cat(Noise(300000, 13), Text(100000, 31))}, {"period 4093", {}}};
    // clang-format on
    for (int i = 0; i < 30000; ++i) inputs.back().second.push_back(static_cast<uint8_t>(i * 7 % 4093));
    // Sizes around flag-group, ring, window-chunk and slide boundaries.
    for (uint32_t n :
         {7, 8, 9, 17, 18, 19, 4077, 4078, 4079, 4095, 4096, 4097, 65471, 65472, 65473, 65536, 65537, 69632, 69633}) {
        inputs.push_back({"text size " + std::to_string(n), Text(n, n)});
        inputs.push_back({"random size " + std::to_string(n), Noise(n, n)});
    }
    for (const auto& [name, data] : inputs) {
        // The best level parses optimally on text; the last flag byte's rounding is the only slack.
        const size_t best = Compress(data, lzss::kLevelBest, false).size();
        for (int32_t level = 1; level <= 9; ++level) {
            SCOPED_TRACE(name + " level " + std::to_string(level));
            const auto n = static_cast<uint32_t>(data.size());
            const Bytes plain = Compress(data, level, false);
            Bytes xored = Compress(data, level, true);
            EXPECT_LE(plain.size(), n + (n + 7) / 8);
            EXPECT_LE(name == "text" || name == "mixed" ? best : 0, plain.size() + 1);
            EXPECT_TRUE(name != "text" || plain.size() < n / 2);
            // After 300 KB of noise the skip-ahead is at full speed; the text after it must still halve.
            EXPECT_LT(name == "noise then text" ? plain.size() : 0, 300000 * 9 / 8 + 100000 / 2);
            ASSERT_EQ(Expand(plain, n, false), data);
            ASSERT_EQ(Expand(xored, n, true), data);
            // The early abort never changes a stream that shrinks, and reports one that does not.
            Bytes out(lzss::CompressBound(n) + 64, 0xA5);  // canary bytes behind the bound
            const uint32_t size = lzss::Compress(data.data(), n, out.data(), level, level % 2, true);
            for (size_t i = size; i < out.size(); ++i) ASSERT_EQ(out[i], 0xA5) << "written at " << i;
            const Bytes& full = level % 2 ? xored : plain;
            EXPECT_TRUE(full.size() < n ? Bytes(out.begin(), out.begin() + size) == full : size >= n);
            for (size_t i = 0; i < xored.size(); ++i) xored[i] ^= tvref::DocumentedKeyByte(i);
            ASSERT_EQ(xored, plain) << "the XOR stream is the plain one under the documented keystream";
            const auto reference = tvref::RingExpand(plain, n, false);
            ASSERT_TRUE(reference.has_value()) << "the reference decoder rejects the stream";
            ASSERT_EQ(reference->data, data);
            // Decoders that clear only 4078 ring bytes to spaces must read our streams the same way.
            EXPECT_LE(reference->longestDistance, 4078u);
            EXPECT_FALSE(reference->readUnwrittenHighSlot);
            EXPECT_TRUE(name != "spaces then text" || reference->referencesIntoInitialSpaces >= 1);
        }
    }
}

TEST(Lzss, LevelsBoundAndEveryTruncationOrExtensionOfAValidStreamFails) {
    const Bytes text = Text(100000, 31);
    for (int32_t level : {0, -1, 10, INT32_MIN, INT32_MAX})
        EXPECT_EQ(Compress(text, level, false), Compress(text, lzss::kLevelDefault, false)) << level;
    // Three literals and a reference: a match that ends the input is found too.
    for (int32_t level = 1; level <= 9; ++level) EXPECT_EQ(Compress(B("xyzxyz"), level, false).size(), 6u) << level;
    // The bound itself: every output buffer here has exactly that size, so the sanitizer checks it.
    EXPECT_EQ(lzss::CompressBound(lzss::kMaxInputSize + 1), 0u);
    for (const Bytes& data : {Text(3000, 91), Noise(300, 92), Bytes(500, ' '), Text(20000, 93), Bytes(1000, 'z')}) {
        for (bool withXor : {false, true}) {
            SCOPED_TRACE(std::to_string(data.size()) + (withXor ? " xor" : ""));
            const Bytes stream = Compress(data, 1, withXor);
            ASSERT_EQ(Expand(stream, data.size(), withXor), data);
            for (size_t cut = 0; cut < stream.size(); ++cut)
                ASSERT_FALSE(Expand(Bytes(stream.begin(), stream.begin() + cut), data.size(), withXor)) << cut;
            for (const Bytes& extra : {Bytes{0x00}, Bytes{0xFF}, Bytes{0x01, 'x'}, Bytes(100, 0)})
                EXPECT_FALSE(Expand(Cat(stream, extra), data.size(), withXor)) << extra.size() << " more";
            for (size_t size : {size_t{0}, data.size() - 1, data.size() - 2})
                EXPECT_FALSE(Expand(stream, size, withXor)) << "asked for " << size;
        }
    }
}

TEST(Lzss, TheExportsRefuseBadArgumentsAndGiveWholeStreamsEvenWhenNothingShrinks) {
    // listsmith stores every member with method 1: a stream that does not shrink must still be whole.
    const std::string data = tvtest::RandomBytes(5000, 12);
    std::string out(LzssCompressBound(5000), '\0');
    for (auto* fn : {LzssCompress2, LzssCompressXor2}) {
        uint32_t packed = 12345;
        int32_t accepted = fn(nullptr, 5000, &out[0], &packed, 1) + fn(data.data(), 5000, nullptr, &packed, 1) +
                           fn(data.data(), 5000, &out[0], nullptr, 1);
        for (const int32_t level : {0, -1, 10}) accepted += fn(data.data(), 5000, &out[0], &packed, level);
        EXPECT_EQ(std::pair(accepted, packed), std::pair(0, 12345u)) << "a refused call reports nothing";
        EXPECT_EQ(fn(data.data(), 0, &out[0], &packed, 1) * 10 + packed, 10u) << "empty input, empty stream";
        ASSERT_EQ(fn(data.data(), 5000, &out[0], &packed, 9), 1);
        EXPECT_EQ(Expand(B(out.substr(0, packed)), 5000, fn == LzssCompressXor2), B(data));
    }
}

// The container reader on every kind of damage (its fields and every truncation: genpak's tests).

// Reads from a copy of exactly the archive's bytes, so that the sanitizer sees any read past it.
Status Parse(const std::string& bytes, Directory& dir) {
    const std::vector<char> exact(bytes.begin(), bytes.end());
    MemorySource source(exact.data(), exact.size());
    return ReadDirectory(source, dir);
}

std::string Member(const std::string& bytes, const Directory& dir, size_t i, size_t sourceSize = SIZE_MAX) {
    MemorySource source(bytes.data(), std::min(sourceSize, bytes.size()));
    std::string out(dir.entries[i].fileSize, '\0');
    return ReadMember(source, dir.entries[i], reinterpret_cast<uint8_t*>(out.data())) ? out : "<failed>";
}

TEST(GenpakReader, EachKindOfCorruptionIsRejected) {
    using enum Status;
    const ArchiveBuilder b = tvtest::TunebaleSample();
    const uint32_t d = b.DirOffset(), n = static_cast<uint32_t>(b.Build().size());
    // The second record ("MySong/a.bin", stored, at 0) starts 21 bytes into the directory.
    ASSERT_EQ(b.Build().substr(d + 35, 12), "MySong/a.bin");
    // What, the status, where a 32-bit value goes and the value.
    // clang-format off
    const std::tuple<const char*, Status, size_t, uint32_t> cases[] = {
        {"DirOffset below 8", kDirOffset, n - 9, 7}, {"DirOffset into the trailer", kDirOffset, n - 9, n - 8},
        {"DirOffset past the end", kDirOffset, n - 9, ~15u}, {"one record more", kRecordsOverrun, n - 5, 8},
        {"huge EntryCount", kRecordsOverrun, n - 5, ~0u}, {"EntryCount 2^31", kRecordsOverrun, n - 5, 1u << 31},
        {"one record fewer", kDirectoryGap, n - 5, 6}, {"wrong end tag", kEndTag, n - 4, 0x13000000},
        {"NameLen past the directory", kRecordsOverrun, d, 0xFF + (0x02 << 8)},
        {"DataOffset past the end", kBlockOutside, d + 23, ~255u},
        {"block one byte into the marker", kBlockOutside, d + 27, d - 7},
        {"bad marker", kMarker, d - 4, 0x0201'4341}};  // "GENPAC"
    // clang-format on
    for (const auto& [what, expected, at, value] : cases) {
        std::string bytes = b.Build();
        tvtest::PutLe32(bytes, at, value);
        Directory dir;
        EXPECT_EQ(Parse(bytes, dir), expected) << what;
        EXPECT_TRUE(dir.entries.empty()) << what;
    }
    Directory dir;
    EXPECT_EQ(Parse(b.Build().insert(n - 9, 1, '\0'), dir), kDirectoryGap) << "a stray byte before the trailer";
    // 17 bytes claiming 2^32 - 1 records: the count is checked against the space, not reserved.
    std::string bytes = ArchiveBuilder().Build();
    tvtest::PutLe32(bytes, 12, ~0u);
    EXPECT_EQ(Parse(bytes, dir), kRecordsOverrun);
    EXPECT_EQ(dir.entries.capacity(), 0u);
}

TEST(GenpakReader, MembersThatCannotBeReadFail) {
    // A valid stream of 41 bytes, then the record's sizes are bent around it (more: genpak verify's faults).
    using R = tvtest::Record;
    const std::pair<const char*, void (*)(R&)> cases[] = {
        {"FileSize one less: stream bytes left over", [](R& r) { --r.fileSize; }},
        {"stream cut short", [](R& r) { r.block.pop_back(), r.packedSize--; }},
        {"FileSize no stream of that length gives", [](R& r) { r.fileSize = 0x7FFFFFFF; }},
        {"method 3 over a method 1 stream", [](R& r) { r.method = 3; }},
        {"a source that ends inside the block", nullptr}};
    for (const auto& [what, bend] : cases) {
        ArchiveBuilder b = ArchiveBuilder().Folder("d").Packed("d/x", tvtest::TextLike(41, 9));
        if (bend) bend(b.Records()[1]);
        const std::string bytes = b.Build();
        Directory dir;
        ASSERT_EQ(Parse(bytes, dir), Status::kOk) << what;
        // A FileSize no stream could reach is refused before anything is allocated for it.
        if (!IsReadable(dir.entries[1])) continue;
        EXPECT_EQ(Member(bytes, dir, 1, bend ? SIZE_MAX : 10), "<failed>") << what;
    }
}

// GetFileFromPakW on archives on disk: the size-then-content protocol, names, the directory cache.

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
    fs::path Write(const std::string& name, const ArchiveBuilder& b) {
        tvtest::WriteFile(tmp_.Path() / name, b.Build());
        return tmp_.Path() / name;
    }
    tvtest::TempDir tmp_;
};

TEST_F(PakCache, SizeThenContentNamesAndFailures) {
    const std::string list = tvtest::TextLike(20000, 1);
    ArchiveBuilder b = ArchiveBuilder().Folder("zal_script").Folder("zal_script/sub");
    b.Packed("zal_script/music.txt", list).Stored("zal_script/raw.bin", "0123456789");
    b.Packed("zal_script/xor.txt", "xor xor xor xor", true).Stored("zal_script/" + kSong + ".Ogg", "t");
    // 0x81 0x41 and 0x81 0x61 are two characters whose trail bytes look like A and a.
    for (const char* name : {"A.txt", "a.txt", "x", "X", "x", "\x81\x41"})
        b.Stored("zal_script/" + std::string(name), std::to_string(b.Records().size()));
    const fs::path pak = Write("zal_script.pak", b);
    EXPECT_EQ(ContentOf(pak, u"zal_script/music.txt") + ContentOf(pak, u"zal_script/xor.txt"),
              list + "xor xor xor xor");
    // Names are GB18030 (code page 936's bytes for 歌曲), ASCII case ignored, in both writers'
    // archives; an exact name comes before one that differs in case, the first of duplicates wins.
    // clang-format off
    for (const auto& [name, content] : std::initializer_list<std::pair<std::u16string, std::string>>{
             {u"ZAL_script/\u6B4C\u66F2.OGG", "t"}, {u"zal_script/a.txt", "7"}, {u"zal_script/A.txt", "6"},
             {u"zal_script/X", "9"}, {u"zal_script/x", "8"}, {u"ZAL_SCRIPT/x", "8"}, {u"Zal_script/\u4E04", "11"},
             {u"zal_script/\u4E64", "<missing>"}})
        EXPECT_EQ(ContentOf(pak, name), content) << fs::path(name);
    // clang-format on
    const fs::path other = Write("l.tvn", ArchiveBuilder::Listsmith().Folder("S").Packed("S/" + kSong, "l"));
    EXPECT_EQ(ContentOf(other, u"S/\u6B4C\u66F2"), "l");

    const TvString archive = TvPath(pak), member = Tv(u"zal_script/raw.bin");
    std::string buffer(16, '#');
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 9, archive.c_str(), member.c_str()), 0u) << "one byte short";
    EXPECT_EQ(GetFileFromPakW(nullptr, 10, archive.c_str(), member.c_str()), 0u);
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 16, archive.c_str(), member.c_str()), 10u) << "a larger buffer";
    EXPECT_EQ(buffer, "0123456789######") << "nothing written past the content";
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 10, nullptr, member.c_str()), 0u);
    EXPECT_EQ(GetFileFromPakW(buffer.data(), 10, archive.c_str(), nullptr), 0u);
    const fs::path dir = tmp_.Path();  // a folder is no archive
    tvtest::WriteFile(dir / "bad.pak", ArchiveBuilder().Stored("a/x", "abc").Build() + '\x12');
    tvtest::WriteFile(dir / "empty.pak", "");
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
    const fs::path pak = Write("c.pak", ArchiveBuilder().Folder("c").Stored("c/x", "one").Stored("c/z", "z"));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ContentOf(pak, u"c/x") + ContentOf(pak, u"c/z"), "onez");
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 1u);
    EXPECT_EQ(tvapi::pak::Stats().hits, 19u);
    const auto firstTime = fs::last_write_time(pak);
    // A new size with the old time; the same size, another member name and a new time; gone.
    Write("c.pak", ArchiveBuilder().Folder("c").Stored("c/x", "three").Stored("c/z", "z"));
    fs::last_write_time(pak, firstTime);
    EXPECT_EQ(ContentOf(pak, u"c/x"), "three");
    Write("c.pak", ArchiveBuilder().Folder("c").Stored("c/y", "three").Stored("c/z", "z"));
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
        Write(img(n).filename().string(), ArchiveBuilder().Stored("i/" + std::to_string(n), "#"));
    auto find = [&](int m) {
        int n = 999;
        while (n >= 0 && SizeOf(img(n), member(m)) == 0) --n;
        return n;
    };
    tvapi::pak::ResetCache();
    for (int round = 0; round < 3; ++round) {
        for (const int n : {7, 42, 500, 1}) EXPECT_EQ(find(n), n == 1 ? -1 : n);
    }
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 3u);
    // Two archives at most: the least recently used goes.
    tvapi::pak::ResetCache(/*maxArchives=*/2, tvapi::pak::kDefaultMaxBytes);
    for (const int n : {7, 42, 500, 7}) EXPECT_EQ(SizeOf(img(n), member(n)), 1u);
    EXPECT_EQ(tvapi::pak::Stats().archives, 2u);
    EXPECT_EQ(tvapi::pak::Stats().directoryReads, 4u) << "the least recently used one was dropped and read again";
}

// Name conversion: capacity, surrogates, the standard's fixed points and strict decoding.

TEST(Names, ConversionResultsCapacityAndFailures) {
    const uint32_t code = cpMakeTrCode(TVAPI_CP_UTF16, TVAPI_CP_GB18030);
    std::u16string four;  // 63 four-byte characters: 252 bytes
    for (int i = 0; i < 63; ++i) four += u"\U0001F600";
    const std::u16string x254(254, u'x'), song127(127, u'\u6B4C');
    // Text, length, capacity, result, and the bytes before the NUL when the result is not 0.
    // clang-format off
    const std::tuple<std::u16string, int32_t, int32_t, int32_t, const char*> cases[] = {
        {u"", -1, 255, 1, ""}, {u"abc", 0, 255, 1, ""}, {u"", -1, 1, 1, ""}, {u"Ab/a.ogg", -1, 255, 9, "Ab/a.ogg"},
        {u"\u6B4C\u66F2/1", -1, 255, 7, "\xB8\xE8\xC7\xFA/1"},  // code page 936's bytes
        {u"abcdef", 3, 255, 4, "abc"}, {x254, -1, 255, 255, nullptr}, {x254 + u"x", -1, 255, 0, nullptr},
        {song127, -1, 255, 255, nullptr}, {song127 + u"a", -1, 255, 0, nullptr}, {four, -1, 255, 253, nullptr},
        {four + u"ab", -1, 255, 255, nullptr}, {four + u"abc", -1, 255, 0, nullptr},
        {four + u"\U0001F600", -1, 255, 0, nullptr},  // never cut inside a character
        {u"a", -1, 2, 2, "a"}, {u"ab", -1, 2, 0, nullptr}, {u"\u6B4C", -1, 2, 0, nullptr},
        {u"abcdefghij", -1, 8, 0, nullptr}, {u"a\xD800", -1, 255, 0, nullptr}, {u"a\xD800z", -1, 255, 0, nullptr},
        {u"a\xDC00z", -1, 255, 0, nullptr}, {u"\xDC00\xD800", -1, 255, 0, nullptr},
        {u"\U0001F600", 1, 255, 0, nullptr},  // length ends inside a pair
        {u"\U0001F600", 2, 255, 5, "\x94\x39\xFC\x36"}};
    // clang-format on
    for (const auto& [text16, length, capacity, result, bytes] : cases) {
        SCOPED_TRACE("case " + std::to_string(&text16 - &std::get<0>(cases[0])));
        const std::basic_string<TVCHAR> text(text16.begin(), text16.end());
        std::string buffer(static_cast<size_t>(capacity) + 16, '\xA5');
        ASSERT_EQ(cpConvertEncoding(code, text.c_str(), length, buffer.data(), capacity), result);
        for (size_t i = static_cast<size_t>(capacity); i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '\xA5') << i;
        // A failure leaves an empty string, not a prefix; a result counts the NUL.
        EXPECT_EQ(buffer[result == 0 ? 0 : static_cast<size_t>(result) - 1], '\0');
        EXPECT_TRUE(bytes == nullptr || buffer.substr(0, static_cast<size_t>(result) - 1) == bytes);
    }
    // Only UTF-16 to GB18030 has a code; an unknown code and bad arguments.
    for (const auto& [from, to] : {std::pair<uint16_t, uint16_t>{256, 2}, {2, 2}, {0, 0}, {1, 256}, {2, 257}})
        EXPECT_EQ(cpMakeTrCode(from, to), 0u) << from << " " << to;
    const std::basic_string<TVCHAR> abc = {'a', 'b', 'c'};
    char out[16];
    // clang-format off
    for (const auto& [c, text, length, buffer, capacity] :
         {std::tuple{0u, abc.c_str(), -1, out, 16}, {code + 1, abc.c_str(), -1, out, 16}, {code, nullptr, -1, out, 16},
          {code, abc.c_str(), -1, nullptr, 16}, {code, abc.c_str(), -1, out, 0}, {code, abc.c_str(), -1, out, -5},
          {code, abc.c_str(), -2, out, 16}})
        // clang-format on
        EXPECT_EQ(cpConvertEncoding(c, text, length, buffer, capacity), 0) << c << " " << length << " " << capacity;
}

TEST(Names, FixedPointsAndStrictDecoding) {
    // Range boundaries fixed by GB 18030 itself, through the string codec both ways; the last
    // four-byte code is decoded with exactly its four bytes left.
    const std::u16string text = u"a\u6B4C\u00A5\u0080\uFFFF\U00010000\U0010FFFF";
    std::string bytes;
    std::u16string back;
    ASSERT_TRUE(tvapi::names::ToGb18030(text, bytes));
    EXPECT_EQ(bytes, "a\xB8\xE8\x81\x30\x84\x36\x81\x30\x81\x30\x84\x31\xA4\x39\x90\x30\x81\x30\xE3\x32\x9A\x35");
    ASSERT_TRUE(tvapi::names::FromGb18030(bytes, back));
    EXPECT_EQ(back, text);
    for (const std::u16string bad : {u"\xD800z", u"z\xDC00", u"\xD800"}) {
        const std::vector<char16_t> exact(bad.begin(), bad.end());  // the sanitizer sees a read past it
        EXPECT_FALSE(tvapi::names::ToGb18030(std::u16string_view(exact.data(), exact.size()), bytes));
    }
    // Code page 936's euro sign (GB18030 has it at A2E3), no lead byte, a lead byte at the end, no
    // trail byte (0x7F, 0xFF), a four-byte code cut short or with a bad third or fourth byte, just
    // past U+FFFF, between the BMP and the supplementary area, past U+10FFFF, after a valid prefix.
    for (const char* b : {"\x80", "\xFF", "\x81", "\x81\x7F", "\x81\xFF", "\x81\x30\x81", "\x81\x30\x20\x30",
                          "\x81\x30\x81\x41", "\x84\x31\xA5\x30", "\x85\x30\x81\x30", "\xE3\x32\x9A\x36", "ok\x81"})
        EXPECT_FALSE(tvapi::names::FromGb18030(b, back)) << b;
    EXPECT_TRUE(tvapi::names::FromGb18030(std::string_view("a\0b", 3), back)) << "NUL is an ASCII character";
}

// QuickSort against std::sort, on the inputs that break naive quicksorts. Introsort's depth limit
// also bounds the stack, so an adversary gets neither a quadratic count nor a deep recursion.

size_t g_width = 4;
long long g_calls = 0;

uint32_t KeyAt(const void* p) {
    uint32_t k = 0;
    std::memcpy(&k, p, std::min<size_t>(g_width, 4));
    return g_width < 4 ? k & 0xFF : k;
}

int32_t TVAPI_CALL CompareKeys(const void* a, const void* b) {
    ++g_calls;
    return KeyAt(a) < KeyAt(b) ? -1000 : KeyAt(a) > KeyAt(b) ? 7 : 0;  // any sign-carrying values
}

std::mt19937 g_chaos(99);
int32_t TVAPI_CALL CompareRandomly(const void*, const void*) { return static_cast<int32_t>(g_chaos() % 3) - 1; }

std::vector<std::string> Sorted(const std::string& s, size_t width) {
    std::vector<std::string> v;
    for (size_t i = 0; i < s.size(); i += width) v.push_back(s.substr(i, width));
    return std::sort(v.begin(), v.end()), v;
}

TEST(QuickSort, SortsEveryPatternAndWidthWithoutTearingElementsInFewComparisons) {
    for (const size_t width : {1, 4, 8, 70}) {  // 4 and 8 are swapped as words, the others in 64-byte chunks
        for (int p = 0; p < 7; ++p) {
            for (const uint32_t n : {2, 3, 5, 13, 64, 1000, 4099}) {
                SCOPED_TRACE("pattern " + std::to_string(p) + " width " + std::to_string(width) + " n " +
                             std::to_string(n));
                // The key (random, sorted, reversed, equal, organ pipe, few distinct, or Musser's
                // sequence that defeats median-of-3 pivots), then bytes from its position, so that
                // a torn or duplicated element shows.
                std::mt19937 rng(n);
                std::string s(n * width, '\0');
                for (uint32_t i = 0, h = n / 2; i < n; ++i) {
                    const auto r = static_cast<uint32_t>(rng()),
                               killer = i < h ? (i % 2 ? h + i : i + 1) : 2 * (i - h + 1);
                    const uint32_t keys[] = {
                        r, i, n - i, 7, std::min(i, n - i), r % 3, i + 1 == n && n % 2 ? n : killer};
                    std::memcpy(&s[i * width], &keys[p], std::min<size_t>(width, 4));
                    for (size_t j = 4; j < width; ++j) s[i * width + j] = static_cast<char>(i * 31 + j * 7);
                }
                const std::string original = s;
                std::string chaos = s;
                g_width = width;
                g_calls = 0;
                QuickSort(s.data(), static_cast<int32_t>(n), static_cast<int32_t>(width), CompareKeys);
                for (size_t i = 1; i < n; ++i) ASSERT_LE(KeyAt(&s[(i - 1) * width]), KeyAt(&s[i * width])) << i;
                ASSERT_EQ(Sorted(s, width), Sorted(original, width)) << "torn, lost or duplicated";
                // At most 4 n log2 n comparisons; few distinct keys depend on the seed.
                EXPECT_LT(p != 5 && n > 64 ? g_calls : 0, 4.0 * n * std::log2(n));
                // An inconsistent comparator still leaves a permutation, and stays inside the array.
                QuickSort(chaos.data(), static_cast<int32_t>(n), static_cast<int32_t>(width), CompareRandomly);
                ASSERT_EQ(Sorted(chaos, width), Sorted(s, width));
            }
        }
    }
    std::string data = "54321";
    g_calls = 0;
    for (const auto& [count, width] : {std::pair{0, 1}, {1, 1}, {-3, 1}, {5, 0}, {5, -1}})
        QuickSort(data.data(), count, width, CompareKeys);
    QuickSort(nullptr, 5, 1, CompareKeys);
    QuickSort(data.data(), 5, 1, nullptr);
    EXPECT_EQ(data + std::to_string(g_calls), "543210") << "nothing to sort or bad arguments";
}

}  // namespace
