#include "app/TForm2.h"

#include "app/TForm1.h"
#include "app/TSplash.h"
#include "catalog/CatalogFiles.h"
#include "catalog/IndexingRun.h"
#include "platform/Cp1252.h"
#include "search/ResultList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

#include <sys/stat.h>

namespace kt {
namespace {

Qt::CheckState StateOf(TSearchPathMode mode) {
  switch (mode) {
    case TSearchPathMode::pmIndex: return Qt::Checked;
    case TSearchPathMode::pmAtEnd: return Qt::PartiallyChecked;
    default: return Qt::Unchecked;
  }
}

TSearchPathMode ModeOf(Qt::CheckState state) {
  switch (state) {
    case Qt::Checked: return TSearchPathMode::pmIndex;
    case Qt::PartiallyChecked: return TSearchPathMode::pmAtEnd;
    default: return TSearchPathMode::pmSkip;
  }
}

// A check box as the legend draws it.
QPixmap BoxPicture(Qt::CheckState state) {
  QPixmap p(13, 13);
  p.fill(state == Qt::PartiallyChecked ? QColor(212, 208, 200) : Qt::white);
  QPainter g(&p);
  g.setPen(Qt::gray);
  g.drawRect(0, 0, 12, 12);
  if (state != Qt::Unchecked) {
    g.setPen(QPen(state == Qt::Checked ? Qt::black : Qt::gray, 2));
    g.drawPolyline(QPolygon({QPoint(3, 6), QPoint(5, 9), QPoint(10, 3)}));
  }
  return p;
}

}  // namespace

TForm2::TForm2(TForm1& main, TScan& scan) : main_(main), scan_(scan) {
  setObjectName(QStringLiteral("TForm2"));
  setWindowTitle(QStringLiteral("Suchpfade festlegen..."));
  setFixedSize(386, 226);
  setFont(main.font());

  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(8, 8, 281, 21);
  Edit1->setTextMargins(0, 0, 24, 0);
  Button5 = new QPushButton(QStringLiteral("..."), this);
  Button5->setGeometry(265, 10, 22, 17);
  Button2 = new QPushButton(QStringLiteral("Hinzufügen"), this);
  Button2->setGeometry(296, 8, 81, 25);
  Button3 = new QPushButton(QStringLiteral("Entfernen"), this);
  Button3->setGeometry(296, 40, 81, 25);
  pfade = new QListWidget(this);
  pfade->setObjectName(QStringLiteral("pfade"));
  pfade->setGeometry(8, 32, 281, 121);

  // The legend row: what the three states of an entry's box mean.
  auto* legend = new QFrame(this);
  legend->setGeometry(8, 162, 369, 22);
  legend->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  legend->setFrameShape(QFrame::Box);
  int x = 4;
  auto text = [&](const QString& s) {
    auto* l = new QLabel(s, legend);
    l->move(x, 4);
    l->adjustSize();
    x += l->width() + 4;
  };
  auto box = [&](Qt::CheckState state) {
    auto* l = new QLabel(legend);
    l->setPixmap(BoxPicture(state));
    l->setGeometry(x, 4, 13, 13);
    x += 15;
  };
  text(QStringLiteral("Legende:"));
  box(Qt::Checked);
  text(QStringLiteral(" = Indizieren"));
  box(Qt::Unchecked);
  text(QStringLiteral(" = nicht Indizieren"));
  box(Qt::PartiallyChecked);
  text(QStringLiteral(" = ans Ende stellen"));

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setGeometry(8, 193, 75, 25);
  Button4 = new QPushButton(QStringLiteral("Abbrechen"), this);
  Button4->setGeometry(88, 193, 75, 25);
  CheckBox1 = new QCheckBox(QStringLiteral("Index neu erstellen"), this);
  CheckBox1->setGeometry(176, 193, 113, 17);

  setTabOrder(Edit1, Button2);
  setTabOrder(Button2, Button3);
  setTabOrder(Button3, Button1);
  setTabOrder(Button1, Button4);
  setTabOrder(Button4, CheckBox1);
  setTabOrder(CheckBox1, Button5);
  setTabOrder(Button5, pfade);

  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
  connect(Edit1, &QLineEdit::returnPressed, this, [this] { Button2Click(); });
  connect(pfade, &QListWidget::itemClicked, this, [this] { MarkChanged(); });
  connect(pfade, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    // The box moved one step along its cycle (a click or the space bar).
    const size_t row = size_t(pfade->row(item));
    const TSearchPathMode wanted = ModeOf(item->checkState());
    for (int step = 0; step < 3 && row < List.size() && List.entries()[row].Mode != wanted; ++step) List.CycleMode(row);
    MarkChanged();
  });
}

