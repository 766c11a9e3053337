#pragma once
// Realistic catalog data for benchmarks, made once per process.

#include "catalog/LineList.h"

#include <cstddef>

namespace kt::bench {

// Track lines of a large collection: drive and network paths, nested
// folders, "Artist - Title" names with umlauts and punctuation, tag parts.
const TLineList& TrackLines(size_t count);

}  // namespace kt::bench
