// QuickSort through the C interface against std::sort, on the inputs that break naive quicksorts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tvapi.h"

namespace {

// Elements of any width: a 4-byte key at the start (only its low byte for width 1), then a
// payload derived from the element's original position so that a torn or duplicated element
// shows.
struct Array {
    size_t width;
    std::vector<uint8_t> bytes;
    size_t Count() const { return bytes.size() / width; }
    uint32_t Key(size_t i) const {
        if (width < 4) return bytes[i * width];
        uint32_t k;
        std::memcpy(&k, &bytes[i * width], 4);
        return k;
    }
    std::vector<std::string> Elements() const {
        std::vector<std::string> v;
        for (size_t i = 0; i < Count(); ++i) v.emplace_back(reinterpret_cast<const char*>(&bytes[i * width]), width);
        return v;
    }
};

Array Make(const std::vector<uint32_t>& keys, size_t width) {
    Array a{width, std::vector<uint8_t>(keys.size() * width)};
    for (size_t i = 0; i < keys.size(); ++i) {
        uint8_t* e = &a.bytes[i * width];
        if (width < 4) {
            e[0] = static_cast<uint8_t>(keys[i]);
            continue;
        }
        std::memcpy(e, &keys[i], 4);
        for (size_t j = 4; j < width; ++j) e[j] = static_cast<uint8_t>(i * 31 + j * 7);
    }
    return a;
}

size_t g_width = 4;
long long g_calls = 0;

int32_t TVAPI_CALL CompareKeys(const void* a, const void* b) {
    ++g_calls;
    uint32_t x, y;
    if (g_width < 4) {
        x = *static_cast<const uint8_t*>(a);
        y = *static_cast<const uint8_t*>(b);
    } else {
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

enum class Pattern { kRandom, kSorted, kReversed, kAllEqual, kOrganPipe, kFewDistinct, kMedianOfThreeKiller };
const char* Name(Pattern p) {
    switch (p) {
        case Pattern::kRandom:
            return "random";
        case Pattern::kSorted:
            return "sorted";
        case Pattern::kReversed:
            return "reversed";
        case Pattern::kAllEqual:
            return "all-equal";
        case Pattern::kOrganPipe:
            return "organ-pipe";
        case Pattern::kFewDistinct:
            return "few-distinct";
        case Pattern::kMedianOfThreeKiller:
            return "median-of-3-killer";
    }
    return "?";
}

std::vector<uint32_t> Keys(Pattern p, size_t n, uint32_t seed) {
    std::vector<uint32_t> k(n);
    std::mt19937 rng(seed);
    for (size_t i = 0; i < n; ++i) {
        switch (p) {
            case Pattern::kRandom:
                k[i] = static_cast<uint32_t>(rng());
                break;
            case Pattern::kSorted:
                k[i] = static_cast<uint32_t>(i);
                break;
            case Pattern::kReversed:
                k[i] = static_cast<uint32_t>(n - i);
                break;
            case Pattern::kAllEqual:
                k[i] = 7;
                break;
            case Pattern::kOrganPipe:
                k[i] = static_cast<uint32_t>(i < n / 2 ? i : n - i);
                break;
            case Pattern::kFewDistinct:
                k[i] = static_cast<uint32_t>(rng() % 3);
                break;
            case Pattern::kMedianOfThreeKiller:
                break;
        }
    }
    if (p == Pattern::kMedianOfThreeKiller) {
        // Musser's sequence: defeats median-of-three pivots at every level.
        const size_t half = n / 2;
        for (size_t i = 0; i < half; ++i) {
            k[i] = static_cast<uint32_t>(i % 2 == 0 ? i + 1 : half + i);
            k[half + i] = static_cast<uint32_t>(2 * (i + 1));
        }
        if (n % 2) k[n - 1] = static_cast<uint32_t>(n);
    }
    return k;
}

void ExpectSortedLikeStdSort(const Array& before, const Array& after) {
    std::vector<uint32_t> expected;
    for (size_t i = 0; i < before.Count(); ++i) expected.push_back(before.Key(i));
    std::sort(expected.begin(), expected.end());
    for (size_t i = 0; i < after.Count(); ++i) ASSERT_EQ(after.Key(i), expected[i]) << "at " << i;
    auto a = before.Elements();
    auto b = after.Elements();
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    ASSERT_TRUE(a == b) << "elements were torn, lost or duplicated";
}

TEST(QuickSort, MatchesStdSortForEveryPatternAndWidth) {
    const uint32_t seed = 12345;
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (const size_t width : {1, 4, 8, 12, 33}) {
        for (const Pattern p : {Pattern::kRandom, Pattern::kSorted, Pattern::kReversed, Pattern::kAllEqual,
                                Pattern::kOrganPipe, Pattern::kFewDistinct, Pattern::kMedianOfThreeKiller}) {
            for (const size_t n : {2, 3, 5, 13, 64, 1000, 4099}) {
                SCOPED_TRACE(std::string(Name(p)) + " width " + std::to_string(width) + " n " + std::to_string(n));
                const Array before = Make(Keys(p, n, seed), width);
                Array after = before;
                g_width = width;
                QuickSort(after.bytes.data(), static_cast<int32_t>(n), static_cast<int32_t>(width), CompareKeys);
                ExpectSortedLikeStdSort(before, after);
            }
        }
    }
}

TEST(QuickSort, DoesNothingForShortArraysOrBadWidths) {
    std::vector<uint8_t> data = {5, 4, 3, 2, 1};
    const auto original = data;
    g_width = 1;
    g_calls = 0;
    QuickSort(data.data(), 0, 1, CompareKeys);
    QuickSort(data.data(), 1, 1, CompareKeys);
    QuickSort(data.data(), -3, 1, CompareKeys);
    QuickSort(data.data(), 5, 0, CompareKeys);
    QuickSort(data.data(), 5, -1, CompareKeys);
    QuickSort(nullptr, 5, 1, CompareKeys);
    QuickSort(data.data(), 5, 1, nullptr);
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(data, original);
}

int32_t TVAPI_CALL CompareWide(const void* a, const void* b) {
    // Any sign-carrying values, not just -1, 0, 1.
    const int x = *static_cast<const uint8_t*>(a);
    const int y = *static_cast<const uint8_t*>(b);
    return (x - y) * 1000;
}

TEST(QuickSort, UsesOnlyTheSignOfTheComparatorResult) {
    std::vector<uint8_t> data = {9, 200, 3, 3, 0, 255, 17};
    QuickSort(data.data(), static_cast<int32_t>(data.size()), 1, CompareWide);
    EXPECT_TRUE(std::is_sorted(data.begin(), data.end()));
}

std::mt19937 g_chaos(99);
int32_t TVAPI_CALL CompareRandomly(const void*, const void*) { return static_cast<int32_t>(g_chaos() % 3) - 1; }

TEST(QuickSort, SurvivesAnInconsistentComparatorWithAPermutation) {
    const uint32_t seed = 99;
    SCOPED_TRACE("seed " + std::to_string(seed));
    g_chaos.seed(seed);
    for (const size_t n : {2, 17, 500, 5000}) {
        const Array before = Make(Keys(Pattern::kRandom, n, seed), 12);
        Array after = before;
        QuickSort(after.bytes.data(), static_cast<int32_t>(n), 12, CompareRandomly);
        auto a = before.Elements();
        auto b = after.Elements();
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_TRUE(a == b) << "n " << n;
    }
}

// McIlroy's adversary ("A Killer Adversary for Quicksort", 1999): values are fixed lazily, always
// so as to make the current pivot candidate as bad as possible. A quicksort without a fallback
// needs quadratically many comparisons against it.
struct Adversary {
    std::vector<int> value;
    int gas;
    int solid = 0;
    int candidate = 0;
};
Adversary* g_adversary = nullptr;

int32_t TVAPI_CALL CompareAdversarially(const void* pa, const void* pb) {
    Adversary& a = *g_adversary;
    ++g_calls;
    int x, y;
    std::memcpy(&x, pa, 4);
    std::memcpy(&y, pb, 4);
    if (a.value[x] == a.gas && a.value[y] == a.gas) a.value[x == a.candidate ? x : y] = a.solid++;
    if (a.value[x] == a.gas) {
        a.candidate = x;
    } else if (a.value[y] == a.gas) {
        a.candidate = y;
    }
    return a.value[x] < a.value[y] ? -1 : a.value[x] > a.value[y] ? 1 : 0;
}

long long AdversarialCalls(size_t n) {
    Adversary adversary;
    adversary.gas = static_cast<int>(n);
    adversary.value.assign(n, adversary.gas);
    std::vector<int> items(n);
    for (size_t i = 0; i < n; ++i) items[i] = static_cast<int>(i);
    g_adversary = &adversary;
    g_calls = 0;
    QuickSort(items.data(), static_cast<int32_t>(n), 4, CompareAdversarially);
    for (size_t i = 1; i < n; ++i) EXPECT_LE(adversary.value[items[i - 1]], adversary.value[items[i]]);
    return g_calls;
}

long long Calls(Pattern p, size_t n) {
    Array a = Make(Keys(p, n, 7), 4);
    g_width = 4;
    g_calls = 0;
    QuickSort(a.bytes.data(), static_cast<int32_t>(n), 4, CompareKeys);
    return g_calls;
}

TEST(QuickSort, ComparisonsGrowLikeNLogNEvenAgainstAnAdversary) {
    // Loose bounds on counts, never on time: at most 4 n log2 n comparisons, and growing from n to
    // 16 n by far less than the 256-fold of a quadratic sort.
    for (const size_t n : {size_t{1} << 10, size_t{1} << 14}) {
        const double bound = 4.0 * static_cast<double>(n) * std::log2(static_cast<double>(n));
        for (const Pattern p : {Pattern::kRandom, Pattern::kSorted, Pattern::kReversed, Pattern::kAllEqual,
                                Pattern::kOrganPipe, Pattern::kMedianOfThreeKiller}) {
            EXPECT_LT(static_cast<double>(Calls(p, n)), bound) << Name(p) << " n " << n;
        }
        EXPECT_LT(static_cast<double>(AdversarialCalls(n)), bound) << "adversary n " << n;
    }
    const double growth =
        static_cast<double>(AdversarialCalls(size_t{1} << 14)) / static_cast<double>(AdversarialCalls(size_t{1} << 10));
    EXPECT_LT(growth, 16.0 * 14.0 / 10.0 * 1.5);
}

// Stack use, read from frame addresses inside the comparator.
uintptr_t g_lowestFrame = 0;
int32_t TVAPI_CALL CompareAndWatchTheStack(const void* a, const void* b) {
    const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (g_lowestFrame == 0 || frame < g_lowestFrame) g_lowestFrame = frame;
    return CompareKeys(a, b);
}

TEST(QuickSort, StackDepthStaysSmallOnEveryInput) {
    // Recursing into the larger part would need one frame per element on these inputs: megabytes
    // for 200000 elements. Into the smaller part it is at most log2(n) frames.
    const size_t n = 200000;
    for (const Pattern p :
         {Pattern::kSorted, Pattern::kOrganPipe, Pattern::kMedianOfThreeKiller, Pattern::kAllEqual, Pattern::kRandom}) {
        Array a = Make(Keys(p, n, 3), 4);
        g_width = 4;
        g_lowestFrame = 0;
        const auto top = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        QuickSort(a.bytes.data(), static_cast<int32_t>(n), 4, CompareAndWatchTheStack);
        EXPECT_LT(top - g_lowestFrame, 64u * 1024u) << Name(p);
        for (size_t i = 1; i < n; ++i) ASSERT_LE(a.Key(i - 1), a.Key(i));
    }
}

}  // namespace
