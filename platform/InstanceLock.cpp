#include "platform/InstanceLock.h"

#include "platform/WinMsg.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kt {

namespace {

// Lock names may hold any byte; the file name keeps letters, digits and a few
// marks and writes every other byte as its hex value.
std::string FileNameOf(std::string_view name) {
  static const char* hex = "0123456789abcdef";
  std::string out = "lock-";
  for (unsigned char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_') {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace

TInstanceLock::TInstanceLock(std::string_view name) {
  const std::string folder = WindowFolder();
  if (folder.empty()) return;
  const std::string file = folder + "/" + FileNameOf(name);
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    held_elsewhere_ = errno == EWOULDBLOCK;
    ::close(fd_);
    fd_ = -1;
  }
}

TInstanceLock::~TInstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace kt
