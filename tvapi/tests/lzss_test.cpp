// LZSS codec: round trips through both compressors at every level, checked by the independent
// ring-buffer decoder the fuzzer uses; every truncation and extension of a stream. Hand-built and
// random streams against the reference are the decode fuzzer's seeds and job.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "lzss.h"
#include "lzss_reference.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace lzss = tvapi::lzss;

Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

// Words with punctuation: matches of every length and distance.
Bytes TextLike(size_t n, uint32_t seed) {
    static const char* const kWords[] = {"the", "note", "lane", "<note ", "time=\"", "\"/>\n", "sound", "key",
                                         "a",   "  ",   "=",    "0",      "25",      "\n",     "Tavrin"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        for (const char* w = kWords[rng() % std::size(kWords)]; *w != 0 && out.size() < n; ++w)
            out.push_back(static_cast<uint8_t>(*w));
        if (out.size() < n && rng() % 3 == 0) out.push_back(' ');
    }
    return out;
}

// Stretches of text, noise, runs and spaces, so the skip-ahead both starts and stops.
Bytes Mixed(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const size_t len = std::min<size_t>(n - out.size(), 1 + rng() % 20000);
        const unsigned kind = rng() % 4;
        const Bytes part = kind == 0   ? TextLike(len, static_cast<uint32_t>(rng()))
                           : kind == 1 ? RandomBytes(len, static_cast<uint32_t>(rng()))
                                       : Bytes(len, kind == 2 ? static_cast<uint8_t>(rng()) : ' ');
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes CompressFull(const Bytes& data, int32_t level, bool withXor, bool stopEarly = false) {
    Bytes out(lzss::CompressBound(static_cast<uint32_t>(data.size())));
    out.resize(lzss::Compress(data.data(), static_cast<uint32_t>(data.size()), out.data(), level, withXor, stopEarly));
    return out;
}

std::optional<Bytes> ExpandTo(const Bytes& stream, size_t size, bool withXor) {
    Bytes out(size);
    if (!lzss::Expand(stream.data(), stream.size(), out.data(), out.size(), withXor)) return std::nullopt;
    return out;
}

TEST(Lzss, BothCompressorsAtEveryLevelRestoreTheInputWithinTheRing) {
    std::vector<std::pair<std::string, Bytes>> inputs = {
        {"empty", {}},
        {"one byte", {0x41}},
        {"three spaces", Bytes(3, ' ')},
        {"run of zeros", Bytes(100000, 0)},
        {"spaces then text", Cat({Bytes(5000, ' '), TextLike(3000, 7)})},
        {"text", TextLike(150000, 1)},
        {"random", RandomBytes(70000, 2)},
        {"mixed", Mixed(300000, 3)},
    };
    Bytes periodic;  // a period just under the ring: long distances everywhere
    for (int i = 0; i < 30000; ++i) periodic.push_back(static_cast<uint8_t>((i * 7) % 4093));
    inputs.push_back({"period 4093", periodic});
    // Sizes around flag-group, ring, window-chunk and slide boundaries.
    for (size_t n : {7u, 8u, 9u, 17u, 18u, 19u, 4077u, 4078u, 4079u, 4095u, 4096u, 4097u, 65471u, 65472u, 65473u,
                     65536u, 65537u, 69632u, 69633u}) {
        inputs.push_back({"text size " + std::to_string(n), TextLike(n, static_cast<uint32_t>(n))});
        inputs.push_back({"random size " + std::to_string(n), RandomBytes(n, static_cast<uint32_t>(n))});
    }
    for (const auto& [name, data] : inputs) {
        for (bool withXor : {false, true}) {
            for (int32_t level = 1; level <= 9; ++level) {
                SCOPED_TRACE(name + (withXor ? " xor" : " plain") + " level " + std::to_string(level));
                const Bytes stream = CompressFull(data, level, withXor);
                const size_t n = data.size();
                EXPECT_LE(stream.size(), n + (n + 7) / 8);
                const auto reference = tvref::RingExpand(stream, n, withXor);
                ASSERT_TRUE(reference.has_value()) << "the reference decoder rejects the stream";
                ASSERT_EQ(reference->data, data);
                ASSERT_EQ(ExpandTo(stream, n, withXor), data);
                // Decoders that clear only 4078 ring bytes to spaces must read our streams the same way.
                EXPECT_LE(reference->longestDistance, 4078u);
                EXPECT_FALSE(reference->readUnwrittenHighSlot);
                EXPECT_TRUE(name != "spaces then text" || reference->referencesIntoInitialSpaces >= 1);
            }
        }
    }
}

TEST(Lzss, XorStreamIsThePlainStreamUnderTheDocumentedKeystream) {
    const Bytes data = Mixed(20000, 11);
    for (int32_t level : {1, 9}) {
        const Bytes plain = CompressFull(data, level, false);
        const Bytes xored = CompressFull(data, level, true);
        ASSERT_EQ(plain.size(), xored.size());
        for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(xored[i], plain[i] ^ tvref::DocumentedKeyByte(i)) << i;
    }
}

TEST(Lzss, LevelsAndTheirRatios) {
    for (int32_t level : {0, -1, 10, INT32_MIN, INT32_MAX}) EXPECT_FALSE(lzss::IsValidLevel(level)) << level;
    const Bytes text = TextLike(100000, 31);
    const Bytes mixed = Mixed(200000, 33);
    for (int32_t level : {0, -5, 10})
        EXPECT_EQ(CompressFull(text, level, false), CompressFull(text, lzss::kLevelDefault, false));
    // The best level parses optimally; the last flag byte's rounding is the only slack.
    const size_t bestText = CompressFull(text, lzss::kLevelBest, false).size();
    const size_t bestMixed = CompressFull(mixed, lzss::kLevelBest, false).size();
    for (int32_t level = 1; level <= 9; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        EXPECT_TRUE(lzss::IsValidLevel(level));
        const size_t textSize = CompressFull(text, level, false).size();
        EXPECT_LT(textSize, text.size() / 2);
        EXPECT_LE(bestText, textSize + 1);
        EXPECT_LE(bestMixed, CompressFull(mixed, level, false).size() + 1);
    }
    // After 300 KB of noise the skip-ahead is at full speed; the text after it must still shrink.
    const Bytes noise = RandomBytes(300000, 13);
    for (int32_t level : {1, 5, 9}) {
        const size_t alone = CompressFull(noise, level, false).size() + CompressFull(text, level, false).size();
        const Bytes both = Cat({noise, text});
        const Bytes stream = CompressFull(both, level, false);
        ASSERT_EQ(ExpandTo(stream, both.size(), false), both);
        EXPECT_LT(stream.size(), alone + 4096) << "level " << level;
    }
}

TEST(Lzss, BoundAndEarlyAbort) {
    for (uint32_t n : {0u, 1u, 7u, 8u, 9u, 1000u, lzss::kMaxInputSize}) {
        EXPECT_GE(lzss::CompressBound(n), uint64_t{n} + (uint64_t{n} + 7) / 8 + 1) << n;
    }
    EXPECT_EQ(lzss::CompressBound(lzss::kMaxInputSize + 1), 0u);
    EXPECT_EQ(lzss::CompressBound(UINT32_MAX), 0u);
    Bytes randomThenRuns = RandomBytes(3000, 73);  // the skip-ahead is under way when the runs begin
    randomThenRuns.resize(40000, 'x');
    const std::pair<std::string, Bytes> inputs[] = {
        {"random", RandomBytes(9999, 51)},
        {"random 8", RandomBytes(8, 52)},
        {"one", {0x00}},
        {"text", TextLike(5000, 53)},
        {"mixed", Mixed(100000, 54)},
        {"random large", RandomBytes(140001, 55)},
        {"zeros", Bytes(20000, 0)},
        {"random then runs", randomThenRuns},
    };
    for (const auto& [name, data] : inputs) {
        for (bool withXor : {false, true}) {
            for (int32_t level = 1; level <= 9; level += 4) {
                SCOPED_TRACE(name + " level " + std::to_string(level) + (withXor ? " xor" : ""));
                const auto n = static_cast<uint32_t>(data.size());
                const uint32_t bound = lzss::CompressBound(n);
                const Bytes full = CompressFull(data, level, withXor);
                Bytes out(bound + 64, 0xA5);  // canary bytes behind the bound
                const uint32_t size = lzss::Compress(data.data(), n, out.data(), level, withXor, true);
                for (size_t i = size; i < out.size(); ++i) ASSERT_EQ(out[i], 0xA5) << "written at " << i;
                // The early abort never changes a stream that shrinks, and reports one that does not.
                if (full.size() < n) {
                    EXPECT_EQ(Bytes(out.begin(), out.begin() + size), full);
                } else {
                    EXPECT_GE(size, n);
                }
            }
        }
    }
}

TEST(Lzss, EveryTruncationOrExtensionOfAValidStreamFails) {
    const std::pair<std::string, Bytes> inputs[] = {{"text", TextLike(3000, 91)},
                                                    {"random", RandomBytes(300, 92)},
                                                    {"spaces", Bytes(500, ' ')},
                                                    {"large text", TextLike(20000, 93)},
                                                    {"run", Bytes(1000, 'z')}};
    for (const auto& [name, data] : inputs) {
        for (bool withXor : {false, true}) {
            SCOPED_TRACE(name + (withXor ? " xor" : ""));
            const Bytes stream = CompressFull(data, 1, withXor);
            ASSERT_EQ(ExpandTo(stream, data.size(), withXor), data);
            Bytes out(data.size());
            for (size_t cut = 0; cut < stream.size(); ++cut) {
                ASSERT_FALSE(lzss::Expand(stream.data(), cut, out.data(), out.size(), withXor)) << "prefix " << cut;
            }
            for (const Bytes& extra : {Bytes{0x00}, Bytes{0xFF}, Bytes{0x01, 'x'}, Bytes(100, 0)}) {
                EXPECT_FALSE(ExpandTo(Cat({stream, extra}), data.size(), withXor)) << extra.size() << " more";
            }
            for (size_t size : {size_t{0}, data.size() - 1, data.size() - 2}) {
                EXPECT_FALSE(ExpandTo(stream, size, withXor)) << "asked for " << size;
            }
        }
    }
}

}  // namespace
