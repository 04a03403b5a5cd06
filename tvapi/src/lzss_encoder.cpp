// LZSS encoder: hash-chain or binary-tree match finding, lazy or optimal parsing, and a skip-ahead
// through data where no matches turn up, whose literals are streamed out at memory speed.
//
// Every item costs one flag bit, a literal 8 more bits and a reference 16 more whatever its
// length and distance. So the cheapest parse of a stretch needs only the longest match at each
// position (any shorter length at the same distance is a match too): the optimal parser runs a
// shortest-path pass over blocks of positions; the lazy parser looks one position ahead.
//
// The input runs through a window buffer that starts with the ring's initial spaces, so matches
// into them need no special case, and that ends in zero padding, so comparisons can load whole
// words. Only the first and the last window need that: in between, every byte a search reads is
// input, so the window is read straight from the source and nothing is copied. Positions are
// "virtual": data byte k is at kVBase + k, so 0 (an empty hash slot) is always out of reach.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "lzss.h"
#include "lzss_internal.h"

// Long runs of literals are streamed out with SSE2 (see StreamGroups). The 32-bit build targets
// plain i686, so there the code that uses it is compiled a second time for SSE2 and chosen when
// the processor has it; x86-64 always has it.
#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define TV_LZSS_SSE2 1
#else
#define TV_LZSS_SSE2 0
#endif
#if defined(__i386__)
#define TV_LZSS_SSE2_CLONE 1
#define TV_TARGET_SSE2 __attribute__((target("sse2")))
#else
#define TV_LZSS_SSE2_CLONE 0
#define TV_TARGET_SSE2
#endif

namespace tvapi::lzss::detail {
namespace {

constexpr uint32_t kVBase = 2 * kRingSize;
constexpr uint32_t kHistory = kRingSize;  // bytes kept before the parse position on a slide
constexpr uint32_t kChunk = 1u << 16;     // new bytes per window fill
constexpr uint32_t kReserve = 64;         // lookahead kept past the last position parsed
constexpr uint32_t kPadding = 32;         // zero bytes after the data, for word loads
constexpr uint32_t kWindowSize = kHistory + kChunk + kPadding;
constexpr uint32_t kBlock = 16384;  // positions per optimal-parse block
// While skipping faster than this, the last reference's distance is not probed: in coded audio
// it finds frame headers, and each such match would slow the skip down again.
constexpr uint32_t kRepProbeMaxSkip = 8;
constexpr uint32_t kSkipGrace = 128;  // misses before the step starts to grow
// While skipping, the line of the probe this many probes ahead is asked for: the probes are too
// far apart for the processor to see them coming, and each would wait for memory.
constexpr uint32_t kPrefetchProbes = 8;
// Literal runs at least this long are streamed (shorter ones do not pay for lining up the lines).
constexpr uint32_t kStreamMinRun = 4096;
constexpr size_t kStreamReadAhead = 2048;  // input bytes read ahead while streaming

constexpr uint32_t kLiteralCost = 9;
constexpr uint32_t kReferenceCost = 17;

enum class Parser : uint8_t { kLazy, kOptimalChain, kOptimalTree };

struct LevelParams {
    Parser parser;
    uint16_t depth;     // candidates looked at per search (chain) or tree nodes visited
    uint8_t skipShift;  // misses before the step grows by one
    // Lazy parser: a match up to this long is first compared with the next position's.
    uint8_t lazyMax;
};

// Level 1 is the programs' default. 1-4 search where an item may start (greedy, with a look one
// position ahead after short matches); 5-8 search every position with a hash chain and parse
// optimally; 9 finds the longest match at every position with a binary tree.
constexpr std::array<LevelParams, 10> kLevels = {{
    {Parser::kLazy, 16, 6, 8},           // 0: unused
    {Parser::kLazy, 16, 6, 8},           // 1
    {Parser::kLazy, 24, 6, 10},          // 2
    {Parser::kLazy, 32, 6, 12},          // 3
    {Parser::kLazy, 64, 6, 12},          // 4
    {Parser::kOptimalChain, 16, 7, 0},   // 5
    {Parser::kOptimalChain, 32, 7, 0},   // 6
    {Parser::kOptimalChain, 64, 7, 0},   // 7
    {Parser::kOptimalChain, 128, 7, 0},  // 8
    {Parser::kOptimalTree, 256, 8, 0},   // 9
}};

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Common prefix of a and b, at most limit (<= 18); both readable for 24 bytes.
inline uint32_t MatchLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
    if constexpr (std::endian::native == std::endian::little) {
        for (uint32_t offset = 0; offset < 24; offset += 8) {
            const uint64_t diff = Load64(a + offset) ^ Load64(b + offset);
            if (diff != 0) {
                return std::min(limit, offset + static_cast<uint32_t>(std::countr_zero(diff)) / 8);
            }
        }
        return limit;
    } else {
        uint32_t len = 0;
        while (len < limit && a[len] == b[len]) ++len;
        return len;
    }
}

template <int kBits>
inline uint32_t Hash3(const uint8_t* p) {
    return ((Load32(p) & 0xFFFFFFu) * 0x9E3779B1u) >> (32 - kBits);
}

struct Match {
    uint32_t len = 0;  // 0, or kMinMatch..kMaxMatch
    uint32_t dist = 0;
};

// Head of the newest position for each 3-byte hash, and each position's predecessor.
class HashChain {
public:
    static constexpr int kHashBits = 13;
    using Slot = uint32_t;

