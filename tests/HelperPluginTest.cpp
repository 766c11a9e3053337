// The helper plugin: loaded into this process under a fake player window, and
// installed into and served by a stand-in player of its own; the program's
// side that reads its texts and installs it.

#include "platform/Paths.h"
#include "platform/WinMsg.h"
#include "player/HelperLink.h"
#include "player/PlayerInterface.h"
#include "player/PlayerLink.h"
#include "player/helper-plugin/HelperResource.h"
#include "tests/support/Mp3Fixtures.h"
#include "tests/support/Process.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cstdlib>
#include <dlfcn.h>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>
#include <sys/wait.h>

#ifndef KT_HELPER_PLUGIN_FILE
#error "KT_HELPER_PLUGIN_FILE names the built gen_vkthelper.dll"
#endif

namespace kt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using player::TPluginRecord;
using test::ChildProcess;
using test::ReadBytes;
using test::TempDir;
using test::WaitFor;
using test::WriteBytes;

constexpr const char* kConfigLine = "\t\tThis Plugin cannot be configured.\n";

// Each test has a window folder of its own.
class HelperTestBase : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureCoreApplication();
    setenv("KLANGTRUHE_RUNTIME_DIR", (tmp / "run").c_str(), 1);
  }
  void TearDown() override { unsetenv("KLANGTRUHE_RUNTIME_DIR"); }

  TempDir tmp;
};