void TForm2::showEvent(QShowEvent* e) {
  TDialogWindow::showEvent(e);
  FormShow();
}

void TForm2::FormShow() {
  PathsChanged = false;
  CheckBox1->setEnabled(true);
  CheckBox1->setChecked(false);
  LoadFromFile();
  Edit1->clear();
  Edit1->setFocus();
}

void TForm2::LoadFromFile() {
  List.Load(main_.ProgramFolderNative / kSearchPathFile);
  FillList();
}

void TForm2::FillList() {
  filling_ = true;
  pfade->clear();
  for (const TSearchPath& p : List.entries()) {
    auto* item = new QListWidgetItem(FromCp1252(p.Text), pfade);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsUserTristate);
    item->setCheckState(StateOf(p.Mode));
  }
  filling_ = false;
}

void TForm2::MarkChanged() {
  PathsChanged = true;
  CheckBox1->setChecked(true);
  CheckBox1->setEnabled(false);
}

bool TForm2::FolderExists(std::string_view catalogPath) const {
  struct stat st{};
  return ::stat(main_.services().Paths->ToNative(catalogPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void TForm2::Button2Click() {
  // A folder may be typed in either form; it is kept in catalog form.
  const std::string typed = main_.services().Paths->FolderToCatalogForm(Edit1->text());
  const TAddResult r = List.Add(typed, [this](std::string_view p) { return FolderExists(p); });
  Edit1->setText(FromCp1252(r.FieldText));
  if (r.Outcome != TAddOutcome::Added) {
    main_.services().Dialogs->MessageBox(this, AddOutcomeMessage(r.Outcome), "Fehler", TButtons::Ok);
    return;
  }
  MarkChanged();
  FillList();
}

void TForm2::Button3Click() {
  const int row = pfade->currentRow();
  if (row < 0 || !pfade->currentItem() || !pfade->currentItem()->isSelected()) return;
  MarkChanged();
  List.Remove(size_t(row));
  FillList();
}

void TForm2::Button5Click() {
  Edit1->setFocus();
  setEnabled(false);
  const std::string current = main_.services().Paths->FolderToCatalogForm(Edit1->text());
  if (!FolderExists(current)) Edit1->clear();
  const auto chosen = main_.services().Dialogs->BrowseFolder(this, "Suchpfad w\xE4hlen",
                                                             ToCp1252(Edit1->text()));
  if (chosen) {
    Edit1->setText(FromCp1252(AsciiLower(*chosen)));
    if (!FolderExists(ToCp1252(Edit1->text()))) Edit1->clear();
  }
  setEnabled(true);
}

void TForm2::Button1Click() {
  if (!PathsChanged && !CheckBox1->isChecked()) {
    CloseDialog();
    return;
  }
  RunIndexing();
}

void TForm2::Button4Click() {
  LoadFromFile();
  CloseDialog();
}

void TForm2::RunIndexing() {
  main_.Results->Clear();  // the entries point into the catalog that is rebuilt now
  scan_.Gauge()->SetRange(0, kIndexingGaugeRange);
  scan_.Gauge()->SetPosition(0);
  setEnabled(false);
  scan_.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  scan_.show();
  scan_.repaint();

  QElapsedTimer sinceEvents;
  sinceEvents.start();
  TIndexingSink sink;
  sink.Progress = [this](int position) {
    if (position == scan_.Gauge()->Position()) return;
    scan_.Gauge()->SetPosition(position);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  sink.ProcessEvents = [&sinceEvents] {
    if (sinceEvents.elapsed() < 30) return;
    sinceEvents.restart();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  const TIndexingResult result =
      RunIndexingSteps(List.entries(), *main_.services().Paths, main_.ProgramFolderNative, main_.Catalog, sink);
  for (const TUnwrittenFile& f : result.UnwrittenFiles)
    main_.services().Dialogs->MessageBox(this, UnwrittenFileMessage(f), "Fehler", TButtons::Ok);

  main_.BuildFolderTree(&scan_);
  scan_.setWindowFlag(Qt::WindowStaysOnTopHint, false);
  scan_.hide();
  setEnabled(true);
  main_.services().Dialogs->MessageBox(this, IndexingDoneMessage(main_.Catalog.Tracks.size()), "Fertig",
                                       TButtons::Ok);
  main_.DatabaseSize = main_.Catalog.Tracks.size();
  main_.Edit1->setEditText(QStringLiteral("*"));
  main_.Results->Clear();
  main_.SetHitsLine();
  CloseDialog();
}

}  // namespace kt