    void Reset() { head_.fill(0); }

    static uint32_t Hash(const uint8_t* p) { return Hash3<kHashBits>(p); }

    // Distance from v back to a stored position; 0 or beyond reach means none.
    static uint32_t Distance(uint32_t v, Slot stored) { return v - stored; }
    static bool InReach(uint32_t dist) { return dist - 1 < kMaxDistance; }

    Slot* Head() { return head_.data(); }
    Slot* Prev() { return prev_.data(); }

    void Insert(uint32_t v, const uint8_t* p) {
        Slot& slot = head_[Hash(p)];
        prev_[v & kRingMask] = slot;
        slot = static_cast<Slot>(v);
    }

    // Longest match longer than minLen among up to depth candidates for position v (bytes at p),
    // inserted less than a ring ago; len 0 when there is none.
    Match Search(uint32_t v, const uint8_t* p, uint32_t maxLen, uint32_t depth, uint32_t minLen) const {
        Slot cand = prev_[v & kRingMask];
        Match best;
        uint32_t bestLen = minLen;
        while (depth-- != 0) {
            const uint32_t dist = Distance(v, cand);
            if (!InReach(dist)) break;
            const uint8_t* q = p - dist;
            // One byte at the current best length rejects most candidates that cannot do better.
            if (q[bestLen] == p[bestLen]) {
                const uint32_t len = MatchLength(q, p, maxLen);
                if (len > bestLen) {
                    bestLen = len;
                    best = {len, dist};
                    if (len >= maxLen) break;
                }
            }
            cand = prev_[(v - dist) & kRingMask];
        }
        return best;
    }

private:
    std::array<Slot, size_t{1} << kHashBits> head_;
    std::array<Slot, kRingSize> prev_;
};

// Binary tree per 3-byte hash over the last kMaxDistance positions, ordered by the following
// kMaxMatch bytes: finds the longest match at every position.
class BinaryTree {
public:
    static constexpr int kHashBits = 14;

    void Reset() { head_.fill(0); }

