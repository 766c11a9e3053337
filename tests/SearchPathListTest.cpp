#include "catalog/SearchPathList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace kt {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using M = TSearchPathMode;
using Texts = std::vector<std::string>;

Texts TextsOf(const std::vector<TSearchPath>& entries) {
  Texts t;
  for (const TSearchPath& e : entries) t.push_back(e.Text);
  return t;
}

std::vector<TSearchPath> Entries(const Texts& texts, M mode = M::pmIndex) {
  std::vector<TSearchPath> e;
  for (const std::string& t : texts) e.push_back({t, mode});
  return e;
}

// The example search-path file, byte for byte.
const std::string kExampleFile =
    "[C] d:\\sounds\r\n"
    "[U]     d:\\sounds\\_freigegeben\r\n"
    "[U]     d:\\sounds\\_gebrannt\\sounds 001\\mp3\\illegale\r\n"
    "[G]     d:\\sounds\\_unsortiert\r\n"
    "[G] d:\\sounds (liste)\r\n";

TEST(NormalizeSearchPaths, TheExampleListInAnyOrder) {
  std::vector<TSearchPath> entries{{"d:\\sounds (liste)", M::pmAtEnd},
                                   {"d:\\sounds\\_freigegeben", M::pmSkip},
                                   {"d:\\sounds\\_gebrannt\\sounds 001\\mp3\\illegale", M::pmSkip},
                                   {"d:\\sounds\\_unsortiert", M::pmAtEnd},
                                   {"d:\\sounds", M::pmIndex}};
  // Every order the entries can be typed in gives the same list, each mode with its folder.
  std::sort(entries.begin(), entries.end(), [](const TSearchPath& a, const TSearchPath& b) { return a.Text < b.Text; });
  int orders = 0;
  do {
    std::vector<TSearchPath> e = entries;
    NormalizeSearchPaths(e);
    ASSERT_EQ(FormatSearchPaths(e), kExampleFile) << "order " << orders;
    ++orders;
  } while (std::next_permutation(entries.begin(), entries.end(),
                                 [](const TSearchPath& a, const TSearchPath& b) { return a.Text < b.Text; }));
  EXPECT_EQ(orders, 120);
}

TEST(NormalizeSearchPaths, ALoadedListStaysAsItIs) {
  TempDir dir;
  WriteBytes(dir / kSearchPathFile, kExampleFile);
  TSearchPathList list;
  list.Load(dir / kSearchPathFile);
  EXPECT_EQ(FormatSearchPaths(list.entries()), kExampleFile);  // loading does not normalise
  list.Normalize();
  std::error_code ec;
  ASSERT_TRUE(list.Save(dir / "again.txt", ec)) << ec.message();
  EXPECT_EQ(ReadBytes(dir / "again.txt"), kExampleFile);
}