// The plugin loaded into this process, as the player loads it.
struct TLoadedPlugin {
  TLoadedPlugin() {
    Library = ::dlopen(KT_HELPER_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
    if (!Library) {
      ADD_FAILURE() << ::dlerror();
      return;
    }
    // In the player Qt Widgets belongs to the host and stays; here the plugin
    // alone brought it in, and it must not go with the plugin.
    ::dlopen("libQt6Widgets.so.6", RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    auto get = reinterpret_cast<player::TGetPluginRecord>(::dlsym(Library, player::kPluginExport));
    Record = get ? get() : nullptr;
    if (!Record) ADD_FAILURE() << "no record";
  }
  ~TLoadedPlugin() {
    if (Library) ::dlclose(Library);
  }
  TLoadedPlugin(const TLoadedPlugin&) = delete;
  TLoadedPlugin& operator=(const TLoadedPlugin&) = delete;

  void* Library = nullptr;
  TPluginRecord* Record = nullptr;
};

// The plugin in this process, its parent a fake player window that answers
// the position and the addresses of the titles kept here.
class HelperPluginTest : public HelperTestBase {
 protected:
  void SetUp() override {
    HelperTestBase::SetUp();
    player = RegisterWindow("KtFakePlayer", "Fake Player", [this](const TMessage& m) -> int64_t {
      if (m.Msg != WM_USER) return 0;
      if (m.LParam == player::kRequestPosition) return position;
      if (m.LParam == player::kRequestEntryTitle)
        return m.WParam < titles.size() ? int64_t(reinterpret_cast<intptr_t>(titles[m.WParam].c_str())) : 0;
      return 0;
    });
    ASSERT_NE(player, 0u);
    Load();
    // The player fills this in before any message reaches the plugin.
    record->ParentWindow = player;
  }
  void TearDown() override {
    Unload();
    UnregisterWindow(player);
    HelperTestBase::TearDown();
  }

  void Load() {
    plugin = std::make_unique<TLoadedPlugin>();
    record = plugin->Record;
    ASSERT_NE(record, nullptr);
  }
  void Unload() {
    plugin.reset();
    record = nullptr;
  }

  HWND Helper() const { return FindHelperWindow(); }
  int64_t Send(uint32_t msg) const { return SendMessage(Helper(), msg, 0, 0); }
  std::string Current(size_t limit = kNoLimit) const {
    return ReadHelperText(Helper(), kHelperCurrentFirst, kHelperCurrentNext, limit);
  }
  std::string Next(size_t limit = kNoLimit) const {
    return ReadHelperText(Helper(), kHelperNextFirst, kHelperNextNext, limit);
  }

  HWND player = 0;
  std::vector<std::string> titles;
  int64_t position = 0;
  std::unique_ptr<TLoadedPlugin> plugin;
  TPluginRecord* record = nullptr;
};

TEST_F(HelperPluginTest, RecordAndWindowLiveAsLongAsTheLibrary) {
  EXPECT_EQ(record->Version, 16);
  EXPECT_STREQ(record->Description, "VKT Helper Plugin 1.0");
  ASSERT_TRUE(record->Init && record->Config && record->Quit);
  EXPECT_EQ(record->Init(), 0);
  record->Quit();

  const HWND helper = Helper();
  ASSERT_NE(helper, 0u);
  EXPECT_EQ(FindWindow("tmainform", std::string_view("VKTHELPERMAINFORM")), helper);

  const auto files = [&] { return std::distance(fs::directory_iterator(tmp / "run"), fs::directory_iterator()); };
  const auto before = files();
  Unload();
  EXPECT_EQ(FindHelperWindow(), 0u);
  EXPECT_FALSE(IsWindow(helper));
  EXPECT_EQ(files(), before - 2);  // its socket and its info file are gone

  // Loaded afresh: the fields are empty again, as the player finds them.
  Load();
  EXPECT_EQ(record->ParentWindow, 0u);
  EXPECT_EQ(record->LibraryInstance, nullptr);
  EXPECT_NE(Helper(), 0u);
}

TEST_F(HelperPluginTest, CurrentAndNextAreHandedOverIndependently) {
  titles = {"Alpha - One", "Bravo - Two", "Charlie - Three"};

  // Character by character, the two pairs interleaved.
  std::string current(1, char(Send(kHelperCurrentFirst)));
  std::string next(1, char(Send(kHelperNextFirst)));
  for (size_t i = 1; i < 20; ++i) {
    if (const int64_t c = Send(kHelperCurrentNext)) current += char(c);
    if (const int64_t n = Send(kHelperNextNext)) next += char(n);
  }
  EXPECT_EQ(current, titles[0]);
  EXPECT_EQ(next, titles[1]);

  // Taking the current title anew leaves the next one where it was.
  EXPECT_EQ(Send(kHelperNextFirst), 'B');
  EXPECT_EQ(Send(kHelperNextNext), 'r');
  EXPECT_EQ(Send(kHelperCurrentFirst), 'A');
  EXPECT_EQ(Send(kHelperNextNext), 'a');
  EXPECT_EQ(Send(kHelperCurrentNext), 'l');

  struct Case {
    int64_t position;
    std::string current, next;
  };
  const Case cases[] = {
      {0, titles[0], titles[1]},
      {1, titles[1], titles[2]},
      {2, titles[2], ""},  // the last entry: no next title
      {3, "", ""},         // past the end of the playlist
  };
  for (const Case& c : cases) {
    position = c.position;
    EXPECT_EQ(Current(), c.current) << c.position;
    EXPECT_EQ(Next(), c.next) << c.position;
  }
  position = 2;
  EXPECT_EQ(Send(kHelperNextFirst), 0);
  EXPECT_EQ(Send(kHelperNextNext), 0);

  // An empty title answers 0 at once.
  titles = {"", "x"};
  position = 0;
  EXPECT_EQ(Send(kHelperCurrentFirst), 0);
  EXPECT_EQ(Next(), "x");
}

TEST_F(HelperPluginTest, LongTitlesAndLimits) {
  std::string title;
  for (size_t i = 0; i < 600; ++i) title += char('a' + i % 26);
  titles = {title, title};
  EXPECT_EQ(Current(), title);
  EXPECT_EQ(Next(515), title.substr(0, 515));

  struct Case {
    size_t limit, length;
  };
  const Case cases[] = {{1, 1}, {2, 2}, {515, 515}, {599, 599}, {600, 600}, {601, 600}, {100000, 600}};
  for (const Case& c : cases) {
    EXPECT_EQ(Current(c.limit), title.substr(0, c.length)) << c.limit;
    EXPECT_EQ(Next(c.limit), title.substr(0, c.length)) << c.limit;
  }
  // A text cut at the limit leaves the rest with the helper.
  EXPECT_EQ(Current(515), title.substr(0, 515));
  EXPECT_EQ(Send(kHelperCurrentNext), title[515]);
}

TEST_F(HelperPluginTest, CharactersAreUnsignedBytes) {
  titles = {"\xFF\xE9\x80\x01 M\xF6tley"};
  EXPECT_EQ(Send(kHelperCurrentFirst), 255);
  EXPECT_EQ(Send(kHelperCurrentNext), 0xE9);
  EXPECT_EQ(Send(kHelperCurrentNext), 0x80);
  EXPECT_EQ(Send(kHelperCurrentNext), 1);
  EXPECT_EQ(Current(), titles[0]);
}

TEST_F(HelperPluginTest, PastTheEndAnswersZeroUntilTheTitleIsTakenAgain) {
  titles = {"ab"};
  EXPECT_EQ(Send(kHelperCurrentNext), 0);  // nothing taken yet
  EXPECT_EQ(Send(kHelperCurrentFirst), 'a');
  // The title is the plugin's own copy: the player changing its entry does not
  // change what is being handed over.
  titles[0][1] = 'X';
  EXPECT_EQ(Send(kHelperCurrentNext), 'b');
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Send(kHelperCurrentNext), 0) << i;
  EXPECT_EQ(Send(kHelperCurrentFirst), 'a');
  EXPECT_EQ(Send(kHelperCurrentNext), 'X');
  EXPECT_EQ(Send(kHelperCurrentNext), 0);
}

TEST_F(HelperPluginTest, WithoutAParentWindowEveryAnswerIsZero) {
  titles = {"Alpha", "Bravo"};
  for (const HWND parent : {HWND(0), HWND(12345)}) {  // none, and one that does not exist
    record->ParentWindow = parent;
    for (const uint32_t msg : {kHelperCurrentFirst, kHelperCurrentNext, kHelperNextFirst, kHelperNextNext})
      EXPECT_EQ(Send(msg), 0) << msg;
    EXPECT_EQ(Current(), "");
    EXPECT_EQ(Next(), "");
  }

  record->ParentWindow = player;
  EXPECT_EQ(Current(), "Alpha");
}

TEST_F(HelperPluginTest, ConfigShowsItsBoxOrLogsIt) {
  // Without a dialog log and without a widget application: the text on stderr.
  unsetenv("KLANGTRUHE_DIALOG_LOG");
  ::testing::internal::CaptureStderr();
  record->Config();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "This Plugin cannot be configured.\n");