    Match Find(uint32_t v, const uint8_t* cur, uint32_t lenLimit, uint32_t cutValue) {
        uint32_t& slot = head_[Hash3<kHashBits>(cur)];
        uint32_t candidate = slot;
        slot = v;
        uint32_t* ptr0 = &son_[((v & kRingMask) << 1) + 1];
        uint32_t* ptr1 = &son_[(v & kRingMask) << 1];
        uint32_t len0 = 0;
        uint32_t len1 = 0;
        Match best;
        uint32_t bestLen = kMinMatch - 1;
        for (;;) {
            const uint32_t delta = v - candidate;
            if (cutValue-- == 0 || delta > kMaxDistance) {
                *ptr0 = *ptr1 = 0;
                break;
            }
            uint32_t* pair = &son_[(candidate & kRingMask) << 1];
            const uint8_t* pb = cur - delta;
            uint32_t len = std::min(len0, len1);
            if (pb[len] == cur[len]) {
                while (++len != lenLimit) {
                    if (pb[len] != cur[len]) break;
                }
                if (len > bestLen) {
                    bestLen = len;
                    best = {len, delta};
                }
                if (len == lenLimit) {
                    // Same string as far as it can be compared: the new node takes the old one's place.
                    *ptr1 = pair[0];
                    *ptr0 = pair[1];
                    break;
                }
            }
            if (pb[len] < cur[len]) {
                *ptr1 = candidate;
                ptr1 = pair + 1;
                candidate = *ptr1;
                len1 = len;
            } else {
                *ptr0 = candidate;
                ptr0 = pair;
                candidate = *ptr0;
                len0 = len;
            }
        }
        return best;
    }

private:
    std::array<uint32_t, size_t{1} << kHashBits> head_;
    std::array<uint32_t, 2 * kRingSize> son_;
};

// Whether this processor runs the SSE2 code.
bool HasSse2() {
#if TV_LZSS_SSE2_CLONE
    return __builtin_cpu_supports("sse2");
#else
    return TV_LZSS_SSE2 != 0;
#endif
}

#if TV_LZSS_SSE2
// Streaming whole literal groups. Incompressible input (coded audio) comes out as nothing but
// groups of a 0xFF flag and eight input bytes. Stored one group at a time, every destination line
// is read from memory before it is written, and the 9-byte groups straddle words; built in 16-byte
// registers and streamed past the cache in whole lines, a run goes out at about memcpy speed.
//
// Sixteen groups (128 input bytes) make 144 output bytes, nine 16-byte vectors. Output byte o of
// the block is the flag when o % 9 == 0 and input byte o - o / 9 - 1 otherwise: within a vector
// the input runs on one byte per byte except that each of its one or two flags sets it back by
// one. So a vector is one 16-byte load of the input, lined up for its first segment, then moved
// up by one and two bytes for the segments after its flags, masked, with the flags ORed in.
struct GroupVector {
    int load = 0;   // offset of the 16-byte load in the block's input (kept inside it)
    int shift = 0;  // bytes the load moves up (> 0) or down (< 0) to line up the first segment
    std::array<uint8_t, 16> flags{};
    std::array<std::array<uint8_t, 16>, 3> segments{};  // byte masks for moves of 0, 1 and 2 more
};

constexpr GroupVector PlanGroupVector(int j) {
    GroupVector g;
    int lag = 99;  // output offset minus input offset of the vector's first input byte
    for (int b = 0; b < 16; ++b) {
        const int o = 16 * j + b;
        if (o % 9 != 0) lag = std::min(lag, o / 9 + 1);
    }
    const int first = 16 * j - lag;  // input offset that lines up with the vector's byte 0
    g.load = std::clamp(first, 0, 128 - 16);
    g.shift = g.load - first;
    for (int b = 0; b < 16; ++b) {
        const int o = 16 * j + b;
        if (o % 9 == 0) {
            g.flags[b] = 0xFF;
        } else {
            g.segments[o / 9 + 1 - lag][b] = 0xFF;
        }
    }
    return g;
}

TV_TARGET_SSE2 inline __m128i Bytes16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

template <int J>
TV_TARGET_SSE2 inline void StreamGroupVector(uint8_t* out, const uint8_t* in) {
    static constexpr GroupVector g = PlanGroupVector(J);
    const __m128i loaded = Bytes16(in + g.load);
    __m128i x = loaded;
    if constexpr (g.shift > 0) x = _mm_slli_si128(loaded, g.shift);
    if constexpr (g.shift < 0) x = _mm_srli_si128(loaded, -g.shift);
    __m128i v = _mm_or_si128(Bytes16(g.flags.data()), _mm_and_si128(x, Bytes16(g.segments[0].data())));
    v = _mm_or_si128(v, _mm_and_si128(_mm_slli_si128(x, 1), Bytes16(g.segments[1].data())));
    if constexpr (g.segments[2][15] != 0) {
        v = _mm_or_si128(v, _mm_and_si128(_mm_slli_si128(x, 2), Bytes16(g.segments[2].data())));
    }
    _mm_stream_si128(reinterpret_cast<__m128i*>(out + 16 * J), v);
}

template <int... J>
TV_TARGET_SSE2 inline void StreamGroupBlock(uint8_t* out, const uint8_t* in, std::integer_sequence<int, J...>) {
    (StreamGroupVector<J>(out, in), ...);
}

// Literal groups for blocks * 128 bytes from in, streamed to out (16-byte aligned).
TV_TARGET_SSE2 void StreamGroups(uint8_t* out, const uint8_t* in, size_t blocks) {
    const uint8_t* const end = in + 128 * blocks;
    for (; in != end; in += 128, out += 144) {
        // Asked for ahead, or the loads wait: with the stores going past the cache, nothing else
        // gets the input in early enough.
        const size_t ahead = std::min<size_t>(kStreamReadAhead, static_cast<size_t>(end - in) - 128);
        __builtin_prefetch(in + ahead);
        __builtin_prefetch(in + ahead + 64);
        StreamGroupBlock(out, in, std::make_integer_sequence<int, 9>());
    }
    _mm_sfence();  // the streamed lines are in memory before anything stored after them
}
#endif

// Flag groups into the destination. The flag byte is reserved when a group's first item comes.
class Writer {
public:
    // stream: the processor runs the SSE2 code (HasSse2).
    Writer(uint8_t* dst, bool stream) : begin_(dst), op_(dst), stream_(stream) {}

