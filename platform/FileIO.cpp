#include "platform/FileIO.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kt {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

}  // namespace

bool ReadFileBytes(const std::filesystem::path& file, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(size_t(st.st_size));
  char buf[1 << 16];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0) break;
    bytes.append(buf, size_t(n));
  }
  ::close(fd);
  if (!ok) bytes.clear();
  return ok;
}

bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes, std::error_code& ec) {
  ec.clear();
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  std::string tmpl = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) {
    ec.assign(errno, std::generic_category());
    return false;
  }
  // Keep the permissions of the file it replaces, or the usual ones for a new file.
  struct stat old{};
  if (::stat(file.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(tmpl.c_str(), file.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(tmpl.c_str());
    ec.assign(err, std::generic_category());
  }
  return ok;
}

}  // namespace kt
