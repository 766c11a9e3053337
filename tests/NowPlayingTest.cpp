// The now-playing monitor's tick against a player and a helper window in the
// test process, and its formatting rules.

#include "player/HelperLink.h"
#include "player/NowPlaying.h"
#include "tests/support/FakePlayer.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace kt {
namespace {

namespace fs = std::filesystem;
using test::TFakePlayer;

TEST(NowPlayingText, PlayTimes) {
  const std::pair<int64_t, const char*> cases[] = {{5, "0:05"},   {187, "3:07"}, {3700, "61:40"}, {60, "1:00"},
                                                   {0, "0:00"},   {-1, "0:00"},  {122, "2:02"}};
  for (auto [s, text] : cases) EXPECT_EQ(FormatPlayTime(s), text) << s;
}

TEST(NowPlayingText, CleanTitles) {
  const std::pair<const char*, const char*> cases[] = {
      {"Artist - Song - mp3PRO", "Artist - Song"},
      {"A & B", "A && B"},
      {"&&", "&&&&"},
      {"21\xB0 im Schatten", "21\xB0 im Schatten"},
      {"Song - mp3pro", "Song - mp3pro"},  // the suffix is matched exactly
      {" - mp3PRO", ""},
      {"", ""},
  };
  for (auto [in, out] : cases) EXPECT_EQ(CleanTitle(in), out) << in;
}

TEST(NowPlayingText, NextLengthFromThePlaylistFile) {
  const TLineList playlist{"#EXTM3U",          "#EXTINF:10,A", "a", "#EXTINF:245,B", "b", "#EXTINF:-1,C", "c",
                           "#EXTINF:abc,D",    "d",            "#EXTINF:99",     "e", "#extinf:5,F",  "f",
                           "#EXTINF:+7,G",     "g"};
  struct Case {
    int64_t pos;
    const char* text;
    const char* error;
  } cases[] = {
      {0, "4:05", ""},
      {1, "0:00", ""},
      {2, "", "'abc' ist kein g\xFCltiger Integerwert"},
      {3, "", "'' ist kein g\xFCltiger Integerwert"},  // no comma: no number
      {4, "---", ""},                                    // the prefix is matched exactly
      {5, "0:07", ""},
      {6, "---", ""},                                    // no entry after the last
      {1000000, "---", ""},
      {INT64_MAX, "---", ""},
      {-5, "---", ""},
  };
  for (const Case& c : cases) {
    const TNextLength r = NextLengthOf(playlist, c.pos);
    EXPECT_EQ(r.Text, c.text) << c.pos;
    EXPECT_EQ(r.Error, c.error) << c.pos;
  }
  int32_t v = 0;
  EXPECT_FALSE(ParseWholeNumber("2147483648", v));
  EXPECT_TRUE(ParseWholeNumber("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  EXPECT_TRUE(ParseWholeNumber("  42", v));
  EXPECT_FALSE(ParseWholeNumber("42 ", v));
  EXPECT_FALSE(ParseWholeNumber("-", v));
}

// The helper plugin's window, answering from two texts.
class FakeHelper {
 public:
  FakeHelper() {
    Window = RegisterWindow(kHelperWindowClass, kHelperWindowTitle, [this](const TMessage& m) -> int64_t {
      ++Messages;
      auto code = [](const std::string& t, size_t i) { return i < t.size() ? int64_t(uint8_t(t[i])) : 0; };
      switch (m.Msg) {
        case kHelperCurrentFirst: current_ = Current, ci_ = 0; return code(current_, 0);
        case kHelperCurrentNext: return code(current_, ++ci_);
        case kHelperNextFirst: next_ = Next, ni_ = 0; return code(next_, 0);
        case kHelperNextNext: return code(next_, ++ni_);
      }
      return 0;
    });
  }
  ~FakeHelper() { UnregisterWindow(Window); }
  HWND Window;
  std::string Current, Next;
  int Messages = 0;

 private:
  std::string current_, next_;
  size_t ci_ = 0, ni_ = 0;
};

class TestView : public INowPlayingView {
 public:
  void ShowLabel(int label, const std::string& text) override { shown.push_back(std::to_string(label) + "=" + text); }
  void ShowGlyphs(int play, int pause, int stop) override { glyphs = {play, pause, stop}; }
  void ShowProgress(int64_t maximum, int64_t position) override { progress = {maximum, position}; }
  void ShowTitle(const std::string& t) override { titles.push_back(t); }
  void SetMonitorRunning(bool on) override { running = on; }
  void DisableWindow() override { disabled = true; }
  bool StarterReady() override { return ready; }
  void StartPlayer() override { ++starts; }
  void ProcessEvents() override { QCoreApplication::processEvents(); }
  void ReportError(const std::string& text) override { errors.push_back(text); }

  std::vector<std::string> shown, titles, errors;
  std::vector<int> glyphs;
  std::pair<int64_t, int64_t> progress;
  bool running = true, disabled = false, ready = true;
  int starts = 0;
};

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureCoreApplication();
    setenv("KLANGTRUHE_RUNTIME_DIR", (tmp / "run").c_str(), 1);
    fs::create_directories(tmp / "prog");
    fs::create_directories(tmp / "player" / "plugins");
    link.PlayerCommand = "\"" + paths.ToCatalog(tmp / "player" / "player") + "\"";
    link.PlaylistFile = paths.ToCatalog(tmp / "player") + "\\winamp.m3u";
    player = std::make_unique<TFakePlayer>(paths, tmp / "player");
    player->Entries = {{"a", "Artist - Song - mp3PRO", 187}, {"b", "Rock & Roll", 65}, {"c", "Last", 245}};
    player->State = 1;
    player->LengthSeconds = 187;
    player->PlayMs = 65900;
    helper = std::make_unique<FakeHelper>();
    helper->Current = "Artist - Song - mp3PRO";
    helper->Next = "Rock & Roll";
    monitor.InstallWaitMs = 30;
  }
  void TearDown() override {
    helper.reset();
    player.reset();
    unsetenv("KLANGTRUHE_RUNTIME_DIR");
  }
  std::vector<std::string> Labels() {
    std::vector<std::string> l;
    for (int i : {kLabelTitle, kLabelNextTitle, kLabelLength, kLabelPlayed, kLabelToPlay, kLabelNextLength})
      l.push_back(monitor.Label(i));
    return l;
  }

  test::TempDir tmp;
  TPathMapper paths{tmp / "prog"};
  TPlayerLink link{paths};
  TPlaylistFileGate gate;
  TestView view;
  std::unique_ptr<TFakePlayer> player;
  std::unique_ptr<FakeHelper> helper;
  TNowPlayingMonitor monitor{link, paths, gate, view, "library bytes"};
};

TEST_F(MonitorTest, FirstTickFillsThePanelAndLaterTicksRewriteOnlyWhatChanged) {
  monitor.Tick();
  EXPECT_EQ(Labels(), (std::vector<std::string>{"Artist - Song", "Rock && Roll", "3:07", "1:05", "2:02", "1:05"}));
  EXPECT_EQ(view.titles, (std::vector<std::string>{"Artist - Song"}));
  EXPECT_EQ(view.glyphs, (std::vector<int>{kPlayLit, kPauseUnlit, kStopUnlit}));
  EXPECT_EQ(view.progress, (std::pair<int64_t, int64_t>{187, 65}));
  EXPECT_EQ(monitor.LastTitle, "Artist - Song - mp3PRO");
  EXPECT_EQ(monitor.LastPlayState, 1);
  // One message per character and one ending each title.
  EXPECT_EQ(helper->Messages, int(helper->Current.size() + 1 + helper->Next.size() + 1));

  // The same titles again: no label is rewritten and the playlist is not asked for.
  view.shown.clear();
  view.glyphs.clear();
  player->Log.clear();
  monitor.Tick();
  EXPECT_TRUE(view.shown.empty());
  EXPECT_TRUE(view.glyphs.empty());
  EXPECT_EQ(view.titles.size(), 1u);
  EXPECT_EQ(player->Log, (std::vector<std::string>{"USER 1 105", "USER 0 105", "USER 0 104"}));

  // Paused, then the next track: the pause glyph, new titles and the next length.
  player->State = 3;
  player->Pos = 1;
  helper->Current = "Rock & Roll";
  helper->Next = "Last";
  monitor.Tick();
  EXPECT_EQ(view.glyphs, (std::vector<int>{kPlayUnlit, kPauseLit, kStopUnlit}));
  EXPECT_EQ(monitor.Label(kLabelTitle), "Rock && Roll");
  EXPECT_EQ(monitor.Label(kLabelNextLength), "4:05");
  // At the end of the playlist there is no next track.
  player->Pos = 2;
  player->State = 0;
  helper->Next = "";
  monitor.Tick();
  EXPECT_EQ(monitor.Label(kLabelNextTitle), "---");
  EXPECT_EQ(monitor.Label(kLabelNextLength), "---");
  EXPECT_EQ(view.glyphs, (std::vector<int>{kPlayUnlit, kPauseUnlit, kStopLit}));
}

TEST_F(MonitorTest, NothingLoadedAndOneCharacterNextTitles) {
  player->LengthSeconds = -1;
  player->PlayMs = 0;
  helper->Current = "";
  helper->Next = "x";
  monitor.Tick();
  EXPECT_EQ(Labels(), (std::vector<std::string>{"---", "---", "0:00", "0:00", "0:00", "---"}));
  EXPECT_EQ(view.progress, (std::pair<int64_t, int64_t>{-1, -1}));
}

TEST_F(MonitorTest, ABadLengthIsReportedOnceAndTheTickGoesOnNextTime) {
  monitor.Tick();
  EXPECT_EQ(monitor.Label(kLabelNextLength), "1:05");
  // A playlist file that never comes leaves the length alone.
  player->WritesPlaylist = false;
  monitor.UpdateNextLength();
  EXPECT_EQ(monitor.Label(kLabelNextLength), "1:05");
  EXPECT_TRUE(view.errors.empty());

  player->WritesPlaylist = true;
  player->PlaylistText = "#EXTM3U\r\n#EXTINF:187,A\r\na\r\n#EXTINF:1x,Other\r\nb\r\n";
  helper->Next = "Other";
  player->LengthSeconds = 200;
  monitor.Tick();
  EXPECT_EQ(view.errors, (std::vector<std::string>{"'1x' ist kein g\xFCltiger Integerwert"}));
  EXPECT_EQ(monitor.Label(kLabelNextLength), "1:05");
  EXPECT_EQ(monitor.Label(kLabelLength), "3:07");  // the rest of that tick was skipped
  monitor.Tick();
  EXPECT_EQ(view.errors.size(), 1u);
  EXPECT_EQ(monitor.Label(kLabelLength), "3:20");
}

TEST_F(MonitorTest, AGonePlayerStartsTheStarterUnlessAFailedStartWaits) {
  monitor.Tick();
  player->Close();
  view.ready = false;
  monitor.Tick();
  EXPECT_EQ(view.starts, 0);
  EXPECT_FALSE(view.disabled);
  EXPECT_TRUE(view.running);
  EXPECT_EQ(monitor.Label(kLabelTitle), "---");
  view.ready = true;
  monitor.Tick();
  EXPECT_EQ(view.starts, 1);
  EXPECT_TRUE(view.disabled);
  EXPECT_FALSE(view.running);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"---", "---", "---", "---", "---", "1:05"}));
  EXPECT_EQ(view.glyphs, (std::vector<int>{kPlayUnlit, kPauseUnlit, kStopLit}));
  EXPECT_EQ(monitor.LastPlayState, 1);  // the stopped glyphs are not taken as a reading
}

