// LZSS codec: round trips through both compressors at every level, checked by an independent
// ring-buffer decoder written here from the stream description; the decoder against hand-built
// streams and every kind of damage.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "lzss.h"
#include "lzss_internal.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace lzss = tvapi::lzss;

constexpr int32_t kLevels[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};

// ---------------------------------------------------------------------------------------------
// Independent reference: the documented keystream and a plain ring-buffer decoder.

uint8_t DocumentedKeyByte(size_t offset) {
    uint32_t state = 0x5456u;
    for (size_t i = 0; i <= offset % 256; ++i) state = state * 1103515245u + 12345u;
    return static_cast<uint8_t>(state >> 24);
}

struct ReferenceResult {
    Bytes data;
    size_t references = 0;
    size_t referencesIntoInitialSpaces = 0;  // references that read a never-written ring slot
    size_t longestDistance = 0;              // 1..4096
    bool readUnwrittenHighSlot = false;      // a slot in 4078..4095 before it was written
};

std::optional<ReferenceResult> ReferenceExpand(const Bytes& stream, size_t size, bool withXor) {
    Bytes in = stream;
    if (withXor) {
        for (size_t i = 0; i < in.size(); ++i) in[i] ^= DocumentedKeyByte(i);
    }
    std::array<uint8_t, 4096> ring;
    std::array<bool, 4096> written{};
    ring.fill(' ');
    size_t r = 4096 - 18;
    ReferenceResult result;
    size_t ip = 0;
    auto put = [&](uint8_t c) {
        result.data.push_back(c);
        ring[r] = c;
        written[r] = true;
        r = (r + 1) % 4096;
    };
    while (result.data.size() < size) {
        if (ip >= in.size()) return std::nullopt;
        unsigned flags = in[ip++];
        for (int bit = 0; bit < 8 && result.data.size() < size; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (ip >= in.size()) return std::nullopt;
                put(in[ip++]);
            } else {
                if (ip + 2 > in.size()) return std::nullopt;
                const size_t pos = in[ip] | ((in[ip + 1] & 0xF0) << 4);
                const size_t len = (in[ip + 1] & 0x0F) + 3;
                ip += 2;
                if (result.data.size() + len > size) return std::nullopt;
                ++result.references;
                const size_t distance = (r + 4096 - pos - 1) % 4096 + 1;
                result.longestDistance = std::max(result.longestDistance, distance);
                bool intoSpaces = false;
                for (size_t k = 0; k < len; ++k) {
                    const size_t from = (pos + k) % 4096;
                    intoSpaces = intoSpaces || !written[from];
                    result.readUnwrittenHighSlot =
                        result.readUnwrittenHighSlot || (!written[from] && from >= 4096 - 18);
                    put(ring[from]);
                }
                if (intoSpaces) ++result.referencesIntoInitialSpaces;
            }
        }
    }
    if (ip != in.size()) return std::nullopt;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Inputs

Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