    size_t Size() const { return static_cast<size_t>(op_ - begin_); }

    // Size() once k more literals are out: each takes a byte, and every eighth item a flag byte.
    size_t SizeAfterLiterals(uint32_t k) const {
        const uint32_t open = count_ % 8;  // items in the open group; 0 when the next opens one
        const uint32_t flags = (k + (open == 0 ? 7 : open - 1)) / 8;
        return Size() + k + flags;
    }

    void Literal(uint8_t c) {
        Open();
        flags_ |= 1u << count_;
        *op_++ = c;
        Close();
    }

    // Reference for data byte `pos` (virtual) copying len bytes from dist back.
    void Reference(uint32_t pos, uint32_t dist, uint32_t len) {
        Open();
        const uint32_t ringPos = (pos + kRingStart - dist) & kRingMask;  // kVBase is 0 mod 4096
        op_[0] = static_cast<uint8_t>(ringPos);
        op_[1] = static_cast<uint8_t>(((ringPos >> 4) & 0xF0u) | (len - kMinMatch));
        op_ += 2;
        Close();
    }

    // k literals from p: whole groups of eight go out as a 0xFF flag and a word copy, and a long
    // run of them is streamed.
    void Literals(const uint8_t* p, uint32_t k) {
        while (k != 0 && count_ != 8) {
            Literal(*p++);
            --k;
        }
#if TV_LZSS_SSE2
        if (stream_ && k >= kStreamMinRun) {
            // Only whole lines are streamed: a line both streamed and stored into goes to memory
            // and back. So groups are stored up to a line start, and four blocks (576 bytes, nine
            // lines) are streamed at a time.
            for (; (reinterpret_cast<uintptr_t>(op_) & 63) != 0; k -= 8, p += 8) Group(p);
            const uint32_t blocks = k / (4 * 128) * 4;
            StreamGroups(op_, p, blocks);
            op_ += 144 * blocks;
            p += 128 * blocks;
            k -= 128 * blocks;
        }
#endif
        for (; k >= 8; k -= 8, p += 8) Group(p);
        while (k-- != 0) Literal(*p++);
    }

    size_t Finish() {
        if (count_ != 8) *flagPtr_ = static_cast<uint8_t>(flags_);
        count_ = 8;
        return Size();
    }

private:
    void Group(const uint8_t* p) {
        op_[0] = 0xFF;
        std::memcpy(op_ + 1, p, 8);
        op_ += 9;
    }

