#include "search/ResultList.h"

#include "catalog/Catalog.h"
#include "platform/Cp1252.h"
#include "tests/support/QtApp.h"

#include <QItemSelectionModel>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kt {
namespace {

TCatalog MakeCatalog(std::initializer_list<std::string_view> lines) {
  TCatalog c;
  for (std::string_view l : lines) c.Tracks.Append(l);
  return c;
}

// Counts what a view hears of the model.
struct TViewLog {
  explicit TViewLog(TResultList& list) {
    QObject::connect(&list, &QAbstractItemModel::modelAboutToBeReset, [this] { ++aboutToReset; });
    QObject::connect(&list, &QAbstractItemModel::modelReset, [this] { ++reset; });
    QObject::connect(&list, &QAbstractItemModel::rowsInserted,
                     [this](const QModelIndex&, int first, int last) { inserted.push_back({first, last}); });
  }
  int aboutToReset = 0, reset = 0;
  std::vector<std::pair<int, int>> inserted;
};

class ResultListTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureCoreApplication(); }
  TCatalog catalog = MakeCatalog({"d:\\sounds\\rock\\Band - Song.mp3 [Band - Song]",
                                  "e:\\mp3\\Herbert Gr\xF6nemeyer\\M\xE4nner.mp3 [Herbert Gr\xF6nemeyer - M\xE4nner]",
                                  "d:\\sounds\\misc\\track01.mp3 [ - ]"});
};

TEST_F(ResultListTest, EntriesAreTrackLinesFromAnOffset) {
  TResultList list;
  list.SetCatalog(&catalog);
  ASSERT_TRUE(list.AppendTrack(2));
  ASSERT_TRUE(list.AppendTrack(0, std::string_view("d:\\sounds\\rock\\").size()));  // folder view
  ASSERT_TRUE(list.AppendTrack(2));                                                   // duplicates are fine
  ASSERT_TRUE(list.AppendTrack(1, catalog.Tracks[1].size()));                         // empty rest of a line
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list.rowCount(), 4);
  EXPECT_EQ(list.Text(0), catalog.Tracks[2]);
  EXPECT_EQ(list.Text(1), "Band - Song.mp3 [Band - Song]");
  EXPECT_EQ(list.Text(2), catalog.Tracks[2]);
  EXPECT_EQ(list.Text(3), "");
  EXPECT_EQ(list.Track(1), 0u);
  EXPECT_EQ(list.Offset(1), 15u);
  // Rows that do not exist.
  EXPECT_EQ(list.Text(4), "");
  EXPECT_EQ(list.Track(4), SIZE_MAX);
}

TEST_F(ResultListTest, DisplayTextIsDecodedFromWindows1252) {
  TResultList list;
  list.SetCatalog(&catalog);
  list.AppendTrack(1, 7);
  const QModelIndex row = list.index(0, 0);
  EXPECT_EQ(list.data(row, Qt::DisplayRole).toString(),
            QString::fromUtf8("Herbert Grönemeyer\\Männer.mp3 [Herbert Grönemeyer - Männer]"));
  EXPECT_EQ(list.data(row, Qt::DisplayRole).toString(), FromCp1252(list.Text(0)));
  EXPECT_FALSE(list.data(row, Qt::DecorationRole).isValid());
  EXPECT_FALSE(list.data(list.index(1, 0), Qt::DisplayRole).isValid());
  EXPECT_FALSE(list.data(QModelIndex(), Qt::DisplayRole).isValid());
  EXPECT_EQ(list.rowCount(row), 0);  // a list: no entry has children
}

TEST_F(ResultListTest, RefusesWhatIsNotInTheCatalog) {
  TResultList list;
  EXPECT_FALSE(list.AppendTrack(0));  // no catalog yet
  list.SetCatalog(&catalog);
  EXPECT_FALSE(list.AppendTrack(3));
  EXPECT_FALSE(list.AppendTrack(SIZE_MAX));
  EXPECT_FALSE(list.AppendTrack(0, catalog.Tracks[0].size() + 1));
  EXPECT_TRUE(list.empty());
}

TEST_F(ResultListTest, BulkUpdateResetsTheViewsOnce) {
  TResultList list;
  list.SetCatalog(&catalog);
  TViewLog log(list);

  list.BeginUpdate();
  list.Clear();
  list.BeginUpdate();  // nested, as a caller inside the query might do
  for (int i = 0; i < 1000; ++i) list.AppendTrack(size_t(i % 3));
  list.EndUpdate();
  EXPECT_EQ(log.reset, 0) << "the inner EndUpdate must not reset";
  list.EndUpdate();
  EXPECT_EQ(log.aboutToReset, 1);
  EXPECT_EQ(log.reset, 1);
  EXPECT_TRUE(log.inserted.empty());
  EXPECT_EQ(list.rowCount(), 1000);
  list.EndUpdate();  // one too many: ignored
  EXPECT_EQ(log.reset, 1);

  // Outside an update each change is announced on its own.
  list.AppendTrack(0);
  ASSERT_EQ(log.inserted.size(), 1u);
  EXPECT_EQ(log.inserted[0], std::make_pair(1000, 1000));
  list.Clear();
  EXPECT_EQ(log.reset, 2);
  EXPECT_EQ(list.rowCount(), 0);
}

TEST_F(ResultListTest, ResetDropsSelectionAndCaret) {
  TResultList list;
  list.SetCatalog(&catalog);
  for (size_t i = 0; i < 3; ++i) list.AppendTrack(i);
  QItemSelectionModel sel(&list);
  sel.setCurrentIndex(list.index(2, 0), QItemSelectionModel::Select);
  ASSERT_TRUE(sel.isRowSelected(2, QModelIndex()));
  list.BeginUpdate();
  list.Clear();
  list.AppendTrack(0);
  list.EndUpdate();
  EXPECT_FALSE(sel.currentIndex().isValid());
  EXPECT_FALSE(sel.hasSelection());
}

TEST_F(ResultListTest, SafeAgainstAReplacedCatalog) {
  TResultList list;
  list.SetCatalog(&catalog);
  for (size_t i = 0; i < 3; ++i) list.AppendTrack(i, 3);
  // An indexing run replaces the lines in place; the owner forgot to clear.
  catalog.Tracks = TLineList{"x"};
  EXPECT_EQ(list.Text(0), "") << "offset 3 lies past the new line 0";
  EXPECT_EQ(list.Text(2), "") << "line 2 is gone";
  EXPECT_EQ(list.data(list.index(2, 0)).toString(), QString());

  // Pointing the list at another catalog drops the old entries.
  TCatalog other = MakeCatalog({"z:\\a.mp3 [ - ]"});
  TViewLog log(list);
  list.SetCatalog(&other);
  EXPECT_EQ(log.reset, 1);
  EXPECT_TRUE(list.empty());
  list.SetCatalog(nullptr);
  EXPECT_FALSE(list.AppendTrack(0));
  EXPECT_EQ(list.Text(0), "");
}

}  // namespace
}  // namespace kt
