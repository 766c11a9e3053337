#include "platform/Processes.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kt {

bool StartProgram(const std::filesystem::path& program, const std::vector<std::string>& args) {
  QStringList list;
  for (const std::string& a : args) list << QString::fromStdString(a);
  return QProcess::startDetached(QString::fromStdString(program.string()), list);
}

bool IsProgramRunning(std::string_view name) {
  DIR* d = ::opendir("/proc");
  if (!d) return false;
  bool found = false;
  const uid_t me = ::getuid();
  while (!found) {
    const dirent* e = ::readdir(d);
    if (!e) break;
    if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
    const std::string dir = std::string("/proc/") + e->d_name;
    struct stat st{};
    if (::stat(dir.c_str(), &st) != 0 || st.st_uid != me) continue;
    const int fd = ::open((dir + "/comm").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    char buf[64];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    if (n <= 0) continue;
    std::string_view comm(buf, size_t(n));
    if (!comm.empty() && comm.back() == '\n') comm.remove_suffix(1);
    // The kernel keeps the first 15 bytes of the name.
    found = comm == name.substr(0, 15);
  }
  ::closedir(d);
  return found;
}

}  // namespace kt
