#include "sort.h"

#include <cstring>

namespace tvapi::sort {
namespace {

// Ranges this short are finished by insertion sort.
constexpr size_t kInsertionThreshold = 12;

// kWidth is the element width when it is known at compile time (the common 4 and 8 bytes, swapped
// as one word), or 0 for any width, swapped in chunks.
template <size_t kWidth>
class Sorter {
public:
    Sorter(unsigned char* base, size_t width, Compare compare)
        : base_(base), width_(kWidth != 0 ? kWidth : width), compare_(compare) {}

    void Run(size_t count) {
        size_t depthLimit = 0;
        for (size_t n = count; n > 1; n >>= 1) depthLimit += 2;
        Introsort(0, count, depthLimit);
    }

private:
    unsigned char* At(size_t i) const { return base_ + i * width_; }
    bool Less(size_t a, size_t b) const { return compare_(At(a), At(b)) < 0; }

    void Swap(size_t a, size_t b) const {
        if (a == b) return;
        unsigned char* p = At(a);
        unsigned char* q = At(b);
        if constexpr (kWidth != 0) {
            unsigned char t[kWidth];
            std::memcpy(t, p, kWidth);
            std::memcpy(p, q, kWidth);
            std::memcpy(q, t, kWidth);
            return;
        }
        unsigned char chunk[64];
        for (size_t left = width_; left > 0;) {
            const size_t n = left < sizeof chunk ? left : sizeof chunk;
            std::memcpy(chunk, p, n);
            std::memcpy(p, q, n);
            std::memcpy(q, chunk, n);
            p += n;
            q += n;
            left -= n;
        }
    }

    // Sorts [lo, hi). Recursion only ever goes into the smaller part; the larger one is handled by
    // the loop, so the stack holds at most log2(n) frames.
    void Introsort(size_t lo, size_t hi, size_t depthLimit) {
        while (hi - lo > kInsertionThreshold) {
            if (depthLimit == 0) {
                HeapSort(lo, hi);
                return;
            }
            --depthLimit;
            const size_t split = Partition(lo, hi);
            // [lo, split) <= pivot == element at split <= [split + 1, hi)
            if (split - lo < hi - (split + 1)) {
                Introsort(lo, split, depthLimit);
                lo = split + 1;
            } else {
                Introsort(split + 1, hi, depthLimit);
                hi = split;
            }
        }
        InsertionSort(lo, hi);
    }

    // Median of first, middle and last moves to lo as the pivot. Hoare-style scan that stops on
    // elements equal to the pivot, so runs of equal keys split evenly instead of degrading.
    size_t Partition(size_t lo, size_t hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const size_t last = hi - 1;
        if (Less(mid, lo)) Swap(mid, lo);
        if (Less(last, mid)) {
            Swap(last, mid);
            if (Less(mid, lo)) Swap(mid, lo);
        }
        // lo <= mid <= last: the median becomes the pivot at lo.
        Swap(lo, mid);
        size_t i = lo;
        size_t j = hi;
        for (;;) {
            do ++i;
            while (i < last && Less(i, lo));
            // The pivot is not less than itself, so the scan stops at lo at the latest; the bound
            // holds it there when the caller's comparator says otherwise.
            do --j;
            while (j > lo && Less(lo, j));
            if (i >= j) break;
            Swap(i, j);
        }
        Swap(lo, j);
        return j;
    }

    void InsertionSort(size_t lo, size_t hi) {
        for (size_t i = lo + 1; i < hi; ++i) {
            for (size_t j = i; j > lo && Less(j, j - 1); --j) Swap(j, j - 1);
        }
    }

    void SiftDown(size_t lo, size_t root, size_t n) {
        for (;;) {
            size_t child = 2 * root + 1;
            if (child >= n) return;
            if (child + 1 < n && Less(lo + child, lo + child + 1)) ++child;
            if (!Less(lo + root, lo + child)) return;
            Swap(lo + root, lo + child);
            root = child;
        }
    }

    void HeapSort(size_t lo, size_t hi) {
        const size_t n = hi - lo;
        for (size_t i = n / 2; i-- > 0;) SiftDown(lo, i, n);
        for (size_t end = n; end-- > 1;) {
            Swap(lo, lo + end);
            SiftDown(lo, 0, end);
        }
    }

    unsigned char* base_;
    size_t width_;
    Compare compare_;
};

}  // namespace

void Sort(void* first, size_t count, size_t width, Compare compare) {
    if (first == nullptr || compare == nullptr || count <= 1 || width == 0) return;
    auto* base = static_cast<unsigned char*>(first);
    switch (width) {
        case 4:
            Sorter<4>(base, width, compare).Run(count);
            break;
        case 8:
            Sorter<8>(base, width, compare).Run(count);
            break;
        default:
            Sorter<0>(base, width, compare).Run(count);
            break;
    }
}

}  // namespace tvapi::sort
