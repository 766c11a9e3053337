#include "search/FoldSearchKey.h"

#include <array>
#include <cstdint>

namespace kt {
namespace {

// For every byte: what it folds to (0, 1 or 2 bytes). The ASCII upper-casing
// comes first, so a lower-case letter folds like its capital.
struct Fold {
  uint8_t len = 0;
  char out[2] = {0, 0};
};

constexpr Fold One(char a) { return Fold{1, {a, 0}}; }
constexpr Fold Two(char a, char b) { return Fold{2, {a, b}}; }

constexpr Fold FoldUpper(unsigned b) {
  if (b >= '0' && b <= '9') return One(char(b));
  if (b == 'K') return One('C');
  if (b == 'Z') return One('S');
  if (b >= 'A' && b <= 'Y') return One(char(b));
  if (b == ':') return One(':');
  if (b == '*' || b == '-' || b == '/' || b == '\\' || b == '_') return One('\\');
  if ((b >= 0xC0 && b <= 0xC2) || (b >= 0xE0 && b <= 0xE2)) return One('A');
  if (b == 0xC4 || b == 0xE4) return Two('A', 'E');
  if (b == 0xC7 || b == 0xE7) return One('C');
  if ((b >= 0xC8 && b <= 0xCB) || (b >= 0xE8 && b <= 0xEB)) return One('E');
  if ((b >= 0xCC && b <= 0xCF) || (b >= 0xEC && b <= 0xEF)) return One('I');
  if ((b >= 0xD2 && b <= 0xD4) || (b >= 0xF2 && b <= 0xF4)) return One('O');
  if (b == 0xD6 || b == 0xF6) return Two('O', 'E');
  if ((b >= 0xD9 && b <= 0xDB) || (b >= 0xF9 && b <= 0xFB)) return One('U');
  if (b == 0xDC || b == 0xFC) return Two('U', 'E');
  if (b == 0xDF) return Two('S', 'S');
  return Fold{};
}

constexpr std::array<Fold, 256> MakeTable() {
  std::array<Fold, 256> t{};
  for (unsigned b = 0; b < 256; ++b) t[b] = FoldUpper((b >= 'a' && b <= 'z') ? b - 'a' + 'A' : b);
  return t;
}

constexpr std::array<Fold, 256> kFold = MakeTable();

}  // namespace

void AppendFoldedKey(std::string_view text, std::string& out) {
  const size_t start = out.size();
  out.resize(start + 2 * text.size());
  char* d = out.data() + start;
  for (unsigned char c : text) {
    const Fold& f = kFold[c];
    d[0] = f.out[0];
    d[1] = f.out[1];
    d += f.len;
  }
  out.resize(size_t(d - out.data()));
}

std::string FoldSearchKey(std::string_view text) {
  std::string out;
  AppendFoldedKey(text, out);
  return out;
}

}  // namespace kt
