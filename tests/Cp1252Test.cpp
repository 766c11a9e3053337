#include "platform/Cp1252.h"

#include <gtest/gtest.h>

namespace kt {
namespace {

std::string AllBytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s += char(b);
  return s;
}

TEST(Cp1252, EveryByteRoundTripsThroughUnicode) {
  const std::string all = AllBytes();
  const QString u = FromCp1252(all);
  ASSERT_EQ(u.size(), 256);
  EXPECT_EQ(ToCp1252(u), all);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(QString::fromUtf8(Cp1252ToUtf8(all)), u);
}

TEST(Cp1252, CodePoints) {
  struct Case {
    unsigned char byte;
    char32_t cp;
  };
  const Case cases[] = {
      {0x41, U'A'},     {0x80, 0x20AC}, {0x81, 0x0081}, {0x8A, 0x0160}, {0x8D, 0x008D},
      {0x8E, 0x017D},   {0x8F, 0x008F}, {0x90, 0x0090}, {0x96, 0x2013}, {0x9D, 0x009D},
      {0x9F, 0x0178},   {0xA0, 0x00A0}, {0xC4, 0x00C4}, {0xDF, 0x00DF}, {0xFF, 0x00FF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1252ToCodePoint(c.byte), c.cp) << int(c.byte);
    EXPECT_EQ(CodePointToCp1252(c.cp), c.byte) << int(c.byte);
  }
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(ToCp1252(QString::fromUtf8("\xCE\xA9mega \xE2\x82\xAC \xF0\x9F\x8E\xB5")), "?mega \x80 ?");
  EXPECT_EQ(Utf8ToCp1252("\xCE\xA9mega \xC3\xA4 \xF0\x9F\x8E\xB5"), "?mega \xE4 ?");
  EXPECT_EQ(CodePointToCp1252(0x0100), -1);
}

TEST(Cp1252, StrayBytesOfInvalidUtf8KeepTheirWindows1252Meaning) {
  // A Latin-1 name on disk ("K\xF6ln"), a truncated sequence, an overlong form, a lone surrogate.
  EXPECT_EQ(Utf8ToCp1252("K\xF6ln"), "K\xF6ln");
  EXPECT_EQ(Utf8ToCp1252("a\xE2\x82"), "a\xE2\x82");
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "\xC0\xAF");
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "\xED\xA0\x80");
}

TEST(Cp1252, AsciiCaseMappingLeavesOtherBytesAlone) {
  EXPECT_EQ(AsciiUpper("abz AZ \xE4\xF6\xFC\xDF 09"), "ABZ AZ \xE4\xF6\xFC\xDF 09");
  EXPECT_EQ(AsciiLower("ABZ az \xC4\xD6\xDC 09"), "abz az \xC4\xD6\xDC 09");
  EXPECT_TRUE(AsciiEqualsIgnoreCase("D:\\Sounds", "d:\\SOUNDS"));
  EXPECT_FALSE(AsciiEqualsIgnoreCase("\xE4", "\xC4"));
  EXPECT_FALSE(AsciiEqualsIgnoreCase("ab", "abc"));
}

}  // namespace
}  // namespace kt
