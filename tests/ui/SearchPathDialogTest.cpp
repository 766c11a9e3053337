// The search-path dialog and the indexing run it starts.

#include "tests/ui/FormFixture.h"

#include "catalog/CatalogFiles.h"
#include "catalog/FolderTreeModel.h"
#include "platform/Cp1252.h"
#include "search/ResultList.h"
#include "tests/support/Mp3Fixtures.h"
#include "tests/support/Process.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <sys/wait.h>

namespace kt::test {
namespace {

namespace fs = std::filesystem;

class SearchPathDialog : public FormFixture {
 protected:
  TForm2& Open() {
    Show();
    form->Button22->click();
    Process();
    return *searchPaths;
  }
  std::string Catalog(const fs::path& native) { return paths->ToCatalog(native); }
  void MakeMusic() {
    MakeMp3(tmp / "Musik" / "Rock" / "B\xC3\xA4nd - Song.mp3", "B\xE4nd", "Song", 1);
    MakeMp3(tmp / "Musik" / "Rock" / "Other.MP3", "Other", "Title", 1);
    MakeMp3(tmp / "Musik" / "Privat" / "Secret.mp3", "Me", "Secret", 1);
    MakeMp3(tmp / "Musik" / "Neu" / "Fresh.mp3", "", "", 1);
  }
};

TEST_F(SearchPathDialog, AddingFoldersInEitherForm) {
  fs::create_directories(tmp / "Musik" / "Rock");
  TForm2& d = Open();
  ASSERT_TRUE(d.isVisible());
  for (QFrame* p : form->SixPanels()) EXPECT_FALSE(p->isEnabled());
  EXPECT_TRUE(d.CheckBox1->isEnabled());
  EXPECT_FALSE(d.CheckBox1->isChecked());

  // A missing folder is refused and stays in the field.
  d.Edit1->setText(QStringLiteral("/no/such/folder"));
  d.Button2->click();
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown.back().Text, "Das angegebene Verzeichnis existiert nicht!");
  EXPECT_EQ(dialogs.shown.back().Owner, "TForm2");
  EXPECT_FALSE(d.PathsChanged);

  // The native form is stored in catalog form, lower-cased, without its trailing separator.
  d.Edit1->setText(QString::fromStdString((tmp / "Musik").string() + "/"));
  d.Button2->click();
  ASSERT_EQ(d.List.size(), 1u);
  EXPECT_EQ(d.List.entries()[0].Text, AsciiLower(Catalog(tmp / "Musik")));
  EXPECT_EQ(d.List.entries()[0].Mode, TSearchPathMode::pmIndex);
  EXPECT_TRUE(d.Edit1->text().isEmpty());
  EXPECT_TRUE(d.PathsChanged);
  EXPECT_TRUE(d.CheckBox1->isChecked());
  EXPECT_FALSE(d.CheckBox1->isEnabled());

  // The catalog form with a trailing backslash; a sub-folder is indented.
  d.Edit1->setText(FromCp1252(Catalog(tmp / "Musik" / "Rock") + "\\"));
  d.Button2->click();
  ASSERT_EQ(d.List.size(), 2u);
  EXPECT_EQ(d.List.entries()[1].Text, "    " + AsciiLower(Catalog(tmp / "Musik" / "Rock")));
  EXPECT_EQ(d.pfade->count(), 2);
  // Twice is refused.
  d.Edit1->setText(FromCp1252(Catalog(tmp / "Musik" / "Rock")));
  d.Button2->click();
  EXPECT_EQ(dialogs.shown.back().Text, "Das angegebene Verzeichnis ist bereits eingetragen!");
  EXPECT_EQ(d.List.size(), 2u);

  // The box cycles unchecked → grey → checked; a click marks the list changed.
  QListWidgetItem* item = d.pfade->item(1);
  item->setCheckState(Qt::Unchecked);
  EXPECT_EQ(d.List.entries()[1].Mode, TSearchPathMode::pmSkip);
  item->setCheckState(Qt::PartiallyChecked);
  EXPECT_EQ(d.List.entries()[1].Mode, TSearchPathMode::pmAtEnd);

