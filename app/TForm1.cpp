#include "app/TForm1.h"

#include "app/Artwork.h"
#include "app/ListPrinter.h"
#include "app/TForm7.h"
#include "app/TSplash.h"
#include "catalog/CatalogLoader.h"
#include "catalog/IndexingRun.h"
#include "catalog/FolderTreeModel.h"
#include "platform/Cp1252.h"
#include "player/PlayerInterface.h"
#include "player/helper-plugin/HelperResource.h"
#include "search/FolderListing.h"
#include "search/ListDocument.h"
#include "search/ResultList.h"
#include "search/SearchFieldKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QThread>
#include <QTreeView>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace kt {

namespace {

// The program's title, as boxes of the program itself show it.
constexpr const char* kApplicationTitle = "Klangtruhe";

// Whether the selection holds exactly one row, told from its ranges: a
// million selected entries are never listed one by one for it.
bool ExactlyOneRowSelected(const QItemSelectionModel& selection) {
  int row = -1;
  for (const QItemSelectionRange& r : selection.selection()) {
    if (r.height() != 1 || (row >= 0 && r.top() != row)) return false;
    row = r.top();
  }
  return row >= 0;
}

QFrame* NewPanel(QWidget* parent, const char* name) {
  auto* p = new QFrame(parent);
  p->setObjectName(QString::fromLatin1(name));
  p->setFrameStyle(QFrame::Panel | QFrame::Raised);
  return p;
}

QFrame* NewBevel(QWidget* parent, const char* name) {
  auto* b = new QFrame(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  return b;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, Qt::Alignment align = Qt::AlignLeft) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setAlignment(align | Qt::AlignVCenter);
  return l;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(geometry);
  b->setFocusPolicy(Qt::TabFocus);
  return b;
}

bool IsDescendantOf(QObject* o, const QWidget* ancestor) {
  for (; o; o = o->parent())
    if (o == ancestor) return true;
  return false;
}

}  // namespace

TForm1::TForm1(const TAppServices& services, const QStringList& arguments)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      Player(*services.Paths),
      Actions(Player, *services.Paths, *services.Dialogs, this, *this, PlaylistGate),
      Monitor(Player, *services.Paths, PlaylistGate, *this, embedded::HelperPluginLibrary()),
      Starter(*this),
      WaStartSplash(std::make_unique<TWaStartSplash>()),
      services_(services) {
  setObjectName(QStringLiteral("TForm1"));
  BuildWindow();
  FormCreate(arguments);
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  if (Window) UnregisterWindow(Window);
}

QString TForm1::CaptionText() const {
  return QStringLiteral("Varnik's Klangtruhe 2.0 alpha") + (PartyMode ? QStringLiteral("   -- Party-Mode --") : QString());
}

