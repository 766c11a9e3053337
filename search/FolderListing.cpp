#include "search/FolderListing.h"

#include "catalog/TrackLine.h"
#include "platform/Cp1252.h"
#include "search/ResultList.h"

namespace kt {

namespace {

// The length of a track line's path: up to the blank before its ".mp3 ["
// boundary, the whole line without one.
size_t PathLength(std::string_view line) {
  const size_t bracket = FindMp3Bracket(line);
  return bracket == std::string_view::npos ? line.size() : bracket - 1;
}

bool StartsWithFolder(std::string_view line, std::string_view folder) {
  if (line.size() <= folder.size() || line[folder.size()] != '\\') return false;
  for (size_t i = 0; i < folder.size(); ++i)
    if (AsciiUpper(line[i]) != folder[i]) return false;
  return true;
}

}  // namespace

std::string NodeFolderPath(std::string_view joinedCaptions) {
  std::string path;
  if (joinedCaptions.size() < 2 || joinedCaptions[1] != ':') path = "\\\\";
  path += joinedCaptions;
  return path;
}

size_t ListFolder(const TCatalog& catalog, std::string_view folder, TResultList& list) {
  list.BeginUpdate();
  list.Clear();
  if (!folder.empty()) {
    const TLineList& tracks = catalog.Tracks;
    const size_t skip = folder.size() + 1;
    for (size_t i = 0; i < tracks.size(); ++i) {
      const std::string_view line = tracks[i];
      if (!StartsWithFolder(line, folder)) continue;
      const size_t end = PathLength(line);
      if (end < skip || line.substr(skip, end - skip).find('\\') == std::string_view::npos)
        list.AppendTrack(i, skip);
    }
  }
  list.EndUpdate();
  return list.size();
}

TRevealTarget RevealTargetOf(std::string_view entry) {
  TRevealTarget t;
  const size_t slash = entry.substr(0, PathLength(entry)).rfind('\\');
  const size_t folderLength = slash == std::string_view::npos ? 0 : slash + 1;
  t.Folder = entry.substr(0, folderLength);
  t.Name = entry.substr(folderLength);
  for (size_t from = 0; from < folderLength;) {
    const size_t next = entry.find('\\', from);
    t.Components.push_back(entry.substr(from, next - from));
    from = next + 1;
  }
  return t;
}

std::vector<TFolderNode*> WalkFolderPath(const TFolderTree& tree, const std::vector<std::string_view>& components) {
  std::vector<TFolderNode*> reached;
  for (std::string_view c : components)
    if (TFolderNode* n = tree.FindChildNode(reached.empty() ? nullptr : reached.back(), c)) reached.push_back(n);
  return reached;
}

long long FindEntryIgnoringCase(const TResultList& list, std::string_view name) {
  for (size_t i = 0; i < list.size(); ++i)
    if (Cp1252EqualsIgnoreCase(list.Text(i), name)) return static_cast<long long>(i);
  return -1;
}

std::string CopiedEntryPath(std::string_view entry, std::string_view currentFolder) {
  const size_t bracket = FindMp3Bracket(entry);
  size_t length = bracket == std::string_view::npos ? entry.find(" [") : bracket - 1;
  if (length == std::string_view::npos) length = 0;
  std::string path(entry.substr(0, length));
  if (path.find('\\') == std::string::npos) path = std::string(currentFolder) + "\\" + path;
  return path;
}

}  // namespace kt