  // Cancel throws it all away: there is no "Pfade.txt" yet.
  d.Button4->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(fs::exists(folder / "Pfade.txt"));
  for (QFrame* p : form->SixPanels()) EXPECT_TRUE(p->isEnabled());
  form->Button22->click();
  EXPECT_EQ(d.List.size(), 0u);
}

TEST_F(SearchPathDialog, OkWithoutChangesDoesNotIndex) {
  TForm2& d = Open();
  d.Button1->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(fs::exists(folder / "Pfade.txt"));
  EXPECT_FALSE(fs::exists(folder / "Index.txt"));
  // With "Index neu erstellen" it indexes (here: nothing, into empty files).
  form->Button22->click();
  d.CheckBox1->setChecked(true);
  d.Button1->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(fs::file_size(folder / "Index.txt"), 0u);
  EXPECT_EQ(fs::file_size(folder / "Baum.txt"), 0u);
  EXPECT_EQ(dialogs.shown.back().Caption, "Fertig");
  EXPECT_EQ(dialogs.shown.back().Text, "Indizierung abgeschlossen. Datenbankgr\xF6\xDF" "e: 0 Tracks.");
  EXPECT_EQ(dialogs.shown.back().Owner, "TForm2");
}

TEST_F(SearchPathDialog, IndexingRunRebuildsTheCatalogAndTheWindow) {
  MakeMusic();
  const std::string root = AsciiLower(Catalog(tmp / "Musik"));
  std::error_code ec;
  WriteSearchPathFile(folder / "Pfade.txt",
                      {{root, TSearchPathMode::pmIndex},
                       {"    " + root + "\\privat", TSearchPathMode::pmSkip},
                       {"    " + root + "\\neu", TSearchPathMode::pmAtEnd}},
                      ec);
  TForm2& d = Open();
  ASSERT_EQ(d.List.size(), 3u);
  form->Edit1->setEditText(QStringLiteral("something"));
  d.CheckBox1->setChecked(true);
  d.Button1->click();

  ASSERT_EQ(form->Catalog.Tracks.size(), 3u);
  // The entry's folder as it stands in the list, then the names as the file system has them.
  EXPECT_EQ(form->Catalog.Tracks[0], root + "\\Rock\\B\xE4nd - Song.mp3 [B\xE4nd - Song]");
  EXPECT_EQ(form->Catalog.Tracks[2], root + "\\Neu\\Fresh.mp3 [ - ]");  // at the end
  EXPECT_EQ(form->Catalog.Keys.size(), 3u);
  EXPECT_EQ(form->DatabaseSize, 3u);
  EXPECT_EQ(form->Edit1->currentText(), QStringLiteral("*"));
  EXPECT_EQ(form->Results->size(), 0u);
  EXPECT_EQ(form->Label13->text(), QStringLiteral("0 Hits (Datenbankgröße: 3 Tracks)"));
  EXPECT_EQ(form->TreeModel->rowCount(), 1);  // z:
  EXPECT_EQ(scan->Gauge()->Position(), 10000);
  EXPECT_FALSE(scan->isVisible());
  EXPECT_FALSE(d.isVisible());
  EXPECT_TRUE(fs::exists(folder / "WinLIRC Baum.rtf"));
  EXPECT_TRUE(fs::exists(folder / "WinLIRC Index.rtf"));

  // The batch indexer writes the same bytes for the same tree.
  const fs::path other = tmp / "batch";
  fs::create_directories(other);
  fs::copy_file(BinFolder() / "klangtruhe-index", other / "klangtruhe-index");
  fs::copy_file(folder / "Pfade.txt", other / "Pfade.txt");
  ChildProcess batch(other / "klangtruhe-index", {});
  int status = -1;
  ASSERT_TRUE(batch.Wait(std::chrono::seconds(60), &status));
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  for (const char* f : {"Pfade.txt", "Index.txt", "Baum.txt", "WinLIRC Baum.rtf", "WinLIRC Index.rtf"})
    EXPECT_EQ(ReadBytes(other / f), ReadBytes(folder / f)) << f;
}

TEST_F(SearchPathDialog, UnwritableCatalogFileIsNamedAndTheOldOneStays) {
  MakeMusic();
  std::error_code ec;
  WriteSearchPathFile(folder / "Pfade.txt", {{AsciiLower(Catalog(tmp / "Musik")), TSearchPathMode::pmIndex}}, ec);
  fs::create_directories(folder / "Baum.txt");  // a folder where the file should be
  TForm2& d = Open();
  d.CheckBox1->setChecked(true);
  d.Button1->click();
  bool named = false;
  for (const auto& box : dialogs.shown)
    if (box.Caption == "Fehler" && box.Text.find("Baum.txt") != std::string::npos) named = true;
  EXPECT_TRUE(named);
  EXPECT_TRUE(fs::is_directory(folder / "Baum.txt"));
  EXPECT_EQ(dialogs.shown.back().Caption, "Fertig");
  EXPECT_FALSE(d.isVisible());
  EXPECT_TRUE(form->Panel_m->isEnabled());
}

}  // namespace
}  // namespace kt::test