void TForm1::BuildWindow() {
  setFont(art::DesignFont());
  setWindowIcon(art::ProgramIcon());
  setMinimumSize(kMinimumWidth, kMinimumHeight);

  Caption = new TCaptionBar(this);
  Client = new QWidget(this);
  Client->setObjectName(QStringLiteral("Client"));

  Panel_ol = NewPanel(Client, "Panel_ol");
  Panel_or = NewPanel(Client, "Panel_or");
  Panel_or2 = NewPanel(Panel_or, "Panel_or2");
  Panel_m = NewPanel(Client, "Panel_m");
  Panel_ul = NewPanel(Client, "Panel_ul");
  Panel_ur = NewPanel(Client, "Panel_ur");
  panels_ = {Panel_m, Panel_ul, Panel_ur, Panel_or, Panel_ol, Panel_or2};

  // Top left: the search field and its buttons.
  Edit1 = new QComboBox(Panel_ol);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setEditable(true);
  Edit1->setInsertPolicy(QComboBox::NoInsert);
  Edit1->setGeometry(8, 6, 303, 21);
  Edit1->setEditText(QStringLiteral("*"));
  Button1 = NewButton(Panel_ol, "Button1", QStringLiteral("Suchen"), QRect(316, 6, 61, 21));
  Button22 = NewButton(Panel_ol, "Button22", QStringLiteral("Suchpfade festlegen"), QRect(7, 30, 114, 21));
  Button23 = NewButton(Panel_ol, "Button23", QStringLiteral("Synchronisieren"), QRect(126, 30, 91, 21));
  Button24 = NewButton(Panel_ol, "Button24", QStringLiteral("Standardaktion"), QRect(222, 30, 89, 21));
  Button2 = NewButton(Panel_ol, "Button2", QStringLiteral("WinLIRC"), QRect(316, 30, 61, 21));

  // Top right: the now-playing display.
  Bevel1 = NewBevel(Panel_or, "Bevel1");
  Bevel2 = NewBevel(Panel_or, "Bevel2");
  Bevel3 = NewBevel(Panel_or, "Bevel3");
  Bevel4 = NewBevel(Panel_or, "Bevel4");
  Bevel5 = NewBevel(Panel_or, "Bevel5");
  Bevel6 = NewBevel(Panel_or, "Bevel6");
  Label1 = NewLabel(Panel_or, "Label1", QStringLiteral("Current Track"));
  Label1->setGeometry(8, 8, 70, 13);
  Label9 = NewLabel(Panel_or, "Label9", QStringLiteral("Next Track"));
  Label9->setGeometry(8, 34, 70, 13);
  Label2 = NewLabel(Panel_or, "Label2", QStringLiteral("---"));
  Label10 = NewLabel(Panel_or, "Label10", QStringLiteral("---"));
  Label3 = NewLabel(Panel_or, "Label3", QStringLiteral("Length"));
  Label11 = NewLabel(Panel_or, "Label11", QStringLiteral("Length"));
  Label5 = NewLabel(Panel_or, "Label5", QStringLiteral("Time played"));
  Label7 = NewLabel(Panel_or, "Label7", QStringLiteral("Time to play"));
  Label4 = NewLabel(Panel_or, "Label4", QStringLiteral("---"), Qt::AlignRight);
  Label6 = NewLabel(Panel_or, "Label6", QStringLiteral("---"), Qt::AlignRight);
  Label8 = NewLabel(Panel_or, "Label8", QStringLiteral("---"), Qt::AlignRight);
  Label12 = NewLabel(Panel_or, "Label12", QStringLiteral("---"), Qt::AlignRight);
  for (QLabel* name : {Label2, Label10}) name->setTextFormat(Qt::PlainText);
  for (int i = 0; i < 7; ++i) {
    Images[i] = new QLabel(Panel_or);
    Images[i]->setObjectName(QStringLiteral("Image%1").arg(i + 1));
    Images[i]->setPixmap(art::HiddenPicture(i));
    Images[i]->setGeometry(0, 0, 17, 17);
    Images[i]->hide();
  }
  const char* transportNames[5] = {"WaPrev", "WaPlay", "WaPause", "WaStop", "WaNext"};
  QPushButton** transport[5] = {&WaPrev, &WaPlay, &WaPause, &WaStop, &WaNext};
  const uint64_t commands[5] = {player::kCommandPrevious, player::kCommandPlay, player::kCommandPause,
                                player::kCommandStop, player::kCommandNext};
  for (int i = 0; i < 5; ++i) {
    QPushButton* b = NewButton(Panel_or2, transportNames[i], QString(), QRect(8 + 40 * i, 6, 33, 15));
    b->setIcon(QIcon(art::TransportGlyph(i)));
    b->setIconSize(QSize(17, 9));
    b->setFocusPolicy(Qt::NoFocus);
    const uint64_t command = commands[i];
    connect(b, &QPushButton::clicked, this, [this, command] { Transport(command); });
    *transport[i] = b;
  }

  // Middle: the folder tree, the splitter and the result list.
  Splitter1 = new QSplitter(Qt::Horizontal, Panel_m);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  TreeView1 = new TTreeView(Splitter1);
  TreeView1->setObjectName(QStringLiteral("TreeView1"));
  TreeView1->setHeaderHidden(true);
  TreeView1->setIndentation(19);
  TreeView1->setUniformRowHeights(true);
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeView1->setMinimumWidth(100);
  ListBox2 = new TListBox(Splitter1);
  ListBox2->setObjectName(QStringLiteral("ListBox2"));
  ListBox2->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListBox2->setUniformItemSizes(true);
  ListBox2->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListBox2->setMinimumWidth(100);
  Splitter1->setSizes({250, 765});
  Results = new TResultList(this);
  Results->SetCatalog(&Catalog);
  ListBox2->setModel(Results);
  TreeModel = new TFolderTreeModel(this);
  std::vector<QIcon> icons;
  for (int i = 0; i < art::kTreeImageCount; ++i) icons.emplace_back(art::TreeImage(i));
  TreeModel->SetDecoration([icons](int image) {
    return image >= 0 && size_t(image) < icons.size() ? QVariant(icons[size_t(image)]) : QVariant();
  });
  TreeView1->setModel(TreeModel);
  TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
  TreeView1->setExpandsOnDoubleClick(true);
  connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { TreeView1Change(); });
  connect(TreeView1, &QTreeView::expanded, this, [this](const QModelIndex& i) { TreeView1Expanded(i, true); });
  connect(TreeView1, &QTreeView::collapsed, this, [this](const QModelIndex& i) { TreeView1Expanded(i, false); });
  TreeView1->OnClick = [this] { TreeView1Change(); };
  TreeView1->OnRightClickNode = [this](const QModelIndex& n, QPoint at) { TreeView1MouseDown(n, at); };
  ListBox2->OnMouseDown = [this](Qt::MouseButton b, QPoint at) { ListBox2MouseDown(b, at); };
  ListBox2->OnDblClick = [this] { ListBox2DblClick(); };
  ListBox2->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListBox2, &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { PopupMenu1.popup(ListBox2->viewport()->mapToGlobal(at)); });
  BuildMenus();

  // Bottom: the hits line and the play-position gauge.
  Label13 = NewLabel(Panel_ul, "Label13", QString());
  Label13->setGeometry(2, 2, 229, 14);
  Gauge1 = new TGauge(Panel_ur);
  Gauge1->setObjectName(QStringLiteral("Gauge1"));

  Timer1.setInterval(200);
  Timer2.setInterval(4000);
  Timer3.setInterval(200);
  connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  connect(&Timer3, &QTimer::timeout, this, [this] { Timer3Timer(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button22, &QPushButton::clicked, this, [this] { Button22Click(); });
  connect(Button24, &QPushButton::clicked, this, [this] { Button24Click(); });

  Caption->SetCaption(CaptionText());
  Caption->OnGlyphButton = [this](int i) {
    switch (i) {
      case 0: CaptionButton3Click(); break;
      case 1: CaptionButton1Click(); break;
      case 2: CaptionButton2Click(); break;
      default: CaptionButton4Click(); break;
    }
  };
  Caption->OnSystemMenu = [this](QPoint at) { SystemMenu.popup(at); };
  Caption->OnMinimize = [this] { showMinimized(); };
  Caption->OnClose = [this] { close(); };
  SystemMenu.addAction(QStringLiteral("&Verschieben"), this, [this] { SystemCommand(kCommandMove); });
  SystemMenu.addAction(QStringLiteral("Mi&nimieren"), this, [this] { SystemCommand(kCommandMinimize); });
  SystemMenu.addSeparator();
  SystemMenu.addAction(QStringLiteral("&Schließen\tAlt+F4"), this, [this] { SystemCommand(kCommandClose); });

  // Key preview: the window sees every key before the focused control.
  qApp->installEventFilter(this);

  resize(kDesignClientWidth, kDesignClientHeight + TCaptionBar::kHeight);
  if (QScreen* s = QGuiApplication::primaryScreen())
    connect(s, &QScreen::availableGeometryChanged, this, [this] { FitToWorkArea(); });
}

void TForm1::AddDialog(TDialogWindow* dialog) {
  dialogs_.push_back(dialog);
  dialog->OnCloseDialog = [this](QWidget* d) { CloseDialog(d); };
}

void TForm1::FormCreate(const QStringList& arguments) {
  std::srand(unsigned(std::time(nullptr)));
  Catalog.Clear();
  NoWarn = NoPlayer = PartyMode = false;
  for (int i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("-nowarn")) NoWarn = true;
    else if (arguments[i] == QLatin1String("-nowinamp")) NoPlayer = true;
    else if (arguments[i] == QLatin1String("-party")) PartyMode = true;
  }
  Caption->SetCaption(CaptionText());
  setWindowTitle(CaptionText());
  Player.LocatePlayer(*services_.Registry);
  DesktopFolder = services_.Paths->ToCatalog(
      std::filesystem::path(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString()));
  Actions.TargetFolder = DesktopFolder;

  switch (Player.CheckPlayer(*services_.Dialogs, this, NoPlayer)) {
    case TPlayerLink::TCheck::Accepted: break;
    case TPlayerLink::TCheck::NoPlayer:
      NoPlayer = true;
      Monitor.NoPlayer = true;
      for (QPushButton* b : {WaPrev, WaPlay, WaPause, WaStop, WaNext}) b->setEnabled(false);
      for (QAction* a : {Abspielen1, Einreihen1, Einreihenjetzt1}) a->setEnabled(false);
      break;
    case TPlayerLink::TCheck::EndProgram:
      CloseAtStart = true;
      Timer3.start();
      return;
  }
  EnvironmentCheck();
}

