// Groups the song table by folder before the descriptors are written.
#pragma once

#include <cstdint>

#include "music_list.h"

namespace tavrin {

// Sorts entries lo ... hi (inclusive) ascending by Folder, comparing UTF-16 code units, a prefix
// first. The order among entries of one folder is the one a partition exchange with the last
// entry as travelling pivot leaves, so every run of the converter groups a list the same way.
// Fewer than two entries are left as they are. Stack depth stays logarithmic whatever the input.
void SortMusicList(MusicList& list, int32_t lo, int32_t hi);

}  // namespace tavrin
