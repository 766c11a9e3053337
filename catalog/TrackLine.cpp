#include "catalog/TrackLine.h"

#include <cstdio>

namespace kt {

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
