// LZSS codec: round trips through both compressors at every level, checked by the independent
// ring-buffer decoder the fuzzer uses; levels, the early abort, every truncation and extension.
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "lzss.h"
#include "lzss_reference.h"
#include "test_archives.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace lzss = tvapi::lzss;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Text(size_t n, uint32_t seed) { return B(tvtest::TextLike(n, seed)); }
Bytes Noise(size_t n, uint32_t seed) { return B(tvtest::RandomBytes(n, seed)); }
Bytes Cat(Bytes a, const Bytes& b) { return a.insert(a.end(), b.begin(), b.end()), a; }

// Stretches of text, noise, runs and spaces, so the skip-ahead both starts and stops.
Bytes Mixed(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const auto len = std::min<uint32_t>(static_cast<uint32_t>(n - out.size()), 1 + rng() % 20000);
        const auto r = static_cast<uint32_t>(rng());
        out = Cat(out, r % 4 == 0   ? Text(len, r)
                       : r % 4 == 1 ? Noise(len, r)
                                    : Bytes(len, r % 4 == 2 ? uint8_t(r >> 8) : uint8_t{' '}));
    }
    return out;
}

Bytes Compress(const Bytes& data, int32_t level, bool withXor, bool stopEarly = false) {
    Bytes out(lzss::CompressBound(static_cast<uint32_t>(data.size())));
    out.resize(lzss::Compress(data.data(), static_cast<uint32_t>(data.size()), out.data(), level, withXor, stopEarly));
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
        {"random", Noise(70000, 2)}, {"mixed", Mixed(300000, 3)}, {"noise then runs", Cat(Noise(3000, 73), Bytes(37000, 'x'))},
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
            if (name == "text" || name == "mixed") EXPECT_LE(best, plain.size() + 1);
            EXPECT_TRUE(name != "text" || plain.size() < n / 2);
            // After 300 KB of noise the skip-ahead is at full speed; the text after it must still halve.
            if (name == "noise then text") EXPECT_LT(plain.size(), 300000 * 9 / 8 + 100000 / 2);
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

TEST(Lzss, LevelsAndBound) {
    const Bytes text = Text(100000, 31);
    for (int32_t level : {0, -1, 10, INT32_MIN, INT32_MAX})
        EXPECT_EQ(Compress(text, level, false), Compress(text, lzss::kLevelDefault, false)) << level;
    // Three literals and a reference: a match that ends the input is found too.
    for (int32_t level = 1; level <= 9; ++level) EXPECT_EQ(Compress(B("xyzxyz"), level, false).size(), 6u) << level;
    for (uint32_t n : {0u, 1u, 7u, 8u, 9u, 1000u, lzss::kMaxInputSize})
        EXPECT_GE(lzss::CompressBound(n), uint64_t{n} + (uint64_t{n} + 7) / 8 + 1) << n;
    EXPECT_EQ(lzss::CompressBound(lzss::kMaxInputSize + 1), 0u);
}

TEST(Lzss, EveryTruncationOrExtensionOfAValidStreamFails) {
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

}  // namespace