void TForm1::EnvironmentCheck() {
  ProgramFolderNative = services_.ProgramFile.parent_path();
  ProgramFolder = services_.Paths->ToCatalog(ProgramFolderNative) + "\\";
  // Writability probe.
  const std::filesystem::path probe = ProgramFolderNative / "test.dat";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (!NoWarn)
      services_.Dialogs->MessageBox(this,
                                    "Die Klangtruhe wurde von einem schreibgesch\xFCtzten Datentr\xE4ger gestartet.\r\n"
                                    "Alle Schreibvorg\xE4nge bleiben wirkungslos!",
                                    "Hinweis", TButtons::Ok);
  } else {
    ::close(fd);
    ::unlink(probe.c_str());
  }
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize size = screen ? screen->size() : QSize(0, 0);
  if (size.width() < kMinimumWidth || size.height() < kMinimumHeight) {
    services_.Dialogs->MessageBox(this, "Die Klangtruhe ben\xF6tigt eine Aufl\xF6sung von mindestens 800x600 Pixeln!",
                                  "Fehler", TButtons::Ok);
    CloseAtStart = true;
    Timer3.start();
    return;
  }
  CloseAtStart = false;
  Monitor.LastPlayState = -1;
  FitToWorkArea();
}

void TForm1::FitToWorkArea() {
  if (const QScreen* s = QGuiApplication::primaryScreen()) setGeometry(s->availableGeometry());
}

void TForm1::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

