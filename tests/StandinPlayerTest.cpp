// The stand-in player as a process of its own, driven through its window.

#include "platform/FileVersion.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/WinMsg.h"
#include "player/PlayerInterface.h"
#include "tests/support/Mp3Fixtures.h"
#include "tests/support/Process.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <thread>
#include <sys/wait.h>

namespace kt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace kt::player;
using test::ChildProcess;
using test::ReadBytes;
using test::TempDir;
using test::WaitFor;

class StandinPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A copy of the player in a folder of its own: its playlist file and its
    // plugins folder are the test's alone.
    folder = tmp / "player";
    fs::create_directories(folder / "plugins");
    exe = folder / "standin-player";
    fs::copy_file(test::BinFolder() / "standin-player", exe);
    env = {{"KLANGTRUHE_RUNTIME_DIR", (tmp / "run").string()},
           {"KLANGTRUHE_REGISTRY", (tmp / "registry.reg").string()},
           {"SDL_AUDIODRIVER", "disk"},
           {"SDL_DISKAUDIOFILE", "/dev/null"},
           {"QT_QPA_PLATFORM", "offscreen"}};
    for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
  }
  void TearDown() override {
    if (player.Running()) {
      SendMessage(FindWindow(kPlayerWindowClass), WM_CLOSE, 0, 0);
      player.Wait(5s);
    }
    for (const auto& [k, v] : env) unsetenv(k.c_str());
  }

  HWND Start() {
    player = ChildProcess(exe, {}, env);
    HWND h = 0;
    WaitFor([&] { return (h = FindWindow(kPlayerWindowClass)) != 0; });
    return h;
  }
  // A track as the program names it: its catalog path.
  std::string Track(const std::string& name, const std::string& artist, const std::string& title, double seconds = 3) {
    const fs::path file = tmp / "music" / name;
    test::MakeMp3(file, artist, title, seconds);
    return TPathMapper(folder).ToCatalog(file);
  }
  void Append(HWND h, const std::string& catalogPath) {
    SendCopyData(h, kCopyDataAddFile, catalogPath + '\0');
  }
  int64_t User(HWND h, int64_t lParam, uint64_t wParam = 0) { return SendMessage(h, WM_USER, wParam, lParam); }
  std::string Playlist(HWND h) {
    fs::remove(folder / "winamp.m3u");
    User(h, kRequestWritePlaylist);
    return ReadBytes(folder / "winamp.m3u");
  }

  TempDir tmp;
  fs::path folder, exe;
  std::map<std::string, std::string> env;
  ChildProcess player;
};

