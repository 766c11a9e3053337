#include "platform/WinMsg.h"
#include "tests/support/Process.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kt {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::TempDir;
using test::WaitFor;

// Each test gets a window folder of its own, so tests running side by side
// never see each other's windows.
class WinMsgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureCoreApplication();
    setenv("KLANGTRUHE_RUNTIME_DIR", (tmp / "run").c_str(), 1);
    SetSendTimeout(3000);
  }
  void TearDown() override { unsetenv("KLANGTRUHE_RUNTIME_DIR"); }

  ChildProcess StartWindow(const std::string& cls, const std::string& title) {
    return ChildProcess(test::BinFolder() / "klangtruhe_test_window", {cls, title});
  }
  HWND WaitForWindow(const std::string& cls) {
    HWND h = 0;
    WaitFor([&] { return (h = FindWindow(cls)) != 0; });
    return h;
  }

  TempDir tmp;
};

TEST_F(WinMsgTest, WindowFolderIsPrivate) {
  const std::string folder = WindowFolder();
  ASSERT_EQ(folder, (tmp / "run").string());
  struct stat st{};
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // A folder others may write to is made private again.
  chmod(folder.c_str(), 0777);
  EXPECT_EQ(WindowFolder(), folder);
  stat(folder.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // A file in its place is refused.
  setenv("KLANGTRUHE_RUNTIME_DIR", (tmp / "file").c_str(), 1);
  test::WriteBytes(tmp / "file", "x");
  EXPECT_EQ(WindowFolder(), "");
  EXPECT_EQ(FindWindow("any"), 0u);
}

TEST_F(WinMsgTest, WindowsOfTheSameProcessAreCalledDirectly) {
  int calls = 0;
  const HWND a = RegisterWindow("Test Class", "First", [&](const TMessage& m) -> int64_t {
    ++calls;
    if (m.Msg == WM_COPYDATA) return m.CopyData ? int64_t(m.CopyData->Bytes.size()) : -1;
    return int64_t(m.WParam) * 10 + m.LParam;
  });
  ASSERT_NE(a, 0u);
  const HWND b = RegisterWindow("Other", "Second", [](const TMessage&) -> int64_t { return 7; });
  EXPECT_EQ(FindWindow("Test Class"), a);
  EXPECT_EQ(FindWindow("test class"), a);  // classes compare without regard to case
  EXPECT_EQ(FindWindow("Test Class", "First"), a);
  EXPECT_EQ(FindWindow("Test Class", "Second"), 0u);
  EXPECT_EQ(FindWindow("Other", "second"), b);
  EXPECT_EQ(SendMessage(a, WM_USER, 4, -2), 38);
  EXPECT_EQ(SendCopyData(a, 100, std::string("ab\0", 3)), 3);
  EXPECT_EQ(calls, 2);
  UnregisterWindow(a);
  EXPECT_EQ(FindWindow("Test Class"), 0u);
  EXPECT_EQ(SendMessage(a, WM_USER, 1, 1), 0);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_TRUE(IsWindow(b));
  UnregisterWindow(b);
  EXPECT_EQ(SendMessage(0, WM_USER, 1, 1), 0);
}

TEST_F(WinMsgTest, MessagesBetweenTwoProcesses) {
  ChildProcess child = StartWindow("Echo Class", "Echo");
  const HWND h = WaitForWindow("Echo Class");
  ASSERT_NE(h, 0u);
  EXPECT_EQ(FindWindow("Echo Class", "Echo"), h);
  EXPECT_EQ(SendMessage(h, 1, 40, 2), 42);
  EXPECT_EQ(SendMessage(h, 1, 0, -5), -5);
  EXPECT_EQ(SendMessage(h, 1, uint64_t(1) << 40, 0), int64_t(1) << 40);  // 64-bit results

  // Copy data arrives byte for byte, NULs and high bytes included, large or empty.
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += char(i * 7);
  EXPECT_EQ(SendCopyData(h, 100, bytes), 100 * 1000 + 300000);
  for (size_t i : {size_t(0), size_t(255), size_t(299999)})
    EXPECT_EQ(SendMessage(h, 3, i, 0), static_cast<unsigned char>(bytes[i])) << i;
  EXPECT_EQ(SendCopyData(h, 5, ""), 5000);
  EXPECT_EQ(SendMessage(h, 3, 0, 0), -1);

  // A renamed window is found by its new title.
  EXPECT_EQ(SendMessage(h, 4, 0, 0), 1);
  EXPECT_EQ(FindWindow("Echo Class", "renamed"), h);
  EXPECT_EQ(FindWindow("Echo Class", "Echo"), 0u);

  // WM_CLOSE ends the process and its window is gone.
  EXPECT_EQ(SendMessage(h, WM_CLOSE, 0, 0), 0);
  int status = -1;
  ASSERT_TRUE(child.Wait(5s, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(FindWindow("Echo Class"), 0u);
  EXPECT_EQ(SendMessage(h, 1, 1, 1), 0);
}

TEST_F(WinMsgTest, BurstsAreHandledInOrder) {
  ChildProcess child = StartWindow("Burst Class", "Burst");
  const HWND h = WaitForWindow("Burst Class");
  ASSERT_NE(h, 0u);
  // More messages than one chunk; a rename in the middle happens in its place.
  std::vector<TRequest> burst;
  for (uint64_t i = 0; i < 5000; ++i) burst.push_back({1, i, 7});
  burst[2500] = {4, 0, 0};
  std::vector<int64_t> results = SendMessages(h, burst);
  ASSERT_EQ(results.size(), 5000u);
  for (size_t i = 0; i < results.size(); ++i) ASSERT_EQ(results[i], i == 2500 ? 1 : int64_t(i) + 7) << i;
  EXPECT_EQ(FindWindow("Burst Class", "renamed"), h);
  // Single messages go on over the same connection.
  EXPECT_EQ(SendMessage(h, 1, 1, 1), 2);

  // The window closes in the middle: it and everything after it give 0.
  results = SendMessages(h, {{1, 1, 0}, {WM_CLOSE, 0, 0}, {1, 2, 0}, {1, 3, 0}});
  EXPECT_EQ(results, (std::vector<int64_t>{1, 0, 0, 0}));
  ASSERT_TRUE(child.Wait(5s));
  EXPECT_EQ(SendMessages(h, {{1, 1, 1}, {1, 2, 2}}), (std::vector<int64_t>{0, 0}));
  EXPECT_TRUE(SendMessages(h, {}).empty());
}

TEST_F(WinMsgTest, KilledWindowGivesZeroAtOnceAndIsCleanedAway) {
  ChildProcess child = StartWindow("Doomed", "x");
  const HWND h = WaitForWindow("Doomed");
  ASSERT_NE(h, 0u);
  EXPECT_EQ(SendMessage(h, 1, 1, 1), 2);  // leaves an open connection behind
  child.Kill();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SendMessage(h, 1, 1, 1), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(FindWindow("Doomed"), 0u);
  // Its socket and info file were removed.
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(WindowFolder())) (void)e, ++files;
  EXPECT_EQ(files, 0u);
}

TEST_F(WinMsgTest, HungWindowGivesZeroAfterTheBoundAndWorksAgainLater) {
  ChildProcess child = StartWindow("Sleepy", "x");
  const HWND h = WaitForWindow("Sleepy");
  ASSERT_NE(h, 0u);
  SetSendTimeout(300);
  child.Signal(SIGSTOP);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SendMessage(h, 1, 2, 3), 0);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 250ms);
  EXPECT_LT(waited, 3s);
  EXPECT_EQ(FindWindow("Sleepy"), h);  // hung, not gone
  child.Signal(SIGCONT);
  // The late answer to the first message is not taken for the next one.
  EXPECT_EQ(SendMessage(h, 1, 20, 1), 21);
}