// Words from a small vocabulary with punctuation: matches of every length and distance.
Bytes TextLike(size_t n, uint32_t seed) {
    static const char* const kWords[] = {"the", "note",  "lane", "beat", "<note ", "time=\"", "\"/>\n", "sound",
                                         "key", "chart", "a",    "of",   "tempo",  "  ",      "hold",   "tap",
                                         "=",   "0",     "1",    "25",   "\n",     "Tavrin",  "song"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const char* w = kWords[rng() % std::size(kWords)];
        for (; *w != 0 && out.size() < n; ++w) out.push_back(static_cast<uint8_t>(*w));
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
        Bytes part;
        switch (rng() % 4) {
            case 0:
                part = TextLike(len, static_cast<uint32_t>(rng()));
                break;
            case 1:
                part = RandomBytes(len, static_cast<uint32_t>(rng()));
                break;
            case 2:
                part.assign(len, static_cast<uint8_t>(rng()));
                break;
            default:
                part.assign(len, ' ');
                break;
        }
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

struct NamedInput {
    std::string name;
    Bytes data;
};

std::vector<NamedInput> RoundTripInputs() {
    std::vector<NamedInput> inputs;
    inputs.push_back({"empty", {}});
    inputs.push_back({"one byte", {0x41}});
    inputs.push_back({"one space", {' '}});
    inputs.push_back({"two bytes", {0x00, 0xFF}});
    inputs.push_back({"three spaces", Bytes(3, ' ')});
    inputs.push_back({"run of zeros", Bytes(100000, 0)});
    inputs.push_back({"run of spaces", Bytes(30000, ' ')});
    {
        Bytes b(5000, ' ');
        const Bytes t = TextLike(3000, 7);
        b.insert(b.end(), t.begin(), t.end());
        inputs.push_back({"leading spaces then text", b});
    }
    {
        Bytes b = TextLike(4000, 8);
        for (size_t i = 0; i < b.size(); i += 97) b.insert(b.begin() + i, 20, ' ');
        inputs.push_back({"text with space runs", b});
    }
    inputs.push_back({"text", TextLike(150000, 1)});
    inputs.push_back({"random", RandomBytes(70000, 2)});
    inputs.push_back({"mixed", Mixed(300000, 3)});
    {
        Bytes b;
        for (int i = 0; i < 50000; ++i) b.push_back(static_cast<uint8_t>(i % 3 == 0 ? i / 3 : 7));
        inputs.push_back({"short-period pattern", b});
    }
    // Sizes around flag-group, ring, window-chunk and slide boundaries.
    for (size_t n : {7u,    8u,    9u,    15u,   16u,    17u,    18u,    19u,    4077u,  4078u,  4079u,
                     4095u, 4096u, 4097u, 8192u, 65471u, 65472u, 65473u, 65536u, 65537u, 69632u, 69633u}) {
        inputs.push_back({"text size " + std::to_string(n), TextLike(n, static_cast<uint32_t>(n))});
        inputs.push_back({"random size " + std::to_string(n), RandomBytes(n, static_cast<uint32_t>(n))});
    }
    return inputs;
}

Bytes CompressFull(const Bytes& data, int32_t level, bool withXor) {
    Bytes out(lzss::CompressBound(static_cast<uint32_t>(data.size())));
    const uint32_t size = lzss::Compress(data.data(), static_cast<uint32_t>(data.size()), out.data(), level, withXor,
                                         /*stopEarly=*/false);
    out.resize(size);
    return out;
}

std::optional<Bytes> ExpandTo(const Bytes& stream, size_t size, bool withXor) {
    Bytes out(size);
    if (!lzss::Expand(stream.data(), stream.size(), out.data(), out.size(), withXor)) {
        return std::nullopt;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Round trips

TEST(LzssRoundTrip, BothCompressorsAtEveryLevelRestoreTheInput) {
    for (const NamedInput& input : RoundTripInputs()) {
        for (bool withXor : {false, true}) {
            for (int32_t level : kLevels) {
                SCOPED_TRACE(input.name + (withXor ? " xor" : " plain") + " level " + std::to_string(level));
                const Bytes stream = CompressFull(input.data, level, withXor);
                const size_t n = input.data.size();
                EXPECT_LE(stream.size(), n + (n + 7) / 8);

                const auto reference = ReferenceExpand(stream, n, withXor);
                ASSERT_TRUE(reference.has_value()) << "the reference decoder rejects the stream";
                ASSERT_EQ(reference->data, input.data);

                const auto expanded = ExpandTo(stream, n, withXor);
                ASSERT_TRUE(expanded.has_value());
                ASSERT_EQ(*expanded, input.data);
            }
        }
    }
}

TEST(LzssRoundTrip, SeededRandomMixturesRestoreTheInput) {
    for (uint32_t seed = 100; seed < 112; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const Bytes data = Mixed(1 + rng() % 120000, seed);
        const int32_t level = kLevels[rng() % std::size(kLevels)];
        const bool withXor = (rng() & 1) != 0;
        SCOPED_TRACE("level " + std::to_string(level) + (withXor ? " xor" : " plain"));
        const Bytes stream = CompressFull(data, level, withXor);
        const auto reference = ReferenceExpand(stream, data.size(), withXor);
        ASSERT_TRUE(reference.has_value());
        EXPECT_EQ(reference->data, data);
    }
}

TEST(LzssRoundTrip, DataStartingWithSpacesIsCodedAsReferencesIntoTheInitialRing) {
    Bytes data(40, ' ');
    const Bytes text = TextLike(200, 5);
    data.insert(data.end(), text.begin(), text.end());
    for (int32_t level : kLevels) {
        SCOPED_TRACE("level " + std::to_string(level));
        const Bytes stream = CompressFull(data, level, false);
        const auto reference = ReferenceExpand(stream, data.size(), false);
        ASSERT_TRUE(reference.has_value());
        ASSERT_EQ(reference->data, data);
        EXPECT_GE(reference->referencesIntoInitialSpaces, 1u);
        // 40 spaces take three references at most, not 40 literals.
        EXPECT_LT(stream.size(), text.size() + text.size() / 8 + 10);
    }
}

TEST(LzssRoundTrip, EncoderStaysWithinTheFirst4078RingSlots) {
    // Decoders that clear only 4078 ring bytes to spaces must read our streams the same way.
    Bytes spacesFirst(30, ' ');
    const Bytes text = TextLike(20000, 12);
    spacesFirst.insert(spacesFirst.end(), text.begin(), text.end());
    Bytes periodic;
    for (int i = 0; i < 30000; ++i) periodic.push_back(static_cast<uint8_t>((i * 7) % 4093));
    for (const Bytes* data : {&spacesFirst, &periodic}) {
        for (int32_t level : kLevels) {
            SCOPED_TRACE("level " + std::to_string(level));
            const auto reference = ReferenceExpand(CompressFull(*data, level, false), data->size(), false);
            ASSERT_TRUE(reference.has_value());
            EXPECT_LE(reference->longestDistance, 4078u);
            EXPECT_FALSE(reference->readUnwrittenHighSlot);
        }
    }
}

TEST(LzssRoundTrip, CompressionResumesAfterALongIncompressibleStretch) {
    // The skip-ahead is at full speed after 300 KB of noise; the text after it must still shrink
    // about as well as on its own.
    const Bytes noise = RandomBytes(300000, 13);
    const Bytes text = TextLike(100000, 14);
    Bytes both = noise;
    both.insert(both.end(), text.begin(), text.end());
    for (int32_t level : {1, 5, 9}) {
        SCOPED_TRACE("level " + std::to_string(level));
        const size_t alone = CompressFull(noise, level, false).size() + CompressFull(text, level, false).size();
        const Bytes stream = CompressFull(both, level, false);
        ASSERT_EQ(ExpandTo(stream, both.size(), false), both);
        EXPECT_LT(stream.size(), alone + 4096);
    }
}

TEST(LzssRoundTrip, XorStreamIsThePlainStreamUnderTheDocumentedKeystream) {
    const Bytes data = Mixed(20000, 11);
    for (int32_t level : {1, 9}) {
        const Bytes plain = CompressFull(data, level, false);
        const Bytes xored = CompressFull(data, level, true);
        ASSERT_EQ(plain.size(), xored.size());
        for (size_t i = 0; i < plain.size(); ++i) {
            ASSERT_EQ(xored[i], plain[i] ^ DocumentedKeyByte(i)) << "offset " << i;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Levels

TEST(LzssLevels, OneToNineAreAcceptedAndNothingElse) {
    for (int32_t level = 1; level <= 9; ++level) EXPECT_TRUE(lzss::IsValidLevel(level)) << level;
    for (int32_t level : {0, -1, 10, 100, INT32_MIN, INT32_MAX}) {
        EXPECT_FALSE(lzss::IsValidLevel(level)) << level;
    }
}

TEST(LzssLevels, AnInvalidLevelCompressesAsTheDefault) {
    const Bytes data = TextLike(30000, 21);
    const Bytes expected = CompressFull(data, lzss::kLevelDefault, false);
    for (int32_t level : {0, -5, 10}) EXPECT_EQ(CompressFull(data, level, false), expected) << level;
}

TEST(LzssLevels, BestLevelIsNeverLargerThanAnyOtherLevel) {
    // The best level parses optimally over the longest match at every position; the last flag
    // byte's rounding is the only slack.
    for (uint32_t seed : {31u, 32u, 33u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Bytes data = seed == 33 ? Mixed(200000, seed) : TextLike(100000, seed);
        const size_t best = CompressFull(data, lzss::kLevelBest, false).size();
        for (int32_t level : kLevels) {
            EXPECT_LE(best, CompressFull(data, level, false).size() + 1) << "level " << level;
        }
    }
}

TEST(LzssLevels, TextShrinksAtEveryLevel) {
    const Bytes data = TextLike(50000, 41);
    for (int32_t level : kLevels) {
        EXPECT_LT(CompressFull(data, level, false).size(), data.size() / 2) << "level " << level;
    }
}

// ---------------------------------------------------------------------------------------------
// Bound and early abort

TEST(LzssBound, CoversAllLiteralsPlusSlackAndRejectsOversizedInputs) {
    for (uint32_t n : {0u, 1u, 7u, 8u, 9u, 1000u, 1u << 20, lzss::kMaxInputSize}) {
        EXPECT_GE(lzss::CompressBound(n), uint64_t{n} + (uint64_t{n} + 7) / 8 + 1) << n;
    }
    EXPECT_EQ(lzss::CompressBound(lzss::kMaxInputSize + 1), 0u);
    EXPECT_EQ(lzss::CompressBound(UINT32_MAX), 0u);
}

TEST(LzssBound, CompressorNeverWritesPastTheBound) {
    constexpr uint8_t kCanary = 0xA5;
    constexpr size_t kCanaryBytes = 64;
    const std::vector<NamedInput> inputs = {
        {"random", RandomBytes(9999, 51)}, {"random 8", RandomBytes(8, 52)}, {"one", {0x00}},
        {"text", TextLike(5000, 53)},      {"mixed", Mixed(100000, 54)},     {"random large", RandomBytes(140001, 55)}};
    for (const NamedInput& input : inputs) {
        for (bool stopEarly : {false, true}) {
            for (bool withXor : {false, true}) {
                for (int32_t level : {1, 5, 9}) {
                    SCOPED_TRACE(input.name + " level " + std::to_string(level));
                    const uint32_t n = static_cast<uint32_t>(input.data.size());
                    const uint32_t bound = lzss::CompressBound(n);
                    Bytes out(bound + kCanaryBytes, kCanary);
                    const uint32_t size = lzss::Compress(input.data.data(), n, out.data(), level, withXor, stopEarly);
                    EXPECT_LE(size, bound);
                    for (size_t i = bound; i < out.size(); ++i) ASSERT_EQ(out[i], kCanary) << "at " << i;
                    for (size_t i = size; i < bound; ++i) ASSERT_EQ(out[i], kCanary) << "past end " << i;
                }
            }
        }
    }
}

TEST(LzssEarlyAbort, IncompressibleInputReportsAtLeastItsSize) {
    for (uint32_t n : {1u, 2u, 8u, 100u, 5000u, 200000u}) {
        const Bytes data = RandomBytes(n, 60 + n);
        for (int32_t level : kLevels) {
            Bytes out(lzss::CompressBound(n));
            EXPECT_GE(lzss::Compress(data.data(), n, out.data(), level, false, true), n)
                << "n " << n << " level " << level;
        }
    }
}

TEST(LzssEarlyAbort, CompressibleInputGivesTheSameStreamAsWithoutAbort) {
    std::vector<NamedInput> inputs = {
        {"text", TextLike(80000, 71)}, {"mixed", Mixed(250000, 72)}, {"zeros", Bytes(20000, 0)}};
    // Random prefix: the skip-ahead is under way when the runs begin.
    Bytes late = RandomBytes(3000, 73);
    late.resize(40000, 'x');
    inputs.push_back({"random then runs", late});
    for (const NamedInput& input : inputs) {
        for (int32_t level : kLevels) {
            for (bool withXor : {false, true}) {
                SCOPED_TRACE(input.name + " level " + std::to_string(level));
                const uint32_t n = static_cast<uint32_t>(input.data.size());
                const Bytes full = CompressFull(input.data, level, withXor);
                ASSERT_LT(full.size(), n);
                Bytes early(lzss::CompressBound(n));
                early.resize(lzss::Compress(input.data.data(), n, early.data(), level, withXor, true));
                EXPECT_EQ(early, full);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Decoder against hand-built streams

// Reference bytes for copying len bytes from ring position pos.
std::array<uint8_t, 2> Ref(unsigned pos, unsigned len) {
    return {static_cast<uint8_t>(pos & 0xFF), static_cast<uint8_t>(((pos >> 4) & 0xF0) | (len - 3))};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes B(std::array<uint8_t, 2> r) { return {r[0], r[1]}; }
Bytes S(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(LzssDecoder, ExpandsLiteralOnlyStreams) {
    const Bytes stream = Cat({{0xFF}, S("ABCDEFGH"), {0x07}, S("IJK")});
    EXPECT_EQ(ExpandTo(stream, 11, false), S("ABCDEFGHIJK"));
}

TEST(LzssDecoder, ReferenceBeforeAnyOutputReadsTheInitialSpaces) {
    // Ring position 0 is far behind the first write position 4078: all spaces.
    EXPECT_EQ(ExpandTo(Cat({{0x00}, B(Ref(0, 5))}), 5, false), S("     "));
    // The whole ring starts as spaces, including the slots 4078..4095 not yet written.
    EXPECT_EQ(ExpandTo(Cat({{0x00}, B(Ref(4090, 18))}), 18, false), Bytes(18, ' '));
    // A reference that starts in the spaces and runs on into the output just written.
    const Bytes stream = Cat({{0x03}, S("ab"), B(Ref(4076, 6))});
    EXPECT_EQ(ExpandTo(stream, 8, false), S("ab  ab  "));
    EXPECT_EQ(ReferenceExpand(stream, 8, false)->data, S("ab  ab  "));
}

TEST(LzssDecoder, OverlappingReferenceRepeatsWhatItWrites) {
    // 'a' at ring 4078, then copy 10 from 4078 (distance 1).
    EXPECT_EQ(ExpandTo(Cat({{0x01}, S("a"), B(Ref(4078, 10))}), 11, false), Bytes(11, 'a'));
    // "xyz" then distance 3, length 18: the period-3 pattern continues.
    const Bytes stream = Cat({{0x07}, S("xyz"), B(Ref(4078, 18))});
    EXPECT_EQ(ExpandTo(stream, 21, false), S("xyzxyzxyzxyzxyzxyzxyz"));
}

TEST(LzssDecoder, ReferenceToTheSlotBeingWrittenReadsTheByteARingBehind) {
    // 4096 literals fill the ring; a reference to the next write slot (4078) copies from
    // 4096 bytes back, which the reference decoder does as well.
    Bytes data = TextLike(4096, 81);
    Bytes stream;
    for (size_t i = 0; i < data.size(); i += 8) {
        stream.push_back(0xFF);
        stream.insert(stream.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + 8));
    }
    stream.push_back(0x00);
    const auto r = Ref(4078, 18);
    stream.insert(stream.end(), r.begin(), r.end());
    const auto expanded = ExpandTo(stream, 4096 + 18, false);
    ASSERT_TRUE(expanded.has_value());
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 18, expanded->begin() + 4096));
    EXPECT_EQ(ReferenceExpand(stream, 4096 + 18, false)->data, *expanded);
}

TEST(LzssDecoder, UndoesTheXorSchemeOnlyWhenAsked) {
    Bytes stream = Cat({{0x2F}, S("Tavr"), B(Ref(4078, 4)), {'n'}});
    const Bytes plain = *ExpandTo(stream, 9, false);
    ASSERT_EQ(plain, S("TavrTavrn"));
    for (size_t i = 0; i < stream.size(); ++i) stream[i] ^= DocumentedKeyByte(i);
    EXPECT_EQ(ExpandTo(stream, 9, true), plain);
    EXPECT_NE(ExpandTo(stream, 9, false), std::optional<Bytes>(plain));
}

TEST(LzssDecoder, IgnoresUnusedFlagBitsOfTheLastGroup) {
    // Two literals; the six unused flag bits set (another encoder may leave them so).
    EXPECT_EQ(ExpandTo(Cat({{0xFF}, S("ok")}), 2, false), S("ok"));
    EXPECT_EQ(ExpandTo(Cat({{0xFD}, S("o"), B(Ref(4078, 3))}), 4, false), S("oooo"));
}

TEST(LzssDecoder, AgreesWithTheReferenceOnArbitraryStreams) {
    // Random streams decode (or fail) the same way in both decoders, at every size.
    for (uint32_t seed = 200; seed < 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Bytes stream = RandomBytes(rng() % 600, seed);
        // Mostly references, some near the start, so the initial spaces and overlaps get exercised.
        for (size_t i = 0; i < stream.size(); i += 17) stream[i] &= static_cast<uint8_t>(rng());
        const bool withXor = (seed & 1) != 0;
        for (size_t size : {size_t{0}, size_t{1}, size_t{rng() % 5000}, size_t{rng() % 300}}) {
            const auto mine = ExpandTo(stream, size, withXor);
            const auto reference = ReferenceExpand(stream, size, withXor);
            ASSERT_EQ(mine.has_value(), reference.has_value()) << "size " << size;
            if (mine) {
                EXPECT_EQ(*mine, reference->data);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Decoder against damaged streams

TEST(LzssCorruption, EveryTruncationOfAValidStreamFails) {
    const std::vector<NamedInput> inputs = {{"text", TextLike(3000, 91)},
                                            {"random", RandomBytes(300, 92)},
                                            {"spaces", Bytes(500, ' ')},
                                            {"large text", TextLike(20000, 93)}};
    for (const NamedInput& input : inputs) {
        for (bool withXor : {false, true}) {
            SCOPED_TRACE(input.name + (withXor ? " xor" : ""));
            const Bytes stream = CompressFull(input.data, 1, withXor);
            ASSERT_EQ(ExpandTo(stream, input.data.size(), withXor), input.data);
            Bytes out(input.data.size());
            for (size_t cut = 0; cut < stream.size(); ++cut) {
                ASSERT_FALSE(lzss::Expand(stream.data(), cut, out.data(), out.size(), withXor))
                    << "prefix of " << cut << " bytes accepted";
            }
        }
    }
}

TEST(LzssCorruption, TrailingBytesAfterTheLastItemFail) {
    const Bytes data = TextLike(5000, 94);
    const Bytes stream = CompressFull(data, 1, false);
    for (const Bytes& extra : {Bytes{0x00}, Bytes{0xFF}, Bytes{0x01, 'x'}, Bytes(100, 0)}) {
        Bytes longer = stream;
        longer.insert(longer.end(), extra.begin(), extra.end());
        EXPECT_FALSE(ExpandTo(longer, data.size(), false).has_value()) << extra.size();
    }
    // A whole stream asked for fewer bytes leaves the rest unread.
    EXPECT_FALSE(ExpandTo(stream, data.size() - 1, false).has_value());
    EXPECT_FALSE(ExpandTo(stream, 0, false).has_value());
    EXPECT_FALSE(ExpandTo(Cat({{0xFF}, S("abc")}), 2, false).has_value());
}

TEST(LzssCorruption, ReferenceRunningPastTheSizeFails) {
    // "ab" then a 6-byte reference: 8 bytes in all.
    const Bytes stream = Cat({{0x03}, S("ab"), B(Ref(4078, 6))});
    ASSERT_TRUE(ExpandTo(stream, 8, false).has_value());
    for (size_t size = 3; size < 8; ++size) {
        EXPECT_FALSE(ExpandTo(stream, size, false).has_value()) << size;
    }
    // The same in the middle of a long stream, which the fast path decodes.
    const Bytes data = Bytes(1000, 'z');
    const Bytes packed = CompressFull(data, 1, false);
    for (size_t size : {data.size() - 1, data.size() - 2}) {
        EXPECT_FALSE(ExpandTo(packed, size, false).has_value()) << size;
    }
}

TEST(LzssCorruption, EmptyStreamsAndEmptyOutputs) {
    EXPECT_EQ(ExpandTo({}, 0, false), Bytes{});
    EXPECT_FALSE(ExpandTo({}, 1, false).has_value());
    EXPECT_FALSE(ExpandTo({0xFF}, 1, false).has_value());                 // flag byte without its literal
    EXPECT_FALSE(ExpandTo(Cat({{0x00}, {0x10}}), 3, false).has_value());  // half a reference
    EXPECT_FALSE(ExpandTo({0x00}, 0, false).has_value());
}

}  // namespace
