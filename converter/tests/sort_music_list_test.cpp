// SortMusicList: grouping by folder, and the exact order the partition exchange leaves among
// entries of one folder, checked against a literal transcription of the procedure on random,
// slow-shaped and full tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "sort_music_list.h"

namespace tavrin {
namespace {

MusicList Table(const std::vector<std::u16string>& folders) {
    MusicList list;
    for (size_t k = 0; k < folders.size(); ++k) {
        list.emplace_back();
        list.back().Folder = folders[k];
        list.back().Index = static_cast<int32_t>(100 + k);  // tells equal folders apart
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

TEST(SortMusicList, GroupsByCodeUnitsAndSortsOnlyTheGivenRange) {
    MusicList list = Table({u"b", u"a", u"", u"b", u"ab", u"a", u"\uFF21", u"\U0001F3B5", u""});
    SortMusicList(list, 0, MusicCount(list) - 1);
    std::vector<std::u16string> folders;
    for (const MusicEntry& e : list) folders.push_back(e.Folder);
    // Empty folders first, a prefix before its extensions, and a surrogate pair (0xD83C...)
    // before U+FF21: code units, not code points.
    EXPECT_EQ(folders,
              (std::vector<std::u16string>{u"", u"", u"a", u"a", u"ab", u"b", u"b", u"\U0001F3B5", u"\uFF21"}));
    MusicList range = Table({u"z", u"y", u"c", u"b", u"a", u"x"});
    SortMusicList(range, 1, 4);
    EXPECT_EQ(Indexes(range), (std::vector<int32_t>{100, 104, 103, 102, 101, 105}));
    MusicList empty;
    SortMusicList(empty, 0, -1);
    EXPECT_TRUE(empty.empty());
}

TEST(SortMusicList, LeavesTheSameOrderAsTheProcedure) {
    std::vector<std::vector<std::u16string>> tables;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        const uint32_t size = random() % 300;
        const uint32_t folders = 1 + random() % (seed % 4 == 0 ? 1000 : 12);  // few: many equal folders
        tables.emplace_back();
        for (uint32_t k = 0; k < size; ++k)
            tables.back().push_back(random() % 10 == 0 ? u"" : Name(random() % folders));
    }
    // Its slow shapes: ascending in threes, descending in pairs, rotated by one, organ pipe, all equal.
    const int32_t n = 3000;
    tables.resize(tables.size() + 5);
    for (int32_t k = 0; k < n; ++k) {
        const int32_t values[] = {k / 3, (n - k) / 2, (k + 1) % n / 2, std::min(k, n - k) / 2, 0};
        for (int s = 0; s < 5; ++s) tables[tables.size() - 5 + s].push_back(Name(100000u + values[s]));
    }
    for (size_t t = 0; t < tables.size(); ++t) {
        MusicList list = Table(tables[t]);
        MusicList expected = list;
        if (list.size() >= 2) ReferenceSort(expected, 0, MusicCount(list) - 1);
        SortMusicList(list, 0, MusicCount(list) - 1);
        ASSERT_EQ(Indexes(list), Indexes(expected)) << "table " << t;
    }
}

TEST(SortMusicList, AFullTableInAnyOrderIsGrouped) {
    const int32_t n = kMusicListCapacity;
    std::mt19937 random(20240611);
    std::vector<std::vector<std::u16string>> shapes(4);
    for (int32_t k = 0; k < n; ++k) {
        shapes[0].push_back(Name(random() % 5000));
        shapes[1].push_back(Name(static_cast<uint32_t>(100000 + k / 2)));
        shapes[2].push_back(Name(static_cast<uint32_t>(100000 + n - k)));
        shapes[3].push_back(Name(static_cast<uint32_t>(k % 7)));
    }
    for (size_t s = 0; s < shapes.size(); ++s) {
        MusicList list = Table(shapes[s]);
        SortMusicList(list, 0, n - 1);
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                                   [](const MusicEntry& a, const MusicEntry& b) { return a.Folder < b.Folder; }))
            << "shape " << s;
        std::vector<int32_t> indexes = Indexes(list), all(static_cast<size_t>(n));
        std::sort(indexes.begin(), indexes.end());
        std::iota(all.begin(), all.end(), 100);
        EXPECT_EQ(indexes, all) << "every entry once, shape " << s;
    }
}

}  // namespace
}  // namespace tavrin
