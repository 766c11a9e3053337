#pragma once
// A private print server for tests: a cupsd of its own, run in the foreground
// with its configuration, spool, logs and socket in one folder, never the
// system's. Its queues write each job, unchanged, into a file.
//
// Clients reach it by CUPS_SERVER=Socket(). The CUPS library reads that
// variable once per thread, so a test program sets it before anything asks
// for printers and may start the server later.

#include "tests/support/Process.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace kt::test {

class CupsServer {
 public:
  // Writes the configuration into folder (which must exist); does not start.
  explicit CupsServer(std::filesystem::path folder);
  ~CupsServer();
  CupsServer(const CupsServer&) = delete;
  CupsServer& operator=(const CupsServer&) = delete;

  std::string Socket() const { return socket_.string(); }
  std::string ServerRoot() const { return (folder_ / "etc").string(); }

  // Starts cupsd unless it runs already and waits until it answers. False,
  // with the reason, when it cannot start here (not installed, refused).
  bool Start(std::string* why);
  bool Running();
  void Stop();

  // A queue that writes every job to file, replacing it; optionally the default.
  bool AddFileQueue(const std::string& name, const std::filesystem::path& file, bool asDefault,
                    std::string* why);
  // Removes the queue; a queue that does not exist is no error.
  bool RemoveQueue(const std::string& name, std::string* why);

  struct Job {
    int id;
    std::string name;
    bool operator==(const Job&) const = default;
  };
  // Jobs that ended, oldest first, as the page log records them.
  std::vector<Job> FinishedJobs() const;
  // Waits until count jobs have ended and none is pending.
  bool WaitForFinishedJobs(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(30));

 private:
  int Tool(const std::string& program, const std::string& args, std::string* output) const;

  std::filesystem::path folder_;
  std::filesystem::path shortFolder_;  // holds the socket when folder_ is too deep for one
  std::filesystem::path socket_;
  ChildProcess cupsd_;
};

}  // namespace kt::test