void TForm1::FormShow() {
  if (splash_) splash_->Gauge()->SetRange(0, 10000), splash_->Gauge()->SetPosition(0);
  LoadCatalog(ProgramFolderNative, Catalog);
  BuildSearchKeys(Catalog);
  DatabaseSize = Catalog.Tracks.size();
  SetHitsLine();
  BuildFolderTree();
  Edit1->setFocus();
  AddSystemMenuEntries();
  Cursors.LoadCursorSet();
  if (DefaultActionWindow) {
    DefaultActionWindow->SetTargetFolder(DesktopFolder);
    DefaultActionWindow->NoPlayer = NoPlayer;
  }
  if (PartyMode) {
    for (QPushButton* b : {Button22, Button23, Button2}) b->setEnabled(false);
    if (DefaultActionWindow) DefaultActionWindow->DisableCopyTo();
  }
  if (splash_) splash_->hide();
  // Without a player the window waits, disabled, for the starter.
  if (!NoPlayer) {
    Player.PlayerWindow = FindWindow(player::kPlayerWindowClass);
    if (Player.PlayerWindow == 0) setEnabled(false);
  }
  // The window's handle for other processes: it answers WM_USER + 8.
  if (!Window)
    Window = RegisterWindow("TForm1", ToCp1252(CaptionText()), [this](const TMessage& m) { return HandleMessage(m); });
  Timer1.start();
}

int64_t TForm1::HandleMessage(const TMessage& m) {
  if (m.Msg == WM_USER + 8) {
    setEnabled(true);
    SetMonitorRunning(true);
  } else if (m.Msg == WM_CLOSE) {
    // As any window: asked to close, it closes (after the answer is out).
    QTimer::singleShot(0, this, [this] { close(); });
  }
  return 0;
}

void TForm1::SetHitsLine() { Label13->setText(FromCp1252(HitsLine(Results->size(), DatabaseSize))); }

void TForm1::LoadingProgress(size_t done, size_t total, TScan* scan) {
  // Both gauges are set, whichever window shows; events are let through
  // when a gauge moves.
  bool moved = false;
  const int position = kt::LoadingProgress(done, total);
  if (splash_ && splash_->Gauge()->Position() != position) {
    splash_->Gauge()->SetPosition(position);
    moved = true;
  }
  const int stage3 = IndexingGaugePosition(kTreeStage, done, total);
  if (scan && scan->Gauge()->Position() != stage3) {
    scan->Gauge()->SetPosition(stage3);
    moved = true;
  }
  if (moved) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::BuildFolderTree(TScan* scan) {
  // No selection is reported while the tree is built.
  TreeView1->setUpdatesEnabled(false);
  TreeModel->Rebuild(Catalog.Folders, [this, scan](size_t p, size_t n) { LoadingProgress(p, n, scan); });
  TreeView1->setUpdatesEnabled(true);
}

void TForm1::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  FormResize();
}

void TForm1::FormResize() {
  Caption->setGeometry(0, 0, width(), TCaptionBar::kHeight);
  Client->setGeometry(0, TCaptionBar::kHeight, width(), height() - TCaptionBar::kHeight);
  TValueWidths w;
  w.Label4 = Label4->width();
  w.Label6 = Label6->width();
  w.Label8 = Label8->width();
  w.Label12 = Label12->width();
  const TMainLayout l = LayOutMainWindow(Client->width(), Client->height(), w);
  Panel_ol->setGeometry(l.Panel_ol);
  Panel_or->setGeometry(l.Panel_or);
  Panel_or2->setGeometry(l.Panel_or2);
  Label2->setGeometry(l.Label2);
  Bevel1->setGeometry(l.Bevel1);
  Label10->setGeometry(l.Label10);
  Bevel5->setGeometry(l.Bevel5);
  Label3->setGeometry(l.Label3);
  Label4->setGeometry(l.Label4);
  Bevel2->setGeometry(l.Bevel2);
  Label11->setGeometry(l.Label11);
  Label12->setGeometry(l.Label12);
  Bevel6->setGeometry(l.Bevel6);
  Label5->setGeometry(l.Label5);
  Label6->setGeometry(l.Label6);
  Bevel3->setGeometry(l.Bevel3);
  Label7->setGeometry(l.Label7);
  Label8->setGeometry(l.Label8);
  Bevel4->setGeometry(l.Bevel4);
  Panel_m->setGeometry(l.Panel_m);
  Splitter1->setGeometry(Panel_m->rect());
  Panel_ul->setGeometry(l.Panel_ul);
  Panel_ur->setGeometry(l.Panel_ur);
  Gauge1->setGeometry(l.Gauge1);
}

void TForm1::ShowDialog(QWidget* dialog) {
  for (QFrame* p : panels_) p->setEnabled(false);
  dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  dialog->repaint();
}

void TForm1::CloseDialog(QWidget* dialog) {
  dialog->setWindowFlag(Qt::WindowStaysOnTopHint, false);
  dialog->hide();
  for (QFrame* p : panels_) p->setEnabled(true);
  Edit1->setFocus();
}

bool TForm1::FormKeyDown(int key, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  const Qt::KeyboardModifiers held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (held == Qt::NoModifier && buttons == Qt::NoButton) {
    switch (key) {
      case Qt::Key_F1: CaptionButton3Click(); return true;
      case Qt::Key_F2: CaptionButton1Click(); return true;
      case Qt::Key_F3: CaptionButton2Click(); return true;
      case Qt::Key_F4: CaptionButton4Click(); return true;
    }
  }
  if (key == Qt::Key_Space && held == Qt::AltModifier) {
    SystemMenu.popup(Caption->mapToGlobal(Caption->SystemMenuRect().bottomLeft()));
    return true;
  }
  return false;
}

