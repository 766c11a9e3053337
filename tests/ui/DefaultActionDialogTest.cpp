// The default-action dialog: the choice marks the context menu's default,
// abandoning it goes back to the menu's default, and the copy target is
// checked (and created) before it closes.

#include "app/TForm7.h"
#include "platform/Cp1252.h"
#include "platform/DialogService.h"
#include "platform/Paths.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace kt::test {
namespace {

namespace fs = std::filesystem;

// Scripted answers; every folder browser is recorded as it was opened.
class TBrowseRecorder : public TScriptedDialogs {
 public:
  struct TBrowse {
    std::string Owner, Title, Start;
    bool OwnerEnabled;
  };
  std::optional<std::string> BrowseFolder(QObject* owner, std::string_view title, std::string_view start) override {
    auto* w = qobject_cast<QWidget*>(owner);
    browsed.push_back({owner ? owner->objectName().toStdString() : std::string(), std::string(title),
                       std::string(start), w && w->isEnabled()});
    return TScriptedDialogs::BrowseFolder(owner, title, start);
  }
  std::vector<TBrowse> browsed;
};

class DefaultActionDialog : public ::testing::Test {
 protected:
  DefaultActionDialog() {
    // As the main window does at its first show: the desktop is the target.
    d.SetTargetFolder(Catalog(tmp.path()));
    d.OnCloseDialog = [this](QWidget* w) {
      ++closed;
      w->hide();
    };
  }
  std::string Catalog(const fs::path& native) const { return paths.ToCatalog(native); }
  void Open() {
    d.show();
    Process();
  }
  static void Process(int ms = 20) {
    QElapsedTimer t;
    t.start();
    do QApplication::processEvents(); while (t.elapsed() < ms);
  }
  static void Escape(QWidget* target) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &key);
  }
  void ExpectBox(const std::string& text, TButtons buttons) {
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().Text, text);
    EXPECT_EQ(dialogs.shown.back().Caption, "Fehler");
    EXPECT_EQ(dialogs.shown.back().Buttons, buttons);
    EXPECT_EQ(dialogs.shown.back().Owner, "Form7");
  }

  TempDir tmp;
  TPathMapper paths{tmp / "prog"};
  TBrowseRecorder dialogs;
  TDefaultAction menu = TDefaultAction::Play;  // the bold entry of the context menu
  int menuRead = 0;
  std::vector<TDefaultAction> marked;
  TForm7 d{dialogs, paths,
           [this] {
             ++menuRead;
             return menu;
           },
           [this](TDefaultAction a) {
             marked.push_back(a);
             menu = a;
           }};
  int closed = 0;
};

TEST_F(DefaultActionDialog, OkMarksTheChoiceAndTheNextShowFocusesIt) {
  Open();
  EXPECT_EQ(d.objectName(), QStringLiteral("Form7"));
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Standardaktion festlegen..."));
  EXPECT_EQ(d.size(), QSize(386, 121));
  EXPECT_TRUE(d.windowFlags().testFlag(Qt::Tool));
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    EXPECT_LE((d.frameGeometry().center() - s->geometry().center()).manhattanLength(), 1);
  }
  for (QRadioButton* r : {d.RadioButton1, d.RadioButton2, d.RadioButton3}) {
    EXPECT_TRUE(r->font().bold()) << r->text().toStdString();
    EXPECT_TRUE(r->isEnabled());
  }
  EXPECT_TRUE(d.RadioButton1->isChecked());
  EXPECT_EQ(d.focusWidget(), d.RadioButton1);
  EXPECT_FALSE(d.Edit1->isEnabled());
  EXPECT_FALSE(d.Button5->isEnabled());
  EXPECT_EQ(d.Choice(), TDefaultAction::Play);

  d.RadioButton2->click();
  EXPECT_EQ(d.Choice(), TDefaultAction::Enqueue);
  d.Button1->click();
  EXPECT_EQ(marked, std::vector<TDefaultAction>{TDefaultAction::Enqueue});
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(dialogs.shown.empty());

  Open();
  EXPECT_TRUE(d.RadioButton2->isChecked());
  EXPECT_EQ(d.focusWidget(), d.RadioButton2);
}

