#include "app/TForm7.h"

#include "app/Artwork.h"
#include "platform/Cp1252.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <filesystem>
#include <system_error>

namespace kt {

TForm7::TForm7(IDialogService& dialogs, const TPathMapper& paths, std::function<TDefaultAction()> menuDefault,
               std::function<void(TDefaultAction)> markMenuDefault)
    : dialogs_(dialogs), paths_(paths), menuDefault_(std::move(menuDefault)),
      markMenuDefault_(std::move(markMenuDefault)) {
  setObjectName(QStringLiteral("Form7"));
  setWindowTitle(QStringLiteral("Standardaktion festlegen..."));
  setFixedSize(386, 121);
  setFont(art::DesignFont());

  QFont bold = font();
  bold.setBold(true);
  auto radio = [&](const char* name, const QString& text, int y) {
    auto* r = new QRadioButton(text, this);
    r->setObjectName(QLatin1String(name));
    r->setFont(bold);
    r->setGeometry(8, y, 105, 17);
    return r;
  };
  RadioButton1 = radio("RadioButton1", QStringLiteral("Abspielen"), 8);
  RadioButton2 = radio("RadioButton2", QStringLiteral("Einreihen"), 32);
  RadioButton3 = radio("RadioButton3", QStringLiteral("Kopieren nach"), 56);
  RadioButton1->setChecked(true);

  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(120, 54, 257, 21);
  Edit1->setTextMargins(0, 0, 24, 0);
  Button5 = new QPushButton(QStringLiteral("..."), this);
  Button5->setObjectName(QStringLiteral("Button5"));
  Button5->setGeometry(353, 56, 22, 17);

  auto* line = new QFrame(this);
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setGeometry(8, 82, 369, 2);
  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(8, 88, 75, 25);
  Button2 = new QPushButton(QStringLiteral("Abbrechen"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(88, 88, 75, 25);
  EnableTarget(false);

  setTabOrder(RadioButton1, RadioButton2);
  setTabOrder(RadioButton2, RadioButton3);
  setTabOrder(RadioButton3, Edit1);
  setTabOrder(Edit1, Button5);
  setTabOrder(Button5, Button1);
  setTabOrder(Button1, Button2);

  connect(RadioButton1, &QRadioButton::clicked, this, [this] { RadioButton1Click(); });
  connect(RadioButton2, &QRadioButton::clicked, this, [this] { RadioButton2Click(); });
  connect(RadioButton3, &QRadioButton::clicked, this, [this] { RadioButton3Click(); });
  connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  // The form sees the keys before its controls.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void TForm7::DisableCopyTo() { RadioButton3->setEnabled(false); }

std::string TForm7::TargetFolder() const { return paths_.FolderToCatalogForm(Edit1->text()); }

void TForm7::SetTargetFolder(const std::string& catalogForm) { Edit1->setText(FromCp1252(catalogForm)); }

TDefaultAction TForm7::Choice() const {
  if (RadioButton3->isChecked()) return TDefaultAction::CopyTo;
  if (RadioButton2->isChecked()) return TDefaultAction::Enqueue;
  return TDefaultAction::Play;
}

QRadioButton* TForm7::RadioOf(TDefaultAction a) const {
  switch (a) {
    case TDefaultAction::Enqueue: return RadioButton2;
    case TDefaultAction::CopyTo: return RadioButton3;
    default: return RadioButton1;
  }
}

void TForm7::EnableTarget(bool on) {
  Edit1->setEnabled(on);
  Button5->setEnabled(on);
}

bool TForm7::FolderExists(std::string_view catalogPath) const {
  std::error_code ec;
  return !catalogPath.empty() && std::filesystem::is_directory(paths_.ToNative(catalogPath), ec);
}

void TForm7::showEvent(QShowEvent* e) {
  TDialogWindow::showEvent(e);
  // Centred with its frame, which is known once the window is there.
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    QRect r = frameGeometry();
    r.moveCenter(s->geometry().center());
    move(r.topLeft());
  }
  FormShow();
  FormActivate();
}

void TForm7::changeEvent(QEvent* e) {
  TDialogWindow::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TForm7::FormShow() {
  QRadioButton* selected = RadioOf(Choice());
  if (selected->isEnabled()) selected->setFocus();
}

void TForm7::FormActivate() {
  if (!NoPlayer) return;
  for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3}) r->setEnabled(false);
}

void TForm7::RadioButton1Click() { EnableTarget(false); }
void TForm7::RadioButton2Click() { EnableTarget(false); }
void TForm7::RadioButton3Click() { EnableTarget(true); }

void TForm7::Button5Click() {
  Edit1->setFocus();
  setEnabled(false);
  if (!FolderExists(TargetFolder())) Edit1->clear();
  const auto chosen = dialogs_.BrowseFolder(this, "Zielverzeichnis w\xE4hlen", ToCp1252(Edit1->text()));
  if (chosen) Edit1->setText(FromCp1252(AsciiLower(*chosen)));
  if (!FolderExists(TargetFolder())) Edit1->clear();
  setEnabled(true);
  Edit1->setFocus();  // disabling the form took it away
}

void TForm7::Button1Click() {
  if (NoPlayer) {
    CloseDialog();
    return;
  }
  // Checked whatever is chosen: the field holds the target of the next copy.
  const TTargetCheck r = CheckTargetFolder(TargetFolder(), [this](std::string_view p) { return FolderExists(p); });
  Edit1->setText(FromCp1252(r.Text));
  if (r.Verdict == TTargetVerdict::NoDrive) {
    dialogs_.MessageBox(this, "Das angegebene Zielverzeichnis existiert nicht!", "Fehler", TButtons::Ok);
    return;
  }
  if (r.Verdict == TTargetVerdict::AskCreate) {
    if (dialogs_.MessageBox(this, "Das angegebene Zielverzeichnis existiert nicht! Soll es erstellt werden?",
                            "Fehler", TButtons::YesNo) != TAnswer::Yes)
      return;
    std::error_code ec;  // not reported: the copy finds out
    std::filesystem::create_directory(paths_.ToNative(r.Text), ec);
  }
  markMenuDefault_(Choice());
  CloseDialog();
}

void TForm7::Button2Click() {
  // Back to the menu's default; the folder field keeps what was typed.
  if (!NoPlayer) {
    const TDefaultAction a = menuDefault_();
    RadioOf(a)->setChecked(true);
    switch (a) {
      case TDefaultAction::Play: RadioButton1Click(); break;
      case TDefaultAction::Enqueue: RadioButton2Click(); break;
      case TDefaultAction::CopyTo: RadioButton3Click(); break;
    }
  }
  CloseDialog();
}

void TForm7::closeEvent(QCloseEvent* e) {
  e->ignore();  // hidden, never destroyed
  Button2Click();
}

void TForm7::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    e->accept();
    Button2Click();
    return;
  }
  TDialogWindow::keyPressEvent(e);
}

bool TForm7::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    Button2Click();
    return true;
  }
  return TDialogWindow::eventFilter(watched, e);
}

}  // namespace kt
