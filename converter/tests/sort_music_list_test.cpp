// SortMusicList: grouping by folder, the exact order the partition exchange leaves among entries
// of one folder (checked against a literal transcription of the procedure), and large or
// adversarial tables.
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
        MusicEntry e;
        e.Folder = folders[k];
        e.Index = static_cast<int32_t>(100 + k);  // tells equal folders apart
        list.push_back(e);
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
        if (i < j) {
            std::swap(list[i], list[j]);
            continue;
        }
        break;
    }
    if (lo < i - 1) ReferenceSort(list, lo, i - 1);
    if (j + 1 < hi) ReferenceSort(list, j + 1, hi);
}

MusicList ReferenceSorted(MusicList list) {
    if (list.size() >= 2) ReferenceSort(list, 0, static_cast<int32_t>(list.size()) - 1);
    return list;
}

bool GroupedAscending(const MusicList& list) {
    return std::is_sorted(list.begin(), list.end(),
                          [](const MusicEntry& a, const MusicEntry& b) { return a.Folder < b.Folder; });
}

std::u16string Name(uint32_t n) {
    std::string ascii = "f" + std::to_string(n);
    return std::u16string(ascii.begin(), ascii.end());
}

TEST(SortMusicList, GroupsEqualFoldersAndSortsByCodeUnits) {
    MusicList list = Table({u"b", u"a", u"", u"b", u"ab", u"a", u"\uFF21", u"\U0001F3B5", u""});
    SortMusicList(list, 0, MusicCount(list) - 1);
    std::vector<std::u16string> folders;
    for (const MusicEntry& e : list) folders.push_back(e.Folder);
    // Empty folders first, a prefix before its extensions, and a surrogate pair (0xD83C...)
    // before U+FF21: code units, not code points.
    EXPECT_EQ(folders,
              (std::vector<std::u16string>{u"", u"", u"a", u"a", u"ab", u"b", u"b", u"\U0001F3B5", u"\uFF21"}));
}

TEST(SortMusicList, EmptyOneEntryAndAscendingTablesAreLeftAsTheyAre) {
    MusicList empty;
    SortMusicList(empty, 0, -1);
    EXPECT_TRUE(empty.empty());

    MusicList one = Table({u"z"});
    SortMusicList(one, 0, 0);
    EXPECT_EQ(Indexes(one), (std::vector<int32_t>{100}));

    MusicList ascending = Table({u"a", u"a", u"b", u"c", u"c", u"c", u"d"});
    std::vector<int32_t> before = Indexes(ascending);
    SortMusicList(ascending, 0, MusicCount(ascending) - 1);
    EXPECT_EQ(Indexes(ascending), before);
}

TEST(SortMusicList, SortsOnlyTheGivenRange) {
    MusicList list = Table({u"z", u"y", u"c", u"b", u"a", u"x"});
    SortMusicList(list, 1, 4);
    EXPECT_EQ(Indexes(list), (std::vector<int32_t>{100, 104, 103, 102, 101, 105}));
}

TEST(SortMusicList, LeavesTheSameOrderAsTheProcedureOnRandomTables) {
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        const uint32_t size = random() % 300;
        const uint32_t folders = 1 + random() % (seed % 4 == 0 ? 1000 : 12);  // few: many equal folders
        std::vector<std::u16string> names;
        for (uint32_t k = 0; k < size; ++k) names.push_back(random() % 10 == 0 ? u"" : Name(random() % folders));
        MusicList list = Table(names);
        MusicList expected = ReferenceSorted(list);
        SortMusicList(list, 0, MusicCount(list) - 1);
        ASSERT_EQ(Indexes(list), Indexes(expected)) << "seed " << seed;
    }
}

TEST(SortMusicList, LeavesTheSameOrderAsTheProcedureOnItsSlowShapes) {
    const int32_t n = 3000;
    std::vector<std::vector<std::u16string>> shapes(5);
    for (int32_t k = 0; k < n; ++k) {
        shapes[0].push_back(Name(static_cast<uint32_t>(100000 + k / 3)));                   // ascending in threes
        shapes[1].push_back(Name(static_cast<uint32_t>(100000 + (n - k) / 2)));             // descending in pairs
        shapes[2].push_back(Name(static_cast<uint32_t>(100000 + (k + 1) % n / 2)));         // rotated by one
        shapes[3].push_back(Name(static_cast<uint32_t>(100000 + std::min(k, n - k) / 2)));  // organ pipe
        shapes[4].push_back(u"same");
    }
    for (size_t s = 0; s < shapes.size(); ++s) {
        MusicList list = Table(shapes[s]);
        MusicList expected = ReferenceSorted(list);
        SortMusicList(list, 0, n - 1);
        EXPECT_EQ(Indexes(list), Indexes(expected)) << "shape " << s;
    }
}

TEST(SortMusicList, AFullTableInAnyOrderIsGrouped) {
    const int32_t n = kMusicListCapacity;
    const uint32_t seed = 20240611;
    std::mt19937 random(seed);
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
        EXPECT_TRUE(GroupedAscending(list)) << "shape " << s << " seed " << seed;
        std::vector<int32_t> indexes = Indexes(list);
        std::sort(indexes.begin(), indexes.end());
        std::vector<int32_t> all(static_cast<size_t>(n));
        std::iota(all.begin(), all.end(), 100);
        EXPECT_EQ(indexes, all) << "every entry once, shape " << s;
    }
}

}  // namespace
}  // namespace tavrin
