#include "tests/support/Mp3Fixtures.h"

#include "tests/support/TempDir.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace kt::test {
namespace {

bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/bin:/bin";
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    const std::string candidate = std::string(dir.empty() ? "." : dir) + "/" + tool;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return false;
}

void RequireTool(const std::string& tool) {
  if (!OnPath(tool))
    throw std::runtime_error("MP3 fixtures need '" + tool + "', which is not on PATH (install the Debian package " +
                             tool + ", see scripts/install-deps)");
}

// Runs a program without a shell and waits for it; throws unless it exits with 0.
void Run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (const int err = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ); err != 0)
    throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(err));
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("cannot wait for " + args[0] + ": " + std::strerror(errno));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string line;
    for (const std::string& a : args) line += (line.empty() ? "" : " ") + a;
    throw std::runtime_error("MP3 fixture command failed: " + line);
  }
}

// The encodes of this process, one per length and rate.
class TEncodeCache {
 public:
  const std::string& Get(double seconds, int rate) {
    std::lock_guard lock(mutex_);
    char key[64];
    std::snprintf(key, sizeof key, "%.3f-%d", seconds, rate);
    if (auto it = bytes_.find(key); it != bytes_.end()) return it->second;
    RequireTool("sox");
    RequireTool("lame");
    if (!dir_) dir_ = std::make_unique<TempDir>();
    const std::string wav = (*dir_ / (std::string(key) + ".wav")).string();
    const std::string mp3 = (*dir_ / (std::string(key) + ".mp3")).string();
    char length[32];
    std::snprintf(length, sizeof length, "%.3f", seconds);
    Run({"sox", "-n", "-r", std::to_string(rate), "-c", "2", "-b", "16", wav, "synth", length, "sine", "440"});
    Run({"lame", "--quiet", "-b", "128", wav, mp3});
    std::string bytes = ReadBytes(mp3);
    if (bytes.empty()) throw std::runtime_error("lame wrote no bytes to " + mp3);
    return bytes_.emplace(key, std::move(bytes)).first->second;
  }

 private:
  std::mutex mutex_;
  std::unique_ptr<TempDir> dir_;
  std::map<std::string, std::string> bytes_;
};

TEncodeCache& Cache() {
  static TEncodeCache cache;
  return cache;
}

}  // namespace

std::string Id3v1Block(std::string_view artist, std::string_view title) {
  std::string block(128, '\0');
  block.replace(0, 3, "TAG");
  title = title.substr(0, 30);
  artist = artist.substr(0, 30);
  block.replace(3, title.size(), title);
  block.replace(33, artist.size(), artist);
  block[127] = char(255);
  return block;
}

const std::string& UntaggedMp3Bytes(double seconds, int rate) { return Cache().Get(seconds, rate); }

void MakeMp3(const std::filesystem::path& file, std::string_view artist, std::string_view title, double seconds,
             int rate) {
  std::string bytes = UntaggedMp3Bytes(seconds, rate);
  if (!artist.empty() || !title.empty()) bytes += Id3v1Block(artist, title);
  WriteBytes(file, bytes);
}

}  // namespace kt::test
