#include "platform/FileVersion.h"

#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace kt {
namespace {

uint32_t Le32(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

constexpr uint32_t kStructVersion = 0x00010000;
constexpr size_t kRecordBytes = 16;  // signature, structure version, two version words
constexpr size_t kMaxScan = size_t(256) << 20;

}  // namespace

std::optional<TFileVersion> ReadFileVersion(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  // Read in chunks that overlap by one record, so a record across a chunk
  // border is still seen. The first record whose structure version is 1.0
  // wins; a bare signature elsewhere serves only when there is none.
  std::optional<TFileVersion> loose;
  std::string buf;
  size_t scanned = 0;
  char chunk[1 << 16];
  const unsigned char sig[4] = {0xBD, 0x04, 0xEF, 0xFE};
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n <= 0) break;
    scanned += size_t(n);
    buf.append(chunk, size_t(n));
    size_t from = 0;
    while (buf.size() >= from + kRecordBytes) {
      const void* hit = ::memmem(buf.data() + from, buf.size() - from, sig, 4);
      if (!hit) break;
      const size_t at = size_t(static_cast<const char*>(hit) - buf.data());
      if (buf.size() - at < kRecordBytes) break;
      const auto* p = reinterpret_cast<const unsigned char*>(buf.data() + at);
      const uint32_t ms = Le32(p + 8), ls = Le32(p + 12);
      const TFileVersion v{uint16_t(ms >> 16), uint16_t(ms & 0xFFFF), uint16_t(ls >> 16), uint16_t(ls & 0xFFFF)};
      if (Le32(p + 4) == kStructVersion) {
        ::close(fd);
        return v;
      }
      if (!loose) loose = v;
      from = at + 1;
    }
    if (buf.size() > kRecordBytes) buf.erase(0, buf.size() - (kRecordBytes - 1));
    if (scanned >= kMaxScan) break;
  }
  ::close(fd);
  return loose;
}

int64_t PlayerVersion(const std::filesystem::path& file) {
  const auto v = ReadFileVersion(file);
  if (!v) return 0;
  return int64_t(v->Major) * 4096 + int64_t(v->Minor) * 256 + int64_t(v->Release) * 16 + int64_t(v->Build);
}

}  // namespace kt
