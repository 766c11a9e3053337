#pragma once
// The folder tree: the folders of the catalog's folder list as a tree of path
// components, with the images the tree view shows for them.
//
// Each node's caption is one component of a folder path (Windows-1252
// bytes); the top-level nodes are the drives ("d:") and the servers of
// network paths ("srv" for \\srv\share). The tree is data only; a view
// reaches it through TFolderTreeModel.

#include "catalog/LineList.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

// Images of the tree's image list.
enum TFolderImage : int {
  fiClosedFolder = 0,  // every node below the top level
  fiOpenFolder = 1,    // an expanded folder node
  fiDrive = 2,         // a top-level node whose caption holds a ":"
  fiServer = 5,        // any other top-level node (the server of a network path)
};

struct TFolderNode {
  std::string Caption;
  int ImageIndex = fiClosedFolder;
  int SelectedIndex = fiClosedFolder;
  bool Expanded = false;
  TFolderNode* Parent = nullptr;       // none for a top-level node
  std::vector<TFolderNode*> Children;  // in tree order
  int Row = 0;                         // position among its parent's children (or the top-level nodes)
  uint32_t Id = 0;                     // position in the order the nodes were made
};

// The gauge positions of the tree build: after folder line i (0-based) of n,
// Round((1.01^(i+1) - 1) / d) with d = (1.01^n - 1) / n, halves to even. The
// position grows exponentially with the line number and reaches n with the
// last line. Where 1.01^n leaves the range of a double (n >= 71333) the same
// mapping is computed as n * 1.01^(i+1-n) * (1 - 1.01^-(i+1)) / (1 - 1.01^-n),
// which stays finite.
class TTreeProgress {
 public:
  explicit TTreeProgress(size_t lines);
  // The second form for every n (it agrees with the first where both exist).
  static TTreeProgress InLogDomain(size_t lines);

  size_t At(size_t line) const;
  bool LogDomain() const { return logDomain_; }

 private:
  TTreeProgress(size_t lines, bool logDomain);
  size_t n_;
  bool logDomain_;
  double d_ = 0;         // the scale of the literal form
  double log101_ = 0;    // log 1.01
  double denom_ = 0;     // expm1(-n log 1.01)
};

// The splash gauge (range 0 to 10000) after done of total steps:
// Round(10000 * done / total), halves to even; 0 when total is 0.
int LoadingProgress(size_t done, size_t total);

class TFolderTree {
 public:
  // Called once per folder line with the gauge position p (0..n) and n.
  using TProgress = std::function<void(size_t position, size_t total)>;

  TFolderTree() = default;
  TFolderTree(TFolderTree&&) noexcept = default;
  TFolderTree& operator=(TFolderTree&&) noexcept = default;
  TFolderTree(const TFolderTree&) = delete;
  TFolderTree& operator=(const TFolderTree&) = delete;

  // Rebuilds the tree from the folder lines. A line starting with "\\" loses
  // those two bytes; the rest splits at every "\" into components, and each
  // line walks down from the top level, appending a node for every component
  // not yet there. Then the top-level nodes get their images (drive or
  // server) and every level is sorted in the folder-tree collation: the
  // top-level nodes by their caption with its first byte moved to the end
  // (so drives sort before servers), all others by their plain caption.
  void Build(const TLineList& folders, const TProgress& progress = {});
  void Clear();

  bool empty() const { return roots_.empty(); }
  size_t NodeCount() const { return nodes_.size(); }
  const std::vector<TFolderNode*>& TopLevel() const { return roots_; }
  // The children of a node, or the top-level nodes for none.
  const std::vector<TFolderNode*>& ChildrenOf(const TFolderNode* parent) const;

  // The child of parent (the top-level node for none) whose caption equals
  // caption byte for byte, letter case included; none when there is none.
  // Siblings never share a caption, so it is also the first such node.
  TFolderNode* FindChildNode(const TFolderNode* parent, std::string_view caption) const;

  // The captions from the top level down to the node, joined by "\". A node
  // below a server gives the path without the leading "\\" of the network path.
  static std::string PathOf(const TFolderNode* node);

  // Expanding shows the open folder, collapsing the closed one; nodes with
  // other images (drives, servers) keep them. True when the image changed.
  static bool SetExpanded(TFolderNode& node, bool expanded);

 private:
  TFolderNode* FindOrAppend(TFolderNode* parent, std::string_view caption);
  void Order();

  // Open-addressing hash of (parent, caption) over all nodes: a lookup costs
  // one probe sequence instead of a walk along the siblings.
  struct Slot {
    uint64_t hash = 0;
    TFolderNode* node = nullptr;
  };
  static uint64_t Hash(const TFolderNode* parent, std::string_view caption);
  void Grow();

  std::deque<TFolderNode> nodes_;  // stable addresses, in the order they were made
  std::vector<TFolderNode*> roots_;
  std::vector<Slot> slots_;
};

}  // namespace kt
