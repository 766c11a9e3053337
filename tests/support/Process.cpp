#include "tests/support/Process.h"

#include <csignal>
#include <cstring>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kt::test {

std::filesystem::path BinFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> all;
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq) all[std::string(*e, size_t(eq - *e))] = eq + 1;
  }
  for (const auto& [k, v] : env) all[k] = v;
  std::vector<std::string> envStrings;
  for (const auto& [k, v] : all) envStrings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::vector<std::string> argStrings{program.string()};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
    throw std::runtime_error("cannot start " + program.string());
  reaped_ = false;
}

ChildProcess::~ChildProcess() {
  if (!reaped_) Kill();
}

ChildProcess::ChildProcess(ChildProcess&& o) noexcept { *this = std::move(o); }

ChildProcess& ChildProcess::operator=(ChildProcess&& o) noexcept {
  if (this != &o) {
    if (!reaped_) Kill();
    pid_ = o.pid_;
    reaped_ = o.reaped_;
    status_ = o.status_;
    o.reaped_ = true;
    o.pid_ = -1;
  }
  return *this;
}

bool ChildProcess::Running() {
  if (reaped_) return false;
  int st;
  if (::waitpid(pid_, &st, WNOHANG) == pid_) {
    reaped_ = true;
    status_ = st;
    return false;
  }
  return true;
}

bool ChildProcess::Wait(std::chrono::milliseconds timeout, int* status) {
  const bool ended = WaitFor([&] { return !Running(); }, timeout);
  if (ended && status) *status = status_;
  return ended;
}

void ChildProcess::Signal(int sig) {
  if (!reaped_) ::kill(pid_, sig);
}

void ChildProcess::Kill() {
  if (reaped_) return;
  ::kill(pid_, SIGKILL);
  ::kill(pid_, SIGCONT);
  int st;
  ::waitpid(pid_, &st, 0);
  reaped_ = true;
  status_ = st;
}

}  // namespace kt::test
