// One tick of the now-playing monitor against the stand-in player in a
// process of its own with the helper plugin loaded: three player requests
// and two titles of 60 characters, one message per character. The tick runs
// five times a second; what counts is the processor time both processes
// spend on it, as a share of one core.

#include "bench/BenchMain.h"
#include "bench/Fixtures.h"
#include "platform/FileIO.h"
#include "platform/Paths.h"
#include "player/HelperLink.h"
#include "player/NowPlaying.h"
#include "player/PlayerInterface.h"
#include "player/helper-plugin/HelperResource.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kt::bench {
namespace {

namespace fs = std::filesystem;

class NullView : public INowPlayingView {
 public:
  void ShowLabel(int, const std::string&) override {}
  void ShowGlyphs(int, int, int) override {}
  void ShowProgress(int64_t, int64_t) override {}
  void SetMonitorRunning(bool) override {}
  void DisableWindow() override {}
  bool StarterReady() override { return false; }
  void StartPlayer() override {}
  void ProcessEvents() override { QCoreApplication::processEvents(); }
  void ReportError(const std::string&) override {}
};

// Processor seconds a process has used (user and system), from /proc.
double ProcessorSeconds(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
  std::string stat;
  if (!ReadFileBytes(path, stat)) return 0;
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  unsigned long utime = 0, stime = 0;
  // Fields after the command: state (3) … utime (14), stime (15).
  std::sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime);
  return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

double OwnProcessorSeconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void BM_MonitorTick(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "klangtruhe_bench";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);

  const fs::path folder = MakeTempFolder("klangtruhe-bench-monitor-");
  setenv("KLANGTRUHE_RUNTIME_DIR", (folder / "run").c_str(), 1);
  fs::create_directories(folder / "player" / "plugins");
  const fs::path exe = folder / "player" / "standin-player";
  fs::copy_file(fs::read_symlink("/proc/self/exe").parent_path() / "standin-player", exe);
  std::error_code ec;
  WriteFileAtomic(folder / "player" / "plugins" / kHelperPluginFile, embedded::HelperPluginLibrary(), ec);
  TPathMapper paths(folder);
  const std::string title1(60, 'a'), title2(60, 'b');
  WriteFileAtomic(folder / "list.m3u",
                  "#EXTM3U\r\n#EXTINF:200," + title1 + "\r\nz:\\x1.mp3\r\n#EXTINF:100," + title2 + "\r\nz:\\x2.mp3\r\n",
                  ec);

  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string a0 = exe.string();
  char* args[] = {a0.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, args, environ) != 0) pid = -1;
  HWND helper = 0;
  for (int i = 0; i < 500 && (helper = FindHelperWindow()) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  TPlayerLink link(paths);
  link.PlayerCommand = "\"" + paths.ToCatalog(exe) + "\"";
  link.PlaylistFile = paths.ToCatalog(folder / "player") + "\\winamp.m3u";
  link.PlayerWindow = FindWindow(player::kPlayerWindowClass);
  SendCopyData(link.PlayerWindow, player::kCopyDataAddFile, paths.ToCatalog(folder / "list.m3u") + '\0');

  TPlaylistFileGate gate;
  NullView view;
  TNowPlayingMonitor monitor(link, paths, gate, view, embedded::HelperPluginLibrary());
  monitor.Tick();
  if (!helper || monitor.Label(kLabelTitle) != title1) state.SkipWithError("no player with the helper");

  // The player spends some time of its own (its playback pump); that is not the tick's.
  const double idleStart = ProcessorSeconds(pid);
  const auto idleWall = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const double idleRate = (ProcessorSeconds(pid) - idleStart) /
                          std::chrono::duration<double>(std::chrono::steady_clock::now() - idleWall).count();

  const double before = OwnProcessorSeconds() + ProcessorSeconds(pid);
  const auto wallStart = std::chrono::steady_clock::now();
  for (auto _ : state) monitor.Tick();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double used = std::max(0.0, OwnProcessorSeconds() + ProcessorSeconds(pid) - before - idleRate * wall);
  // Five ticks a second: the share of one core.
  const double share = used / double(state.iterations()) * 5.0;
  state.counters["core_share_at_5Hz"] = share;
  std::printf("monitor tick: %.3f %% of one core at five ticks a second (limit 1 %%) %s\n", share * 100,
              share <= 0.01 ? "OK" : "OVER");

  if (pid > 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  fs::remove_all(folder, ec);
}

BENCHMARK(BM_MonitorTick)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace kt::bench