TEST_F(MonitorTest, AMissingHelperIsInstalledThreeTimesAtMostThenTheTitlesStayEmpty) {
  helper.reset();
  // The fake player ignores WM_CLOSE: each installation gives up after its wait.
  for (int i = 0; i < 5; ++i) monitor.Tick();
  EXPECT_EQ(std::count(player->Log.begin(), player->Log.end(), "CLOSE"), 3);
  EXPECT_EQ(monitor.Label(kLabelTitle), "---");
  EXPECT_EQ(monitor.Label(kLabelLength), "3:07");  // the times go on
  EXPECT_TRUE(view.running);
}

TEST_F(MonitorTest, NoPlayerModeSendsNothing) {
  monitor.NoPlayer = true;
  monitor.Tick();
  EXPECT_TRUE(player->Log.empty());
  EXPECT_EQ(helper->Messages, 0);
  EXPECT_EQ(monitor.Label(kLabelTitle), "---");
}

TEST_F(MonitorTest, TheNextLengthWaitsWhileTheTracksAreMoved) {
  gate.Run([&] {
    monitor.Tick();
    EXPECT_EQ(std::count(player->Log.begin(), player->Log.end(), "USER 0 120"), 0);
  });
  monitor.Tick();
  EXPECT_EQ(std::count(player->Log.begin(), player->Log.end(), "USER 0 120"), 1);
  EXPECT_EQ(monitor.Label(kLabelNextLength), "1:05");
}

}  // namespace
}  // namespace kt
