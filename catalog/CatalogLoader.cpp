#include "catalog/CatalogLoader.h"

#include "catalog/CatalogFiles.h"
#include "search/FoldSearchKey.h"

#include <algorithm>

namespace kt {

void LoadCatalog(const std::filesystem::path& programFolder, TCatalog& catalog) {
  catalog.Tracks = ReadLineFile(programFolder / kTrackFile);
  catalog.Folders = ReadLineFile(programFolder / kFolderFile);
}

void BuildSearchKeys(TCatalog& catalog) {
  const TLineList& tracks = catalog.Tracks;
  TLineList& keys = catalog.Keys;
  keys.Clear();
  // A key is rarely longer than its line (blanks and most punctuation drop
  // out); the fold of one line writes up to twice its length before it trims,
  // so room for the longest line on top keeps the buffer from moving.
  size_t longest = 0;
  for (std::string_view line : tracks) longest = std::max(longest, line.size());
  keys.Reserve(tracks.size(), tracks.Bytes().size() + 2 * longest + 1);
  // A key is also to be upper-cased in ASCII once more. The fold already
  // upper-cases first and yields only A-Z, digits, ":" and "\", so that pass
  // would change no byte and is left out.
  for (std::string_view line : tracks)
    keys.AppendInPlace([&](std::string& bytes) { AppendFoldedKey(line, bytes); });
}

}  // namespace kt
