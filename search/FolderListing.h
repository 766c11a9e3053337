#pragma once
// Browsing by folder: the tracks that lie directly in a folder of the tree,
// finding a search hit's folder in the tree, and the file path of an entry.
//
// A track line's path ends at its first ".mp3 [" (FindMp3Bracket); folder
// and file name are cut from that path only, so brackets in folder names and
// backslashes in tags ("AC\DC") do not move them. Lines without that
// boundary are cut as a whole.

#include "catalog/Catalog.h"
#include "catalog/FolderTree.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

class TResultList;

// The full path of a tree node from its captions joined by "\": a path whose
// second character is no ":" is a network path and gets "\\" in front.
std::string NodeFolderPath(std::string_view joinedCaptions);

// Fills list (cleared first, one model reset) with the tracks lying directly
// in folder: a line belongs when it starts with folder and a "\" in any ASCII
// letter case, and the rest of its path holds no further "\". Each entry is
// the line without its folder part. folder is in upper case without a
// trailing "\"; an empty folder lists nothing. Returns the number of entries.
size_t ListFolder(const TCatalog& catalog, std::string_view folder, TResultList& list);

// Where a search hit lies: its folder with the trailing "\" (empty when the
// path holds no "\"), the folder's components (each the text before the next
// "\", so a network path starts with two empty ones) and the entry after the
// folder (file name and tag part).
struct TRevealTarget {
  std::string_view Folder;
  std::vector<std::string_view> Components;
  std::string_view Name;
};
TRevealTarget RevealTargetOf(std::string_view entry);

// Walks the components down the tree: among the current candidates (at first
// the top-level nodes) the node whose caption equals the component exactly is
// reached and its children become the candidates; a component without such a
// node is passed over. Returns the nodes reached, from the top down.
std::vector<TFolderNode*> WalkFolderPath(const TFolderTree& tree, const std::vector<std::string_view>& components);

// The first row of list whose text equals name ignoring letter case
// (Windows-1252 letters); -1 when there is none.
long long FindEntryIgnoringCase(const TResultList& list, std::string_view name);

// The file path of an entry as it is copied to the clipboard: the bytes
// before the " [" that ends the path (the first " [" for a line without the
// ".mp3 [" boundary; nothing without any " ["), with currentFolder and a "\"
// in front when the path holds no "\" (an entry of a folder listing).
std::string CopiedEntryPath(std::string_view entry, std::string_view currentFolder);

}  // namespace kt