TEST_F(StandinPlayerTest, PlaylistPlaybackAndTransport) {
  const std::string a = Track("a.mp3", "Artist A", "Caf\xE9 Song", 3);
  const std::string b = Track("Die \xC3\x84rzte.mp3", "", "", 3);  // untagged: its file name
  const std::string c = Track("c.mp3", "Artist C", "Third", 3);
  const HWND h = Start();
  ASSERT_NE(h, 0u);
  EXPECT_EQ(User(h, kRequestPlayState), 0);
  EXPECT_EQ(User(h, kRequestPlayTime, 1), -1);  // nothing loaded
  for (const auto& t : {a, b, c}) Append(h, t);

  // The playlist file is written before the answer: header, then title line and path per entry.
  EXPECT_EQ(Playlist(h), "#EXTM3U\r\n#EXTINF:3,Artist A - Caf\xE9 Song\r\n" + a + "\r\n#EXTINF:3,Die \xC4rzte\r\n" + b +
                             "\r\n#EXTINF:3,Artist C - Third\r\n" + c + "\r\n");

  EXPECT_EQ(User(h, kRequestPosition), 0);
  User(h, kRequestStartPlayback);
  EXPECT_EQ(User(h, kRequestPlayState), 1);
  EXPECT_EQ(User(h, kRequestPlayTime, 1), 3);
  ASSERT_TRUE(WaitFor([&] { return User(h, kRequestPlayTime) >= 300; }, 5s));

  SendMessage(h, WM_COMMAND, kCommandPause, 0);
  EXPECT_EQ(User(h, kRequestPlayState), 3);
  const int64_t held = User(h, kRequestPlayTime);
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(User(h, kRequestPlayTime), held);
  SendMessage(h, WM_COMMAND, kCommandPause, 0);
  EXPECT_EQ(User(h, kRequestPlayState), 1);

  // Seek, and a seek past the end is held at the end.
  User(h, kRequestSeek, 2000);
  EXPECT_GE(User(h, kRequestPlayTime), 1900);
  SendMessage(h, WM_COMMAND, kCommandStop, 0);
  EXPECT_EQ(User(h, kRequestPlayState), 0);
  EXPECT_EQ(User(h, kRequestPlayTime), 0);

  SendMessage(h, WM_COMMAND, kCommandPlay, 0);
  EXPECT_EQ(User(h, kRequestPlayState), 1);
  SendMessage(h, WM_COMMAND, kCommandNext, 0);
  EXPECT_EQ(User(h, kRequestPosition), 1);
  EXPECT_EQ(User(h, kRequestPlayState), 1);
  SendMessage(h, WM_COMMAND, kCommandNext, 0);
  SendMessage(h, WM_COMMAND, kCommandNext, 0);  // past the last: stays
  EXPECT_EQ(User(h, kRequestPosition), 2);
  SendMessage(h, WM_COMMAND, kCommandPrevious, 0);
  EXPECT_EQ(User(h, kRequestPosition), 1);
  // Commands carried in lParam are not transport commands here.
  SendMessage(h, WM_COMMAND, 0, kCommandStop);
  EXPECT_EQ(User(h, kRequestPlayState), 1);

  // Setting the current entry does not restart playback.
  User(h, kRequestSetPosition, 0);
  EXPECT_EQ(User(h, kRequestPosition), 0);
  User(h, kRequestSetPosition, 99);
  EXPECT_EQ(User(h, kRequestPosition), 0);

  EXPECT_EQ(User(h, kStandinRaiseWindow), 1);  // brings its window to the front

  // Emptying the list.
  User(h, kRequestClearPlaylist);
  EXPECT_EQ(User(h, kRequestPosition), 0);
  EXPECT_EQ(Playlist(h), "#EXTM3U\r\n");

  // WM_CLOSE ends the player and its window goes away.
  SendMessage(h, WM_CLOSE, 0, 0);
  int status = -1;
  ASSERT_TRUE(player.Wait(5s, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(FindWindow(kPlayerWindowClass), 0u);
}

TEST_F(StandinPlayerTest, AdvancesAtTheEndAndStopsAfterTheLast) {
  const std::string a = Track("one.mp3", "A", "One", 1);
  const std::string b = Track("two.mp3", "B", "Two", 1);
  const HWND h = Start();
  ASSERT_NE(h, 0u);
  Append(h, a);
  Append(h, b);
  User(h, kRequestStartPlayback);
  ASSERT_TRUE(WaitFor([&] { return User(h, kRequestPosition) == 1; }, 5s));
  EXPECT_EQ(User(h, kRequestPlayState), 1);
  ASSERT_TRUE(WaitFor([&] { return User(h, kRequestPlayState) == 0; }, 5s));
  EXPECT_EQ(User(h, kRequestPosition), 1);
}

TEST_F(StandinPlayerTest, PlaylistFilesAppendTheirEntries) {
  const std::string a = Track("x/a.mp3", "A", "Alpha");
  const std::string b = Track("x/b.mp3", "", "");
  Track("x/c.mp3", "C", "Gamma");
  // An m3u in the player's own format, one entry relative to the list's folder,
  // a bad length, an entry without its info line.
  const fs::path list = tmp / "music" / "list.m3u";
  test::WriteBytes(list, "#EXTM3U\r\n#EXTINF:187,Kept Title\r\n" + a + "\r\n#EXTINF:x,Bad Length\r\n" + b +
                             "\r\nx\\c.mp3\r\n\r\n");
  const HWND h = Start();
  ASSERT_NE(h, 0u);
  Append(h, TPathMapper(folder).ToCatalog(list));
  const std::string c = TPathMapper(folder).ToCatalog(tmp / "music") + "\\x\\c.mp3";
  EXPECT_EQ(Playlist(h), "#EXTM3U\r\n#EXTINF:187,Kept Title\r\n" + a + "\r\n#EXTINF:-1,Bad Length\r\n" + b +
                             "\r\n#EXTINF:3,C - Gamma\r\n" + c + "\r\n");
  // A missing file is listed under its name and plays nothing; garbage copy data is harmless.
  Append(h, "z:\\no\\such\\Gone.mp3");
  SendCopyData(h, 7, "ignored");
  SendCopyData(h, kCopyDataAddFile, std::string("\0\0", 2));
  User(h, kRequestSetPosition, 3);
  User(h, kRequestStartPlayback);
  EXPECT_EQ(User(h, kRequestPlayState), 0);
  EXPECT_NE(Playlist(h).find("#EXTINF:-1,Gone\r\nz:\\no\\such\\Gone.mp3\r\n"), std::string::npos);
}

TEST_F(StandinPlayerTest, PluginsGetTheirFieldsBeforeTheirFirstMessage) {
  fs::copy_file(test::BinFolder().parent_path() / "lib" / "libklangtruhe_test_plugin.so", folder / "plugins" / "gen_test.dll");
  test::WriteBytes(folder / "plugins" / "readme.txt", "not a plugin");
  test::WriteBytes(folder / "plugins" / "broken.dll", "not a library either");
  env["KT_TEST_PLUGIN_QUIT_FILE"] = (tmp / "quit.txt").string();
  const std::string a = Track("a.mp3", "M\xF6tley", "Caf\xE9 \xFF", 3);
  const HWND h = Start();
  ASSERT_NE(h, 0u);
  HWND plugin = 0;
  ASSERT_TRUE(WaitFor([&] { return (plugin = FindWindow("KtTestPlugin", "KtTestPluginWindow")) != 0; }));
  EXPECT_EQ(SendMessage(plugin, 2, 0, 0), 1 | 2 | 4 | 8);
  EXPECT_EQ(SendMessage(plugin, 1, 0, 0), int64_t(h));

  Append(h, a);
  const std::string title = "M\xF6tley - Caf\xE9 \xFF";
  std::string read;
  for (int i = 0; i < int(title.size()) + 2; ++i) {
    const int64_t r = SendMessage(plugin, 3, 0, i);
    if (r > 0) read += char(r);
    EXPECT_GE(r, 0);
  }
  EXPECT_EQ(read, title);
  EXPECT_EQ(SendMessage(plugin, 3, 1, 0), -1);  // past the end of the playlist: no address
  EXPECT_EQ(SendMessage(plugin, 4, 0, 0), 0);

  SendMessage(h, WM_CLOSE, 0, 0);
  ASSERT_TRUE(player.Wait(5s));
  EXPECT_EQ(ReadBytes(tmp / "quit.txt"), "quit");
  EXPECT_EQ(FindWindow("KtTestPlugin"), 0u);
}

TEST_F(StandinPlayerTest, VersionRecordAndRegisteredCommand) {
  EXPECT_EQ(PlayerVersion(exe), 10512);  // 2.9.1.0
  ChildProcess reg(exe, {"--register"}, env);
  int status = -1;
  ASSERT_TRUE(reg.Wait(10s, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto command = TRegistry(tmp / "registry.reg").DefaultValue(kOpenCommandKey);
  ASSERT_TRUE(command);
  // The quoted executable in catalog form, a blank and the quoted placeholder.
  const std::string catalogExe = TPathMapper(folder).ToCatalog(exe);
  EXPECT_EQ(*command, "\"" + catalogExe + "\" \"%1\"");
  EXPECT_EQ(catalogExe.substr(0, 3), "z:\\");
  EXPECT_TRUE(fs::equivalent(TPathMapper(folder).ToNative(catalogExe), exe));
}

}  // namespace
}  // namespace kt