    void Open() {
        if (count_ == 8) {
            flagPtr_ = op_++;
            flags_ = 0;
            count_ = 0;
        }
    }
    void Close() {
        if (++count_ == 8) *flagPtr_ = static_cast<uint8_t>(flags_);
    }

    uint8_t* begin_;
    uint8_t* op_;
    bool stream_;
    uint8_t* flagPtr_ = nullptr;
    uint32_t flags_ = 0;
    uint32_t count_ = 8;
};

class Encoder {
public:
    Encoder(const uint8_t* src, uint32_t n, uint8_t* dst, const EncodeOptions& options)
        : src_(src),
          endV_(kVBase + n),
          params_(kLevels[static_cast<size_t>(options.level)]),
          skipShift_(options.skipAhead ? params_.skipShift : 0),
          limit_(options.stopEarly ? n : SIZE_MAX),
          sse2_(HasSse2()),
          out_(dst, sse2_) {}

    uint32_t Run() {
        window_.assign(kWindowSize, 0);
        if (params_.parser == Parser::kOptimalTree) {
            tree_ = std::make_unique<BinaryTree>();
            tree_->Reset();
        } else {
            chain_ = std::make_unique<HashChain>();
            chain_->Reset();
        }
        if (params_.parser != Parser::kLazy) {
            found_.resize(kBlock);
            costs_.resize(kBlock + 1);
            choice_.resize(kBlock);
        }

        // The history starts as the ring's spaces. Positions whose strings start in them are
        // inserted so data can match spaces (and spaces followed by its own first bytes).
        std::memset(window_.data(), kInitialByte, kHistory);
        windowStartV_ = kVBase - kHistory;
        windowEndV_ = kVBase;
        view_ = window_.data();
        viewStartV_ = windowStartV_;
        Fill();
        for (uint32_t v = kVBase - kMaxMatch; v < kVBase; ++v) InsertOnly(v);

        uint32_t v = kVBase;
        while (v < endV_) {
            const uint32_t stop = windowEndV_ == endV_ ? endV_ : windowEndV_ - kReserve;
            if (v >= stop) {
                Slide(v);
                continue;
            }
            switch (params_.parser) {
                case Parser::kLazy:
#if TV_LZSS_SSE2_CLONE
                    v = sse2_ ? ParseLazySse2(v, stop) : ParseLazy(v, stop);
#else
                    v = ParseLazy(v, stop);
#endif
                    break;
                case Parser::kOptimalChain:
                case Parser::kOptimalTree:
                    v = ParseOptimal(v, stop);
                    break;
            }
            if (out_.Size() >= limit_) return static_cast<uint32_t>(out_.Size());
        }
        return static_cast<uint32_t>(out_.Finish());
    }

private:
    const uint8_t* At(uint32_t v) const { return view_ + (v - viewStartV_); }

    uint32_t MaxLen(uint32_t v) const { return std::min(kMaxMatch, endV_ - v); }

    // Copies the next input into the window after windowEndV_ and zeroes the padding.
    void Fill() {
        const uint32_t room = kHistory + kChunk - (windowEndV_ - windowStartV_);
        const uint32_t count = std::min(room, endV_ - windowEndV_);
        std::memcpy(window_.data() + (windowEndV_ - windowStartV_), src_ + (windowEndV_ - kVBase), count);
        windowEndV_ += count;
        std::memset(window_.data() + (windowEndV_ - windowStartV_), 0, kPadding);
    }

    // Keeps the history before v and the lookahead, then refills. The window's bounds move the
    // same way whether it is copied or read in place: the parse stops where they say, and where
    // it stops shapes the stream.
    void Slide(uint32_t v) {
        const uint32_t keepFrom = v - kHistory;
        const uint32_t room = kHistory + kChunk - (windowEndV_ - keepFrom);
        const uint32_t newEndV = windowEndV_ + std::min(room, endV_ - windowEndV_);
        // No spaces before it and input after it: parsing stops kReserve short of a window's end,
        // so no search reads past it and the padding is never looked at.
        if (keepFrom >= kVBase && newEndV < endV_) {
            view_ = src_;
            viewStartV_ = kVBase;
            windowStartV_ = keepFrom;
            windowEndV_ = newEndV;
            return;
        }
        std::memmove(window_.data(), At(keepFrom), windowEndV_ - keepFrom);
        view_ = window_.data();
        viewStartV_ = keepFrom;
        windowStartV_ = keepFrom;
        Fill();
    }