void TForm1::SystemCommand(int id) {
  // The window's own commands first, then the entries of the program.
  switch (id & 0xFFF0) {
    case kCommandMove:
      if (windowHandle()) windowHandle()->startSystemMove();
      break;
    case kCommandMinimize: showMinimized(); break;
    case kCommandClose: close(); break;
    case kMenuFullScreen: CaptionButton3Click(); break;
    case kMenuPlayer: CaptionButton1Click(); break;
    case kMenuVolume: CaptionButton2Click(); break;
    case kMenuHelp: CaptionButton4Click(); break;
    case kMenuAbout:
      if (AboutWindow) ShowDialog(AboutWindow);
      break;
  }
}

void TForm1::AddSystemMenuEntries() {
  struct Entry {
    int id;
    const char* text;
    QPixmap bitmap;
  };
  const Entry entries[] = {
      {kMenuSeparator1, nullptr, {}},
      {kMenuFullScreen, "Voll&bild", art::CaptionGlyph(0)},
      {kMenuPlayer, "Wina&mp", art::CaptionGlyph(1)},
      {kMenuVolume, "&Lautstärkekontrolle", art::CaptionGlyph(2)},
      {kMenuHelp, "&Hilfe", art::CaptionGlyph(3)},
      {kMenuSeparator2, nullptr, {}},
      {kMenuAbout, "&About", art::HiddenPicture(6)},
  };
  for (const Entry& e : entries) {
    QAction* a = e.text ? SystemMenu.addAction(QIcon(e.bitmap), QString::fromUtf8(e.text)) : SystemMenu.addSeparator();
    a->setData(e.id);
    if (e.text) {
      const int id = e.id;
      connect(a, &QAction::triggered, this, [this, id] { SystemCommand(id); });
    }
  }
}

void TForm1::Button1Click() {
  const std::string t = ToCp1252(Edit1->currentText());
  if (History.Add(t)) {
    QStringList items;
    for (const std::string& h : History.Items()) items << FromCp1252(h);
    const QString text = Edit1->currentText();
    Edit1->blockSignals(true);
    Edit1->clear();
    Edit1->addItems(items);
    Edit1->setEditText(text);
    Edit1->blockSignals(false);
  }
  const TQueryOutcome outcome = RunQuery(t, Catalog, DigitCount, *Results, [this](int id) {
    Cursors.Set(id);
  });
  if (!outcome.Message.empty()) services_.Dialogs->MessageBox(this, outcome.Message, "Fehler", TButtons::Ok);
  if (outcome.IsTextSearch()) {
    if (Results->size() > 0) MarkFirstHit(*ListBox2->selectionModel());
    else ListBox2->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    Cursors.Set(0);
    SetHitsLine();
  }
  Edit1->setFocus();
}

bool TForm1::Edit1KeyDown(int key, Qt::KeyboardModifiers modifiers) {
  const TSearchFieldKeyResult r =
      HandleSearchFieldKey(TSearchFieldKeyPress::FromQt(key, modifiers), *ListBox2->selectionModel());
  switch (r.Action) {
    case TSearchFieldAction::RunQueryThenSelectAll:
      Button1Click();
      Edit1->lineEdit()->selectAll();
      break;
    case TSearchFieldAction::Play: Abspielen1Click(); break;
    case TSearchFieldAction::Enqueue: Einreihen1Click(); break;
    case TSearchFieldAction::None: break;
  }
  if (r.Swallowed && r.Action == TSearchFieldAction::None) ListBox2->scrollTo(ListBox2->currentIndex());
  return r.Swallowed;
}

void TForm1::Transport(uint64_t command) {
  Player.Transport(command);
  Edit1->setFocus();
}

void TForm1::Timer1Timer() { Monitor.Tick(); }

// Track actions.

std::vector<std::string> TForm1::SelectedEntries() const {
  QModelIndexList rows = ListBox2->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<std::string> entries;
  entries.reserve(size_t(rows.size()));
  for (const QModelIndex& i : rows) entries.emplace_back(Results->Text(size_t(i.row())));
  return entries;
}

std::vector<std::string> TForm1::AllEntries() const {
  std::vector<std::string> entries;
  entries.reserve(Results->size());
  for (size_t i = 0; i < Results->size(); ++i) entries.emplace_back(Results->Text(i));
  return entries;
}

void TForm1::ActOnEntries(const std::vector<std::string>& entries, bool play, bool copy, bool behindCurrent) {
  Actions.CurrentFolder = CurrentFolder;
  // Every copy goes to the default-action dialog's folder as it stands now.
  if (DefaultActionWindow) Actions.TargetFolder = DefaultActionWindow->TargetFolder();
  Actions.ActOnList(entries, play, copy);
  if (behindCurrent) Actions.MoveBehindCurrent(entries.size());
}

void TForm1::Abspielen1Click() { ActOnEntries(SelectedEntries(), true, false); }
void TForm1::Einreihen1Click() { ActOnEntries(SelectedEntries(), false, false); }
void TForm1::Einreihenjetzt1Click() { ActOnEntries(SelectedEntries(), false, false, true); }
void TForm1::Kopierennach1Click() { ActOnEntries(SelectedEntries(), false, true); }
void TForm1::Abspielen2Click() { ActOnEntries(AllEntries(), true, false); }
void TForm1::Einreihen2Click() { ActOnEntries(AllEntries(), false, false); }
void TForm1::Einreihenjetzt2Click() { ActOnEntries(AllEntries(), false, false, true); }
void TForm1::Kopierennach2Click() { ActOnEntries(AllEntries(), false, true); }

