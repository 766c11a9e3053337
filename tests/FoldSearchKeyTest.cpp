#include "search/FoldSearchKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kt {
namespace {

struct FoldCase {
  const char* input;  // Windows-1252 bytes
  const char* folded;
};

TEST(FoldSearchKey, Examples) {
  const FoldCase cases[] = {
      {"Die \xC4rzte - Zu sp\xE4t", "DIEAERSTE\\SUSPAET"},
      {"C:\\MP3\\Kraftwerk - Das Modell.mp3", "C:\\MP3\\CRAFTWERC\\DASMODELLMP3"},
      {"Caf\xE9 Gr\xF6\xDF" "e", "CAFEGROESSE"},
      {"GROESSE", "GROESSE"},
      {"jazz_klub", "JASS\\CLUB"},
      {"Kaiser", "CAISER"},
      {"Caiser", "CAISER"},
      {"Mozart", "MOSART"},
      {"Se\xF1or \xD1" "and\xFA", "SEORANDU"},
      {"Pink Floyd", "PINCFLOYD"},
      {"Pink-Floyd", "PINC\\FLOYD"},
      {"#0042", "0042"},
      {"*", "\\"},
      {"", ""},
      {" !\"#$%&'()+,.;<=>?@[]^`{|}~", ""},
      {"\xC5\xE5\xC6\xE6\xD8\xF8\xC3\xD1\xF1", ""},
      {"d:\\sounds\\rock\\Band - Song.mp3 [Band - Song]", "D:\\SOUNDS\\ROCC\\BAND\\SONGMP3BAND\\SONG"},
  };
  for (const FoldCase& c : cases) EXPECT_EQ(FoldSearchKey(c.input), c.folded) << "input: " << c.input;
}

// Every byte on its own, against the folding table written out row by row.
TEST(FoldSearchKey, EveryByte) {
  struct Row {
    int lo, hi;
    const char* out;  // nullptr: the byte itself
  };
  const Row rows[] = {
      {0x30, 0x39, nullptr}, {0x41, 0x4A, nullptr}, {0x4B, 0x4B, "C"}, {0x4C, 0x59, nullptr},
      {0x5A, 0x5A, "S"}, {0x3A, 0x3A, ":"}, {0x2A, 0x2A, "\\"}, {0x2D, 0x2D, "\\"},
      {0x2F, 0x2F, "\\"}, {0x5C, 0x5C, "\\"}, {0x5F, 0x5F, "\\"}, {0xC0, 0xC2, "A"},
      {0xE0, 0xE2, "A"}, {0xC4, 0xC4, "AE"}, {0xE4, 0xE4, "AE"}, {0xC7, 0xC7, "C"},
      {0xE7, 0xE7, "C"}, {0xC8, 0xCB, "E"}, {0xE8, 0xEB, "E"}, {0xCC, 0xCF, "I"},
      {0xEC, 0xEF, "I"}, {0xD2, 0xD4, "O"}, {0xF2, 0xF4, "O"}, {0xD6, 0xD6, "OE"},
      {0xF6, 0xF6, "OE"}, {0xD9, 0xDB, "U"}, {0xF9, 0xFB, "U"}, {0xDC, 0xDC, "UE"},
      {0xFC, 0xFC, "UE"}, {0xDF, 0xDF, "SS"},
  };
  std::vector<std::string> expected(256);
  for (const Row& r : rows)
    for (int b = r.lo; b <= r.hi; ++b) expected[b] = r.out ? r.out : std::string(1, char(b));
  // Lower-case ASCII letters are upper-cased first and then fold like their capitals.
  for (int b = 'a'; b <= 'z'; ++b) expected[b] = expected[b - 'a' + 'A'];

  for (int b = 0; b < 256; ++b) {
    const std::string in(1, char(b));
    EXPECT_EQ(FoldSearchKey(in), expected[b]) << "byte 0x" << std::hex << b;
  }
}

TEST(FoldSearchKey, OutputAlphabetAndLength) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  all += all;  // a long text of every byte twice
  const std::string key = FoldSearchKey(all);
  EXPECT_LE(key.size(), 2 * all.size());
  for (char c : key) {
    const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Y' && c != 'K') || c == ':' || c == '\\';
    EXPECT_TRUE(ok) << "unexpected output byte " << int(static_cast<unsigned char>(c));
  }
  // Folding a folded key changes nothing: the key builder's extra upper-casing is harmless.
  EXPECT_EQ(FoldSearchKey(key), key);
  // Appending to a buffer gives the same bytes as folding on its own.
  std::string buffer = "PREFIX";
  AppendFoldedKey(all, buffer);
  EXPECT_EQ(buffer, "PREFIX" + key);
}

}  // namespace
}  // namespace kt
