#include "catalog/Id3v1Tag.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kt {
namespace {

constexpr size_t kTitleAt = 3;
constexpr size_t kArtistAt = 33;
constexpr size_t kFieldSize = 30;

// A field up to its first NUL, without bytes <= 32 at either end.
std::string Field(std::string_view block, size_t at) {
  std::string_view f = block.substr(at, kFieldSize);
  if (const size_t nul = f.find('\0'); nul != std::string_view::npos) f = f.substr(0, nul);
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!f.empty() && blank(f.front())) f.remove_prefix(1);
  while (!f.empty() && blank(f.back())) f.remove_suffix(1);
  return std::string(f);
}

}  // namespace

TId3v1Tag ParseId3v1Tag(std::string_view last128) {
  if (last128.size() < kId3v1Size) return {};
  const std::string_view block = last128.substr(last128.size() - kId3v1Size);
  if (block.substr(0, 3) != "TAG") return {};
  return TId3v1Tag{Field(block, kArtistAt), Field(block, kTitleAt)};
}

TId3v1Tag ReadId3v1Tag(const std::filesystem::path& nativeFile) { return ReadId3v1TagAt(AT_FDCWD, nativeFile.c_str()); }

TId3v1Tag ReadId3v1TagAt(int folderFd, const char* name) {
  // Non-blocking, so a pipe or device that carries an MP3's name cannot hang the scan.
  const int fd = ::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  char block[kId3v1Size];
  ssize_t n = -1;
  struct stat st{};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= off_t(kId3v1Size)) {
    do {
      n = ::pread(fd, block, sizeof block, st.st_size - off_t(kId3v1Size));
    } while (n < 0 && errno == EINTR);
  }
  ::close(fd);
  if (n != ssize_t(kId3v1Size)) return {};
  return ParseId3v1Tag(std::string_view(block, sizeof block));
}

}  // namespace kt