  // With one: a line in the program's format per call, appended.
  const fs::path log = tmp / "dialogs.log";
  WriteBytes(log, "earlier\n");
  setenv("KLANGTRUHE_DIALOG_LOG", log.c_str(), 1);
  record->Config();
  record->Config();
  unsetenv("KLANGTRUHE_DIALOG_LOG");
  EXPECT_EQ(ReadBytes(log), std::string("earlier\n") + kConfigLine + kConfigLine);
}

// ReadHelperText against a helper of the test's own that answers from a script.
class HelperReadTest : public HelperTestBase {
 protected:
  void SetUp() override {
    HelperTestBase::SetUp();
    helper = RegisterWindow("KtScriptedHelper", "", [this](const TMessage& m) -> int64_t {
      ++sent[m.Msg];
      if (m.Msg == 1) next = 0;
      if (m.Msg != 1 && m.Msg != 2) return 0;
      return next < answers.size() ? answers[next++] : endless;
    });
    ASSERT_NE(helper, 0u);
  }
  void TearDown() override {
    UnregisterWindow(helper);
    HelperTestBase::TearDown();
  }

  std::string Read(size_t limit = kNoLimit) {
    sent.clear();
    return ReadHelperText(helper, 1, 2, limit);
  }

  HWND helper = 0;
  std::vector<int64_t> answers;
  size_t next = 0;
  int64_t endless = 0;  // the answer once the script is used up
  std::map<uint32_t, int> sent;
};

TEST_F(HelperReadTest, StopsAtZeroAtTheLimitAndAtItsBound) {
  // Only the low byte of an answer counts; the first 0 ends the text.
  answers = {'a', 0x142, -1, 0xFF, 0, 'z'};
  EXPECT_EQ(Read(), "aB\xFF\xFF");
  EXPECT_EQ(sent[1], 1);
  EXPECT_EQ(sent[2], 4);

  // A first answer of 0: nothing further is asked.
  answers = {0, 'a'};
  EXPECT_EQ(Read(), "");
  EXPECT_EQ(sent[1], 1);
  EXPECT_EQ(sent[2], 0);

  // A helper that never answers 0: the limit ends the text, checked after
  // every character, the first one too.
  answers = {};
  endless = 'x';
  struct Case {
    size_t limit;
    int nextMessages;
  };
  const Case cases[] = {{1, 0}, {2, 1}, {515, 514}};
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.limit), std::string(c.limit, 'x')) << c.limit;
    EXPECT_EQ(sent[1], 1) << c.limit;
    EXPECT_EQ(sent[2], c.nextMessages) << c.limit;
  }
  // Without a limit it still ends, at 64 KiB.
  EXPECT_EQ(Read(), std::string(65536, 'x'));

  // No helper at all.
  EXPECT_EQ(ReadHelperText(0, 1, 2), "");
}

