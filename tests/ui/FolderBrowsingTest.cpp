// Folder browsing, the result list's mouse paths and menus, revealing a hit's
// folder and copying an entry's path.

#include "tests/ui/FormFixture.h"

#include "catalog/FolderTreeModel.h"
#include "platform/Cp1252.h"
#include "search/FolderListing.h"
#include "search/ResultList.h"
#include "tests/support/FakePlayer.h"

#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <fstream>

namespace kt::test {
namespace {

std::vector<std::string> Entries(TForm1& f) {
  std::vector<std::string> e;
  for (size_t i = 0; i < f.Results->size(); ++i) e.emplace_back(f.Results->Text(i));
  return e;
}

std::vector<int> SelectedRows(TForm1& f) {
  std::vector<int> rows;
  for (const QModelIndex& i : f.ListBox2->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The tree node reached by these captions from the top level.
QModelIndex Node(TForm1& f, std::vector<std::string> captions) {
  QModelIndex at;
  for (const std::string& c : captions) {
    QModelIndex next;
    for (int r = 0; r < f.TreeModel->rowCount(at); ++r)
      if (ToCp1252(f.TreeModel->index(r, 0, at).data().toString()) == c) next = f.TreeModel->index(r, 0, at);
    if (!next.isValid()) return {};
    at = next;
  }
  return at;
}

void Choose(TForm1& f, const QModelIndex& node) {
  f.TreeView1->selectionModel()->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
}

void Press(QWidget* viewport, QPoint at, Qt::MouseButton button, QEvent::Type type = QEvent::MouseButtonPress) {
  QMouseEvent e(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, button, Qt::NoModifier);
  QApplication::sendEvent(viewport, &e);
}

// A point on a row of the result list.
QPoint RowPoint(TForm1& f, int row) {
  return f.ListBox2->visualRect(f.Results->index(row)).center();
}

void Query(TForm1& f, const QString& text) {
  f.Edit1->setEditText(text);
  QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(f.Edit1->lineEdit(), &ret);
}

std::vector<bool> ListMenuStates(TForm1& f) {
  std::vector<bool> s;
  for (QAction* a : {f.Abspielen1, f.Einreihen1, f.Einreihenjetzt1, f.Kopierennach1, f.Ordneranzeigen1,
                     f.Eintraegekopieren1, f.Listedrucken1})
    s.push_back(a->isEnabled());
  return s;
}

const TLineList kBrowseTracks = {
    "C:\\root1.mp3 [A - R1]",
    "c:\\Root2.mp3 [A - R2]",
    "C:\\MP3\\ROCKY.mp3 [A - Y]",
    "C:\\MP3\\ROCK\\song.mp3 [B - S]",
    "C:\\MP3\\ROCK\\LIVE\\live.mp3 [C - L]",
    "c:\\mp3\\rock\\tag.mp3 [AC\\DC - T]",
    "d:\\only\\sub\\x.mp3 [D - X]",
    "\\\\srv\\share\\n.mp3 [N - N]",
};
const TLineList kBrowseFolders = {"C:", "C:\\MP3", "C:\\MP3\\ROCK", "C:\\MP3\\ROCK\\LIVE", "d:\\only\\sub",
                                  "\\\\srv\\share"};

TEST_F(FormFixture, ChoosingAFolderListsTheTracksDirectlyInIt) {
  WriteCatalog(kBrowseTracks, kBrowseFolders);
  TForm1& f = Show();
  struct Case {
    std::vector<std::string> node;
    std::string currentFolder;
    std::vector<std::string> entries;
  };
  const Case cases[] = {
      // Only the root's own tracks, in any letter case.
      {{"C:"}, "C:", {"root1.mp3 [A - R1]", "Root2.mp3 [A - R2]"}},
      // ROCKY.mp3 lies in MP3, not in ROCK.
      {{"C:", "MP3"}, "C:\\MP3", {"ROCKY.mp3 [A - Y]"}},
      // LIVE's track is not ROCK's; a "\" in a tag does not hide a track.
      {{"C:", "MP3", "ROCK"}, "C:\\MP3\\ROCK", {"song.mp3 [B - S]", "tag.mp3 [AC\\DC - T]"}},
      {{"C:", "MP3", "ROCK", "LIVE"}, "C:\\MP3\\ROCK\\LIVE", {"live.mp3 [C - L]"}},
      // A folder with only subfolders.
      {{"d:", "only"}, "D:\\ONLY", {}},
      // A network share.
      {{"srv", "share"}, "\\\\SRV\\SHARE", {"n.mp3 [N - N]"}},
  };
  for (const Case& c : cases) {
    const QModelIndex node = Node(f, c.node);
    ASSERT_TRUE(node.isValid()) << c.currentFolder;
    f.ListBox2->selectionModel()->setCurrentIndex(f.Results->index(0), QItemSelectionModel::Select);
    Choose(f, node);
    EXPECT_EQ(f.CurrentFolder, c.currentFolder);
    EXPECT_EQ(Entries(f), c.entries) << c.currentFolder;
    EXPECT_TRUE(SelectedRows(f).empty());
    EXPECT_FALSE(f.ListBox2->currentIndex().isValid());
    EXPECT_EQ(f.Label13->text(), QStringLiteral("%1 Hits (Datenbankgröße: 8 Tracks)").arg(c.entries.size()));
  }
}

TEST_F(FormFixture, TreeMenuOpensOnlyOnANodeAndFollowsItsChildren) {
  WriteCatalog(kBrowseTracks, kBrowseFolders);
  TForm1& f = Show();
  QWidget* tree = f.TreeView1->viewport();
  const QModelIndex c = Node(f, {"C:"});
  const QRect row = f.TreeView1->visualRect(c);

  // Right of the caption, and below the last node: nothing.
  Press(tree, QPoint(row.left() + 150, row.center().y()), Qt::RightButton);
  Press(tree, QPoint(5, tree->height() - 3), Qt::RightButton);
  EXPECT_FALSE(f.PopupMenu2.isVisible());
  EXPECT_FALSE(f.SelectedNode().isValid());

  // On the drive's caption: it is chosen and listed, and the menu opens.
  Press(tree, QPoint(row.left() + 20, row.center().y()), Qt::RightButton);
  EXPECT_TRUE(f.PopupMenu2.isVisible());
  EXPECT_EQ(f.SelectedNode(), c);
  EXPECT_EQ(f.CurrentFolder, "C:");
  EXPECT_EQ(f.Results->size(), 2u);
  EXPECT_EQ(f.PopupMenu2.defaultAction(), f.Aufklappen2);
  for (QAction* a : {f.Aufklappen2, f.Allesaufklappen2, f.Zuklappen2, f.Alleszuklappen2}) EXPECT_TRUE(a->isEnabled());

  // Alles Aufklappen opens the whole branch; the drive keeps its image.
  f.Allesaufklappen2->trigger();
  f.PopupMenu2.hide();
  for (auto path : {std::vector<std::string>{"C:", "MP3"}, {"C:", "MP3", "ROCK"}}) {
    EXPECT_TRUE(f.TreeView1->isExpanded(Node(f, path)));
    EXPECT_EQ(f.TreeModel->NodeOf(Node(f, path))->ImageIndex, fiOpenFolder);
  }
  EXPECT_EQ(f.TreeModel->NodeOf(c)->ImageIndex, fiDrive);

  // A node without children: the four entries are disabled.
  const QModelIndex live = Node(f, {"C:", "MP3", "ROCK", "LIVE"});
  const QRect liveRow = f.TreeView1->visualRect(live);
  Press(tree, QPoint(liveRow.left() + 20, liveRow.center().y()), Qt::RightButton);
  EXPECT_TRUE(f.PopupMenu2.isVisible());
  for (QAction* a : {f.Aufklappen2, f.Allesaufklappen2, f.Zuklappen2, f.Alleszuklappen2})
    EXPECT_FALSE(a->isEnabled());
  EXPECT_EQ(Entries(f), std::vector<std::string>{"live.mp3 [C - L]"});
  f.PopupMenu2.hide();

  // Zuklappen closes one level; the children keep their state.
  Choose(f, Node(f, {"C:", "MP3"}));
  f.Zuklappen2Click();
  EXPECT_FALSE(f.TreeView1->isExpanded(Node(f, {"C:", "MP3"})));
  EXPECT_EQ(f.TreeModel->NodeOf(Node(f, {"C:", "MP3"}))->ImageIndex, fiClosedFolder);
  EXPECT_TRUE(f.TreeView1->isExpanded(Node(f, {"C:", "MP3", "ROCK"})));
  f.Aufklappen2Click();
  EXPECT_TRUE(f.TreeView1->isExpanded(Node(f, {"C:", "MP3"})));

  // Alles Zuklappen closes everything below the node, hidden branches included.
  Choose(f, c);
  f.Alleszuklappen2Click();
  for (auto path : {std::vector<std::string>{"C:"}, {"C:", "MP3"}, {"C:", "MP3", "ROCK"}})
    EXPECT_FALSE(f.TreeView1->isExpanded(Node(f, path)));
  EXPECT_EQ(f.TreeModel->NodeOf(Node(f, {"C:", "MP3", "ROCK"}))->ImageIndex, fiClosedFolder);
  EXPECT_FALSE(f.ExpandGuard);
}

TEST_F(FormFixture, RightClickSelectionAndTheListMenusStates) {
  TLineList tracks;
  for (int i = 0; i < 6; ++i) tracks.Append("d:\\m\\t" + std::to_string(i) + ".mp3 [A - " + std::to_string(i) + "]");
  WriteCatalog(tracks, {"d:\\m"});
  TForm1& f = Show();  // without a player
  Query(f, QStringLiteral("*"));
  ASSERT_EQ(f.Results->size(), 6u);
  QWidget* list = f.ListBox2->viewport();
  QItemSelectionModel& sel = *f.ListBox2->selectionModel();

  // No-player mode: the three player entries stay disabled.
  Press(list, RowPoint(f, 1), Qt::RightButton);
  EXPECT_EQ(ListMenuStates(f), (std::vector<bool>{false, false, false, true, true, true, true}));

  f.NoPlayer = false;  // as with a player
  sel.setCurrentIndex(f.Results->index(0), QItemSelectionModel::ClearAndSelect);
  sel.select(f.Results->index(1), QItemSelectionModel::Select);  // 0 and 1 selected, caret on 0

  // On a selected entry the selection and the caret stay; two selected.
  Press(list, RowPoint(f, 1), Qt::RightButton);
  EXPECT_EQ(SelectedRows(f), (std::vector<int>{0, 1}));
  EXPECT_EQ(f.ListBox2->currentIndex().row(), 0);
  EXPECT_EQ(ListMenuStates(f), (std::vector<bool>{true, true, true, true, false, false, true}));

  // On an unselected entry it becomes the only one and the caret, also right of its text.
  Press(list, QPoint(list->width() - 4, RowPoint(f, 4).y()), Qt::RightButton);
  EXPECT_EQ(SelectedRows(f), std::vector<int>{4});
  EXPECT_EQ(f.ListBox2->currentIndex().row(), 4);
  EXPECT_EQ(ListMenuStates(f), std::vector<bool>(7, true));

  // Below the last entry: all seven disabled, the selection stays.
  Press(list, QPoint(5, list->height() - 3), Qt::RightButton);
  EXPECT_EQ(ListMenuStates(f), std::vector<bool>(7, false));
  EXPECT_EQ(SelectedRows(f), std::vector<int>{4});

  // A left click first moves the selection, then the states follow it.
  Press(list, RowPoint(f, 2), Qt::LeftButton);
  Press(list, RowPoint(f, 2), Qt::LeftButton, QEvent::MouseButtonRelease);
  EXPECT_EQ(SelectedRows(f), std::vector<int>{2});
  EXPECT_EQ(ListMenuStates(f), std::vector<bool>(7, true));

  // In folder view "Ordner anzeigen" has no folder to show.
  Choose(f, Node(f, {"d:", "m"}));
  Press(list, RowPoint(f, 0), Qt::RightButton);
  EXPECT_EQ(ListMenuStates(f), (std::vector<bool>{true, true, true, true, false, true, true}));
}

// Party mode here also runs without a player.
TEST_F(FormFixture, PartyModeDisablesCopyingAndPrinting) {
  WriteCatalog({"d:\\m\\a.mp3 [A - A]", "d:\\m\\b.mp3 [B - B]"}, {"d:\\m"});
  TForm1& f = Show({QStringLiteral("klangtruhe"), QStringLiteral("-nowinamp"), QStringLiteral("-party")});
  Query(f, QStringLiteral("*"));
  Press(f.ListBox2->viewport(), RowPoint(f, 1), Qt::RightButton);
  EXPECT_EQ(ListMenuStates(f), (std::vector<bool>{false, false, false, false, true, false, false}));
  // The tree's menu works as usual, but copies no paths and prints nothing.
  f.TreeView1MouseDown(Node(f, {"d:", "m"}), QPoint(10, 10));
  EXPECT_TRUE(f.Kopierennach2->isEnabled());
  EXPECT_FALSE(f.Listedrucken2->isEnabled());
  EXPECT_FALSE(f.Eintraegekopieren2->isEnabled());
  f.PopupMenu2.hide();
  // The default-action dialog cannot choose "Kopieren nach".
  EXPECT_FALSE(f.DefaultActionWindow->RadioButton3->isEnabled());
}

TEST_F(FormFixture, RevealingAHitsFolder) {
  // A hundred tracks in d:\Music\Rock (one with a "\" in its tag), a hit on a
  // second drive, c:\ open beforehand.
  TLineList tracks;
  tracks.Append("c:\\a\\x.mp3 [X - X]");
  for (int i = 0; i < 100; ++i) {
    const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
    tracks.Append("d:\\Music\\Rock\\s" + n + ".mp3 [" + (i == 12 ? "AC\\DC" : "A") + " - " + n + "]");
  }
  tracks.Append("d:\\Music\\Rock\\Live\\l.mp3 [L - L]");
  tracks.Append("\\\\srv\\share\\n.mp3 [N - N]");
  WriteCatalog(tracks, {"c:\\a", "d:\\Music\\Rock", "d:\\Music\\Rock\\Live", "\\\\srv\\share"});
  TForm1& f = Show();
  f.resize(1018, 715);
  Process();

  struct Case {
    std::string hit;
    int row, top;
  };
  const Case cases[] = {{"s00", 0, 0}, {"s01", 1, 0}, {"s02", 2, 0}, {"s03", 3, 1}, {"s12", 12, 10}, {"s40", 40, 38}};
  for (const Case& c : cases) {
    f.TreeView1->expand(Node(f, {"c:"}));
    Query(f, QString::fromStdString(c.hit));
    ASSERT_EQ(f.Results->size(), 1u) << c.hit;
    f.ListBox2->selectionModel()->setCurrentIndex(f.Results->index(0), QItemSelectionModel::ClearAndSelect);
    f.Ordneranzeigen1Click();
    Process();
    EXPECT_FALSE(f.TreeView1->isExpanded(Node(f, {"c:"}))) << c.hit;
    EXPECT_TRUE(f.TreeView1->isExpanded(Node(f, {"d:"})));
    EXPECT_TRUE(f.TreeView1->isExpanded(Node(f, {"d:", "Music"})));
    EXPECT_FALSE(f.TreeView1->isExpanded(Node(f, {"d:", "Music", "Rock"})));
    EXPECT_EQ(f.SelectedNode(), Node(f, {"d:", "Music", "Rock"}));
    EXPECT_EQ(f.CurrentFolder, "D:\\MUSIC\\ROCK");
    EXPECT_EQ(f.Results->size(), 100u);
    EXPECT_EQ(SelectedRows(f), std::vector<int>{c.row}) << c.hit;
    EXPECT_EQ(f.ListBox2->indexAt(QPoint(2, 2)).row(), c.top) << c.hit;
    EXPECT_FALSE(f.ExpandGuard);
  }

  // A network hit: the empty components of "\\" are passed over.
  Query(f, QStringLiteral("n.mp3"));
  f.ListBox2->selectionModel()->setCurrentIndex(f.Results->index(0), QItemSelectionModel::ClearAndSelect);
  f.Ordneranzeigen1Click();
  EXPECT_EQ(f.CurrentFolder, "\\\\SRV\\SHARE");
  EXPECT_EQ(SelectedRows(f), std::vector<int>{0});
}

TEST_F(FormFixture, CopyingAnEntrysPath) {
  WriteCatalog({"d:\\a\\Best [x]\\s.mp3 [A - S]", "d:\\a\\t.mp3 [AC\\DC - T [Live]]"}, {"d:\\a", "d:\\a\\Best [x]"});
  TForm1& f = Show();
  QClipboard* clipboard = QGuiApplication::clipboard();
  Query(f, QStringLiteral("*"));
  // The caret entry, however many are selected.
  f.ListBox2->selectionModel()->select(f.Results->index(1), QItemSelectionModel::Select);
  f.Eintraegekopieren1Click();
  EXPECT_EQ(clipboard->text(), QStringLiteral("d:\\a\\Best [x]\\s.mp3"));
  f.ListBox2->selectionModel()->setCurrentIndex(f.Results->index(1), QItemSelectionModel::NoUpdate);
  f.Eintraegekopieren1Click();
  EXPECT_EQ(clipboard->text(), QStringLiteral("d:\\a\\t.mp3"));

  // A folder-view entry gets the current folder in front.
  Choose(f, Node(f, {"d:", "a", "Best [x]"}));
  ASSERT_EQ(f.Results->size(), 1u);
  f.ListBox2->selectionModel()->setCurrentIndex(f.Results->index(0), QItemSelectionModel::ClearAndSelect);
  f.Eintraegekopieren1Click();
  EXPECT_EQ(clipboard->text(), QStringLiteral("D:\\A\\BEST [X]\\s.mp3"));

  // Without a caret entry nothing is copied.
  Choose(f, Node(f, {"d:", "a"}));
  clipboard->setText(QStringLiteral("vorher"));
  f.Eintraegekopieren1Click();
  EXPECT_EQ(clipboard->text(), QStringLiteral("vorher"));
}

// Double clicks run the default action; the dialog changes it and the copy target.
TEST_F(FormFixture, DoubleClickRunsTheDefaultAction) {
  const std::filesystem::path music = tmp / "music";
  std::filesystem::create_directories(music);
  for (const char* n : {"a.mp3", "b.mp3"}) std::ofstream(music / n) << "mp3";
  const std::string folder = paths->ToCatalog(music);
  WriteCatalog({folder + "\\a.mp3 [A - A]", folder + "\\b.mp3 [B - B]"}, {folder});
  TForm1& f = Show();
  TFakePlayer player(*paths, tmp / "player");
  f.NoPlayer = false;
  f.Player.PlayerWindow = player.Window;
  f.Actions.ConfirmationRoundMs = 0;
  TForm7& dialog = *f.DefaultActionWindow;
  dialog.NoPlayer = false;
  EXPECT_EQ(dialog.TargetFolder(), f.DesktopFolder);
  Query(f, QStringLiteral("b.mp3"));
  ASSERT_EQ(f.Results->size(), 1u);
  QWidget* list = f.ListBox2->viewport();
  auto doubleClick = [&] {
    Press(list, RowPoint(f, 0), Qt::LeftButton);
    Press(list, RowPoint(f, 0), Qt::LeftButton, QEvent::MouseButtonRelease);
    Press(list, RowPoint(f, 0), Qt::LeftButton, QEvent::MouseButtonDblClick);
    Press(list, RowPoint(f, 0), Qt::LeftButton, QEvent::MouseButtonRelease);
  };

  // At start: play (the list emptied, the track appended and started).
  EXPECT_EQ(f.PopupMenu1.defaultAction(), f.Abspielen1);
  player.Entries = {{"x", "x", 1}};
  doubleClick();
  EXPECT_EQ(player.Paths(), std::vector<std::string>{folder + "\\b.mp3"});
  EXPECT_EQ(player.State, 1);

  // Einreihen and Escape: still play; Einreihen and OK: enqueue, drawn bold.
  f.Button24Click();
  dialog.RadioButton2->click();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&dialog, &escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(dialog.RadioButton1->isChecked());
  EXPECT_EQ(f.PopupMenu1.defaultAction(), f.Abspielen1);
  f.Button24Click();
  dialog.RadioButton2->click();
  dialog.Button1->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(f.PopupMenu1.defaultAction(), f.Einreihen1);
  player.State = 0;
  doubleClick();
  EXPECT_EQ(player.Paths(), (std::vector<std::string>{folder + "\\b.mp3", folder + "\\b.mp3"}));
  EXPECT_EQ(player.State, 0);

  // Kopieren nach a new folder (typed with a trailing "\", created on Yes):
  // double clicks and the menus' copy go there.
  const std::filesystem::path target = tmp / "ziel";
  f.Button24Click();
  dialog.RadioButton3->click();
  dialog.Edit1->setText(FromCp1252(paths->ToCatalog(target) + "\\"));
  dialogs.Answer(TAnswer::Yes);
  dialog.Button1->click();
  EXPECT_EQ(dialogs.shown.back().Text, "Das angegebene Zielverzeichnis existiert nicht! Soll es erstellt werden?");
  EXPECT_EQ(dialog.Edit1->text(), FromCp1252(paths->ToCatalog(target)));
  EXPECT_EQ(f.PopupMenu1.defaultAction(), f.Kopierennach1);
  doubleClick();
  EXPECT_TRUE(std::filesystem::exists(target / "b.mp3"));
  // The tree's menu copies all entries of the folder.
  std::vector<std::string> captions;
  const std::string entry = folder + "\\a.mp3";
  for (std::string_view c : RevealTargetOf(entry).Components) captions.emplace_back(c);
  ASSERT_TRUE(Node(f, captions).isValid());
  f.TreeView1MouseDown(Node(f, captions), QPoint(5, 5));
  f.PopupMenu2.hide();
  EXPECT_EQ(f.Results->size(), 2u);
  f.Kopierennach2Click();
  EXPECT_TRUE(std::filesystem::exists(target / "a.mp3"));
  EXPECT_TRUE(std::filesystem::exists(target / "b - Kopie.mp3"));
}

}  // namespace
}  // namespace kt::test
