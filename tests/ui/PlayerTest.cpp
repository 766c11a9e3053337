// The main window with the stand-in player as a process of its own and the
// helper plugin loaded into it: starting the player, installing the plugin,
// the track actions and the now-playing panel.

#include "player/HelperLink.h"
#include "player/PlayerInterface.h"
#include "player/helper-plugin/HelperResource.h"
#include "search/ResultList.h"
#include "tests/support/Mp3Fixtures.h"
#include "tests/support/Process.h"
#include "tests/ui/FormFixture.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class PlayerFixture : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    playerFolder = tmp / "player";
    fs::create_directories(playerFolder / "plugins");
    exe = playerFolder / "standin-player";
    fs::copy_file(BinFolder() / "standin-player", exe);
    registry->SetDefaultValue(player::kOpenCommandKey, "\"" + paths->ToCatalog(exe) + "\" \"%1\"");
  }
  void TearDown() override {
    searchPaths.reset();
    form.reset();  // ends a start that still runs
    for (int i = 0; i < 20; ++i) {
      const HWND w = FindWindow(player::kPlayerWindowClass);
      if (!w) break;
      SendMessage(w, WM_CLOSE, 0, 0);
      WaitFor([&] { return !IsWindow(w); }, 3s);
    }
    running.Kill();
    FormFixture::TearDown();
  }

  // Tracks "Song 1" … "Song n" by "Artist", and their catalog.
  void MakeMusic(int n, double seconds = 30) {
    TLineList tracks;
    for (int k = 1; k <= n; ++k) {
      const std::string name = "song" + std::to_string(k) + ".mp3";
      MakeMp3(tmp / "music" / name, "Artist", "Song " + std::to_string(k), seconds);
      tracks.Append(paths->ToCatalog(tmp / "music" / name) + " [Artist - Song " + std::to_string(k) + "]");
    }
    WriteCatalog(tracks, {paths->ToCatalog(tmp / "music")});
  }
  std::string Track(int k) { return paths->ToCatalog(tmp / "music" / ("song" + std::to_string(k) + ".mp3")); }

  void StartPlayer(bool withHelper) {
    if (withHelper) WriteBytes(playerFolder / "plugins" / kHelperPluginFile, embedded::HelperPluginLibrary());
    running = ChildProcess(exe, {});
    ASSERT_TRUE(WaitFor([] { return FindWindow(player::kPlayerWindowClass) != 0; }));
    if (withHelper) {
      ASSERT_TRUE(WaitFor([] { return FindHelperWindow() != 0; }));
    }
  }
  static bool Until(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 15s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
      if (std::chrono::steady_clock::now() > end) return false;
      Process(10);
    }
    return true;
  }
  static HWND Player() { return FindWindow(player::kPlayerWindowClass); }
  static int64_t Ask(int64_t lParam, uint64_t wParam = 0) { return SendMessage(Player(), WM_USER, wParam, lParam); }
  // The player's playlist: its paths in order.
  std::vector<std::string> Playlist() {
    Ask(player::kRequestWritePlaylist);
    std::vector<std::string> paths;
    const TLineList lines = TLineList::FromText(ReadBytes(playerFolder / "winamp.m3u"));
    for (size_t i = 2; i < lines.size(); i += 2) paths.emplace_back(lines[i]);
    return paths;
  }
  void Query(const char* text) {
    form->Edit1->setEditText(QString::fromLatin1(text));
    QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(form->Edit1->lineEdit(), &ret);
  }
  void SelectRows(std::initializer_list<int> rows) {
    form->ListBox2->selectionModel()->clearSelection();
    for (int r : rows)
      form->ListBox2->selectionModel()->select(form->Results->index(r), QItemSelectionModel::Select);
  }
  void CtrlReturn(Qt::KeyboardModifiers extra = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier | extra);
    QApplication::sendEvent(form->Edit1->lineEdit(), &e);
  }

  fs::path playerFolder, exe;
  ChildProcess running;
};

