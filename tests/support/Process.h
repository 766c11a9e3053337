#pragma once
// Starting the project's own executables from tests.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kt::test {

// The folder of the running test program: build/bin, where every binary is.
std::filesystem::path BinFolder();

class ChildProcess {
 public:
  ChildProcess() = default;
  // Starts program with args; env entries are added to (or replace) the test's environment.
  ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env = {});
  ~ChildProcess();  // kills and reaps a child that still runs
  ChildProcess(ChildProcess&& o) noexcept;
  ChildProcess& operator=(ChildProcess&& o) noexcept;

  pid_t pid() const { return pid_; }
  bool Running();
  // Waits for the child to end; false when it still runs after the timeout.
  bool Wait(std::chrono::milliseconds timeout, int* status = nullptr);
  void Signal(int sig);
  void Kill();  // SIGKILL and reap

 private:
  pid_t pid_ = -1;
  bool reaped_ = true;
  int status_ = 0;
};

// Polls pred every 10 ms until it is true or the timeout passes.
template <typename Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (pred()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    struct timespec ts{0, 10'000'000};
    nanosleep(&ts, nullptr);
  }
}

}  // namespace kt::test