    void InsertOnly(uint32_t v) {
        const uint32_t maxLen = MaxLen(v);
        if (maxLen < kMinMatch) return;
        if (tree_) {
            tree_->Find(v, At(v), maxLen, params_.depth);
        } else {
            chain_->Insert(v, At(v));
        }
    }

    // Longest match at each of the count positions from v, as len | dist << 8 in found_ (0: none,
    // also at positions the skip-ahead passes over). The distance of the previous position's match
    // is measured first: in runs and repeated lines it often gives the full length at once.
    void FindAllChain(uint32_t v, uint32_t count) {
        uint32_t* const found = found_.data();
        HashChain::Slot* const head = chain_->Head();
        HashChain::Slot* const prev = chain_->Prev();
        const uint8_t* const base = At(v);
        const uint32_t depth = params_.depth;
        const uint32_t skipShift = skipShift_;
        uint32_t misses = misses_;
        uint32_t repDist = 0;
        for (uint32_t i = 0; i < count;) {
            const uint32_t pos = v + i;
            const uint8_t* const p = base + i;
            const uint32_t maxLen = std::min(kMaxMatch, endV_ - pos);
            if (maxLen < kMinMatch) {
                found[i++] = 0;
                continue;
            }
            HashChain::Slot& slot = head[HashChain::Hash(p)];
            HashChain::Slot cand = slot;
            slot = static_cast<HashChain::Slot>(pos);
            prev[pos & kRingMask] = cand;

            uint32_t bestLen = 0;
            uint32_t bestDist = 0;
            if (repDist != 0) {
                bestLen = MatchLength(p - repDist, p, maxLen);
                bestDist = repDist;
            }
            for (uint32_t d = depth; d != 0 && bestLen < maxLen; --d) {
                const uint32_t dist = HashChain::Distance(pos, cand);
                if (!HashChain::InReach(dist)) break;
                const uint32_t len = MatchLength(p - dist, p, maxLen);
                const bool better = len > bestLen;
                bestLen = better ? len : bestLen;
                bestDist = better ? dist : bestDist;
                cand = prev[(pos - dist) & kRingMask];
            }
            if (bestLen >= kMinMatch) {
                found[i++] = bestLen | bestDist << 8;
                repDist = bestDist;
                misses = 0;
                continue;
            }
            found[i++] = 0;
            repDist = 0;
            if (skipShift != 0 && ++misses > kSkipGrace) {
                const uint32_t step = (misses - kSkipGrace) >> skipShift;
                for (uint32_t skip = std::min(step, count - i); skip != 0; --skip) found[i++] = 0;
            }
        }
        misses_ = misses;
    }

    void FindAllTree(uint32_t v, uint32_t count) {
        for (uint32_t i = 0; i < count;) {
            const uint32_t maxLen = MaxLen(v + i);
            const Match m = maxLen < kMinMatch ? Match{} : tree_->Find(v + i, At(v + i), maxLen, params_.depth);
            found_[i++] = m.len | m.dist << 8;
            if (m.len != 0) {
                misses_ = 0;
                continue;
            }
            for (uint32_t skip = std::min(SkipAfterMiss(), count - i); skip != 0; --skip) {
                found_[i++] = 0;
            }
        }
    }

    // After a miss: how many further positions to pass over unsearched.
    uint32_t SkipAfterMiss() {
        if (skipShift_ == 0) return 0;
        ++misses_;
        return misses_ > kSkipGrace ? (misses_ - kSkipGrace) >> skipShift_ : 0;
    }

