// QuickSort through the C interface against std::sort, on the inputs that break naive quicksorts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "tvapi.h"

namespace {

using Compare = int32_t(TVAPI_CALL*)(const void*, const void*);
size_t g_width = 4;
long long g_calls = 0;
uintptr_t g_lowestFrame = 0;

// Random, sorted, reversed, all equal, organ pipe, few distinct, and Musser's median-of-3 killer.
std::vector<uint32_t> Keys(int pattern, uint32_t n) {
    std::vector<uint32_t> k(n);
    std::mt19937 rng(n);
    for (uint32_t i = 0, h = n / 2; i < n; ++i) {
        const auto r = static_cast<uint32_t>(rng()), killer = i < h ? (i % 2 == 0 ? i + 1 : h + i) : 2 * (i - h + 1);
        k[i] =
            std::vector<uint32_t>{r, i, n - i, 7, i < h ? i : n - i, r % 3, i + 1 == n && n % 2 ? n : killer}[pattern];
    }
    return k;
}

// Elements of any width: the key first (its low byte for width 1), then bytes from the element's
// original position so that a torn or duplicated element shows.
std::vector<std::string> Make(const std::vector<uint32_t>& keys, size_t width) {
    std::vector<std::string> v;
    for (size_t i = 0; i < keys.size(); ++i) {
        v.emplace_back(width, '\0');
        std::memcpy(v.back().data(), &keys[i], std::min<size_t>(width, 4));
        for (size_t j = 4; j < width; ++j) v.back()[j] = static_cast<char>(i * 31 + j * 7);
    }
    return v;
}

uint32_t KeyAt(const void* p) {
    uint32_t k = 0;
    std::memcpy(&k, p, std::min<size_t>(g_width, 4));
    return g_width < 4 ? k & 0xFF : k;
}

int32_t TVAPI_CALL CompareKeys(const void* a, const void* b) {
    ++g_calls;
    const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (g_lowestFrame == 0 || frame < g_lowestFrame) g_lowestFrame = frame;
    return KeyAt(a) < KeyAt(b) ? -1000 : KeyAt(a) > KeyAt(b) ? 7 : 0;  // any sign-carrying values
}

std::mt19937 g_chaos(99);
int32_t TVAPI_CALL CompareRandomly(const void*, const void*) { return static_cast<int32_t>(g_chaos() % 3) - 1; }

// Sorts, and checks the result is a permutation of the input (sorted, unless the comparator lies).
std::string Sort(std::vector<std::string> v, size_t width, Compare compare) {
    std::string bytes;
    for (const auto& e : v) bytes += e;
    g_width = width;
    QuickSort(bytes.data(), static_cast<int32_t>(v.size()), static_cast<int32_t>(width), compare);
    std::vector<std::string> after;
    for (size_t i = 0; i < bytes.size(); i += width) after.push_back(bytes.substr(i, width));
    for (size_t i = 1; compare == CompareKeys && i < v.size(); ++i)
        EXPECT_LE(KeyAt(&after[i - 1][0]), KeyAt(&after[i][0]));
    std::sort(v.begin(), v.end());
    std::sort(after.begin(), after.end());
    EXPECT_TRUE(v == after) << "elements were torn, lost or duplicated";
    return bytes;
}

TEST(QuickSort, SortsEveryPatternAndWidthWithoutTearingElements) {
    for (const size_t width : {1, 4, 8, 12, 33}) {
        for (int p = 0; p < 7; ++p) {
            for (const uint32_t n : {2, 3, 5, 13, 64, 1000, 4099}) {
                SCOPED_TRACE("pattern " + std::to_string(p) + " width " + std::to_string(width) + " n " +
                             std::to_string(n));
                Sort(Make(Keys(p, n), width), width, CompareKeys);
                if (width == 12) Sort(Make(Keys(p, n), width), width, CompareRandomly);
            }
        }
    }
    std::vector<uint8_t> data = {5, 4, 3, 2, 1};
    g_calls = 0;
    for (const auto& [count, width] : {std::pair{0, 1}, {1, 1}, {-3, 1}, {5, 0}, {5, -1}})
        QuickSort(data.data(), count, width, CompareKeys);
    QuickSort(nullptr, 5, 1, CompareKeys);
    QuickSort(data.data(), 5, 1, nullptr);
    EXPECT_EQ(g_calls, 0) << "nothing to sort or bad arguments";
    EXPECT_EQ(data, (std::vector<uint8_t>{5, 4, 3, 2, 1}));
}

// McIlroy's adversary ("A Killer Adversary for Quicksort", 1999): values are fixed lazily, always
// so as to make the current pivot candidate as bad as possible.
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

TEST(QuickSort, ComparisonsGrowLikeNLogNAndTheStackStaysSmall) {
    // Loose bounds on counts, never on time: at most 4 n log2 n comparisons.
    for (const uint32_t n : {1u << 10, 1u << 14}) {
        const double bound = 4.0 * n * std::log2(n);
        for (int p : {0, 1, 2, 3, 4, 6}) {
            g_calls = 0;
            Sort(Make(Keys(p, n), 4), 4, CompareKeys);
            EXPECT_LT(g_calls, bound) << "pattern " << p << " n " << n;
        }
        g_adversary = {std::vector<int>(n, n), static_cast<int>(n)};
        std::vector<int> items(n);
        for (uint32_t i = 0; i < n; ++i) items[i] = i;
        g_calls = 0;
        QuickSort(items.data(), n, 4, CompareAdversarially);
        EXPECT_LT(g_calls, bound) << "adversary n " << n;
        for (size_t i = 1; i < n; ++i) ASSERT_LE(g_adversary.value[items[i - 1]], g_adversary.value[items[i]]);
    }
    // Recursing into the larger part would need one frame per element on these inputs: megabytes
    // for 200000 elements. Into the smaller part it is at most log2(n) frames.
    g_width = 4;
    for (int p : {0, 1, 3, 4, 6}) {
        std::vector<uint32_t> a = Keys(p, 200000);
        g_lowestFrame = 0;
        const auto top = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        QuickSort(a.data(), 200000, 4, CompareKeys);
        EXPECT_LT(top - g_lowestFrame, 64u * 1024u) << "pattern " << p;
    }
}

}  // namespace
