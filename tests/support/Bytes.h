#pragma once
// Little-endian numbers as bytes, for fixtures of binary records.

#include <cstdint>
#include <string>

namespace kt::test {

inline std::string Le32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[size_t(i)] = char((v >> (8 * i)) & 0xFF);
  return s;
}

}  // namespace kt::test
