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

const char* const kPatterns[] = {"random",     "sorted",       "reversed",          "all-equal",
                                 "organ-pipe", "few-distinct", "median-of-3-killer"};

std::vector<uint32_t> Keys(int pattern, size_t n, uint32_t seed) {
    std::vector<uint32_t> k(n);
    std::mt19937 rng(seed);
    const size_t half = n / 2;
    for (size_t i = 0; i < n; ++i) {
        const auto r = static_cast<uint32_t>(rng());
        const uint32_t values[] = {
            r, static_cast<uint32_t>(i), static_cast<uint32_t>(n - i), 7, static_cast<uint32_t>(i < half ? i : n - i),
            r % 3,
            // Musser's sequence: defeats median-of-three pivots at every level.
            static_cast<uint32_t>(i < half ? (i % 2 == 0 ? i + 1 : half + i) : 2 * (i - half + 1))};
        k[i] = values[pattern];
    }
    if (pattern == 6 && n % 2) k[n - 1] = static_cast<uint32_t>(n);
    return k;
}

// Elements of any width: the key first (its low byte for width 1), then bytes derived from the
// element's original position so that a torn or duplicated element shows.
std::vector<uint8_t> Make(const std::vector<uint32_t>& keys, size_t width) {
    std::vector<uint8_t> bytes(keys.size() * width);
    for (size_t i = 0; i < keys.size(); ++i) {
        std::memcpy(&bytes[i * width], &keys[i], std::min<size_t>(width, 4));
        for (size_t j = 4; j < width; ++j) bytes[i * width + j] = static_cast<uint8_t>(i * 31 + j * 7);
    }
    return bytes;
}

std::vector<std::string> Elements(const std::vector<uint8_t>& bytes, size_t width) {
    std::vector<std::string> v;
    for (size_t i = 0; i < bytes.size(); i += width) v.emplace_back(reinterpret_cast<const char*>(&bytes[i]), width);
    return v;
}

size_t g_width = 4;
long long g_calls = 0;
uintptr_t g_lowestFrame = 0;

uint32_t KeyAt(const void* p) {
    uint32_t k = 0;
    std::memcpy(&k, p, std::min<size_t>(g_width, 4));
    return g_width < 4 ? k & 0xFF : k;
}

int32_t TVAPI_CALL CompareKeys(const void* a, const void* b) {
    ++g_calls;
    const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (g_lowestFrame == 0 || frame < g_lowestFrame) g_lowestFrame = frame;
    // Any sign-carrying values, not just -1, 0, 1.
    return (KeyAt(a) < KeyAt(b) ? -1000 : KeyAt(a) > KeyAt(b) ? 7 : 0);
}

TEST(QuickSort, SortsEveryPatternAndWidthLikeStdSortWithoutTearingElements) {
    for (const size_t width : {1, 4, 8, 12, 33}) {
        for (int p = 0; p < 7; ++p) {
            for (const size_t n : {2, 3, 5, 13, 64, 1000, 4099}) {
                SCOPED_TRACE(std::string(kPatterns[p]) + " width " + std::to_string(width) + " n " + std::to_string(n));
                const std::vector<uint8_t> before = Make(Keys(p, n, 12345), width);
                std::vector<uint8_t> after = before;
                g_width = width;
                QuickSort(after.data(), static_cast<int32_t>(n), static_cast<int32_t>(width), CompareKeys);
                for (size_t i = 1; i < n; ++i) ASSERT_LE(KeyAt(&after[(i - 1) * width]), KeyAt(&after[i * width])) << i;
                auto a = Elements(before, width), b = Elements(after, width);
                std::sort(a.begin(), a.end());
                std::sort(b.begin(), b.end());
                ASSERT_TRUE(a == b) << "elements were torn, lost or duplicated";
            }
        }
    }
    std::vector<uint8_t> data = {5, 4, 3, 2, 1};
    g_width = 1;
    g_calls = 0;
    for (const auto& [count, width] : {std::pair{0, 1}, {1, 1}, {-3, 1}, {5, 0}, {5, -1}}) {
        QuickSort(data.data(), count, width, CompareKeys);
    }
    QuickSort(nullptr, 5, 1, CompareKeys);
    QuickSort(data.data(), 5, 1, nullptr);
    EXPECT_EQ(g_calls, 0) << "nothing to sort or bad arguments";
    EXPECT_EQ(data, (std::vector<uint8_t>{5, 4, 3, 2, 1}));
}

