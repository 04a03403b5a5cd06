#include "sort_music_list.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace tavrin {
namespace {

// The partition exchange over folder ranks, moving positions in perm alongside. The ranks keep
// every comparison the folders would give, so the resulting order is the same, but comparing
// integers keeps the procedure's slow cases (a list nearly in order) fast.
class RankSort {
public:
    RankSort(std::vector<int32_t>& keys, std::vector<int32_t>& perm) : keys_(keys), perm_(perm) {}

    void Sort(int32_t lo, int32_t hi) {
        // Recurse into the smaller side, loop on the larger: at most log2(n) frames.
        while (lo < hi) {
            if (NonDecreasing(lo, hi)) return;  // the procedure would leave it exactly as it is
            int32_t i = lo;
            int32_t j = hi;
            for (;;) {
                while (i < j && keys_[i] <= keys_[j]) ++i;
                if (i < j) Swap(i, j);
                while (i < j && keys_[i] <= keys_[j]) --j;
                if (i >= j) break;
                Swap(i, j);
            }
            // i = j is the pivot's final place; the two sides are sorted independently.
            if (i - lo < hi - j) {
                Sort(lo, i - 1);
                lo = j + 1;
            } else {
                Sort(j + 1, hi);
                hi = i - 1;
            }
        }
    }

private:
    bool NonDecreasing(int32_t lo, int32_t hi) const {
        for (int32_t k = lo; k < hi; ++k)
            if (keys_[k] > keys_[k + 1]) return false;
        return true;
    }
    void Swap(int32_t a, int32_t b) {
        std::swap(keys_[a], keys_[b]);
        std::swap(perm_[a], perm_[b]);
    }

    std::vector<int32_t>& keys_;
    std::vector<int32_t>& perm_;
};

}  // namespace

void SortMusicList(MusicList& list, int32_t lo, int32_t hi) {
    lo = std::max(lo, 0);
    hi = std::min(hi, MusicCount(list) - 1);
    if (lo >= hi) return;
    const int32_t n = hi - lo + 1;
    auto folder = [&](int32_t k) -> const std::u16string& { return list[static_cast<size_t>(lo + k)].Folder; };

    // Dense ranks of the folders: equal folders share a rank.
    std::vector<int32_t> byFolder(static_cast<size_t>(n));
    std::iota(byFolder.begin(), byFolder.end(), 0);
    std::sort(byFolder.begin(), byFolder.end(), [&](int32_t a, int32_t b) { return folder(a) < folder(b); });
    std::vector<int32_t> keys(static_cast<size_t>(n));
    int32_t rank = 0;
    for (int32_t k = 0; k < n; ++k) {
        if (k > 0 && folder(byFolder[k - 1]) != folder(byFolder[k])) ++rank;
        keys[static_cast<size_t>(byFolder[k])] = rank;
    }

    std::vector<int32_t> perm;
    if (rank == n - 1) {
        perm = std::move(byFolder);  // all folders differ: there is only one ascending order
    } else {
        perm.resize(static_cast<size_t>(n));
        std::iota(perm.begin(), perm.end(), 0);
        RankSort(keys, perm).Sort(0, n - 1);
    }

    std::vector<MusicEntry> sorted;
    sorted.reserve(static_cast<size_t>(n));
    for (int32_t k : perm) sorted.push_back(std::move(list[static_cast<size_t>(lo + k)]));
    std::move(sorted.begin(), sorted.end(), list.begin() + lo);
}

}  // namespace tavrin
