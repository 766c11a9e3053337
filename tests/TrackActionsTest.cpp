// Playing, enqueueing, enqueueing behind the current track and copying,
// against a player window in the test process.

#include "platform/Paths.h"
#include "player/TrackActions.h"
#include "tests/support/FakePlayer.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace kt {
namespace {

namespace fs = std::filesystem;
using test::TFakePlayer;

TEST(ResolveEntry, CutsAtTheFirstMp3BracketAndCompletesBareNames) {
  struct Case {
    const char* entry;
    const char* folder;
    const char* path;
  } cases[] = {
      {"d:\\a\\x.mp3 [A - T]", "", "d:\\a\\x.mp3"},
      {"D:\\A\\X.MP3 [A - T]", "", "D:\\A\\X.MP3"},
      {"d:\\Best [x]\\s.mp3 [A - S]", "", "d:\\Best [x]\\s.mp3"},
      {"d:\\a\\b.mp3 [AC\\DC - T]", "", "d:\\a\\b.mp3"},
      {"d:\\a\\b.mp3 [x.mp3 [y]]", "", "d:\\a\\b.mp3"},
      {"x.mp3 [A - T]", "C:\\MP3", "C:\\MP3\\x.mp3"},
      // Without ".mp3 [" the first three characters are all that is left.
      {"d:\\a\\x.mp3", "", "d:\\"},
      {"noext", "c:", "c:\\noe"},
      {"", "c:", "c:\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveEntry(c.entry, c.folder), c.path) << c.entry;
}

// A playlist file of entries numbered 1 … n, and the numbers read back.
TLineList Playlist(int n) {
  TLineList l;
  l.Append("#EXTM3U");
  for (int k = 1; k <= n; ++k) {
    l.Append("#EXTINF:" + std::to_string(k) + ",T" + std::to_string(k));
    l.Append("e" + std::to_string(k));
  }
  return l;
}
std::vector<int> Order(const TLineList& l) {
  std::vector<int> order;
  for (size_t i = 1; i + 1 < l.size(); i += 2) {
    const int k = std::stoi(std::string(l[i + 1].substr(1)));
    EXPECT_EQ(l[i], "#EXTINF:" + std::to_string(k) + ",T" + std::to_string(k)) << "an entry's two lines parted";
    order.push_back(k);
  }
  return order;
}

TEST(MoveEntriesBehind, PutsTheAddedEntriesBehindTheCurrentOneAndNeverRepeatsOne) {
  struct Case {
    int64_t pos;
    int entries;
    size_t count;
    std::vector<int> order;
  } cases[] = {
      {1, 7, 2, {1, 2, 6, 7, 3, 4, 5}},
      {4, 7, 2, {1, 2, 3, 4, 5, 6, 7}},  // the last old entry plays: nothing moves
      {0, 2, 2, {1, 2}},                 // the playlist was empty before
      {0, 3, 3, {1, 2, 3}},
      {1, 3, 2, {1, 2, 3}},              // the current entry is one of the added
      {0, 3, 9, {1, 2, 3}},              // more counted than there are
      {-1, 4, 1, {4, 1, 2, 3}},          // no current entry
      {9, 4, 1, {1, 2, 3, 4}},           // a position past the end
      {0, 4, 0, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    const auto out = MoveEntriesBehind(Playlist(c.entries), c.pos, c.count);
    ASSERT_TRUE(out) << c.pos << "/" << c.entries;
    EXPECT_EQ(out->at(0), "#EXTM3U");
    EXPECT_EQ(Order(*out), c.order) << "pos " << c.pos << " entries " << c.entries << " count " << c.count;
  }
  EXPECT_FALSE(MoveEntriesBehind(Playlist(1), 0, 1));
  EXPECT_FALSE(MoveEntriesBehind(Playlist(0), 0, 1));
  EXPECT_FALSE(MoveEntriesBehind(TLineList(), 0, 1));
}

TEST(MoveEntriesBehind, EqualsTheThreeRangesWhereTheyDoNotOverlap) {
  for (int e = 2; e <= 9; ++e)
    for (int pos = 0; pos < e; ++pos)
      for (int count = 0; pos + 1 <= e - count; ++count) {
        std::vector<int> literal;
        for (int k = 1; k <= pos + 1; ++k) literal.push_back(k);
        for (int k = e - count + 1; k <= e; ++k) literal.push_back(k);
        for (int k = pos + 2; k <= e - count; ++k) literal.push_back(k);
        EXPECT_EQ(Order(*MoveEntriesBehind(Playlist(e), pos, size_t(count))), literal) << e << " " << pos << " " << count;
      }
}

class TestView : public ITrackActionView {
 public:
  void SetCursor(int id) override { cursors.push_back(id); }
  void ProcessEvents() override { QCoreApplication::processEvents(); }
  void Sleep(int) override {}
  std::vector<int> cursors;
};

class TrackActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureCoreApplication();
    setenv("KLANGTRUHE_RUNTIME_DIR", (tmp / "run").c_str(), 1);
    fs::create_directories(tmp / "prog");
    fs::create_directories(tmp / "player");
    fs::create_directories(tmp / "music");
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) test::WriteBytes(tmp / "music" / name, "mp3");
    music = paths.ToCatalog(tmp / "music");
    link.PlayerCommand = "\"" + paths.ToCatalog(tmp / "player" / "player") + "\"";
    link.PlaylistFile = paths.ToCatalog(tmp / "player") + "\\winamp.m3u";
    player = std::make_unique<TFakePlayer>(paths, tmp / "player");
    link.PlayerWindow = player->Window;
  }
  void TearDown() override {
    player.reset();
    unsetenv("KLANGTRUHE_RUNTIME_DIR");
  }
  std::string Entry(const char* name) { return music + "\\" + name + " [Artist - " + name + "]"; }
  std::string Path(const char* name) { return music + "\\" + name; }
  std::string Copied(const char* name) { return "COPYDATA 100 " + Path(name) + " " + std::to_string(Path(name).size() + 1); }

  test::TempDir tmp;
  TPathMapper paths{tmp / "prog"};
  TPlayerLink link{paths};
  TScriptedDialogs dialogs;
  TestView view;
  TPlaylistFileGate gate;
  std::unique_ptr<TFakePlayer> player;
  TTrackActions actions{link, paths, dialogs, nullptr, view, gate};
  std::string music;
};

TEST_F(TrackActionsTest, PlayReplacesThePlaylistAndAMissingFileIsReportedWhileTheRunGoesOn) {
  player->Entries.push_back({"old", "Old", 1});
  EXPECT_TRUE(actions.ActOnList({Entry("a.mp3"), Entry("gone.mp3"), Entry("c.mp3")}, true, false));
  EXPECT_EQ(player->Log, (std::vector<std::string>{"USER 0 101", Copied("a.mp3"), "USER 0 102", Copied("c.mp3")}));
  EXPECT_EQ(player->Paths(), (std::vector<std::string>{Path("a.mp3"), Path("c.mp3")}));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].Caption, "Fehler");
  EXPECT_EQ(dialogs.shown[0].Text, "\"" + Path("gone.mp3") +
                                       "\"\r\n\r\nDer Track wurde umbenannt, verschoben oder gel\xF6scht. Bitte "
                                       "aktualisieren Sie den Index.");
  EXPECT_EQ(view.cursors, (std::vector<int>{100, 0}));

  // The first file missing: the second one empties the playlist and starts.
  player->Log.clear();
  actions.ActOnList({Entry("gone.mp3"), Entry("b.mp3")}, true, false);
  EXPECT_EQ(player->Log, (std::vector<std::string>{"USER 0 101", Copied("b.mp3"), "USER 0 102"}));
}