TEST(NormalizeSearchPaths, SortIndentAndRegroup) {
  struct Case {
    const char* what;
    Texts in, out;
  };
  const Case cases[] = {
      {"a sub-folder is indented, a sibling with a longer name is not",
       {"d:\\a", "d:\\a\\b", "d:\\ab"},
       {"d:\\a", "    d:\\a\\b", "d:\\ab"}},
      {"four blanks per level",
       {"d:\\a\\b\\c", "d:\\a", "d:\\a\\b"},
       {"d:\\a", "    d:\\a\\b", "        d:\\a\\b\\c"}},
      {"one level per listed folder above, however deep",
       {"d:\\a\\b\\c", "d:\\a"},
       {"d:\\a", "    d:\\a\\b\\c"}},
      {"the old indentation goes first",
       {"        d:\\x\\y", "    d:\\x"},
       {"d:\\x", "    d:\\x\\y"}},
      {"letter case is ignored by the sort",
       {"E:\\Z", "d:\\b", "D:\\A", "e:\\y"},
       {"D:\\A", "d:\\b", "e:\\y", "E:\\Z"}},
      {"texts that sort as equal keep their order",
       {"D:\\MUSIC", "e:\\x", "d:\\music"},
       {"D:\\MUSIC", "d:\\music", "e:\\x"}},
      {"the indent test sees letter case", {"d:\\a", "D:\\A\\b"}, {"d:\\a", "D:\\A\\b"}},
      {"entry i is taken with its indentation: four blanks and d:\\a\\b do not occur in j",
       {"e:\\copy d:\\a\\b\\c", "d:\\a\\b", "d:\\a"},
       {"d:\\a", "    d:\\a\\b", "    e:\\copy d:\\a\\b\\c"}},
      // The pass moves entries only while root is the first entry's folder:
      // once root is an entry's whole text, that entry always holds it.
      {"regroup leaves the groups after the first alone",
       {"d:\\a", "d:\\b", "d:\\b (2)", "d:\\b\\c"},
       {"d:\\a", "d:\\b", "d:\\b (2)", "    d:\\b\\c"}},
      {"regroup takes an entry's text as root, without a backslash",
       {"d:\\a", "d:\\b", "d:\\c", "d:\\c\\d"},
       {"d:\\a", "d:\\b", "d:\\c", "    d:\\c\\d"}},
      {"the indent test finds the folder anywhere",
       {"d:\\a", "e:\\d:\\a\\b"},
       {"d:\\a", "    e:\\d:\\a\\b"}},
      {"a drive root holds every folder of its drive",
       {"d:\\x", "d:", "d:\\x\\y", "e:\\z"},
       {"d:", "    d:\\x", "        d:\\x\\y", "e:\\z"}},
      {"network paths",
       {"\\\\server\\share\\m", "\\\\server\\share"},
       {"\\\\server\\share", "    \\\\server\\share\\m"}},
      {"one entry is trimmed, not more", {"\t  d:\\x \r\x01"}, {"d:\\x"}},
      {"bytes above 32 are kept at the ends", {"\xA0" "d:\\x\xA0", "\xA0" "d:\\w"}, {"\xA0" "d:\\w", "\xA0" "d:\\x\xA0"}},
      {"an empty list", {}, {}},
  };
  for (const Case& c : cases) {
    std::vector<TSearchPath> e = Entries(c.in);
    NormalizeSearchPaths(e);
    EXPECT_EQ(TextsOf(e), c.out) << c.what;
  }
}

TEST(NormalizeSearchPaths, TheSortIsStable) {
  // Pairs that differ in letter case only keep their order, in a list long
  // enough that an unstable sort would mix them.
  std::vector<TSearchPath> e;
  Texts expected;
  for (int k = 39; k >= 0; --k) {
    const std::string lower = "d:\\m" + std::to_string(100 + k), upper = "D:\\M" + std::to_string(100 + k);
    const bool upperFirst = k % 3 == 0;
    e.push_back({upperFirst ? upper : lower, M::pmIndex});
    e.push_back({upperFirst ? lower : upper, M::pmSkip});
  }
  for (int k = 0; k < 40; ++k) {
    const std::string lower = "d:\\m" + std::to_string(100 + k), upper = "D:\\M" + std::to_string(100 + k);
    expected.push_back(k % 3 == 0 ? upper : lower);
    expected.push_back(k % 3 == 0 ? lower : upper);
  }
  NormalizeSearchPaths(e);
  EXPECT_EQ(TextsOf(e), expected);
  for (size_t i = 0; i < e.size(); ++i) EXPECT_EQ(e[i].Mode, i % 2 ? M::pmSkip : M::pmIndex) << i;
}

TEST(NormalizeSearchPaths, RegroupCarriesAnEntryBehindTheSubFolders) {
  // The sort puts "d:\m (2)" between d:\m and its sub-folders; the one
  // regroup pass carries it down behind them, its mode with it.
  std::vector<TSearchPath> e{
      {"d:\\m\\b", M::pmSkip}, {"d:\\m (2)", M::pmAtEnd}, {"d:\\m\\a", M::pmIndex}, {"d:\\m", M::pmIndex}};
  NormalizeSearchPaths(e);
  EXPECT_EQ(e, (std::vector<TSearchPath>{{"d:\\m", M::pmIndex},
                                         {"    d:\\m\\a", M::pmIndex},
                                         {"    d:\\m\\b", M::pmSkip},
                                         {"d:\\m (2)", M::pmAtEnd}}));
}

