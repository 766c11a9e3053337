// The search field, the result list and the folder tree of the main window.

#include "tests/ui/FormFixture.h"

#include "catalog/FolderTreeModel.h"
#include "platform/Cp1252.h"
#include "search/ResultList.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTreeView>

namespace kt::test {
namespace {

TLineList SmallCatalog(int n) {
  TLineList l;
  for (int i = 0; i < n; ++i) l.Append("d:\\m\\Track " + std::to_string(i) + ".mp3 [Artist - Song " + std::to_string(i) + "]");
  return l;
}

void Query(TForm1& f, const QString& text) {
  f.Edit1->setEditText(text);
  QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(f.Edit1->lineEdit(), &ret);
}

void CtrlKey(TForm1& f, int key, Qt::KeyboardModifiers extra = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, key, Qt::ControlModifier | extra);
  QApplication::sendEvent(f.Edit1->lineEdit(), &e);
}

std::vector<int> SelectedRows(TForm1& f) {
  std::vector<int> rows;
  for (const QModelIndex& i : f.ListBox2->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

TEST_F(FormFixture, QueriesFromTheSearchField) {
  WriteCatalog(SmallCatalog(50), {"d:\\m"});
  TForm1& f = Show();
  EXPECT_EQ(f.Label13->text(), QStringLiteral("0 Hits (Datenbankgröße: 50 Tracks)"));
  EXPECT_EQ(f.Edit1->currentText(), QStringLiteral("*"));

  // The start text lists the whole catalog, first entry selected, and selects the field's text.
  Query(f, QStringLiteral("*"));
  EXPECT_EQ(f.Results->size(), 50u);
  EXPECT_EQ(f.Label13->text(), QStringLiteral("50 Hits (Datenbankgröße: 50 Tracks)"));
  EXPECT_EQ(SelectedRows(f), std::vector<int>{0});
  EXPECT_EQ(f.ListBox2->currentIndex().row(), 0);
  EXPECT_EQ(f.Edit1->lineEdit()->selectedText(), QStringLiteral("*"));

  // An index number: the 43rd line, not selected, the hits line as it was.
  Query(f, QStringLiteral("#0042"));
  ASSERT_EQ(f.Results->size(), 1u);
  EXPECT_EQ(f.Results->Text(0), f.Catalog.Tracks[42]);
  EXPECT_TRUE(SelectedRows(f).empty());
  EXPECT_EQ(f.Label13->text(), QStringLiteral("50 Hits (Datenbankgröße: 50 Tracks)"));
  // Ctrl+Down then selects it.
  CtrlKey(f, Qt::Key_Down);
  EXPECT_EQ(SelectedRows(f), std::vector<int>{0});
  EXPECT_TRUE(dialogs.shown.size() == 1);  // only the player question at start

  Query(f, QStringLiteral("#9999"));
  EXPECT_EQ(f.Results->size(), 0u);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown.back().Text, "Die angegebene Indexnummer ist ung\xFCltig!");
  EXPECT_EQ(dialogs.shown.back().Caption, "Fehler");
  Query(f, QStringLiteral("#12a4"));
  ASSERT_EQ(dialogs.shown.size(), 3u);
  EXPECT_EQ(dialogs.shown.back().Text, "Die angegebene Indexnummer ist nicht 4stellig!");

  // "#123" and "#12" are ordinary searches: the "#" folds away.
  Query(f, QStringLiteral("#123"));
  EXPECT_EQ(f.Results->size(), 0u);
  EXPECT_EQ(f.Label13->text(), QStringLiteral("0 Hits (Datenbankgröße: 50 Tracks)"));
  Query(f, QStringLiteral("#12"));
  EXPECT_EQ(f.Results->size(), 1u);
  EXPECT_EQ(dialogs.shown.size(), 3u);
  Query(f, QStringLiteral("song 4"));
  EXPECT_EQ(f.Results->size(), 11u);  // 4, 40 … 49
  EXPECT_EQ(f.Label13->text(), QStringLiteral("11 Hits (Datenbankgröße: 50 Tracks)"));

  // Ctrl+Shift+Down extends, Ctrl+Up moves back, and Up on the first entry changes nothing.
  CtrlKey(f, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(SelectedRows(f), (std::vector<int>{0, 1}));
  CtrlKey(f, Qt::Key_Up);
  EXPECT_EQ(SelectedRows(f), std::vector<int>{0});
  CtrlKey(f, Qt::Key_Up);
  EXPECT_EQ(SelectedRows(f), std::vector<int>{0});

  // No hits: an empty list and the caret nowhere.
  Query(f, QStringLiteral("nothing like it"));
  EXPECT_EQ(f.Results->size(), 0u);
  EXPECT_FALSE(f.ListBox2->currentIndex().isValid());
  EXPECT_EQ(f.Label13->text(), QStringLiteral("0 Hits (Datenbankgröße: 50 Tracks)"));
}

TEST_F(FormFixture, SearchHistoryKeepsTheTenNewest) {
  WriteCatalog(SmallCatalog(3), {});
  TForm1& f = Show();
  for (int i = 0; i < 11; ++i) Query(f, QStringLiteral("query %1").arg(i));
  ASSERT_EQ(f.Edit1->count(), 10);
  EXPECT_EQ(f.Edit1->itemText(0), QStringLiteral("query 10"));
  EXPECT_EQ(f.Edit1->itemText(9), QStringLiteral("query 1"));
  // The fifth-newest comes to the top as typed now.
  Query(f, QStringLiteral("QUERY 6"));
  EXPECT_EQ(f.Edit1->itemText(0), QStringLiteral("QUERY 6"));
  EXPECT_EQ(f.Edit1->itemText(1), QStringLiteral("query 10"));
  EXPECT_EQ(f.Edit1->count(), 10);
  // The field keeps the text just typed.
  EXPECT_EQ(f.Edit1->currentText(), QStringLiteral("QUERY 6"));
}

TEST_F(FormFixture, FolderTreeOrderImagesAndProgress) {
  WriteCatalog({}, {"d:\\sounds\\b", "d:\\sounds\\a", "zeta\\x", "\\\\alpha\\share\\music", "c:", "D:\\x"});
  Create();
  form->show();
  Process();
  TFolderTreeModel& m = *form->TreeModel;
  std::vector<std::string> top;
  for (int r = 0; r < m.rowCount(); ++r) top.push_back(ToCp1252(m.index(r, 0).data().toString()));
  EXPECT_EQ(top, (std::vector<std::string>{"c:", "d:", "D:", "zeta", "alpha"}));
  const QModelIndex d = m.index(1, 0);
  ASSERT_EQ(m.rowCount(d), 1);
  const QModelIndex sounds = m.index(0, 0, d);
  EXPECT_EQ(m.index(0, 0, sounds).data().toString(), QStringLiteral("a"));
  EXPECT_EQ(m.index(1, 0, sounds).data().toString(), QStringLiteral("b"));
  EXPECT_EQ(m.NodeOf(d)->ImageIndex, 2);
  EXPECT_EQ(m.NodeOf(m.index(4, 0))->ImageIndex, 5);
  EXPECT_EQ(m.NodeOf(sounds)->ImageIndex, 0);
  // The splash went the whole way and closed.
  EXPECT_EQ(splash->Gauge()->Position(), 10000);
  EXPECT_FALSE(splash->isVisible());
}

}  // namespace
}  // namespace kt::test