TEST_F(TrackActionsTest, EnqueueAppendsAndNothingFoundShowsNoConfirmation) {
  player->Entries.push_back({"old", "Old", 1});
  actions.ActOnList({Entry("a.mp3"), Entry("b.mp3")}, false, false);
  EXPECT_EQ(player->Log, (std::vector<std::string>{Copied("a.mp3"), Copied("b.mp3")}));
  EXPECT_EQ(player->Paths(), (std::vector<std::string>{"old", Path("a.mp3"), Path("b.mp3")}));
  view.cursors.clear();
  EXPECT_FALSE(actions.ActOnList({Entry("gone.mp3")}, false, false));
  EXPECT_TRUE(view.cursors.empty());
  // A folder listing's entry is completed with the folder shown.
  actions.CurrentFolder = music;
  player->Log.clear();
  actions.ActOnList({"c.mp3 [Artist - c]"}, false, false);
  EXPECT_EQ(player->Log, (std::vector<std::string>{Copied("c.mp3")}));
}

TEST_F(TrackActionsTest, EnqueueNowMovesTheAddedTracksBehindTheCurrentOneAndRestoresPositionAndTime) {
  for (int k = 1; k <= 5; ++k) player->Entries.push_back({"e" + std::to_string(k), "T" + std::to_string(k), 10 * k});
  player->Pos = 1;
  player->PlayMs = 12345;
  actions.ActOnList({Entry("a.mp3"), Entry("b.mp3")}, false, false);
  player->Log.clear();
  actions.MoveBehindCurrent(2);
  EXPECT_EQ(player->Paths(), (std::vector<std::string>{"e1", "e2", Path("a.mp3"), Path("b.mp3"), "e3", "e4", "e5"}));
  // Titles and lengths travel with their paths.
  EXPECT_EQ(player->Entries[4].Title, "T3");
  EXPECT_EQ(player->Entries[4].Seconds, 30);
  const std::string list = link.PlaylistFile;
  EXPECT_EQ(player->Log, (std::vector<std::string>{"USER 0 120", "USER 0 125", "USER 0 105", "COMMAND 0 40047",
                                                    "USER 0 101", "COPYDATA 100 " + list + " " + std::to_string(list.size() + 1),
                                                    "COMMAND 0 40047", "USER 1 121", "USER 12345 106",
                                                    "COMMAND 0 40045"}));
  EXPECT_EQ(player->Pos, 1);
  EXPECT_EQ(player->PlayMs, 12345);
  EXPECT_NE(test::ReadBytes(tmp / "player" / "winamp.m3u").find("\r\n"), std::string::npos);
}