TEST_F(PlayerFixture, FirstStartInstallsThePluginAndAClosedPlayerIsStartedAgain) {
  MakeMusic(1);
  StartPlayer(false);
  TForm1& f = Show({QStringLiteral("klangtruhe")});
  EXPECT_TRUE(f.isEnabled());
  EXPECT_FALSE(f.NoPlayer);
  // No helper window: the player is closed, the plugin written, the player started again.
  ASSERT_TRUE(Until([] { return FindHelperWindow() != 0; }, 20s));
  EXPECT_TRUE(running.Wait(0ms));
  EXPECT_EQ(ReadBytes(playerFolder / "plugins" / kHelperPluginFile), embedded::HelperPluginLibrary());
  ASSERT_TRUE(Until([&] { return f.isEnabled() && !f.Starter.Running(); }, 5s));
  EXPECT_TRUE(Until([&] { return f.Monitor.Installations() == 0; }, 1s));

  // The player closes: the window is disabled at the next tick, the start
  // window shows and the player comes back.
  SendMessage(Player(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(Until([&] { return !f.isEnabled(); }, 400ms));
  EXPECT_EQ(f.Label2->text(), QStringLiteral("---"));
  EXPECT_EQ(f.ShownGlyphs[2], kStopLit);
  EXPECT_TRUE(Until([&] { return f.WaStartSplash->isVisible(); }, 3s));
  ASSERT_TRUE(Until([&] { return f.isEnabled() && Player() != 0 && FindHelperWindow() != 0; }, 15s));
  EXPECT_FALSE(f.WaStartSplash->isVisible());
}

TEST_F(PlayerFixture, AStartThatBringsNoPlayerUpIsReportedAndRetriedOnlyAfterAPause) {
  MakeMusic(1);
  TForm1& f = Create({QStringLiteral("klangtruhe")});
  // The player passed its check; now it is one that starts but never opens a window.
  fs::remove(exe);
  fs::copy_file(BinFolder() / "klangtruhe_test_window", exe);
  f.Starter.Times.FirstPauseMs = 10;
  f.Starter.Times.Steps = 5;
  f.Starter.Times.GiveUpMs = 300;
  f.Starter.Times.RetryAfterMs = 60000;
  // Without arguments the test window exits at once; it opens no player window.
  ASSERT_FALSE(f.NoPlayer);
  f.show();
  EXPECT_FALSE(f.isEnabled());
  ASSERT_TRUE(Until([&] { return !dialogs.shown.empty(); }, 5s));
  EXPECT_EQ(dialogs.shown[0].Text, "Winamp konnte nicht gestartet werden!");
  EXPECT_EQ(dialogs.shown[0].Caption, "Fehler");
  EXPECT_TRUE(Until([&] { return f.isEnabled() && f.Timer1.isActive(); }, 2s));
  Process(600);  // three ticks: no new start, the window stays usable
  EXPECT_TRUE(f.isEnabled());
  EXPECT_FALSE(f.Starter.Running());
  EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(PlayerFixture, PlayEnqueueAndEnqueueNowFromTheResultList) {
  MakeMusic(7);
  StartPlayer(true);
  TForm1& f = Show({QStringLiteral("klangtruhe")});
  f.Actions.ConfirmationRoundMs = 0;
  Query("song");
  ASSERT_EQ(f.Results->size(), 7u);

  // Ctrl+Return: the playlist is replaced by the selected hits, which play.
  SelectRows({0, 1, 2, 3, 4});
  CtrlReturn();
  EXPECT_EQ(Playlist(), (std::vector<std::string>{Track(1), Track(2), Track(3), Track(4), Track(5)}));
  EXPECT_EQ(Ask(player::kRequestPlayState), 1);
  EXPECT_EQ(Ask(player::kRequestPosition), 0);
  EXPECT_EQ(f.Cursors.Current(), 0);  // the confirmation is over

  // The second entry plays; two more come right behind it.
  SendMessage(Player(), WM_COMMAND, player::kCommandNext, 0);
  ASSERT_EQ(Ask(player::kRequestPosition), 1);
  Process(300);
  const int64_t before = Ask(player::kRequestPlayTime);
  SelectRows({5, 6});
  f.Einreihenjetzt1Click();
  EXPECT_EQ(Playlist(), (std::vector<std::string>{Track(1), Track(2), Track(6), Track(7), Track(3), Track(4), Track(5)}));
  EXPECT_EQ(Ask(player::kRequestPosition), 1);
  EXPECT_GE(Ask(player::kRequestPlayTime), before);
  EXPECT_EQ(Ask(player::kRequestPlayState), 1);

  // Ctrl+Shift+Return appends.
  SelectRows({0});
  CtrlReturn(Qt::ShiftModifier);
  EXPECT_EQ(Playlist().size(), 8u);
  EXPECT_EQ(Playlist().back(), Track(1));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PlayerFixture, EnqueueNowIntoAnEmptyPlaylistAndAMissingFile) {
  MakeMusic(3);
  fs::remove(tmp / "music" / "song2.mp3");
  StartPlayer(true);
  TForm1& f = Show({QStringLiteral("klangtruhe")});
  f.Actions.ConfirmationRoundMs = 0;
  Query("song");
  SelectRows({0, 1, 2});
  f.Einreihenjetzt1Click();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].Text, "\"" + Track(2) +
                                       "\"\r\n\r\nDer Track wurde umbenannt, verschoben oder gel\xF6scht. Bitte "
                                       "aktualisieren Sie den Index.");
  // The run went on, and no entry is repeated although three were counted.
  EXPECT_EQ(Playlist(), (std::vector<std::string>{Track(1), Track(3)}));
}

TEST_F(PlayerFixture, TheNowPlayingPanelFollowsThePlayer) {
  TLineList tracks;
  const char* titles[][2] = {{"A & B", "Song - mp3PRO"}, {"Artist", "Next"}};
  for (int k = 0; k < 2; ++k) {
    const fs::path file = tmp / "music" / ("t" + std::to_string(k) + ".mp3");
    MakeMp3(file, titles[k][0], titles[k][1], 30);
    tracks.Append(paths->ToCatalog(file) + " [" + titles[k][0] + " - " + titles[k][1] + "]");
  }
  WriteCatalog(tracks, {paths->ToCatalog(tmp / "music")});
  StartPlayer(true);
  TForm1& f = Show({QStringLiteral("klangtruhe")});
  f.Actions.ConfirmationRoundMs = 0;
  Query("*");
  SelectRows({0, 1});
  f.Abspielen1Click();
  ASSERT_TRUE(Until([&] { return f.Label10->text() == QStringLiteral("Artist - Next"); }, 3s));
  EXPECT_EQ(f.Label2->text(), QStringLiteral("A & B - Song"));
  EXPECT_EQ(f.Monitor.Label(kLabelTitle), "A && B - Song");
  EXPECT_EQ(f.Label4->text(), QStringLiteral("0:30"));
  EXPECT_TRUE(Until([&] { return f.Label12->text() == QStringLiteral("0:30"); }, 2s));
  EXPECT_EQ(f.ShownGlyphs[0], kPlayLit);
  EXPECT_TRUE(Until([&] { return f.Label6->text() == QStringLiteral("0:01"); }, 3s));
  EXPECT_EQ(f.Label8->text(), QStringLiteral("0:29"));
  EXPECT_EQ(f.Gauge1->MaxValue(), 30);
  EXPECT_EQ(f.Gauge1->Position(), 1);

  f.Transport(player::kCommandPause);
  EXPECT_TRUE(Until([&] { return f.ShownGlyphs[1] == kPauseLit && f.ShownGlyphs[0] == kPlayUnlit; }, 1s));
  f.Transport(player::kCommandStop);
  EXPECT_TRUE(Until([&] { return f.ShownGlyphs[2] == kStopLit; }, 1s));
  EXPECT_TRUE(Until([&] { return f.Gauge1->Position() == -1; }, 1s));
}

}  // namespace
}  // namespace kt::test
