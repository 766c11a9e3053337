#include "search/SearchFieldKeys.h"

#include "catalog/Catalog.h"
#include "search/FoldSearchKey.h"
#include "search/Query.h"
#include "search/ResultList.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kt {
namespace {

using A = TSearchFieldAction;
using K = TSearchFieldKey;

TSearchFieldKeyPress Press(K key, bool ctrl, bool shift = false, bool alt = false) { return {key, ctrl, shift, alt}; }

// A result list of count entries with its selection model, as the form's list view holds it.
class TListFixture {
 public:
  explicit TListFixture(size_t count) {
    for (size_t i = 0; i < count; ++i) {
      const std::string line = "d:\\sounds\\Track " + std::to_string(i) + ".mp3 [ - ]";
      catalog.Tracks.Append(line);
      catalog.Keys.Append(FoldSearchKey(line));
    }
    list.SetCatalog(&catalog);
    list.BeginUpdate();
    for (size_t i = 0; i < count; ++i) list.AppendTrack(i);
    list.EndUpdate();
    sel = std::make_unique<QItemSelectionModel>(&list);
  }

  void Set(int caret, const std::set<int>& selected) {
    sel->clearSelection();
    for (int r : selected) sel->select(list.index(r, 0), QItemSelectionModel::Select);
    sel->setCurrentIndex(caret >= 0 ? list.index(caret, 0) : QModelIndex(), QItemSelectionModel::NoUpdate);
  }
  int Caret() const { return sel->currentIndex().isValid() ? sel->currentIndex().row() : -1; }
  std::set<int> Selected() const {
    std::set<int> rows;
    for (const QModelIndex& i : sel->selectedIndexes()) rows.insert(i.row());
    return rows;
  }

  TCatalog catalog;
  TResultList list;
  std::unique_ptr<QItemSelectionModel> sel;
};

class SearchFieldKeysTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureCoreApplication(); }
};

TEST_F(SearchFieldKeysTest, CaretAndSelection) {
  struct Case {
    const char* what;
    size_t count;
    int caret;
    std::set<int> selected;
    TSearchFieldKeyPress press;
    int caretAfter;
    std::set<int> selectedAfter;
  };
  const Case cases[] = {
      {"Ctrl+Up moves the single selection", 5, 3, {3}, Press(K::Up, true), 2, {2}},
      {"Ctrl+Up deselects only the entry it leaves", 5, 3, {0, 3, 4}, Press(K::Up, true), 2, {0, 2, 4}},
      {"Ctrl+Up on the first entry", 5, 0, {0}, Press(K::Up, true), 0, {0}},
      {"Ctrl+Up without a caret", 5, -1, {1}, Press(K::Up, true), -1, {1}},
      {"Ctrl+Shift+Up extends", 5, 3, {3}, Press(K::Up, true, true), 2, {2, 3}},
      {"Ctrl+Shift+Up on the first entry", 5, 0, {}, Press(K::Up, true, true), 0, {}},
      {"Ctrl+Down moves the single selection", 5, 2, {2}, Press(K::Down, true), 3, {3}},
      {"Ctrl+Down from an unselected caret", 5, 2, {4}, Press(K::Down, true), 3, {3, 4}},
      {"Ctrl+Shift+Down extends", 5, 2, {2}, Press(K::Down, true, true), 3, {2, 3}},
      {"Ctrl+Down on the last entry", 5, 4, {3, 4}, Press(K::Down, true), 4, {4}},
      {"Ctrl+Down on the last entry keeps others", 5, 4, {0}, Press(K::Down, true), 4, {0, 4}},
      {"Ctrl+Shift+Down on the last entry", 5, 4, {1}, Press(K::Down, true, true), 4, {1, 4}},
      {"Ctrl+Down on a list of one deselects every entry", 1, 0, {}, Press(K::Down, true), 0, {0}},
      {"Ctrl+Down without a caret: every entry deselected", 4, -1, {1, 3}, Press(K::Down, true), 0, {0}},
      {"Ctrl+Shift+Down without a caret", 4, -1, {3}, Press(K::Down, true, true), 0, {0, 3}},
      {"Ctrl+Alt+Down is Ctrl+Down", 5, 2, {2}, Press(K::Down, true, false, true), 3, {3}},
      {"Ctrl+Alt+Up is Ctrl+Up", 5, 2, {2}, Press(K::Up, true, false, true), 1, {1}},
      {"Up without Ctrl is the field's", 5, 2, {2}, Press(K::Up, false), 2, {2}},
      {"Shift+Down without Ctrl is the field's", 5, 2, {2}, Press(K::Down, false, true), 2, {2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TListFixture f(c.count);
    f.Set(c.caret, c.selected);
    const TSearchFieldKeyResult r = HandleSearchFieldKey(c.press, *f.sel);
    EXPECT_EQ(r.Swallowed, c.press.Ctrl);
    EXPECT_EQ(r.Action, A::None);
    EXPECT_EQ(f.Caret(), c.caretAfter);
    EXPECT_EQ(f.Selected(), c.selectedAfter);
  }
}

TEST_F(SearchFieldKeysTest, CtrlArrowsOnAnEmptyListChangeNothing) {
  TListFixture f(0);
  for (bool shift : {false, true})
    for (K key : {K::Up, K::Down}) {
      const TSearchFieldKeyResult r = HandleSearchFieldKey(Press(key, true, shift), *f.sel);
      EXPECT_TRUE(r.Swallowed);
      EXPECT_EQ(r.Action, A::None);
      EXPECT_EQ(f.Caret(), -1);
      EXPECT_FALSE(f.sel->hasSelection());
    }
  // A selection model without a list swallows them as well.
  QItemSelectionModel none;
  EXPECT_TRUE(HandleSearchFieldKey(Press(K::Down, true), none).Swallowed);
}

TEST_F(SearchFieldKeysTest, ReturnAndOtherKeys) {
  struct Case {
    TSearchFieldKeyPress press;
    TSearchFieldKeyResult result;
  };
  const Case cases[] = {
      {Press(K::Return, false), {true, A::RunQueryThenSelectAll}},
      {Press(K::Return, false, true), {true, A::RunQueryThenSelectAll}},
      {Press(K::Return, false, false, true), {true, A::RunQueryThenSelectAll}},
      {Press(K::Return, false, true, true), {true, A::RunQueryThenSelectAll}},
      {Press(K::Return, true), {true, A::Play}},
      {Press(K::Return, true, false, true), {true, A::Play}},
      {Press(K::Return, true, true), {true, A::Enqueue}},
      {Press(K::Return, true, true, true), {true, A::Enqueue}},
      {Press(K::Other, false), {false, A::None}},
      {Press(K::Other, true), {false, A::None}},
      {Press(K::Other, true, true, true), {false, A::None}},
  };
  TListFixture f(3);
  f.Set(1, {1});
  for (const Case& c : cases) {
    EXPECT_EQ(HandleSearchFieldKey(c.press, *f.sel), c.result)
        << int(c.press.Key) << " ctrl " << c.press.Ctrl << " shift " << c.press.Shift << " alt " << c.press.Alt;
    EXPECT_EQ(f.Caret(), 1);
    EXPECT_EQ(f.Selected(), std::set<int>{1});
  }
}

TEST_F(SearchFieldKeysTest, KeysFromQt) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    TSearchFieldKeyPress press;
  };
  const Case cases[] = {
      {Qt::Key_Return, Qt::NoModifier, Press(K::Return, false)},
      {Qt::Key_Enter, Qt::KeypadModifier | Qt::ControlModifier, Press(K::Return, true)},
      {Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier, Press(K::Up, true, true)},
      {Qt::Key_Down, Qt::AltModifier, Press(K::Down, false, false, true)},
      {Qt::Key_A, Qt::ControlModifier, Press(K::Other, true)},
      {Qt::Key_PageDown, Qt::ControlModifier, Press(K::Other, true)},
  };
  for (const Case& c : cases) {
    const TSearchFieldKeyPress p = TSearchFieldKeyPress::FromQt(c.key, c.mods);
    EXPECT_EQ(p.Key, c.press.Key) << c.key;
    EXPECT_EQ(p.Ctrl, c.press.Ctrl) << c.key;
    EXPECT_EQ(p.Shift, c.press.Shift) << c.key;
    EXPECT_EQ(p.Alt, c.press.Alt) << c.key;
  }
}

