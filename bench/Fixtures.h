#pragma once
// Realistic catalog data for benchmarks, made once per process.

#include "catalog/LineList.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace kt::bench {

// Track lines of a large collection: drive and network paths, nested
// folders, "Artist - Title" names with umlauts and punctuation, tag parts.
const TLineList& TrackLines(size_t count);

// A new folder below the system's temporary folder, named prefix + a unique part.
std::filesystem::path MakeTempFolder(const std::string& prefix);

// Folder lines of a large collection ("Baum.txt"): drive and network roots,
// genre, artist and album folders (umlauts, letter-case variants, "CD 1" and
// "CD 2" below some albums), each artist's folders together as a scan lists
// them, now and then a folder twice.
const TLineList& FolderLines(size_t count);

}  // namespace kt::bench
