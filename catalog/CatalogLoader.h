#pragma once
// Loading the catalog at start-up, and the search keys of its track lines.

#include "catalog/Catalog.h"

#include <filesystem>

namespace kt {

// The track list becomes the lines of "Index.txt" and the folder list those of
// "Baum.txt" in the program folder (a native path), each as it stands, in file
// order; a missing file empties its list. The search keys are left alone:
// BuildSearchKeys comes next.
void LoadCatalog(const std::filesystem::path& programFolder, TCatalog& catalog);

// Rebuilds the search keys from the track list in one pass: key i is the
// folded form of track line i, so the keys stay parallel to the tracks.
void BuildSearchKeys(TCatalog& catalog);

}  // namespace kt