// A stand-in player as a process of its own, in a folder of its own.
class HelperPlayerTest : public HelperTestBase {
 protected:
  void SetUp() override {
    HelperTestBase::SetUp();
    folder = tmp / "player";
    fs::create_directories(folder);
    exe = folder / "standin-player";
    fs::copy_file(test::BinFolder() / "standin-player", exe);
    paths = std::make_unique<TPathMapper>(tmp / "prog");
    link = std::make_unique<TPlayerLink>(*paths);
    link->PlayerCommand = "\"" + paths->ToCatalog(exe) + "\"";
    env = {{"KLANGTRUHE_RUNTIME_DIR", (tmp / "run").string()},
           {"KLANGTRUHE_REGISTRY", (tmp / "registry.reg").string()},
           {"SDL_AUDIODRIVER", "disk"},
           {"SDL_DISKAUDIOFILE", "/dev/null"},
           {"QT_QPA_PLATFORM", "offscreen"}};
  }
  void TearDown() override {
    if (player.Running()) {
      SendMessage(FindWindow(player::kPlayerWindowClass), WM_CLOSE, 0, 0);
      player.Wait(5s);
    }
    HelperTestBase::TearDown();
  }

  HWND Start() {
    player = ChildProcess(exe, {}, env);
    HWND h = 0;
    WaitFor([&] { return (h = FindWindow(player::kPlayerWindowClass)) != 0; });
    return h;
  }
  fs::path Target() const { return folder / "plugins" / "gen_vkthelper.dll"; }

  fs::path folder, exe;
  std::unique_ptr<TPathMapper> paths;
  std::unique_ptr<TPlayerLink> link;
  std::map<std::string, std::string> env;
  ChildProcess player;
};

TEST_F(HelperPlayerTest, EmbeddedCopyIsTheBuiltLibrary) {
  const std::string_view embedded = embedded::HelperPluginLibrary();
  EXPECT_EQ(embedded.substr(0, 4), "\x7F" "ELF");
  EXPECT_TRUE(embedded == ReadBytes(KT_HELPER_PLUGIN_FILE)) << embedded.size();
}

TEST_F(HelperPlayerTest, ClosesThePlayerAndWritesTheLibrary) {
  const fs::path oldPlugin = test::BinFolder().parent_path() / "lib" / "libklangtruhe_test_plugin.so";
  struct Case {
    const char* name;
    bool withFolder, withOldFile;
  };
  const Case cases[] = {
      {"an older library the player has loaded", true, true},
      {"an empty plugins folder", true, false},
      {"no plugins folder", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder / "plugins");
    if (c.withFolder) fs::create_directories(folder / "plugins");
    if (c.withOldFile) fs::copy_file(oldPlugin, Target());
    link->PlayerWindow = Start();
    ASSERT_NE(link->PlayerWindow, 0u);
    if (c.withOldFile) {
      ASSERT_TRUE(WaitFor([] { return FindWindow("KtTestPlugin") != 0; }));
    }

    EXPECT_EQ(InstallHelperPlugin(*link, *paths, embedded::HelperPluginLibrary()), TInstallOutcome::Written);
    EXPECT_EQ(FindWindow(player::kPlayerWindowClass), 0u);
    int status = -1;
    ASSERT_TRUE(player.Wait(5s, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(ReadBytes(Target()) == embedded::HelperPluginLibrary());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "plugins"), fs::directory_iterator()), 1);
  }
}

