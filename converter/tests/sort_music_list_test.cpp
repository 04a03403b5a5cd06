// SortMusicList leaves the entries of one folder in the order a literal transcription of the
// partition exchange leaves them, on random and slow-shaped tables, and groups a full table.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "sort_music_list.h"

namespace tavrin {
namespace {

MusicList Table(const std::vector<std::u16string>& folders) {
    MusicList list(folders.size());
    for (size_t k = 0; k < folders.size(); ++k) {
        list[k].Folder = folders[k];
        list[k].Index = static_cast<int32_t>(100 + k);  // tells equal folders apart
    }
    return list;
}

std::vector<int32_t> Indexes(const MusicList& list) {
    std::vector<int32_t> out;
    for (const MusicEntry& e : list) out.push_back(e.Index);
    return out;
}

// The procedure step by step, on whole entries, recursing into both sides.
void ReferenceSort(MusicList& list, int32_t lo, int32_t hi) {
    int32_t i = lo, j = hi;
    for (;;) {
        while (i < j && !(list[i].Folder > list[j].Folder)) ++i;
        if (i < j) std::swap(list[i], list[j]);
        while (i < j && !(list[i].Folder > list[j].Folder)) --j;
        if (i >= j) break;
        std::swap(list[i], list[j]);
    }
    if (lo < i - 1) ReferenceSort(list, lo, i - 1);
    if (j + 1 < hi) ReferenceSort(list, j + 1, hi);
}

std::u16string Name(uint32_t n) {
    const std::string ascii = "f" + std::to_string(n);
    return std::u16string(ascii.begin(), ascii.end());
}

TEST(SortMusicList, LeavesTheSameOrderAsTheProcedureAndGroupsAFullTable) {
    // Code units, not code points: a surrogate pair (0xD83C ...) sorts before U+FF21.
    std::vector<std::vector<std::u16string>> tables = {
        {u"b", u"a", u"", u"b", u"ab", u"a", u"\uFF21", u"\U0001F3B5", u""}, {u"z", u"y", u"c", u"b", u"a", u"x"}, {}};
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        const uint32_t size = random() % 300, folders = 1 + random() % (seed % 4 == 0 ? 1000 : 12);
        tables.emplace_back();
        for (uint32_t k = 0; k < size; ++k) tables.back().push_back(random() % 10 ? Name(random() % folders) : u"");
    }
    // Its slow shapes: ascending in threes, descending in pairs, rotated by one, organ pipe, all
    // equal; then full tables in random order, in pairs, descending and with seven folders.
    tables.resize(tables.size() + 9);
    std::mt19937 random(20240611);
    for (int32_t n = 3000, k = 0; k < n; ++k) {
        const int32_t values[] = {k / 3, (n - k) / 2, (k + 1) % n / 2, std::min(k, n - k) / 2, 0};
        for (int s = 0; s < 5; ++s) tables[tables.size() - 9 + s].push_back(Name(100000u + values[s]));
    }
    for (uint32_t n = kMusicListCapacity, k = 0; k < n; ++k) {
        const uint32_t values[] = {static_cast<uint32_t>(random() % 5000), 100000 + k / 2, 100000 + n - k, k % 7};
        for (int s = 0; s < 4; ++s) tables[tables.size() - 4 + s].push_back(Name(values[s]));
    }
    for (size_t t = 0; t < tables.size(); ++t) {
        MusicList list = Table(tables[t]), expected = list;
        // The second table sorts only its middle; the full tables are too slow for the procedure.
        const int32_t lo = t == 1 ? 1 : 0, hi = MusicCount(list) - 1 - (t == 1 ? 1 : 0);
        SortMusicList(list, lo, hi);
        if (t + 4 < tables.size()) {
            if (lo < hi) ReferenceSort(expected, lo, hi);
            ASSERT_EQ(Indexes(list), Indexes(expected)) << "table " << t;
        } else {
            EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](auto& a, auto& b) { return a.Folder < b.Folder; }));
            std::vector<int32_t> indexes = Indexes(list), all(list.size());
            std::sort(indexes.begin(), indexes.end());
            std::iota(all.begin(), all.end(), 100);
            EXPECT_EQ(indexes, all) << "every entry once, table " << t;
        }
    }
}

}  // namespace
}  // namespace tavrin
