#pragma once
// Copying files pair by pair, as a desktop's file manager does: missing
// target folders are made, and a target name that is taken is either
// replaced or given a new name ("x - Kopie.mp3", "x - Kopie (2).mp3", ...).

#include <filesystem>
#include <utility>
#include <vector>

namespace kt {

enum class TCopyCollision { Rename, Overwrite };

struct TCopyPair {
  std::filesystem::path Source, Target;
};

// Copies every pair; a pair that fails does not stop the others. Returns the
// number of files copied.
size_t CopyFiles(const std::vector<TCopyPair>& pairs, TCopyCollision collision);

// The first free name of "stem - Kopie[ (n)]ext" beside the taken target.
std::filesystem::path FreeCopyName(const std::filesystem::path& target);

}  // namespace kt