TEST_F(TrackActionsTest, EnqueueNowIntoAnEmptyPlaylistRepeatsNoEntry) {
  actions.ActOnList({Entry("a.mp3"), Entry("b.mp3")}, false, false);
  actions.MoveBehindCurrent(2);
  EXPECT_EQ(player->Paths(), (std::vector<std::string>{Path("a.mp3"), Path("b.mp3")}));
}

TEST_F(TrackActionsTest, EnqueueNowLeavesThePlaylistAloneWhenTheFileNeverComes) {
  for (int k = 1; k <= 3; ++k) player->Entries.push_back({"e" + std::to_string(k), "T", 1});
  player->WritesPlaylist = false;
  actions.MoveBehindCurrent(1);
  EXPECT_EQ(player->Log, (std::vector<std::string>{"USER 0 120", "USER 0 125", "USER 0 105"}));
  EXPECT_EQ(player->Entries.size(), 3u);
}

TEST_F(TrackActionsTest, EnqueueNowWaitsWhileAnotherHoldsThePlaylistFile) {
  for (int k = 1; k <= 3; ++k) player->Entries.push_back({"e" + std::to_string(k), "T", 1});
  bool movedInside = false;
  gate.Run([&] {
    actions.MoveBehindCurrent(1);
    movedInside = player->Paths() != std::vector<std::string>{"e1", "e2", "e3"};
  });
  EXPECT_FALSE(movedInside);
  EXPECT_EQ(player->Paths(), (std::vector<std::string>{"e1", "e3", "e2"}));
  EXPECT_FALSE(gate.Busy());
}

TEST_F(TrackActionsTest, CopyToPutsTheFilesIntoTheTargetFolderUnderANewNameWhenTaken) {
  actions.TargetFolder = paths.ToCatalog(tmp / "target");
  test::WriteBytes(tmp / "target" / "b.mp3", "older");
  test::WriteBytes(tmp / "target" / "b - Kopie.mp3", "older");
  EXPECT_TRUE(actions.ActOnList({Entry("a.mp3"), Entry("gone.mp3"), Entry("b.mp3")}, false, true));
  EXPECT_TRUE(player->Log.empty());
  EXPECT_EQ(test::ReadBytes(tmp / "target" / "a.mp3"), "mp3");
  EXPECT_EQ(test::ReadBytes(tmp / "target" / "b.mp3"), "older");
  EXPECT_EQ(test::ReadBytes(tmp / "target" / "b - Kopie (2).mp3"), "mp3");
  EXPECT_EQ(view.cursors, (std::vector<int>{101, 100, 0}));
  EXPECT_EQ(dialogs.shown.size(), 1u);
  // Nothing found: nothing copied, no cursor.
  view.cursors.clear();
  actions.ActOnList({Entry("gone.mp3")}, false, true);
  EXPECT_TRUE(view.cursors.empty());
}

}  // namespace
}  // namespace kt
