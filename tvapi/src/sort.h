// QuickSort: an in-place sort of fixed-width elements through a C comparator.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tvapi.h"

namespace tvapi::sort {

using Compare = int32_t(TVAPI_CALL*)(const void*, const void*);

// Introsort: median-of-three quicksort that always recurses into the smaller part (stack depth
// at most log2(count)), switches to heap sort when partitioning goes badly (O(n log n) on every
// input, adversarial ones included) and finishes short ranges with insertion sort. Not stable.
// The comparator's sign is used, so any negative or positive value works. count <= 1 or
// width == 0 does nothing.
void Sort(void* first, size_t count, size_t width, Compare compare);

}  // namespace tvapi::sort