TEST(NormalizeSearchPaths, AHandEditedFileLoadsAndNormalises) {
  TempDir dir;
  WriteBytes(dir / kSearchPathFile,
             "[C] d:\\a\r\n\r\n[U]    \r\n[G] d:\\a\\b\n\n[C] \r\nXX\r\n\t\r\n[C]\r\n\x01\x02\x03\x04\x05 d:\\c");
  TSearchPathList list;
  list.Load(dir / kSearchPathFile);
  ASSERT_EQ(list.size(), 10u);
  list.Normalize();
  ASSERT_EQ(list.size(), 10u);
  std::multiset<std::string> paths;
  for (const TSearchPath& e : list.entries()) {
    const size_t start = e.Text.find_first_not_of(' ');
    if (start != std::string::npos) paths.insert(e.Text.substr(start));
    EXPECT_TRUE(e.Text.empty() || (unsigned char)e.Text.back() > 32) << e.Text;
  }
  EXPECT_EQ(paths, (std::multiset<std::string>{"d:\\a", "d:\\a\\b", "d:\\c"}));
  std::error_code ec;
  ASSERT_TRUE(list.Save(dir / kSearchPathFile, ec));
  TSearchPathList again;
  again.Load(dir / kSearchPathFile);
  EXPECT_EQ(again.entries(), list.entries());
}

// ---------------------------------------------------------------------------
// The dialog's operations

struct Folders {
  std::set<std::string> existing;
  std::vector<std::string> asked;
  std::function<bool(std::string_view)> Exists() {
    return [this](std::string_view p) {
      asked.emplace_back(p);
      return existing.count(std::string(p)) > 0;
    };
  }
};

TEST(SearchPathList, Add) {
  struct Case {
    const char* what;
    std::vector<TSearchPath> before;
    std::string typed;
    TAddOutcome outcome;
    std::string field;   // the text field afterwards
    std::string asked;   // what the existence check was asked
    std::vector<TSearchPath> after;
  };
  const std::vector<TSearchPath> none;
  const Case cases[] = {
      {"one trailing backslash goes, the folder is stored in lower case", none, "D:\\Music\\",
       TAddOutcome::Added, "", "D:\\Music", {{"d:\\music", M::pmIndex}}},
      {"only one backslash goes", none, "D:\\", TAddOutcome::Added, "", "D:", {{"d:", M::pmIndex}}},
      {"a missing folder keeps the text, less its backslash", {{"d:\\a", M::pmSkip}}, "E:\\Nope\\",
       TAddOutcome::Missing, "E:\\Nope", "E:\\Nope", {{"d:\\a", M::pmSkip}}},
      {"listed, indented", {{"d:\\x", M::pmIndex}, {"    d:\\music", M::pmSkip}}, "d:\\music",
       TAddOutcome::AlreadyListed, "d:\\music", "d:\\music", {{"d:\\x", M::pmIndex}, {"    d:\\music", M::pmSkip}}},
      {"listed, once lower-cased", {{"d:\\music", M::pmAtEnd}}, "D:\\MUSIC\\", TAddOutcome::AlreadyListed,
       "D:\\MUSIC", "D:\\MUSIC", {{"d:\\music", M::pmAtEnd}}},
      {"an upper-case entry from the file does not match", {{"D:\\MUSIC", M::pmSkip}}, "D:\\MUSIC",
       TAddOutcome::Added, "", "D:\\MUSIC", {{"D:\\MUSIC", M::pmSkip}, {"d:\\music", M::pmIndex}}},
      {"the typed text is compared as it is", {{"d:\\music", M::pmIndex}}, " d:\\music", TAddOutcome::Added, "",
       " d:\\music", {{"d:\\music", M::pmIndex}, {"d:\\music", M::pmIndex}}},
      {"the existence check comes first", {{"d:\\gone", M::pmIndex}}, "d:\\gone", TAddOutcome::Missing,
       "d:\\gone", "d:\\gone", {{"d:\\gone", M::pmIndex}}},
      {"a new entry takes its place in the list", {{"d:\\a", M::pmSkip}, {"d:\\b", M::pmAtEnd}}, "D:\\A\\C",
       TAddOutcome::Added, "", "D:\\A\\C",
       {{"d:\\a", M::pmSkip}, {"    d:\\a\\c", M::pmIndex}, {"d:\\b", M::pmAtEnd}}},
      {"umlauts are kept as they are", none, "D:\\\xC4rzte", TAddOutcome::Added, "", "D:\\\xC4rzte",
       {{"d:\\\xC4rzte", M::pmIndex}}},
      {"nothing typed", none, "", TAddOutcome::Missing, "", "", {}},
  };
  for (const Case& c : cases) {
    Folders folders;
    folders.existing = {"D:\\Music", "D:", "d:\\music", "D:\\MUSIC", " d:\\music", "D:\\A\\C", "D:\\\xC4rzte"};
    TSearchPathList list(c.before);
    const TAddResult r = list.Add(c.typed, folders.Exists());
    EXPECT_EQ(r.Outcome, c.outcome) << c.what;
    EXPECT_EQ(r.FieldText, c.field) << c.what;
    EXPECT_EQ(folders.asked, std::vector<std::string>{c.asked}) << c.what;
    EXPECT_EQ(list.entries(), c.after) << c.what;
  }
}

