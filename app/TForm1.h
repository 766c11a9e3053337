#pragma once
// The main window: search field and buttons, the now-playing display with the
// transport buttons, the folder tree and the result list, the hits line and
// the play-position gauge; the dialog mechanism, caption buttons, function
// keys and system menu. It owns the program's state for the whole run.

#include "app/MainLayout.h"
#include "app/TCaptionBar.h"
#include "app/TCursorTable.h"
#include "app/TDialogWindow.h"
#include "app/TGauge.h"
#include "app/TListViews.h"
#include "catalog/Catalog.h"
#include "catalog/FolderTree.h"
#include "platform/DialogService.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/WinMsg.h"
#include "player/NowPlaying.h"
#include "player/PlayerLink.h"
#include "player/PlayerStarter.h"
#include "player/DefaultAction.h"
#include "player/PlaylistFile.h"
#include "player/TrackActions.h"
#include "search/Query.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>

class QComboBox;
class QSplitter;

namespace kt {

class TFolderTreeModel;
class TResultList;
class TScan;
class TSplash;
class TForm7;
class TWaStartSplash;

// What the program is given from outside: its file, its folder's path mapping,
// its dialogs and its registry.
struct TAppServices {
  std::filesystem::path ProgramFile;
  TPathMapper* Paths = nullptr;
  IDialogService* Dialogs = nullptr;
  TRegistry* Registry = nullptr;
};

// System-menu entries appended to the main window's system menu.
enum : int {
  kMenuSeparator1 = 0xF200,
  kMenuFullScreen = 0xF240,
  kMenuPlayer = 0xF210,
  kMenuVolume = 0xF220,
  kMenuHelp = 0xF2A0,
  kMenuSeparator2 = 0xF230,
  kMenuAbout = 0xF260,
  // The window's own commands.
  kCommandMove = 0xF010,
  kCommandMinimize = 0xF020,
  kCommandClose = 0xF060,
};

class TForm1 : public QWidget,
               private ITrackActionView,
               private INowPlayingView,
               private IStarterWindows {
 public:
  TForm1(const TAppServices& services, const QStringList& arguments);
  ~TForm1() override;

  // Start-up state.
  bool NoWarn = false, NoPlayer = false, PartyMode = false, CloseAtStart = false;
  std::string ProgramFolder;  // catalog form, with a trailing backslash
  std::filesystem::path ProgramFolderNative;
  std::string DesktopFolder;
  size_t DatabaseSize = 0;
  int DigitCount = 4;  // from the remote settings, once they exist
  // The folder shown in the tree; entries of a folder listing carry no folder.
  std::string CurrentFolder;

  TCatalog Catalog;
  TPlayerLink Player;
  TSearchHistory History;
  TPlaylistFileGate PlaylistGate;
  TTrackActions Actions;
  TNowPlayingMonitor Monitor;
  TPlayerStarter Starter;
  std::unique_ptr<TWaStartSplash> WaStartSplash;
  // The glyphs of play, pause and stop as last shown (image numbers 1 … 6).
  int ShownGlyphs[3] = {kPlayUnlit, kPauseUnlit, kStopUnlit};

  // The windows the entry sequence creates after this one.
  void SetSplash(TSplash* splash) { splash_ = splash; }
  void AddDialog(TDialogWindow* dialog);
  TDialogWindow* HelpWindow = nullptr;   // TForm13
  TDialogWindow* AboutWindow = nullptr;  // TForm9
  TDialogWindow* SearchPathWindow = nullptr;  // TForm2
  TForm7* DefaultActionWindow = nullptr;

  // Handlers.
  void FormShow();
  void FormResize();
  void FitToWorkArea();
  void ShowDialog(QWidget* dialog);
  void CloseDialog(QWidget* dialog);
  bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
  void SystemCommand(int id);
  void AddSystemMenuEntries();
  void Button1Click();
  bool Edit1KeyDown(int key, Qt::KeyboardModifiers modifiers);
  void Timer1Timer();
  void Timer3Timer();
  void Transport(uint64_t command);
  void CaptionButton1Click() { Player.ShowPlayer(); }
  void CaptionButton2Click() { TPlayerLink::ShowVolumeControl(); }
  void CaptionButton3Click() {}  // the full-screen view arrives with its window
  void CaptionButton4Click() { if (HelpWindow) ShowDialog(HelpWindow); }
  void Button22Click() { if (SearchPathWindow) ShowDialog(SearchPathWindow); }
  void Button24Click();
  // Track actions: the result list's menu acts on the selected entries, the
  // folder tree's menu on all of them.
  void Abspielen1Click();
  void Einreihen1Click();
  void Einreihenjetzt1Click();
  void Kopierennach1Click();
  void Abspielen2Click();
  void Einreihen2Click();
  void Einreihenjetzt2Click();
  void Kopierennach2Click();
  std::vector<std::string> SelectedEntries() const;
  std::vector<std::string> AllEntries() const;
  // Folder browsing and the result list's mouse paths.
  void TreeView1Change();
  void TreeView1Expanded(const QModelIndex& node, bool expanded);
  void TreeView1MouseDown(const QModelIndex& node, QPoint globalAt);
  void Aufklappen2Click();
  void Allesaufklappen2Click();
  void Zuklappen2Click();
  void Alleszuklappen2Click();
  void ListBox2MouseDown(Qt::MouseButton button, QPoint at);
  void ListBox2DblClick();
  void Ordneranzeigen1Click();
  void Eintraegekopieren1Click();
  void Listedrucken1Click();
  // The default action: the bold entry of the result list's menu.
  TDefaultAction MenuDefaultAction() const;
  void MarkMenuDefault(TDefaultAction action);
  bool ExpandGuard = false;
  QModelIndex SelectedNode() const;

  // Components.
  TCaptionBar* Caption = nullptr;
  QWidget* Client = nullptr;
  QFrame *Panel_ol, *Panel_or, *Panel_or2, *Panel_m, *Panel_ul, *Panel_ur;
  QComboBox* Edit1;
  QPushButton *Button1, *Button22, *Button23, *Button24, *Button2;
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10, *Label11,
      *Label12, *Label13;
  QFrame *Bevel1, *Bevel2, *Bevel3, *Bevel4, *Bevel5, *Bevel6;
  QLabel* Images[7];
  QPushButton *WaPrev, *WaPlay, *WaPause, *WaStop, *WaNext;
  QSplitter* Splitter1;
  TTreeView* TreeView1;
  TListBox* ListBox2;
  QMenu PopupMenu1, PopupMenu2;
  QAction *Abspielen1, *Einreihen1, *Einreihenjetzt1, *Kopierennach1, *Ordneranzeigen1, *Eintraegekopieren1,
      *Listedrucken1;
  QAction *Aufklappen2, *Allesaufklappen2, *Zuklappen2, *Alleszuklappen2, *Abspielen2, *Einreihen2,
      *Einreihenjetzt2, *Kopierennach2, *Eintraegekopieren2, *Listedrucken2;
  TGauge* Gauge1;
  QTimer Timer1, Timer2, Timer3;
  QMenu SystemMenu;
  TResultList* Results = nullptr;
  TFolderTreeModel* TreeModel = nullptr;
  TCursorTable Cursors;
  HWND Window = 0;  // this window's handle for other processes

  const std::vector<QFrame*>& SixPanels() const { return panels_; }
  QString CaptionText() const;
  void SetHitsLine();
  const TAppServices& services() const { return services_; }
  // Rebuilds the tree from the folder list; progress goes to the splash
  // and, during an indexing run, to its window as the run's last stage.
  void BuildFolderTree(TScan* scan = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent*) override;
  void showEvent(QShowEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  void FormCreate(const QStringList& arguments);
  void EnvironmentCheck();
  void BuildWindow();
  void BuildMenus();
  // A change of many nodes at once: the guard is set and the tree drawn once, afterwards.
  void WithTreeSuspended(const std::function<void()>& change);
  void LoadingProgress(size_t done, size_t total, TScan* scan);
  void FormClose();
  int64_t HandleMessage(const TMessage& m);
  // One run of a track action; "enqueue now" then moves the run behind the current track.
  void ActOnEntries(const std::vector<std::string>& entries, bool play, bool copy, bool behindCurrent = false);

  // ITrackActionView
  void SetCursor(int id) override;
  void ProcessEvents() override;
  void Sleep(int milliseconds) override;
  // INowPlayingView
  void ShowLabel(int label, const std::string& text) override;
  void ShowGlyphs(int play, int pause, int stop) override;
  void ShowProgress(int64_t maximum, int64_t position) override;
  void SetMonitorRunning(bool on) override;
  void DisableWindow() override { setEnabled(false); }
  bool StarterReady() override { return Starter.Ready(); }
  void StartPlayer() override;
  void ReportError(const std::string& text) override;
  // IStarterWindows
  void SetMainTopmost(bool on) override;
  void SetMainEnabled(bool on) override { setEnabled(on); }
  void PrepareSplash() override;
  void ShowSplash() override;
  void SetSplashGauge(int position) override;
  void CloseSplash() override;
  void PlayerFound(HWND window) override { Player.PlayerWindow = window; }
  void ReportStartFailure() override;

  TAppServices services_;
  TSplash* splash_ = nullptr;
  std::vector<QFrame*> panels_;
  std::vector<TDialogWindow*> dialogs_;
  bool shown_ = false;
  bool closed_ = false;
};

}  // namespace kt