// The menus of the result list and of the folder tree.

void TForm1::BuildMenus() {
  auto add = [this](QMenu& menu, const char* name, const QString& caption, void (TForm1::*handler)()) {
    QAction* a = menu.addAction(caption);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return a;
  };
  PopupMenu1.setObjectName(QStringLiteral("PopupMenu1"));
  Abspielen1 = add(PopupMenu1, "Abspielen1", QStringLiteral("Abspielen"), &TForm1::Abspielen1Click);
  Einreihen1 = add(PopupMenu1, "Einreihen1", QStringLiteral("Einreihen"), &TForm1::Einreihen1Click);
  Einreihenjetzt1 = add(PopupMenu1, "Einreihenjetzt1", QStringLiteral("Einreihen jetzt"), &TForm1::Einreihenjetzt1Click);
  PopupMenu1.addSeparator();
  Kopierennach1 = add(PopupMenu1, "Kopierennach1", QStringLiteral("Kopieren"), &TForm1::Kopierennach1Click);
  PopupMenu1.addSeparator();
  Ordneranzeigen1 = add(PopupMenu1, "Ordneranzeigen1", QStringLiteral("Ordner anzeigen"), &TForm1::Ordneranzeigen1Click);
  PopupMenu1.addSeparator();
  Eintraegekopieren1 =
      add(PopupMenu1, "Eintraegekopieren1", QStringLiteral("Einträge kopieren"), &TForm1::Eintraegekopieren1Click);
  Listedrucken1 = add(PopupMenu1, "Listedrucken1", QStringLiteral("Liste drucken"), &TForm1::Listedrucken1Click);
  PopupMenu1.setDefaultAction(Abspielen1);

  PopupMenu2.setObjectName(QStringLiteral("PopupMenu2"));
  Aufklappen2 = add(PopupMenu2, "Aufklappen2", QStringLiteral("Aufklappen"), &TForm1::Aufklappen2Click);
  Allesaufklappen2 = add(PopupMenu2, "Allesaufklappen2", QStringLiteral("Alles Aufklappen"), &TForm1::Allesaufklappen2Click);
  Zuklappen2 = add(PopupMenu2, "Zuklappen2", QStringLiteral("Zuklappen"), &TForm1::Zuklappen2Click);
  Alleszuklappen2 = add(PopupMenu2, "Alleszuklappen2", QStringLiteral("Alles Zuklappen"), &TForm1::Alleszuklappen2Click);
  PopupMenu2.addSeparator();
  Abspielen2 = add(PopupMenu2, "Abspielen2", QStringLiteral("Abspielen"), &TForm1::Abspielen2Click);
  Einreihen2 = add(PopupMenu2, "Einreihen2", QStringLiteral("Einreihen"), &TForm1::Einreihen2Click);
  Einreihenjetzt2 = add(PopupMenu2, "Einreihenjetzt2", QStringLiteral("Einreihen jetzt"), &TForm1::Einreihenjetzt2Click);
  PopupMenu2.addSeparator();
  Kopierennach2 = add(PopupMenu2, "Kopierennach2", QStringLiteral("Kopieren"), &TForm1::Kopierennach2Click);
  PopupMenu2.addSeparator();
  Eintraegekopieren2 =
      add(PopupMenu2, "Eintraegekopieren2", QStringLiteral("Einträge kopieren"), &TForm1::Eintraegekopieren1Click);
  Listedrucken2 = add(PopupMenu2, "Listedrucken2", QStringLiteral("Liste drucken"), &TForm1::Listedrucken1Click);
  PopupMenu2.setDefaultAction(Aufklappen2);
  // Once the tree's menu has closed, the folder is listed again.
  connect(&PopupMenu2, &QMenu::aboutToHide, this, [this] { TreeView1Change(); });
}

TDefaultAction TForm1::MenuDefaultAction() const {
  const QAction* a = PopupMenu1.defaultAction();
  return a == Einreihen1 ? TDefaultAction::Enqueue : a == Kopierennach1 ? TDefaultAction::CopyTo : TDefaultAction::Play;
}

void TForm1::MarkMenuDefault(TDefaultAction action) {
  PopupMenu1.setDefaultAction(action == TDefaultAction::Enqueue  ? Einreihen1
                              : action == TDefaultAction::CopyTo ? Kopierennach1
                                                                 : Abspielen1);
}

void TForm1::Button24Click() {
  if (DefaultActionWindow) ShowDialog(DefaultActionWindow);
}

// Folder browsing.

QModelIndex TForm1::SelectedNode() const {
  const QModelIndexList selected = TreeView1->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? QModelIndex() : selected.first();
}

void TForm1::TreeView1Change() {
  const QModelIndex node = SelectedNode();
  CurrentFolder = node.isValid() ? AsciiUpper(NodeFolderPath(TreeModel->PathOf(node))) : std::string();
  ListFolder(Catalog, CurrentFolder, *Results);
  ListBox2->selectionModel()->clear();
  SetHitsLine();
}

