#include "catalog/FolderTree.h"

#include "catalog/Collation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace kt {

// ---------------------------------------------------------------- progress

TTreeProgress::TTreeProgress(size_t lines, bool logDomain) : n_(lines), logDomain_(logDomain) {
  log101_ = std::log(1.01);
  denom_ = std::expm1(-double(n_) * log101_);
}

TTreeProgress::TTreeProgress(size_t lines) : TTreeProgress(lines, false) {
  // The literal scale as long as it is finite, so short lists get exactly the
  // positions of the plain formula.
  const double grown = std::pow(1.01, double(n_));
  d_ = (grown - 1) / double(n_);
  logDomain_ = !(std::isfinite(grown) && std::isfinite(d_) && d_ > 0);
}

TTreeProgress TTreeProgress::InLogDomain(size_t lines) { return TTreeProgress(lines, true); }

size_t TTreeProgress::At(size_t line) const {
  if (n_ == 0) return 0;
  const double k = double(line) + 1;
  double p;
  if (!logDomain_) {
    p = (std::pow(1.01, k) - 1) / d_;
  } else {
    // (1.01^k - 1) / (1.01^n - 1) with both powers divided by 1.01^n.
    p = double(n_) * std::exp((k - double(n_)) * log101_) * std::expm1(-k * log101_) / denom_;
  }
  p = std::nearbyint(p);  // the default rounding mode: halves to even
  if (!(p > 0)) return 0;  // NaN included
  if (p >= double(n_)) return n_;
  return size_t(p);
}

int LoadingProgress(size_t done, size_t total) {
  if (total == 0) return 0;
  return int(std::nearbyint(10000.0 * double(done) / double(total)));
}

// ---------------------------------------------------------------- tree

const std::vector<TFolderNode*>& TFolderTree::ChildrenOf(const TFolderNode* parent) const {
  return parent ? parent->Children : roots_;
}

void TFolderTree::Clear() {
  nodes_.clear();
  roots_.clear();
  slots_.clear();
}

uint64_t TFolderTree::Hash(const TFolderNode* parent, std::string_view caption) {
  uint64_t h = std::hash<std::string_view>{}(caption);
  h ^= (parent ? uint64_t(parent->Id) + 1 : 0) * 0x9E3779B97F4A7C15ull;
  // Mix, so that the low bits that pick the slot depend on all bits.
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 29;
  return h;
}

void TFolderTree::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : 2 * old.size(), Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (!s.node) continue;
    size_t i = size_t(s.hash) & mask;
    while (slots_[i].node) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

TFolderNode* TFolderTree::FindChildNode(const TFolderNode* parent, std::string_view caption) const {
  if (slots_.empty()) return nullptr;
  const uint64_t h = Hash(parent, caption);
  const size_t mask = slots_.size() - 1;
  for (size_t i = size_t(h) & mask; slots_[i].node; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.hash == h && s.node->Parent == parent && s.node->Caption == caption) return s.node;
  }
  return nullptr;
}

TFolderNode* TFolderTree::FindOrAppend(TFolderNode* parent, std::string_view caption) {
  if (2 * (nodes_.size() + 1) > slots_.size()) Grow();
  const uint64_t h = Hash(parent, caption);
  const size_t mask = slots_.size() - 1;
  size_t i = size_t(h) & mask;
  for (; slots_[i].node; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.hash == h && s.node->Parent == parent && s.node->Caption == caption) return s.node;
  }
  TFolderNode& node = nodes_.emplace_back();
  node.Caption.assign(caption);
  node.Parent = parent;
  node.Id = uint32_t(nodes_.size() - 1);
  std::vector<TFolderNode*>& siblings = parent ? parent->Children : roots_;
  node.Row = int(siblings.size());
  siblings.push_back(&node);
  slots_[i] = Slot{h, &node};
  return &node;
}