std::mt19937 g_chaos(99);
int32_t TVAPI_CALL CompareRandomly(const void*, const void*) { return static_cast<int32_t>(g_chaos() % 3) - 1; }

TEST(QuickSort, SurvivesAnInconsistentComparatorWithAPermutation) {
    for (const size_t n : {2, 17, 500, 5000}) {
        const std::vector<uint8_t> before = Make(Keys(0, n, 99), 12);
        std::vector<uint8_t> after = before;
        QuickSort(after.data(), static_cast<int32_t>(n), 12, CompareRandomly);
        auto a = Elements(before, 12), b = Elements(after, 12);
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
    int gas = 0, solid = 0, candidate = 0;
} g_adversary;

int32_t TVAPI_CALL CompareAdversarially(const void* pa, const void* pb) {
    Adversary& a = g_adversary;
    ++g_calls;
    int x, y;
    std::memcpy(&x, pa, 4);
    std::memcpy(&y, pb, 4);
    if (a.value[x] == a.gas && a.value[y] == a.gas) a.value[x == a.candidate ? x : y] = a.solid++;
    if (a.value[x] == a.gas) a.candidate = x;
    if (a.value[x] != a.gas && a.value[y] == a.gas) a.candidate = y;
    return a.value[x] < a.value[y] ? -1 : a.value[x] > a.value[y] ? 1 : 0;
}

long long AdversarialCalls(size_t n) {
    g_adversary = {std::vector<int>(n, static_cast<int>(n)), static_cast<int>(n)};
    std::vector<int> items(n);
    for (size_t i = 0; i < n; ++i) items[i] = static_cast<int>(i);
    g_calls = 0;
    QuickSort(items.data(), static_cast<int32_t>(n), 4, CompareAdversarially);
    for (size_t i = 1; i < n; ++i) EXPECT_LE(g_adversary.value[items[i - 1]], g_adversary.value[items[i]]);
    return g_calls;
}

TEST(QuickSort, ComparisonsGrowLikeNLogNAndTheStackStaysSmall) {
    // Loose bounds on counts, never on time: at most 4 n log2 n comparisons, and growing from n to
    // 16 n by far less than the 256-fold of a quadratic sort.
    g_width = 4;
    for (const size_t n : {size_t{1} << 10, size_t{1} << 14}) {
        const double bound = 4.0 * static_cast<double>(n) * std::log2(static_cast<double>(n));
        for (int p = 0; p < 7; ++p) {
            if (p == 5) continue;  // few distinct keys: the count depends on the seed
            std::vector<uint8_t> a = Make(Keys(p, n, 7), 4);
            g_calls = 0;
            QuickSort(a.data(), static_cast<int32_t>(n), 4, CompareKeys);
            EXPECT_LT(static_cast<double>(g_calls), bound) << kPatterns[p] << " n " << n;
        }
        EXPECT_LT(static_cast<double>(AdversarialCalls(n)), bound) << "adversary n " << n;
    }
    const double growth =
        static_cast<double>(AdversarialCalls(size_t{1} << 14)) / static_cast<double>(AdversarialCalls(size_t{1} << 10));
    EXPECT_LT(growth, 16.0 * 14.0 / 10.0 * 1.5);
    // Recursing into the larger part would need one frame per element on these inputs: megabytes
    // for 200000 elements. Into the smaller part it is at most log2(n) frames.
    for (int p : {0, 1, 3, 4, 6}) {
        std::vector<uint8_t> a = Make(Keys(p, 200000, 3), 4);
        g_lowestFrame = 0;
        const auto top = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        QuickSort(a.data(), 200000, 4, CompareKeys);
        EXPECT_LT(top - g_lowestFrame, 64u * 1024u) << kPatterns[p];
    }
}

}  // namespace
