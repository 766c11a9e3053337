// Window messages between two processes: one round trip, and a burst like one
// tick of the now-playing monitor (three player requests, then two titles of
// 60 characters read one character per message, each ending in a 0).

#include "bench/BenchMain.h"
#include "bench/Fixtures.h"
#include "platform/WinMsg.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kt::bench {
namespace {

// A window in a process of its own, for as long as the benchmarks run.
class Peer {
 public:
  Peer() {
    folder_ = MakeTempFolder("klangtruhe-bench-").string();
    setenv("KLANGTRUHE_RUNTIME_DIR", folder_.c_str(), 1);
    const auto exe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "klangtruhe_test_window";
    std::string a0 = exe.string(), a1 = "Bench Peer", a2 = "peer";
    char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    if (posix_spawn(&pid_, exe.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = -1;
    for (int i = 0; i < 500 && (window_ = FindWindow("Bench Peer")) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~Peer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove_all(folder_);
  }
  HWND window() const { return window_; }

 private:
  std::string folder_;
  pid_t pid_ = -1;
  HWND window_ = 0;
};

Peer& ThePeer() {
  static Peer peer;
  return peer;
}

void BM_MessageRoundTrip(benchmark::State& state) {
  const HWND h = ThePeer().window();
  if (!h) return state.SkipWithError("peer window not found");
  for (auto _ : state) benchmark::DoNotOptimize(SendMessage(h, 1, 1, 2));
}

void BM_MonitorTickBurst(benchmark::State& state) {
  const HWND h = ThePeer().window();
  if (!h) return state.SkipWithError("peer window not found");
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) benchmark::DoNotOptimize(SendMessage(h, 1, 0, i));
    for (int title = 0; title < 2; ++title)
      for (int c = 0; c < 61; ++c) benchmark::DoNotOptimize(SendMessage(h, 1, c, title));
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  // The share of one 200 ms monitor tick that the burst takes.
  state.counters["share_of_tick"] = total / double(state.iterations()) / 0.200;
}

BENCHMARK(BM_MessageRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MonitorTickBurst)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kt::bench
