#include "catalog/TrackLine.h"

#include <cstdio>
#include <cstring>

namespace kt {

size_t FindMp3Bracket(std::string_view line) {
  const char* const base = line.data();
  size_t from = 5;
  while (from < line.size()) {
    const void* hit = std::memchr(base + from, '[', line.size() - from);
    if (!hit) return std::string_view::npos;
    const size_t k = size_t(static_cast<const char*>(hit) - base);
    if (line[k - 1] == ' ' && line[k - 2] == '3' && (line[k - 3] | 0x20) == 'p' && (line[k - 4] | 0x20) == 'm' &&
        line[k - 5] == '.')
      return k;
    from = k + 1;
  }
  return std::string_view::npos;
}

size_t LastPos(std::string_view needle, std::string_view text) {
  if (needle.size() > text.size()) return 0;
  const size_t at = text.rfind(needle);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string FormatIndexNumber(size_t index) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04zu", index);
  return buf;
}

}  // namespace kt