TEST(SearchPathList, AddWithoutAnExistenceCheckRefuses) {
  TSearchPathList list;
  const TAddResult r = list.Add("d:\\x", {});
  EXPECT_EQ(r.Outcome, TAddOutcome::Missing);
  EXPECT_TRUE(list.empty());
}

TEST(SearchPathList, Messages) {
  EXPECT_EQ(AddOutcomeMessage(TAddOutcome::Missing), "Das angegebene Verzeichnis existiert nicht!");
  EXPECT_EQ(AddOutcomeMessage(TAddOutcome::AlreadyListed), "Das angegebene Verzeichnis ist bereits eingetragen!");
  EXPECT_EQ(AddOutcomeMessage(TAddOutcome::Added), "");
}

TEST(SearchPathList, Remove) {
  TSearchPathList one({{"d:\\music", M::pmIndex}});
  EXPECT_TRUE(one.Remove(0));
  EXPECT_TRUE(one.empty());
  EXPECT_FALSE(one.Remove(0));

  // Removing a folder takes the indentation from its former sub-folders.
  TSearchPathList list({{"d:\\a", M::pmIndex}, {"    d:\\a\\b", M::pmSkip}, {"        d:\\a\\b\\c", M::pmAtEnd}});
  EXPECT_FALSE(list.Remove(3));
  EXPECT_EQ(list.size(), 3u);
  EXPECT_TRUE(list.Remove(0));
  EXPECT_EQ(list.entries(), (std::vector<TSearchPath>{{"d:\\a\\b", M::pmSkip}, {"    d:\\a\\b\\c", M::pmAtEnd}}));
}

TEST(SearchPathList, CycleMode) {
  EXPECT_EQ(NextSearchPathMode(M::pmSkip), M::pmAtEnd);
  EXPECT_EQ(NextSearchPathMode(M::pmAtEnd), M::pmIndex);
  EXPECT_EQ(NextSearchPathMode(M::pmIndex), M::pmSkip);

  TSearchPathList list({{"d:\\b", M::pmSkip}, {"d:\\a", M::pmIndex}});
  const std::vector<M> expected{M::pmAtEnd, M::pmIndex, M::pmSkip, M::pmAtEnd};
  for (M m : expected) {
    ASSERT_TRUE(list.CycleMode(0));
    EXPECT_EQ(list.entries()[0].Mode, m);
  }
  EXPECT_EQ(TextsOf(list.entries()), (Texts{"d:\\b", "d:\\a"}));  // a mode change does not reorder
  EXPECT_EQ(list.entries()[1].Mode, M::pmIndex);
  EXPECT_FALSE(list.CycleMode(2));
}

TEST(SearchPathList, LoadReplacesTheListAndAMissingFileEmptiesIt) {
  TempDir dir;
  TSearchPathList list({{"d:\\old", M::pmIndex}});
  WriteBytes(dir / kSearchPathFile, "[U] e:\\x\r\n[G]     e:\\x\\y\r\n");
  list.Load(dir / kSearchPathFile);
  EXPECT_EQ(list.entries(), (std::vector<TSearchPath>{{"e:\\x", M::pmSkip}, {"    e:\\x\\y", M::pmAtEnd}}));
  list.Load(dir / "missing.txt");
  EXPECT_TRUE(list.empty());

  // Saving an empty list writes an empty file.
  std::error_code ec;
  ASSERT_TRUE(list.Save(dir / kSearchPathFile, ec));
  EXPECT_EQ(ReadBytes(dir / kSearchPathFile), "");
}

}  // namespace
}  // namespace kt