    // Inserts every position up to and including v not inserted yet (chain levels).
    void InsertUpTo(uint32_t v) {
        const uint32_t last = std::min(v, endV_ - kMinMatch);
        if (insertedTo_ > last) {
            insertedTo_ = std::max(insertedTo_, v + 1);
            return;
        }
        HashChain::Slot* const head = chain_->Head();
        HashChain::Slot* const prev = chain_->Prev();
        const uint8_t* p = At(insertedTo_);
        for (uint32_t pos = insertedTo_; pos <= last; ++pos, ++p) {
            HashChain::Slot& slot = head[HashChain::Hash(p)];
            prev[pos & kRingMask] = slot;
            slot = static_cast<HashChain::Slot>(pos);
        }
        insertedTo_ = v + 1;
    }

    // Longest match at an inserted position v; hint is the distance of the last reference, which
    // often matches again (runs, repeated lines).
    Match SearchAt(uint32_t v, uint32_t hint) const {
        const uint32_t maxLen = MaxLen(v);
        if (maxLen < kMinMatch) return {};
        const uint8_t* const p = At(v);
        Match best;
        if (hint != 0) {
            const uint32_t len = MatchLength(p - hint, p, maxLen);
            if (len >= maxLen) return {len, hint};
            if (len >= kMinMatch) best = {len, hint};
        }
        const Match found = chain_->Search(v, p, maxLen, params_.depth, std::max(best.len, kMinMatch - 1));
        return found.len != 0 ? found : best;
    }

    // The 32-bit build also has the parser compiled for SSE2: 8-byte copies in one move, and the
    // prefetches, which plain i686 lacks.
    uint32_t ParseLazy(uint32_t v, uint32_t stop) { return ParseLazyBody(v, stop); }
#if TV_LZSS_SSE2_CLONE
    TV_TARGET_SSE2 uint32_t ParseLazySse2(uint32_t v, uint32_t stop) { return ParseLazyBody(v, stop); }
#endif

    // Greedy, except that a short match yields to a clearly longer one at the next position: with
    // a literal at 9 bits against 17 for any reference, only short matches are worth deferring.
    [[gnu::always_inline]] inline uint32_t ParseLazyBody(uint32_t v, uint32_t stop) {
        Writer out = out_;  // a local copy stays in registers across the byte stores
        const uint32_t lazyMax = params_.lazyMax;
        uint32_t lastDist = lastDist_;
        InsertUpTo(v);
        Match m = SearchAt(v, lastDist);
        while (v < stop) {
            if (out.Size() >= limit_) break;
            if (m.len == 0) {
                // The misses in a row and the positions the skip passes over go out as one run of
                // literals: in incompressible data (coded audio) a whole window, long enough to be
                // streamed (Writer::Literals). The probes are the same as with a run per miss, and
                // the size limit is checked after each, as it would be then.
                const uint32_t runStart = v;
                do {
                    const uint32_t skip = std::min(SkipAfterMiss(), stop - v - 1);
                    v += 1 + skip;
                    __builtin_prefetch(At(std::min(v + kPrefetchProbes * (1 + skip), stop)));
                    insertedTo_ = std::max(insertedTo_, v);
                    InsertUpTo(v);
                    m = SearchAt(v, skip <= kRepProbeMaxSkip ? lastDist : 0);
                } while (m.len == 0 && v < stop && out.SizeAfterLiterals(v - runStart) < limit_);
                out.Literals(At(runStart), v - runStart);
                continue;
            }
            misses_ = 0;
            if (m.len <= lazyMax) {
                InsertUpTo(v + 1);
                const Match next = SearchAt(v + 1, m.dist);
                if (next.len >= m.len + (m.len == kMinMatch ? 1 : 2)) {
                    out.Literal(*At(v));
                    ++v;
                    m = next;
                    continue;
                }
            }
            out.Reference(v, m.dist, m.len);
            lastDist = m.dist;
            v += m.len;
            InsertUpTo(v);
            m = SearchAt(v, lastDist);
        }
        out_ = out;
        lastDist_ = lastDist;
        return v;
    }