TEST_F(WinMsgTest, StaleFilesAndForeignBytesAreHarmless) {
  // Files of a window whose process is gone: ignored and removed.
  const std::string folder = WindowFolder();
  test::WriteBytes(folder + "/12345.win", std::string("999999\0" "1\0Ghost\0t\0", 17));
  {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = folder + "/12345.sock";
    std::strcpy(addr.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(fd);  // bound but never listening: as a dead process leaves it
  }
  test::WriteBytes(folder + "/junk.win", "nothing");
  test::WriteBytes(folder + "/777.win", "");
  EXPECT_EQ(FindWindow("Ghost"), 0u);
  EXPECT_FALSE(std::filesystem::exists(folder + "/12345.win"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/12345.sock"));

  // A peer that sends garbage is hung up on; the window goes on serving.
  ChildProcess child = StartWindow("Sturdy", "x");
  const HWND h = WaitForWindow("Sturdy");
  ASSERT_NE(h, 0u);
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string path = folder + "/" + std::to_string(h) + ".sock";
  std::strcpy(addr.sun_path, path.c_str());
  ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  std::string junk(100, '\xAB');
  ASSERT_EQ(write(fd, junk.data(), junk.size()), ssize_t(junk.size()));
  char c;
  EXPECT_EQ(read(fd, &c, 1), 0);  // hung up
  close(fd);
  EXPECT_EQ(SendMessage(h, 1, 1, 2), 3);
}

TEST_F(WinMsgTest, CommandLineTool) {
  ChildProcess child = StartWindow("Tool Class", "Tool Title");
  const HWND h = WaitForWindow("Tool Class");
  ASSERT_NE(h, 0u);
  auto run = [&](const std::string& args, int* status) {
    std::string out;
    FILE* p = popen(((test::BinFolder() / "winmsg").string() + " " + args).c_str(), "r");
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    *status = pclose(p);
    return out;
  };
  int st;
  EXPECT_EQ(run("find 'Tool Class'", &st), std::to_string(h) + "\n");
  EXPECT_EQ(WEXITSTATUS(st), 0);
  EXPECT_EQ(run("find 'Tool Class' 'Tool Title'", &st), std::to_string(h) + "\n");
  EXPECT_EQ(run("find 'Tool Class' 'Wrong'", &st), "");
  EXPECT_EQ(WEXITSTATUS(st), 1);
  EXPECT_EQ(run("send " + std::to_string(h) + " 1 40 2", &st), "42\n");
  // The text goes out in Windows-1252 with a NUL behind it.
  EXPECT_EQ(run("copydata " + std::to_string(h) + " 100 'd:\\\xC3\xA4.mp3'", &st), "100009\n");
  EXPECT_EQ(SendMessage(h, 3, 3, 0), 0xE4);
  EXPECT_EQ(SendMessage(h, 3, 8, 0), 0);
  run("send x 1 2 3", &st);
  EXPECT_EQ(WEXITSTATUS(st), 2);
}

}  // namespace
}  // namespace kt
