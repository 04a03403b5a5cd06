// QuickSort through the C interface against std::sort, on the inputs that break naive quicksorts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "tvapi.h"

namespace {

size_t g_width = 4;
long long g_calls = 0;
uintptr_t g_lowestFrame = UINTPTR_MAX;

uint32_t KeyAt(const void* p) {
    uint32_t k = 0;
    std::memcpy(&k, p, std::min<size_t>(g_width, 4));
    return g_width < 4 ? k & 0xFF : k;
}

int32_t TVAPI_CALL CompareKeys(const void* a, const void* b) {
    ++g_calls;
    g_lowestFrame = std::min(g_lowestFrame, reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    return KeyAt(a) < KeyAt(b) ? -1000 : KeyAt(a) > KeyAt(b) ? 7 : 0;  // any sign-carrying values
}

std::mt19937 g_chaos(99);
int32_t TVAPI_CALL CompareRandomly(const void*, const void*) { return static_cast<int32_t>(g_chaos() % 3) - 1; }

// n elements of a width: the key (random, sorted, reversed, equal, organ pipe, few distinct, or
// Musser's sequence that defeats median-of-3 pivots), then bytes from its position, so that a torn
// or duplicated element shows.
std::string Elements(int pattern, uint32_t n, size_t width) {
    std::mt19937 rng(n);
    std::string s(n * width, '\0');
    for (uint32_t i = 0, h = n / 2; i < n; ++i) {
        const auto r = static_cast<uint32_t>(rng()), killer = i < h ? (i % 2 ? h + i : i + 1) : 2 * (i - h + 1);
        const uint32_t keys[] = {r, i, n - i, 7, std::min(i, n - i), r % 3, i + 1 == n && n % 2 ? n : killer};
        std::memcpy(&s[i * width], &keys[pattern], std::min<size_t>(width, 4));
        for (size_t j = 4; j < width; ++j) s[i * width + j] = static_cast<char>(i * 31 + j * 7);
    }
    return s;
}

std::vector<std::string> Sorted(const std::string& s, size_t width) {
    std::vector<std::string> v;
    for (size_t i = 0; i < s.size(); i += width) v.push_back(s.substr(i, width));
    std::sort(v.begin(), v.end());
    return v;
}

TEST(QuickSort, SortsEveryPatternAndWidthWithoutTearingElementsInFewComparisons) {
    for (const size_t width : {1, 4, 12, 33}) {
        for (int p = 0; p < 7; ++p) {
            for (const uint32_t n : {2, 3, 5, 13, 64, 1000, 4099}) {
                SCOPED_TRACE("pattern " + std::to_string(p) + " width " + std::to_string(width) + " n " +
                             std::to_string(n));
                std::string s = Elements(p, n, width), chaos = s;
                g_width = width;
                g_calls = 0;
                QuickSort(s.data(), static_cast<int32_t>(n), static_cast<int32_t>(width), CompareKeys);
                for (size_t i = 1; i < n; ++i) ASSERT_LE(KeyAt(&s[(i - 1) * width]), KeyAt(&s[i * width])) << i;
                ASSERT_EQ(Sorted(s, width), Sorted(Elements(p, n, width), width)) << "torn, lost or duplicated";
                // At most 4 n log2 n comparisons; few distinct keys depend on the seed.
                if (p != 5 && n > 64) EXPECT_LT(g_calls, 4.0 * n * std::log2(n));
                // An inconsistent comparator still leaves a permutation.
                if (width != 12) continue;
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

TEST(QuickSort, AnAdversaryGetsNoQuadraticCountAndTheStackStaysSmall) {
    for (const int n : {1 << 10, 1 << 14}) {
        g_adversary = {std::vector<int>(n, n), n};
        std::vector<int> items(n);
        for (int i = 0; i < n; ++i) items[i] = i;
        g_calls = 0;
        QuickSort(items.data(), n, 4, CompareAdversarially);
        EXPECT_LT(g_calls, 4.0 * n * std::log2(n)) << n;
        for (int i = 1; i < n; ++i) ASSERT_LE(g_adversary.value[items[i - 1]], g_adversary.value[items[i]]);
    }
    // Recursing into the larger part would need one frame per element on these inputs: megabytes
    // for 200000 elements. Into the smaller part it is at most log2(n) frames.
    g_width = 4;
    for (int p : {0, 1, 3, 4, 6}) {
        std::string s = Elements(p, 200000, 4);
        g_lowestFrame = UINTPTR_MAX;
        const auto top = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        QuickSort(s.data(), 200000, 4, CompareKeys);
        EXPECT_LT(top - g_lowestFrame, 64u * 1024u) << "pattern " << p;
    }
}

}  // namespace