void TForm1::TreeView1Expanded(const QModelIndex& node, bool expanded) {
  // The view has no event before a node opens; the image follows right after,
  // before anything is drawn.
  TreeModel->SetExpanded(node, expanded);
}

void TForm1::TreeView1MouseDown(const QModelIndex& node, QPoint globalAt) {
  TreeView1->selectionModel()->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
  const bool children = TreeModel->hasChildren(node);
  for (QAction* a : {Aufklappen2, Allesaufklappen2, Zuklappen2, Alleszuklappen2}) a->setEnabled(children);
  const bool entries = Results->size() > 0;
  Listedrucken2->setEnabled(entries && !PartyMode);
  Eintraegekopieren2->setEnabled(ListBox2->currentIndex().isValid() && !PartyMode);
  PopupMenu2.popup(globalAt);
}

void TForm1::Aufklappen2Click() {
  const QModelIndex node = SelectedNode();
  if (node.isValid()) TreeView1->expand(node);
}

void TForm1::Zuklappen2Click() {
  const QModelIndex node = SelectedNode();
  if (node.isValid()) TreeView1->collapse(node);
}

void TForm1::WithTreeSuspended(const std::function<void()>& change) {
  ExpandGuard = true;
  TreeView1->setUpdatesEnabled(false);
  change();
  TreeView1->setUpdatesEnabled(true);
  ExpandGuard = false;
}

void TForm1::Allesaufklappen2Click() {
  const QModelIndex node = SelectedNode();
  if (node.isValid()) WithTreeSuspended([&] { TreeView1->expandRecursively(node); });
}

void TForm1::Alleszuklappen2Click() {
  const QModelIndex node = SelectedNode();
  if (node.isValid()) WithTreeSuspended([&] { TreeView1->CollapseSubtree(node); });
}

// The result list's mouse paths.

void TForm1::ListBox2MouseDown(Qt::MouseButton button, QPoint at) {
  const QModelIndex under = ListBox2->indexAt(at);
  QItemSelectionModel& selection = *ListBox2->selectionModel();
  if (under.isValid() && button == Qt::RightButton && !selection.isSelected(under)) {
    ListBox2->setUpdatesEnabled(false);
    selection.setCurrentIndex(under, QItemSelectionModel::ClearAndSelect);
    ListBox2->setUpdatesEnabled(true);
  }
  if (!under.isValid()) {
    for (QAction* a : {Abspielen1, Einreihen1, Einreihenjetzt1, Kopierennach1, Ordneranzeigen1, Eintraegekopieren1,
                       Listedrucken1})
      a->setEnabled(false);
  } else {
    if (!NoPlayer)
      for (QAction* a : {Abspielen1, Einreihen1, Einreihenjetzt1}) a->setEnabled(true);
    Eintraegekopieren1->setEnabled(true);
    const QModelIndex caret = selection.currentIndex();
    Ordneranzeigen1->setEnabled(caret.isValid() && Results->Text(size_t(caret.row())).find('\\') != std::string_view::npos);
    Listedrucken1->setEnabled(Results->size() > 0);
    if (!ExactlyOneRowSelected(selection)) {
      Ordneranzeigen1->setEnabled(false);
      Eintraegekopieren1->setEnabled(false);
    }
    Kopierennach1->setEnabled(selection.hasSelection());
  }
  if (PartyMode)
    for (QAction* a : {Kopierennach1, Eintraegekopieren1, Listedrucken1}) a->setEnabled(false);
}

void TForm1::ListBox2DblClick() {
  switch (MenuDefaultAction()) {
    case TDefaultAction::Play: Abspielen1Click(); break;
    case TDefaultAction::Enqueue: Einreihen1Click(); break;
    case TDefaultAction::CopyTo: Kopierennach1Click(); break;
  }
}

void TForm1::Ordneranzeigen1Click() {
  const QModelIndex caret = ListBox2->currentIndex();
  if (!caret.isValid()) return;
  const std::string entry(Results->Text(size_t(caret.row())));
  const TRevealTarget target = RevealTargetOf(entry);
  std::vector<TFolderNode*> reached;
  WithTreeSuspended([&] {
    for (int r = 0; r < TreeModel->rowCount(); ++r) TreeView1->CollapseSubtree(TreeModel->index(r, 0));
    reached = WalkFolderPath(TreeModel->Tree(), target.Components);
    for (const TFolderNode* n : reached)
      if (n->Parent) TreeView1->expand(TreeModel->IndexOf(n->Parent));
    if (!reached.empty())
      TreeView1->selectionModel()->setCurrentIndex(TreeModel->IndexOf(reached.back()),
                                                   QItemSelectionModel::ClearAndSelect);
    TreeView1->setFocus();
    TreeView1Change();
    const long long k = FindEntryIgnoringCase(*Results, target.Name);
    if (k >= 0) {
      ListBox2->scrollTo(Results->index(int(std::max(k - 2, 0LL))), QAbstractItemView::PositionAtTop);
      ListBox2->selectionModel()->setCurrentIndex(Results->index(int(k)), QItemSelectionModel::ClearAndSelect);
    }
  });
  if (!reached.empty()) TreeView1->scrollTo(TreeModel->IndexOf(reached.back()));
}