TEST_F(HelperPlayerTest, PlayerThatStaysGivesStillRunningAndWritesNothing) {
  // A player window in this process that takes WM_CLOSE and stays.
  int closes = 0;
  const HWND stubborn = RegisterWindow(player::kPlayerWindowClass, "Stubborn", [&](const TMessage& m) -> int64_t {
    if (m.Msg == WM_CLOSE) ++closes;
    return 0;
  });
  ASSERT_NE(stubborn, 0u);
  link->PlayerWindow = stubborn;
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(InstallHelperPlugin(*link, *paths, "bytes", 300), TInstallOutcome::PlayerStillRunning);
  EXPECT_GE(t.elapsed(), 300);
  EXPECT_LT(t.elapsed(), 3000);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(fs::exists(folder / "plugins"));

  // Once it is gone the library is written.
  UnregisterWindow(stubborn);
  EXPECT_EQ(InstallHelperPlugin(*link, *paths, "bytes", 300), TInstallOutcome::Written);
  EXPECT_EQ(ReadBytes(Target()), "bytes");
  EXPECT_EQ(closes, 1);
}

TEST_F(HelperPlayerTest, UnwritableTargetGivesWriteFailed) {
  WriteBytes(folder / "plugins", "a file where the folder belongs");
  EXPECT_EQ(InstallHelperPlugin(*link, *paths, "bytes", 300), TInstallOutcome::WriteFailed);
  EXPECT_EQ(ReadBytes(folder / "plugins"), "a file where the folder belongs");
}

TEST_F(HelperPlayerTest, NoTitleFromAPlayerInAnotherProcess) {
  // The player's titles are addresses in its own process: a plugin in this
  // one, its parent the player over there, must not read them.
  const HWND h = Start();
  ASSERT_NE(h, 0u);
  const fs::path file = tmp / "music" / "a.mp3";
  test::MakeMp3(file, "Artist A", "One", 1);
  SendCopyData(h, player::kCopyDataAddFile, paths->ToCatalog(file) + '\0');
  SendCopyData(h, player::kCopyDataAddFile, paths->ToCatalog(file) + '\0');
  ASSERT_NE(SendMessage(h, WM_USER, 0, player::kRequestEntryTitle), 0);

  TLoadedPlugin plugin;
  ASSERT_NE(plugin.Record, nullptr);
  plugin.Record->ParentWindow = h;
  const HWND helper = FindHelperWindow();
  ASSERT_NE(helper, 0u);
  for (const uint32_t msg : {kHelperCurrentFirst, kHelperCurrentNext, kHelperNextFirst, kHelperNextNext})
    EXPECT_EQ(SendMessage(helper, msg, 0, 0), 0) << msg;
}

TEST_F(HelperPlayerTest, InstalledPluginServesTheRunningPlayer) {
  ASSERT_EQ(InstallHelperPlugin(*link, *paths, embedded::HelperPluginLibrary()), TInstallOutcome::Written);
  const fs::path log = tmp / "dialogs.log";
  env["KLANGTRUHE_DIALOG_LOG"] = log.string();
  const HWND h = Start();
  ASSERT_NE(h, 0u);
  HWND helper = 0;
  ASSERT_TRUE(WaitFor([&] { return (helper = FindHelperWindow()) != 0; }));
  EXPECT_EQ(helper >> 16, uint64_t(player.pid()));  // a window of the player's process

  for (const auto& [name, artist, title] : {std::tuple{"a.mp3", "Artist A", "Caf\xE9 One"},
                                           std::tuple{"b.mp3", "Artist B", "Two"}}) {
    const fs::path file = tmp / "music" / name;
    test::MakeMp3(file, artist, title, 1);
    SendCopyData(h, player::kCopyDataAddFile, paths->ToCatalog(file) + '\0');
  }
  EXPECT_EQ(ReadHelperText(helper, kHelperCurrentFirst, kHelperCurrentNext), "Artist A - Caf\xE9 One");
  EXPECT_EQ(ReadHelperText(helper, kHelperNextFirst, kHelperNextNext), "Artist B - Two");
  SendMessage(h, WM_USER, 1, player::kRequestSetPosition);
  EXPECT_EQ(ReadHelperText(helper, kHelperCurrentFirst, kHelperCurrentNext), "Artist B - Two");
  EXPECT_EQ(ReadHelperText(helper, kHelperNextFirst, kHelperNextNext), "");

  // The player's request to configure its plugins.
  EXPECT_EQ(SendMessage(h, WM_USER, 0, player::kStandinConfigurePlugins), 1);
  EXPECT_EQ(ReadBytes(log), kConfigLine);

  SendMessage(h, WM_CLOSE, 0, 0);
  ASSERT_TRUE(player.Wait(5s));
  EXPECT_EQ(FindHelperWindow(), 0u);
}

}  // namespace
}  // namespace kt