TEST_F(DefaultActionDialog, EveryWayOfAbandoningGoesBackToTheMenuDefaultOnce) {
  struct Way {
    const char* name;
    std::function<QRadioButton*()> choose;
    std::function<void()> leave;
  } ways[] = {
      {"Escape", [this] { return d.RadioButton2; }, [this] { Escape(d.RadioButton2); }},
      {"Escape in the field", [this] { return d.RadioButton3; }, [this] { Escape(d.Edit1); }},
      {"Abbrechen", [this] { return d.RadioButton3; }, [this] { d.Button2->click(); }},
      {"close box", [this] { return d.RadioButton3; }, [this] { d.close(); }},
  };
  for (const Way& w : ways) {
    menuRead = closed = 0;
    Open();
    w.choose()->click();
    w.choose()->setFocus();
    d.Edit1->setText(QStringLiteral("q:\\abgebrochen"));
    w.leave();
    EXPECT_FALSE(d.isVisible()) << w.name;
    EXPECT_EQ(closed, 1) << w.name;
    EXPECT_EQ(menuRead, 1) << w.name;
    EXPECT_TRUE(d.RadioButton1->isChecked()) << w.name;
    EXPECT_FALSE(d.Edit1->isEnabled()) << w.name;
    EXPECT_FALSE(d.Button5->isEnabled()) << w.name;
    // The typed folder stays: it is the target of the next copy.
    EXPECT_EQ(d.TargetFolder(), "q:\\abgebrochen") << w.name;
  }
  EXPECT_TRUE(marked.empty());
  EXPECT_EQ(menu, TDefaultAction::Play);
  EXPECT_TRUE(dialogs.shown.empty());

  // With "copy to" the menu's default, the field comes back with it.
  menu = TDefaultAction::CopyTo;
  Open();
  d.RadioButton1->click();
  Escape(d.RadioButton1);
  EXPECT_TRUE(d.RadioButton3->isChecked());
  EXPECT_TRUE(d.Edit1->isEnabled());
  EXPECT_TRUE(d.Button5->isEnabled());
}

TEST_F(DefaultActionDialog, AMissingTargetUnderAnExistingFolderIsCreatedOnYes) {
  const fs::path target = tmp / "Kopien";
  Open();
  d.RadioButton3->click();
  EXPECT_TRUE(d.Edit1->isEnabled());
  EXPECT_TRUE(d.Button5->isEnabled());
  // Typed in native form, shown in catalog form once checked.
  d.Edit1->setText(QString::fromStdString(target.string()));

  dialogs.Answer(TAnswer::No);
  d.Button1->click();
  ExpectBox("Das angegebene Zielverzeichnis existiert nicht! Soll es erstellt werden?", TButtons::YesNo);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(marked.empty());
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(ToCp1252(d.Edit1->text()), Catalog(target));

  dialogs.Answer(TAnswer::Yes);
  d.Button1->click();
  EXPECT_EQ(dialogs.shown.size(), 2u);
  EXPECT_TRUE(fs::is_directory(target));
  EXPECT_EQ(marked, std::vector<TDefaultAction>{TDefaultAction::CopyTo});
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.TargetFolder(), Catalog(target));
}

TEST_F(DefaultActionDialog, OkTakesTheTrailingBackslashOffTheField) {
  Open();
  d.RadioButton2->click();
  d.SetTargetFolder(Catalog(tmp.path()) + "\\");
  d.Button1->click();
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(ToCp1252(d.Edit1->text()), Catalog(tmp.path()));
  EXPECT_EQ(marked, std::vector<TDefaultAction>{TDefaultAction::Enqueue});
  EXPECT_FALSE(d.isVisible());
}