void TForm1::Listedrucken1Click() {
  if (PrintNeedsConfirmation(Results->size()) &&
      services_.Dialogs->MessageBox(this, kPrintManyQuestion, kApplicationTitle, TButtons::YesNo) != TAnswer::Yes)
    return;
  const std::string document = ListDocument(Results->size(), [this](size_t i) { return Results->Text(i); });
  QString error;
  if (!PrintPlainText(document, QStringLiteral("Report"), &error))
    services_.Dialogs->MessageBox(this, ToCp1252(error), "Fehler", TButtons::Ok);
}

void TForm1::Eintraegekopieren1Click() {
  const QModelIndex caret = ListBox2->currentIndex();
  if (!caret.isValid()) return;
  QGuiApplication::clipboard()->setText(FromCp1252(CopiedEntryPath(Results->Text(size_t(caret.row())), CurrentFolder)));
}

void TForm1::SetCursor(int id) { Cursors.Set(id); }
void TForm1::ProcessEvents() { QCoreApplication::processEvents(); }
void TForm1::Sleep(int milliseconds) {
  if (milliseconds > 0) QThread::msleep(unsigned(milliseconds));
}

// The now-playing monitor's view.

void TForm1::ShowLabel(int label, const std::string& text) {
  QLabel* const labels[13] = {nullptr, Label1, Label2, Label3, Label4, Label5, Label6,
                              Label7,  Label8, Label9, Label10, Label11, Label12};
  if (label < 1 || label > 12) return;
  QString shown = FromCp1252(text);
  // The titles come with every "&" doubled, as a label taking "&" for an
  // accelerator mark needs them; ours shows plain text, so one is shown.
  if (label == kLabelTitle || label == kLabelNextTitle) shown.replace(QStringLiteral("&&"), QStringLiteral("&"));
  labels[label]->setText(shown);
}

void TForm1::ShowGlyphs(int play, int pause, int stop) {
  const int glyphs[3] = {play, pause, stop};
  QPushButton* const buttons[3] = {WaPlay, WaPause, WaStop};
  for (int i = 0; i < 3; ++i) {
    if (ShownGlyphs[i] == glyphs[i]) continue;
    ShownGlyphs[i] = glyphs[i];
    // Image 1 … 6: play, pause and stop, each unlit and lit.
    buttons[i]->setIcon(QIcon(art::TransportGlyph(1 + i, glyphs[i] % 2 == 0)));
  }
}

void TForm1::ShowProgress(int64_t maximum, int64_t position) {
  const int top = int(std::clamp<int64_t>(maximum, -1, INT32_MAX));
  Gauge1->SetRange(-1, top);
  Gauge1->SetPosition(int(std::clamp<int64_t>(position, -1, top)));
}

void TForm1::SetMonitorRunning(bool on) {
  if (on && !closed_) Timer1.start();
  else Timer1.stop();
}

void TForm1::StartPlayer() { Starter.Start(Player.NativePlayerPath()); }

void TForm1::ReportError(const std::string& text) {
  services_.Dialogs->MessageBox(this, text, kApplicationTitle, TButtons::Ok);
}

// The player starter's windows.

void TForm1::SetMainTopmost(bool on) {
  if (closed_) return;
  const QRect frame = geometry();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  setGeometry(frame);
  show();
  raise();
  activateWindow();
}

void TForm1::PrepareSplash() {
  if (windowHandle() && !WaStartSplash->windowHandle()) WaStartSplash->winId();
  if (WaStartSplash->windowHandle()) WaStartSplash->windowHandle()->setTransientParent(windowHandle());
  WaStartSplash->Gauge()->SetPosition(0);
}

void TForm1::ShowSplash() {
  if (closed_) return;
  WaStartSplash->CentreOnScreen();
  WaStartSplash->show();
  WaStartSplash->repaint();
  WaStartSplash->raise();
  WaStartSplash->activateWindow();
}

void TForm1::SetSplashGauge(int position) { WaStartSplash->Gauge()->SetPosition(position); }
void TForm1::CloseSplash() { WaStartSplash->hide(); }

void TForm1::ReportStartFailure() {
  services_.Dialogs->MessageBox(this, "Winamp konnte nicht gestartet werden!", "Fehler", TButtons::Ok);
}

void TForm1::Timer3Timer() {
  if (CloseAtStart) close();
}

void TForm1::closeEvent(QCloseEvent* e) {
  FormClose();
  e->accept();
  QCoreApplication::quit();
}

void TForm1::FormClose() {
  if (closed_) return;
  closed_ = true;
  Timer1.stop();
  WaStartSplash->hide();
  Results->Clear();
  TreeModel->SetTree(TFolderTree());
  Catalog.Clear();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(event);
    const bool ours = watched->isWidgetType() && IsDescendantOf(watched, this) && static_cast<QWidget*>(watched)->window() == this;
    if (ours && event->type() == QEvent::KeyPress) {
      if (FormKeyDown(k->key(), k->modifiers(), QGuiApplication::mouseButtons())) return true;
      if (watched == Edit1->lineEdit() && Edit1KeyDown(k->key(), k->modifiers())) return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kt
