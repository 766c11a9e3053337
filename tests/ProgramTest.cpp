// The program as a process of its own: single instance, start-up checks.

#include "platform/WinMsg.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

namespace kt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ChildProcess;
using test::ReadBytes;
using test::TempDir;
using test::WaitFor;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = tmp / "prog";
    fs::create_directories(folder);
    exe = folder / "klangtruhe";
    fs::copy_file(test::BinFolder() / "klangtruhe", exe);
    env = {{"KLANGTRUHE_RUNTIME_DIR", (tmp / "run").string()},
           {"KLANGTRUHE_REGISTRY", (tmp / "registry.reg").string()},
           {"QT_QPA_PLATFORM", "offscreen"},
           {"KLANGTRUHE_DIALOG_ANSWERS", "Yes"}};
    setenv("KLANGTRUHE_RUNTIME_DIR", env["KLANGTRUHE_RUNTIME_DIR"].c_str(), 1);
  }
  void TearDown() override { unsetenv("KLANGTRUHE_RUNTIME_DIR"); }

  ChildProcess Start(const std::string& log, std::vector<std::string> args = {"-nowinamp"},
                     std::map<std::string, std::string> extra = {}) {
    auto e = env;
    e["KLANGTRUHE_DIALOG_LOG"] = (tmp / log).string();
    for (auto& [k, v] : extra) e[k] = v;
    return ChildProcess(exe, args, e);
  }
  std::string Log(const std::string& name) { return ReadBytes(tmp / name); }

  TempDir tmp;
  fs::path folder, exe;
  std::map<std::string, std::string> env;
};

TEST_F(ProgramTest, SecondStartIsRefusedAndTheFirstRunsOn) {
  ChildProcess first = Start("first.log");
  HWND main = 0;
  ASSERT_TRUE(WaitFor([&] { return (main = FindWindow("TForm1")) != 0; }, 20s));

  ChildProcess second = Start("second.log");
  int status = -1;
  ASSERT_TRUE(second.Wait(20s, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Log("second.log"), "Fehler\t\tVarnik's Klangtruhe l\xC3\xA4uft bereits!\n");  // no owner
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(FindWindow("TForm1"), main);
  // A writable program folder keeps no probe file.
  EXPECT_FALSE(fs::exists(folder / "test.dat"));

  SendMessage(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.Wait(20s, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(ProgramTest, TooSmallScreenEndsWithoutLoadingTheCatalog) {
  for (auto [w, h] : {std::pair{799, 600}, std::pair{800, 599}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const fs::path config = tmp / "screen.json";
    test::WriteBytes(config, "{\"screens\": [{\"name\": \"s\", \"x\": 0, \"y\": 0, \"width\": " + std::to_string(w) +
                                 ", \"height\": " + std::to_string(h) + ", \"logicalDpi\": 96, \"dpr\": 1}]}");
    // A catalog file that would block whoever opens it.
    fs::remove(folder / "Index.txt");
    ASSERT_EQ(mkfifo((folder / "Index.txt").c_str(), 0600), 0);
    fs::remove(tmp / "small.log");
    ChildProcess p = Start("small.log", {"-nowinamp"}, {{"QT_QPA_PLATFORM", "offscreen:configfile=" + config.string()}});
    int status = -1;
    ASSERT_TRUE(p.Wait(20s, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(Log("small.log").find("Fehler\tTForm1\tDie Klangtruhe ben\xC3\xB6tigt eine Aufl\xC3\xB6sung von mindestens "
                                    "800x600 Pixeln!\n"),
              std::string::npos);
  }
}

TEST_F(ProgramTest, NoToThePlayerQuestionEndsTheProgram) {
  ASSERT_EQ(mkfifo((folder / "Index.txt").c_str(), 0600), 0);  // never opened
  const auto start = std::chrono::steady_clock::now();
  ChildProcess p = Start("no.log", {"-nowinamp"}, {{"KLANGTRUHE_DIALOG_ANSWERS", "No"}});
  int status = -1;
  ASSERT_TRUE(p.Wait(20s, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
  EXPECT_EQ(Log("no.log"),
            "Fehler\tTForm1\tDie Klangtruhe ben\xC3\xB6tigt Winamp 2.05 oder neuer! Programm trotzdem ausf\xC3\xBChren?\n");
}

TEST_F(ProgramTest, ReadOnlyProgramFolderIsNoticedUnlessNoWarn) {
  // A probe file that cannot be made: a folder stands in its place.
  fs::create_directories(folder / "test.dat");
  for (bool noWarn : {false, true}) {
    const std::string log = noWarn ? "nowarn.log" : "warn.log";
    std::vector<std::string> args = {"-nowinamp"};
    if (noWarn) args.push_back("-nowarn");
    ChildProcess p = Start(log, args);
    HWND main = 0;
    ASSERT_TRUE(WaitFor([&] { return (main = FindWindow("TForm1")) != 0; }, 20s));
    SendMessage(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(p.Wait(20s));
    const bool noticed = Log(log).find("Hinweis\tTForm1\tDie Klangtruhe wurde von einem schreibgesch\xC3\xBCtzten "
                                       "Datentr\xC3\xA4ger gestartet.\\nAlle Schreibvorg\xC3\xA4nge bleiben wirkungslos!") !=
                         std::string::npos;
    EXPECT_EQ(noticed, !noWarn);
  }
}

}  // namespace
}  // namespace kt