TEST_F(DefaultActionDialog, ATargetWithoutADriveKeepsTheDialogOpenWhateverIsChosen) {
  Open();
  // "Abspielen" is chosen; the disabled field is checked all the same.
  for (const char* bad : {"nirgendwo-kt7", "q:\\kopien", ""}) {
    d.SetTargetFolder(bad);
    d.Button1->click();
    ExpectBox("Das angegebene Zielverzeichnis existiert nicht!", TButtons::Ok);
    EXPECT_TRUE(d.isVisible()) << bad;
  }
  EXPECT_EQ(dialogs.shown.size(), 3u);
  EXPECT_TRUE(marked.empty());
  EXPECT_EQ(closed, 0);
}

TEST_F(DefaultActionDialog, WithoutAPlayerNothingCanBeChosenAndNothingChanges) {
  d.NoPlayer = true;
  d.RadioButton2->setChecked(true);
  d.SetTargetFolder("nirgendwo-kt7");
  Open();
  for (QRadioButton* r : {d.RadioButton1, d.RadioButton2, d.RadioButton3})
    EXPECT_FALSE(r->isEnabled()) << r->text().toStdString();
  d.Button1->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(closed, 1);
  Open();
  Escape(d.Button1);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(closed, 2);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(marked.empty());
  EXPECT_EQ(menuRead, 0);
  EXPECT_TRUE(d.RadioButton2->isChecked());
  EXPECT_EQ(d.TargetFolder(), "nirgendwo-kt7");
}

TEST_F(DefaultActionDialog, WithCopyingDisabledPlayAndEnqueueStayChoosable) {
  d.DisableCopyTo();
  Open();
  EXPECT_FALSE(d.RadioButton3->isEnabled());
  EXPECT_TRUE(d.RadioButton1->isEnabled());
  EXPECT_TRUE(d.RadioButton2->isEnabled());
  d.RadioButton3->click();
  EXPECT_EQ(d.Choice(), TDefaultAction::Play);
  EXPECT_FALSE(d.Edit1->isEnabled());
  d.RadioButton2->click();
  d.Button1->click();
  EXPECT_EQ(marked, std::vector<TDefaultAction>{TDefaultAction::Enqueue});
}

TEST_F(DefaultActionDialog, BrowsingPutsTheChosenFolderInLowerCase) {
  const fs::path chosen = tmp / "Ziel Ordner";
  fs::create_directories(chosen);
  Open();
  d.RadioButton3->click();

  // The browser starts at the field's folder; the choice comes back lower-cased.
  dialogs.AnswerFolder(Catalog(chosen));
  d.Button5->click();
  ASSERT_EQ(dialogs.browsed.size(), 1u);
  EXPECT_EQ(dialogs.browsed[0].Owner, "Form7");
  EXPECT_EQ(dialogs.browsed[0].Title, "Zielverzeichnis w\xE4hlen");
  EXPECT_EQ(dialogs.browsed[0].Start, Catalog(tmp.path()));
  EXPECT_FALSE(dialogs.browsed[0].OwnerEnabled);
  EXPECT_EQ(d.TargetFolder(), AsciiLower(Catalog(chosen)));
  EXPECT_NE(d.TargetFolder(), Catalog(chosen));
  EXPECT_TRUE(d.isEnabled());
  EXPECT_EQ(d.focusWidget(), d.Edit1);

  // A folder that is not there starts the browser nowhere; cancelling leaves the field empty.
  d.SetTargetFolder(Catalog(tmp / "fehlt"));
  dialogs.AnswerFolder(std::nullopt);
  d.Button5->click();
  EXPECT_EQ(dialogs.browsed.back().Start, "");
  EXPECT_TRUE(d.Edit1->text().isEmpty());
  EXPECT_TRUE(d.isEnabled());

  // A chosen folder that is not there is not taken either.
  dialogs.AnswerFolder(Catalog(tmp / "fehlt"));
  d.Button5->click();
  EXPECT_TRUE(d.Edit1->text().isEmpty());
  EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
}  // namespace kt::test