void TFolderTree::Build(const TLineList& folders, const TProgress& progress) {
  Clear();
  const size_t n = folders.size();
  if (n == 0) return;
  const TTreeProgress scale(n);
  // Room for about one new node per line (a scan adds mostly the leaf)
  // before the hash has to grow.
  size_t slots = 1024;
  while (slots < 2 * n) slots *= 2;
  slots_.assign(slots, Slot{});
  // The folder list comes in scan order, so a line mostly repeats the first
  // components of the line before it. The nodes of those are known: the walk
  // takes them over as long as the components agree and looks up only the rest.
  struct Step {
    std::string_view component;
    TFolderNode* node;
  };
  std::vector<Step> previous, walk;
  for (size_t i = 0; i < n; ++i) {
    std::string_view s = folders[i];
    if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') s.remove_prefix(2);  // a network path
    walk.clear();
    TFolderNode* parent = nullptr;
    bool same = true;  // every component so far equals the previous line's
    for (;;) {
      const void* bs = std::memchr(s.data(), '\\', s.size());
      // The last component is the rest (empty after a trailing backslash).
      const size_t len = bs ? size_t(static_cast<const char*>(bs) - s.data()) : s.size();
      const std::string_view component = s.substr(0, len);
      const size_t depth = walk.size();
      same = same && depth < previous.size() && previous[depth].component == component;
      parent = same ? previous[depth].node : FindOrAppend(parent, component);
      walk.push_back({component, parent});
      if (!bs) break;
      s.remove_prefix(len + 1);
    }
    std::swap(previous, walk);
    if (progress) progress(scale.At(i), n);
  }
  Order();
}

void TFolderTree::Order() {
  const TCollator collator = TCollator::FolderTree();

  // Sort keys, all in one buffer, made only for nodes that have siblings and
  // once per distinct caption: a collection repeats its folder names ("CD 1",
  // "Live", the genres) under many parents. A top-level node sorts by its
  // caption with the first byte moved to the end: d: as :d, so the ":" puts
  // every drive before every server, and a server srv as rvs.
  std::string keys;
  std::unordered_map<std::string_view, std::pair<size_t, size_t>> known;
  auto keyOf = [&](std::string_view caption) {
    auto [it, made] = known.try_emplace(caption, 0, 0);
    if (made) {
      const size_t start = keys.size();
      collator.AppendSortKey(caption, keys);
      it->second = {start, keys.size() - start};
    }
    return it->second;
  };

  // Captions that differ in bytes can still collate equal (control bytes and
  // the soft hyphen are ignorable). Between those, the sort keeps the order in
  // which the folder list first named them, so the tree does not depend on
  // the sort algorithm.
  // Each level sorts (key, node) pairs, so a comparison touches only the two keys.
  std::vector<std::pair<std::pair<size_t, size_t>, TFolderNode*>> sorting;
  auto sortLevel = [&](std::vector<TFolderNode*>& level, const std::vector<std::string>* rotated) {
    if (level.size() < 2) return;  // a single node keeps row 0
    sorting.clear();
    for (size_t r = 0; r < level.size(); ++r)
      sorting.emplace_back(keyOf(rotated ? std::string_view((*rotated)[r]) : std::string_view(level[r]->Caption)),
                           level[r]);
    const std::string_view all = keys;  // complete now: no key is made while sorting
    std::stable_sort(sorting.begin(), sorting.end(), [&](const auto& a, const auto& b) {
      return all.substr(a.first.first, a.first.second) < all.substr(b.first.first, b.first.second);
    });
    for (size_t r = 0; r < level.size(); ++r) {
      level[r] = sorting[r].second;
      level[r]->Row = int(r);
    }
  };

  std::vector<std::string> rotated;
  rotated.reserve(roots_.size());
  for (TFolderNode* node : roots_) {
    node->ImageIndex = node->SelectedIndex = node->Caption.find(':') != std::string::npos ? fiDrive : fiServer;
    std::string r = node->Caption;
    if (!r.empty()) std::rotate(r.begin(), r.begin() + 1, r.end());
    rotated.push_back(std::move(r));
  }
  sortLevel(roots_, &rotated);
  known.clear();  // the rotated captions are gone with this level
  for (TFolderNode& node : nodes_) sortLevel(node.Children, nullptr);
}

std::string TFolderTree::PathOf(const TFolderNode* node) {
  if (!node) return {};
  size_t length = 0;
  for (const TFolderNode* n = node; n; n = n->Parent) length += n->Caption.size() + 1;
  std::string path(length - 1, '\\');
  size_t end = path.size();
  for (const TFolderNode* n = node; n; n = n->Parent) {
    end -= n->Caption.size();
    std::memcpy(path.data() + end, n->Caption.data(), n->Caption.size());
    if (end) --end;  // the backslash in front stays
  }
  return path;
}

bool TFolderTree::SetExpanded(TFolderNode& node, bool expanded) {
  node.Expanded = expanded;
  const int from = expanded ? fiClosedFolder : fiOpenFolder;
  const int to = expanded ? fiOpenFolder : fiClosedFolder;
  if (node.ImageIndex != from) return false;
  node.ImageIndex = node.SelectedIndex = to;
  return true;
}

}  // namespace kt