// The list after a query, as the search field then finds it.
TEST_F(SearchFieldKeysTest, AfterQueries) {
  TListFixture f(60);
  f.Set(5, {5, 6});

  // A text search with hits: entry 0 selected, the caret on it, so Ctrl+Return plays it.
  TQueryOutcome out = RunQuery("track 1", f.catalog, 4, f.list);
  ASSERT_TRUE(out.IsTextSearch());
  ASSERT_GT(out.Hits, 1u);
  MarkFirstHit(*f.sel);
  EXPECT_EQ(f.Caret(), 0);
  EXPECT_EQ(f.Selected(), std::set<int>{0});
  EXPECT_EQ(HandleSearchFieldKey(Press(K::Down, true), *f.sel).Swallowed, true);
  EXPECT_EQ(f.Caret(), 1);
  EXPECT_EQ(f.Selected(), std::set<int>{1});

  // No hits: no caret.
  out = RunQuery("nowhere", f.catalog, 4, f.list);
  MarkFirstHit(*f.sel);
  EXPECT_EQ(f.Caret(), -1);
  EXPECT_FALSE(f.sel->hasSelection());

  // An index lookup selects nothing and sets no caret; Ctrl+Down then selects its entry.
  f.Set(-1, {});
  RunQuery("*", f.catalog, 4, f.list);
  MarkFirstHit(*f.sel);
  out = RunQuery("#0042", f.catalog, 4, f.list);
  ASSERT_FALSE(out.IsTextSearch());
  ASSERT_EQ(f.list.size(), 1u);
  EXPECT_EQ(f.Caret(), -1);
  EXPECT_FALSE(f.sel->hasSelection());
  HandleSearchFieldKey(Press(K::Down, true), *f.sel);
  EXPECT_EQ(f.Caret(), 0);
  EXPECT_EQ(f.Selected(), std::set<int>{0});
  // And again: the caret stays on the one entry, which stays selected.
  HandleSearchFieldKey(Press(K::Down, true), *f.sel);
  EXPECT_EQ(f.Caret(), 0);
  EXPECT_EQ(f.Selected(), std::set<int>{0});
}

// A million entries: the keys touch single rows, never every row. Selecting
// rows one by one leaves one selection range per row pressed, not per entry.
TEST_F(SearchFieldKeysTest, LargeList) {
  TListFixture f(1'000'000);
  f.Set(500'000, {500'000});
  for (int i = 0; i < 100; ++i) HandleSearchFieldKey(Press(K::Down, true, true), *f.sel);
  EXPECT_EQ(f.Caret(), 500'100);
  EXPECT_LE(f.sel->selection().size(), 101);
  EXPECT_TRUE(f.sel->isRowSelected(500'050, QModelIndex()));
  EXPECT_FALSE(f.sel->isRowSelected(500'101, QModelIndex()));
  f.Set(-1, {3, 999'999});
  HandleSearchFieldKey(Press(K::Down, true), *f.sel);  // deselects every entry
  EXPECT_EQ(f.Selected(), std::set<int>{0});
}

}  // namespace
}  // namespace kt
