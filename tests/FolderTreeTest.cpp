#include "catalog/Collation.h"
#include "catalog/FolderTree.h"
#include "catalog/FolderTreeModel.h"
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace kt {
namespace {

// ---------------------------------------------------------------- collation

int Sign(int v) { return (v > 0) - (v < 0); }

struct Pair {
  std::string a, b;
  int order;  // -1: a sorts first, 0: equal, 1: b sorts first
};

void ExpectOrder(const TCollator& c, const std::vector<Pair>& pairs) {
  for (const Pair& p : pairs) {
    SCOPED_TRACE("\"" + Cp1252ToUtf8(p.a) + "\" vs \"" + Cp1252ToUtf8(p.b) + "\"");
    EXPECT_EQ(Sign(c.Compare(p.a, p.b)), p.order);
    EXPECT_EQ(Sign(c.Compare(p.b, p.a)), -p.order);
    // The sort keys order the texts exactly as Compare does.
    const std::string ka = c.SortKey(p.a), kb = c.SortKey(p.b);
    EXPECT_EQ(Sign(ka.compare(kb)), p.order);
  }
}

TEST(Collation, FolderTreeOrder) {
  ExpectOrder(TCollator::FolderTree(), {
                                           {":", "0", -1},  // punctuation before digits
                                           {"0", "a", -1},  // digits before letters
                                           {":d", "alpha", -1},
                                           {"a", "A", -1},  // letter case breaks ties, lower case first
                                           {"A", "b", -1},  // but only ties
                                           {"ab", "Ab", -1},
                                           {"Ab", "ac", -1},
                                           {"a", "a", 0},
                                           {"Za", "\x8E" "b", -1},  // Ž sorts among the Z
                                           {"\x8E" "b", "Zc", -1},
                                           {"Z", "\x8E", -1},
                                           {"\x9E", "\x8E", -1},  // ž before Ž
                                           {"a b", "a\\b", -1},   // a blank before a backslash
                                           {"a-b", "ab", -1},     // punctuation counts
                                           {"", "a", -1},
                                           {"M\xFCller", "Mueller", 1},
                                           {"M\xFCller", "Mz", -1},
                                           {"sounds 2", "sounds 10", 1},  // character by character
                                       });
}

TEST(Collation, CaseBlindOrder) {
  ExpectOrder(TCollator::CaseBlind(), {
                                          {"ABC", "abc", 0},
                                          {"d:\\Sounds", "D:\\SOUNDS", 0},
                                          {"\x9E", "\x8E", 0},  // ž and Ž
                                          {"Za", "\x8E" "b", -1},
                                          {"\x8E" "b", "zc", -1},
                                          {"Z", "\x8E", -1},  // the accent still counts
                                          {"d:\\a b", "d:\\a\\b", -1},  // a blank before a backslash
                                          {"a-b", "ab", -1},
                                          {":", "0", -1},
                                          {"a", "B", -1},
                                          {"\xC4rger", "Arg", 1},
                                          {"\xC4rger", "b", -1},
                                      });
}

TEST(Collation, LongTextsAndEveryByte) {
  const TCollator c = TCollator::FolderTree();
  std::string all;
  for (int b = 1; b < 256; ++b) all += char(b);
  const std::string longText = std::string(1000, 'x') + all + std::string(2000, '\xE4');
  EXPECT_EQ(c.Compare(longText, longText), 0);
  EXPECT_LT(c.Compare(longText, longText + "a"), 0);
  EXPECT_LT(c.SortKey(longText), c.SortKey(longText + "a"));
  // Keys appended one after another are the keys made one by one.
  std::string appended;
  c.AppendSortKey("abc", appended);
  c.AppendSortKey(longText, appended);
  EXPECT_EQ(appended, c.SortKey("abc") + c.SortKey(longText));
}

// ---------------------------------------------------------------- tree shape

// One line per node in tree order: two blanks per level, the caption, "|" and the image.
void DumpLevel(const std::vector<TFolderNode*>& level, int depth, std::string& out) {
  for (const TFolderNode* n : level) {
    out += std::string(size_t(2 * depth), ' ') + n->Caption + "|" + std::to_string(n->ImageIndex) + "\n";
    DumpLevel(n->Children, depth + 1, out);
  }
}

std::string Dump(const TFolderTree& tree) {
  std::string out;
  DumpLevel(tree.TopLevel(), 0, out);
  return out;
}

// Links, rows and images must agree everywhere; every node is reached once.
size_t CheckStructure(const TFolderTree& tree, const std::vector<TFolderNode*>& level, const TFolderNode* parent) {
  size_t count = 0;
  for (size_t r = 0; r < level.size(); ++r) {
    const TFolderNode* n = level[r];
    EXPECT_EQ(n->Parent, parent);
    EXPECT_EQ(n->Row, int(r));
    EXPECT_EQ(n->ImageIndex, n->SelectedIndex);
    if (!parent)
      EXPECT_EQ(n->ImageIndex, n->Caption.find(':') != std::string::npos ? fiDrive : fiServer);
    else
      EXPECT_EQ(n->ImageIndex, fiClosedFolder);
    EXPECT_EQ(tree.FindChildNode(parent, n->Caption), n);
    count += 1 + CheckStructure(tree, n->Children, n);
  }
  return count;
}

TEST(FolderTree, Shapes) {
  struct Case {
    const char* name;
    TLineList lines;
    std::string tree;
  };
  const Case cases[] = {
      {"shared folders are one node", {"d:\\sounds\\a", "d:\\sounds\\b"}, "d:|2\n  sounds|0\n    a|0\n    b|0\n"},
      {"captions compare with letter case", {"d:\\x", "D:\\x"}, "d:|2\n  x|0\nD:|2\n  x|0\n"},
      {"network path", {"\\\\srv\\share\\music"}, "srv|5\n  share|0\n    music|0\n"},
      {"drives first, servers by their rotated caption", {"d:", "c:", "zeta", "alpha"},
       "c:|2\nd:|2\nzeta|5\nalpha|5\n"},
      {"servers and drives mixed", {"\\\\srv\\x", "d:\\y", "\\\\alpha"}, "d:|2\n  y|0\nalpha|5\nsrv|5\n  x|0\n"},
      {"root of a drive", {"d:"}, "d:|2\n"},
      {"a line twice", {"d:\\a", "d:\\a", "d:"}, "d:|2\n  a|0\n"},
      {"deeper levels by plain caption", {"d:\\zeta", "d:\\alpha"}, "d:|2\n  alpha|0\n  zeta|0\n"},
      {"colon, digits, lower before upper", {"d:\\b", "d:\\B", "d:\\a", "d:\\:x", "d:\\1", "d:\\A"},
       "d:|2\n  :x|0\n  1|0\n  a|0\n  A|0\n  b|0\n  B|0\n"},
      {"Z with its caron among the Z", {"d:\\\x8E" "b", "d:\\Zc", "d:\\Za", "d:\\Y"},
       "d:|2\n  Y|0\n  Za|0\n  \x8E" "b|0\n  Zc|0\n"},
      {"every level sorted", {"e:\\m\\z", "e:\\m\\y", "e:\\b", "c:\\q"}, "c:|2\n  q|0\ne:|2\n  b|0\n  m|0\n    y|0\n    z|0\n"},
      {"a server with a colon counts as a drive", {"\\\\a:b"}, "a:b|2\n"},
      // Lines the indexing run never writes: empty captions, as the walk yields.
      {"empty line", {""}, "|5\n"},
      {"trailing backslash", {"d:\\a\\"}, "d:|2\n  a|0\n    |0\n"},
      {"one backslash", {"\\"}, "|5\n  |0\n"},
      {"two backslashes", {"\\\\"}, "|5\n"},
      {"three backslashes meet one", {"\\\\\\", "\\"}, "|5\n  |0\n"},
      {"empty components inside", {"d:\\\\\\x"}, "d:|2\n  |0\n    |0\n      x|0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFolderTree tree;
    tree.Build(c.lines);
    EXPECT_EQ(Dump(tree), c.tree);
    EXPECT_EQ(CheckStructure(tree, tree.TopLevel(), nullptr), tree.NodeCount());
  }
}

TEST(FolderTree, FindChildNodeComparesBytes) {
  TFolderTree tree;
  EXPECT_EQ(tree.FindChildNode(nullptr, "d:"), nullptr);  // an empty tree
  tree.Build({"d:\\Sounds\\M\xFCller", "\\\\srv\\share"});
  TFolderNode* d = tree.FindChildNode(nullptr, "d:");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(tree.FindChildNode(nullptr, "D:"), nullptr);
  EXPECT_EQ(tree.FindChildNode(nullptr, "\\\\srv"), nullptr);
  TFolderNode* srv = tree.FindChildNode(nullptr, "srv");
  ASSERT_NE(srv, nullptr);
  EXPECT_EQ(tree.FindChildNode(nullptr, "Sounds"), nullptr);  // not a top-level node
  TFolderNode* sounds = tree.FindChildNode(d, "Sounds");
  ASSERT_NE(sounds, nullptr);
  EXPECT_EQ(tree.FindChildNode(d, "sounds"), nullptr);
  EXPECT_EQ(tree.FindChildNode(srv, "Sounds"), nullptr);  // a child of another node
  EXPECT_NE(tree.FindChildNode(sounds, "M\xFCller"), nullptr);
  EXPECT_EQ(tree.FindChildNode(sounds, "M\xDCller"), nullptr);
  EXPECT_EQ(tree.FindChildNode(sounds, "Muller"), nullptr);

  EXPECT_EQ(TFolderTree::PathOf(tree.FindChildNode(sounds, "M\xFCller")), "d:\\Sounds\\M\xFCller");
  EXPECT_EQ(TFolderTree::PathOf(tree.FindChildNode(srv, "share")), "srv\\share");  // caller adds the "\\"
  EXPECT_EQ(TFolderTree::PathOf(d), "d:");
  EXPECT_EQ(TFolderTree::PathOf(nullptr), "");

  tree.Build({});  // a rebuild forgets the old nodes
  EXPECT_TRUE(tree.empty());
  EXPECT_EQ(tree.NodeCount(), 0u);
  EXPECT_EQ(tree.FindChildNode(nullptr, "d:"), nullptr);
}

TEST(FolderTree, ExpandingSwitchesOnlyFolderImages) {
  TFolderTree tree;
  tree.Build({"d:\\a"});
  TFolderNode& d = *tree.TopLevel()[0];
  TFolderNode& a = *d.Children[0];
  EXPECT_TRUE(TFolderTree::SetExpanded(a, true));
  EXPECT_EQ(a.ImageIndex, fiOpenFolder);
  EXPECT_EQ(a.SelectedIndex, fiOpenFolder);
  EXPECT_TRUE(a.Expanded);
  EXPECT_FALSE(TFolderTree::SetExpanded(a, true));  // already open
  EXPECT_TRUE(TFolderTree::SetExpanded(a, false));
  EXPECT_EQ(a.ImageIndex, fiClosedFolder);
  EXPECT_FALSE(a.Expanded);
  EXPECT_FALSE(TFolderTree::SetExpanded(d, true));  // the drive keeps its image
  EXPECT_EQ(d.ImageIndex, fiDrive);
  EXPECT_TRUE(d.Expanded);
}

// ---------------------------------------------------------------- progress

TEST(FolderTreeProgress, FourLines) {
  std::vector<std::pair<size_t, size_t>> calls;
  std::vector<int> gauge;
  TFolderTree tree;
  tree.Build({"a", "b", "c", "d"}, [&](size_t p, size_t n) {
    calls.emplace_back(p, n);
    gauge.push_back(LoadingProgress(p, n));
  });
  EXPECT_EQ(calls, (std::vector<std::pair<size_t, size_t>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
  EXPECT_EQ(gauge, (std::vector<int>{2500, 5000, 7500, 10000}));
}

TEST(FolderTreeProgress, EmptyListReportsNothing) {
  int calls = 0;
  TFolderTree tree;
  tree.Build({}, [&](size_t, size_t) { ++calls; });
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(tree.empty());
}

TEST(FolderTreeProgress, LoadingGaugeRoundsHalvesToEven) {
  struct Case {
    size_t done, total;
    int gauge;
  };
  for (const Case& c : {Case{1, 20000, 0}, Case{3, 20000, 2}, Case{5, 20000, 2}, Case{7, 20000, 4},
                        Case{1, 3, 3333}, Case{2, 3, 6667}, Case{0, 5, 0}, Case{5, 5, 10000}, Case{1, 0, 0}})
    EXPECT_EQ(LoadingProgress(c.done, c.total), c.gauge) << c.done << " of " << c.total;
}

// Sound for any n: within 0..n, never falling back, n after the last line.
void ExpectSoundSequence(const TTreeProgress& progress, size_t n) {
  size_t previous = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t p = progress.At(i);
    ASSERT_LE(p, n) << "line " << i << " of " << n;
    ASSERT_GE(p, previous) << "line " << i << " of " << n;
    previous = p;
  }
  EXPECT_EQ(progress.At(n - 1), n);
}

TEST(FolderTreeProgress, LiteralFormulaWhereItIsFinite) {
  // The plain formula, as the build step states it.
  auto literal = [](size_t i, size_t n) {
    const double d = (std::pow(1.01, double(n)) - 1) / double(n);
    return std::nearbyint((std::pow(1.01, double(i + 1)) - 1) / d);
  };
  for (size_t n : {size_t(1), size_t(2), size_t(4), size_t(10), size_t(100), size_t(1000), size_t(71332)}) {
    const TTreeProgress progress(n);
    EXPECT_FALSE(progress.LogDomain()) << n;
    for (size_t i = 0; i < n; i += 1 + n / 500) ASSERT_EQ(double(progress.At(i)), literal(i, n)) << i << " of " << n;
    ExpectSoundSequence(progress, n);
  }
  // 1.01^n overflows from here on; the plain formula would give 0 and NaN.
  EXPECT_TRUE(TTreeProgress(71333).LogDomain());
  EXPECT_FALSE(std::isfinite(std::pow(1.01, 71333.0)));
}

TEST(FolderTreeProgress, LogDomainForHugeLists) {
  for (size_t n : {size_t(71333), size_t(200000), size_t(1000000)}) {
    const TTreeProgress progress(n);
    ASSERT_TRUE(progress.LogDomain());
    ExpectSoundSequence(progress, n);
    // The curve keeps its shape: the line before the last stands at n / 1.01,
    // the first lines at 0.
    EXPECT_EQ(double(progress.At(n - 2)), std::nearbyint(double(n) * (std::pow(1.01, -1.0) - std::pow(1.01, -double(n))) /
                                                         (1 - std::pow(1.01, -double(n)))));
    EXPECT_EQ(progress.At(0), 0u);
    EXPECT_EQ(progress.At(n - 1 - 1000), size_t(std::nearbyint(double(n) * std::pow(1.01, -1000.0))));
  }
  // And the build reports it once per line.
  TLineList lines;
  for (size_t i = 0; i < 80000; ++i) lines.Append("d:\\" + std::to_string(i % 97));
  std::vector<size_t> seen;
  TFolderTree tree;
  tree.Build(lines, [&](size_t p, size_t n) {
    EXPECT_EQ(n, 80000u);
    seen.push_back(p);
  });
  ASSERT_EQ(seen.size(), 80000u);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 80000u);
}

TEST(FolderTreeProgress, LogDomainAgreesWithTheLiteralFormula) {
  for (size_t n : {size_t(4), size_t(100), size_t(5000), size_t(71332)}) {
    const TTreeProgress literal(n), logDomain = TTreeProgress::InLogDomain(n);
    ASSERT_FALSE(literal.LogDomain());
    size_t differ = 0;
    for (size_t i = 0; i < n; ++i) {
      const size_t a = literal.At(i), b = logDomain.At(i);
      ASSERT_LE(a > b ? a - b : b - a, 1u) << i << " of " << n;  // off by one only at a rounding tie
      differ += a != b;
    }
    EXPECT_LE(differ, n / 1000 + 1) << n;
  }
}

// ---------------------------------------------------------------- against the plain algorithm

// The tree built exactly as described: a linear search among the siblings for
// every component, then the top-level captions rotated, every level sorted by
// insertion with the collator's Compare, the captions rotated back.
struct TPlainNode {
  std::string caption;
  int image = 0;
  std::vector<std::unique_ptr<TPlainNode>> children;
};
using TPlainLevel = std::vector<std::unique_ptr<TPlainNode>>;

TPlainNode* FindOrAppendPlain(TPlainLevel& level, std::string_view caption) {
  for (auto& n : level)
    if (n->caption == caption) return n.get();
  level.push_back(std::make_unique<TPlainNode>());
  level.back()->caption = std::string(caption);
  return level.back().get();
}

void InsertionSort(TPlainLevel& level, const TCollator& c) {
  for (size_t i = 1; i < level.size(); ++i)
    for (size_t j = i; j > 0 && c.Compare(level[j - 1]->caption, level[j]->caption) > 0; --j)
      std::swap(level[j - 1], level[j]);
  for (auto& n : level) InsertionSort(n->children, c);
}

TPlainLevel BuildPlainly(const TLineList& folders) {
  TPlainLevel roots;
  for (std::string_view line : folders) {
    std::string s(line);
    if (s.rfind("\\\\", 0) == 0) s.erase(0, 2);
    TPlainLevel* level = &roots;
    size_t bs;
    while ((bs = s.find('\\')) != std::string::npos) {
      level = &FindOrAppendPlain(*level, s.substr(0, bs))->children;
      s.erase(0, bs + 1);
    }
    FindOrAppendPlain(*level, s);
  }
  for (auto& n : roots) {
    if (!n->caption.empty()) n->caption = n->caption.substr(1) + n->caption[0];
    n->image = n->caption.find(':') != std::string::npos ? 2 : 5;
  }
  InsertionSort(roots, TCollator::FolderTree());
  for (auto& n : roots)
    if (!n->caption.empty()) n->caption = n->caption.back() + n->caption.substr(0, n->caption.size() - 1);
  return roots;
}

void DumpPlain(const TPlainLevel& level, int depth, std::string& out) {
  for (const auto& n : level) {
    out += std::string(size_t(2 * depth), ' ') + n->caption + "|" + std::to_string(n->image) + "\n";
    DumpPlain(n->children, depth + 1, out);
  }
}

TLineList MixedFolderLines(size_t count, unsigned seed) {
  // Case variants, umlauts, captions that collate equal though their bytes
  // differ (control bytes and the soft hyphen are ignorable), punctuation.
  const std::vector<std::string> roots = {"d:", "D:", "c:", "e:", "z:", ":", "", "\\\\srv", "\\\\SRV", "\\\\srv2",
                                          "\\\\\xC4rger", "\\\\", "\\\\a", "alpha", "Alpha"};
  const std::vector<std::string> parts = {
      "sounds", "Sounds", "SOUNDS", "rock", "Rock", "r\xF6" "ck", "R\xF6" "ck", "1", "10", "2", "-", "_", " a",
      "a",      "a\x01",  "\x01" "a", "\xAD" "a", "a\xAD", "Z", "\x8E" "a", "\x9E", "zeta", ":", "",
      "a b",    "\x80",   "\xDC", "Mueller", "M\xFCller", "CD 1", "cd 1", "x"};
  std::mt19937 rng(seed);
  TLineList lines;
  std::vector<std::string> made;
  while (lines.size() < count) {
    std::string line;
    const unsigned kind = rng() % 6;
    if (!made.empty() && kind == 0) {
      line = made[rng() % made.size()];  // a folder twice
    } else if (!made.empty() && kind <= 2) {
      // As a scan lists them: the folder before shortened at one of its
      // backslashes, then a subfolder or a sibling.
      line = made.back();
      std::vector<size_t> cuts;
      for (size_t at = line.find('\\'); at != std::string::npos; at = line.find('\\', at + 1)) cuts.push_back(at);
      if (!cuts.empty()) line.resize(cuts[rng() % cuts.size()]);
      line += "\\" + parts[rng() % parts.size()];
    } else {
      line = roots[rng() % roots.size()];
      for (int depth = int(rng() % 5); depth > 0; --depth) line += "\\" + parts[rng() % parts.size()];
      if (rng() % 15 == 0) line += "\\";
    }
    made.push_back(line);
    lines.Append(line);
  }
  return lines;
}

TEST(FolderTree, FastBuildEqualsThePlainAlgorithm) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const TLineList lines = MixedFolderLines(3000, seed);
    TFolderTree tree;
    tree.Build(lines);
    std::string plain;
    DumpPlain(BuildPlainly(lines), 0, plain);
    ASSERT_EQ(Dump(tree), plain) << "seed " << seed;
    EXPECT_EQ(CheckStructure(tree, tree.TopLevel(), nullptr), tree.NodeCount());
  }
}

TEST(FolderTree, GarbageLinesBuildASoundTree) {
  std::mt19937 rng(99);
  TLineList lines;
  std::vector<std::string> kept;
  for (int i = 0; i < 3000; ++i) {
    std::string line;
    for (int k = int(rng() % 24); k > 0; --k) {
      const unsigned r = rng() % 8;
      line += r < 3 ? '\\' : r == 3 ? ':' : char(1 + rng() % 255);
    }
    // What the line reader leaves: no line ends inside a line.
    std::replace(line.begin(), line.end(), '\r', 'r');
    std::replace(line.begin(), line.end(), '\n', 'n');
    kept.push_back(line);
    lines.Append(line);
  }
  TFolderTree tree;
  size_t calls = 0;
  tree.Build(lines, [&](size_t p, size_t n) {
    ++calls;
    EXPECT_LE(p, n);
  });
  EXPECT_EQ(calls, kept.size());
  EXPECT_EQ(CheckStructure(tree, tree.TopLevel(), nullptr), tree.NodeCount());
  // Every line leads to a node whose path is the line (without a leading "\\").
  for (const std::string& line : kept) {
    std::string_view s = line;
    if (s.substr(0, 2) == "\\\\") s.remove_prefix(2);
    const TFolderNode* node = nullptr;
    size_t start = 0;
    for (;;) {
      const size_t bs = s.find('\\', start);
      node = tree.FindChildNode(node, s.substr(start, bs == std::string_view::npos ? s.npos : bs - start));
      ASSERT_NE(node, nullptr) << Cp1252ToUtf8(line);
      if (bs == std::string_view::npos) break;
      start = bs + 1;
    }
    EXPECT_EQ(TFolderTree::PathOf(node), s);
  }
}

// ---------------------------------------------------------------- model

// What a view relies on: rows, parents and indexes agree in both directions,
// nothing outside the rows and the one column is valid, and data matches the nodes.
size_t CheckModel(const TFolderTreeModel& m, const QModelIndex& parent) {
  const TFolderNode* node = m.NodeOf(parent);
  const std::vector<TFolderNode*>& kids = m.Tree().ChildrenOf(node);
  EXPECT_EQ(m.rowCount(parent), int(kids.size()));
  EXPECT_EQ(m.columnCount(parent), 1);
  EXPECT_EQ(m.hasChildren(parent), !kids.empty());
  EXPECT_FALSE(m.index(int(kids.size()), 0, parent).isValid());
  EXPECT_FALSE(m.index(-1, 0, parent).isValid());
  EXPECT_FALSE(m.index(0, 1, parent).isValid());
  size_t count = 0;
  for (int r = 0; r < int(kids.size()); ++r) {
    const QModelIndex i = m.index(r, 0, parent);
    EXPECT_TRUE(i.isValid());
    EXPECT_EQ(i.row(), r);
    EXPECT_EQ(i.column(), 0);
    EXPECT_EQ(i.model(), &m);
    EXPECT_EQ(m.parent(i), parent);
    EXPECT_EQ(m.NodeOf(i), kids[size_t(r)]);
    EXPECT_EQ(m.IndexOf(kids[size_t(r)]), i);
    EXPECT_EQ(m.data(i, Qt::DisplayRole).toString(), FromCp1252(kids[size_t(r)]->Caption));
    EXPECT_EQ(m.data(i, TFolderTreeModel::ImageRole).toInt(), kids[size_t(r)]->ImageIndex);
    EXPECT_EQ(m.data(i, TFolderTreeModel::SelectedImageRole).toInt(), kids[size_t(r)]->SelectedIndex);
    EXPECT_EQ(m.flags(i), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    count += 1 + CheckModel(m, i);
  }
  return count;
}

TEST(FolderTreeModel, ConsistentForAView) {
  TFolderTreeModel model;
  EXPECT_EQ(CheckModel(model, {}), 0u);
  model.Rebuild(MixedFolderLines(1500, 5));
  EXPECT_EQ(CheckModel(model, {}), model.Tree().NodeCount());
  EXPECT_FALSE(model.parent({}).isValid());
  EXPECT_FALSE(model.data({}, Qt::DisplayRole).isValid());
  EXPECT_EQ(model.NodeOf({}), nullptr);
  EXPECT_FALSE(model.IndexOf(nullptr).isValid());

  // An index of another model is no node of this one.
  TFolderTreeModel other;
  other.Rebuild({"d:\\x"});
  EXPECT_EQ(model.NodeOf(other.index(0, 0)), nullptr);
}

TEST(FolderTreeModel, CaptionsPathsAndImages) {
  TFolderTreeModel model;
  model.Rebuild({"d:\\M\xFCller\\\x80uro", "\\\\srv\\share"});
  const QModelIndex d = model.index(0, 0), srv = model.index(1, 0);
  EXPECT_EQ(model.data(d).toString(), QString("d:"));
  EXPECT_EQ(model.data(srv).toString(), QString("srv"));
  EXPECT_EQ(model.data(d, TFolderTreeModel::ImageRole).toInt(), fiDrive);
  EXPECT_EQ(model.data(srv, TFolderTreeModel::ImageRole).toInt(), fiServer);
  const QModelIndex muller = model.index(0, 0, d), euro = model.index(0, 0, muller);
  EXPECT_EQ(model.data(muller).toString(), QString::fromUtf8("M\u00FCller"));
  EXPECT_EQ(model.data(euro).toString(), QString::fromUtf8("\u20ACuro"));
  EXPECT_EQ(model.PathOf(euro), "d:\\M\xFCller\\\x80uro");
  EXPECT_EQ(model.PathOf(model.index(0, 0, srv)), "srv\\share");
  EXPECT_EQ(model.PathOf({}), "");

  EXPECT_FALSE(model.data(d, Qt::DecorationRole).isValid());
  model.SetDecoration([](int image) { return QVariant(QString("icon %1").arg(image)); });
  EXPECT_EQ(model.data(d, Qt::DecorationRole).toString(), QString("icon 2"));
  EXPECT_EQ(model.data(muller, Qt::DecorationRole).toString(), QString("icon 0"));
}

TEST(FolderTreeModel, ExpandingReportsTheChangedImage) {
  TFolderTreeModel model;
  model.Rebuild({"d:\\a\\b"});
  std::vector<std::pair<QModelIndex, QList<int>>> changes;
  QObject::connect(&model, &QAbstractItemModel::dataChanged,
                   [&](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                     EXPECT_EQ(from, to);
                     changes.emplace_back(from, roles);
                   });
  const QModelIndex d = model.index(0, 0), a = model.index(0, 0, d);
  model.SetExpanded(a, true);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].first, a);
  EXPECT_TRUE(changes[0].second.contains(TFolderTreeModel::ImageRole));
  EXPECT_EQ(model.data(a, TFolderTreeModel::ImageRole).toInt(), fiOpenFolder);
  EXPECT_EQ(model.data(a, TFolderTreeModel::SelectedImageRole).toInt(), fiOpenFolder);
  model.SetExpanded(d, true);  // a drive keeps its image: nothing to repaint
  EXPECT_EQ(changes.size(), 1u);
  EXPECT_TRUE(model.NodeOf(d)->Expanded);
  model.SetExpanded(a, false);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(model.data(a, TFolderTreeModel::ImageRole).toInt(), fiClosedFolder);
  model.SetExpanded({}, true);  // no node, no change
  EXPECT_EQ(changes.size(), 2u);
}

TEST(FolderTreeModel, RebuildIsOneResetAfterTheBuild) {
  TFolderTreeModel model;
  model.Rebuild({"d:\\old"});
  std::vector<std::string> events;
  QObject::connect(&model, &QAbstractItemModel::modelAboutToBeReset, [&] { events.push_back("about to reset"); });
  QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { events.push_back("reset"); });
  model.Rebuild({"c:\\new", "e:"}, [&](size_t p, size_t n) {
    // While the new tree is built the view still sees the old one whole.
    events.push_back("progress " + std::to_string(p) + "/" + std::to_string(n));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.data(model.index(0, 0, model.index(0, 0))).toString(), QString("old"));
  });
  EXPECT_EQ(events, (std::vector<std::string>{"progress 1/2", "progress 2/2", "about to reset", "reset"}));
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString("c:"));
  EXPECT_EQ(CheckModel(model, {}), 3u);

  events.clear();
  model.Rebuild({});
  EXPECT_EQ(events, (std::vector<std::string>{"about to reset", "reset"}));
  EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace kt