    uint32_t ParseOptimal(uint32_t v, uint32_t stop) {
        while (v < stop) {
            const uint32_t count = std::min(kBlock, stop - v);
            if (tree_) {
                FindAllTree(v, count);
            } else {
                FindAllChain(v, count);
            }
            // Cheapest parse from each position to the block end. With exact matches (tree) every
            // length is tried; the chain levels try the two longest only, as shorter ones almost never
            // pay. Ties go to the reference: fewer items expand faster.
            const uint32_t* const found = found_.data();
            uint32_t* const costs = costs_.data();
            uint8_t* const choice = choice_.data();
            costs[count] = 0;
            uint32_t next = 0;  // costs[i + 1], kept out of memory: this loop is one long dependency
            if (tree_) {
                for (uint32_t i = count; i-- != 0;) {
                    uint32_t best = next + kLiteralCost;
                    uint32_t take = 1;
                    const uint32_t longest = std::min(found[i] & 0xFFu, count - i);
                    for (uint32_t len = longest; len >= kMinMatch; --len) {
                        const uint32_t cost = costs[i + len] + kReferenceCost;
                        if (cost <= best) {
                            best = cost;
                            take = len;
                        }
                    }
                    costs[i] = next = best;
                    choice[i] = static_cast<uint8_t>(take);
                }
            } else {
                for (uint32_t i = count; i-- != 0;) {
                    // Without a match both candidates point at i + 1 and cost more than the literal.
                    const uint32_t longest = std::min(found[i] & 0xFFu, count - i);
                    const bool has = longest >= kMinMatch;
                    const uint32_t len1 = has ? longest : 1;
                    const uint32_t len2 = has && longest > kMinMatch ? longest - 1 : len1;
                    const uint32_t cost1 = (len1 == 1 ? next : costs[i + len1]) + kReferenceCost;
                    const uint32_t cost2 = (len2 == 1 ? next : costs[i + len2]) + kReferenceCost;
                    uint32_t best = next + kLiteralCost;
                    uint32_t take = 1;
                    take = cost2 <= best ? len2 : take;
                    best = cost2 <= best ? cost2 : best;
                    take = cost1 <= best ? len1 : take;
                    best = cost1 <= best ? cost1 : best;
                    costs[i] = next = best;
                    choice[i] = static_cast<uint8_t>(take);
                }
            }
            const uint8_t* const data = At(v);
            for (uint32_t i = 0; i < count;) {
                const uint32_t take = choice[i];
                if (take == 1) {
                    out_.Literal(data[i]);
                } else {
                    out_.Reference(v + i, found[i] >> 8, take);
                }
                i += take;
            }
            v += count;
            if (out_.Size() >= limit_) return v;
        }
        return v;
    }

    const uint8_t* src_;
    uint32_t endV_;
    LevelParams params_;
    uint32_t skipShift_;
    size_t limit_;
    bool sse2_;
    Writer out_;

    std::vector<uint8_t> window_;
    // Where At() reads: the window buffer, or the source itself between the first and last window.
    const uint8_t* view_ = nullptr;
    uint32_t viewStartV_ = 0;
    uint32_t windowStartV_ = 0;
    uint32_t windowEndV_ = 0;
    std::unique_ptr<HashChain> chain_;
    std::unique_ptr<BinaryTree> tree_;
    uint32_t misses_ = 0;
    uint32_t insertedTo_ = kVBase;
    uint32_t lastDist_ = 0;

    std::vector<uint32_t> found_;
    std::vector<uint32_t> costs_;
    std::vector<uint8_t> choice_;
};

}  // namespace

uint32_t CompressWith(const uint8_t* src, uint32_t n, uint8_t* dst, const EncodeOptions& options) {
    if (n > kMaxInputSize) return 0;
    if (n == 0) return 0;
    EncodeOptions checked = options;
    if (!IsValidLevel(checked.level)) checked.level = kLevelDefault;
    Encoder encoder(src, n, dst, checked);
    const uint32_t size = encoder.Run();
    if (checked.withXor) ApplyXor(dst, size);
    return size;
}

}  // namespace tvapi::lzss::detail
