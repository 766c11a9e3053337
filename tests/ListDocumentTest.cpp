#include "search/ListDocument.h"

#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kt {
namespace {

const std::string kHead =
    "\r\n\r\n\r\n"
    "        Varnik's Klangtruhe 2.0 alpha\r\n"
    "     ===========================================\r\n"
    "\r\n";

TEST(ListDocument, HeadThenEveryEntryIndentedByEightBlanks) {
  struct Case {
    const char* what;
    std::vector<std::string_view> entries;
    std::string body;
  };
  const Case cases[] = {
      {"no entries", {}, ""},
      {"one entry", {"0001 A - B"}, "        0001 A - B\r\n"},
      {"order kept, bytes untouched, empty entries and blanks kept",
       {"0002 Die \xC4rzte - M\xE4nner", "", "  x  ", "0001 Br\xFC" "der"},
       "        0002 Die \xC4rzte - M\xE4nner\r\n"
       "        \r\n"
       "          x  \r\n"
       "        0001 Br\xFC" "der\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ListDocument(c.entries), kHead + c.body) << c.what;
    EXPECT_EQ(ListDocument(c.entries.size(), [&](size_t i) { return c.entries[i]; }), kHead + c.body) << c.what;
  }
}

TEST(ListDocument, AMillionEntries) {
  const std::vector<std::string> texts{"0001 Die \xC4rzte - Schrei nach Liebe", "0002 x", ""};
  const size_t count = 1'000'000;
  size_t asked = 0;
  const std::string doc = ListDocument(count, [&](size_t i) {
    ++asked;
    return std::string_view(texts[i % texts.size()]);
  });
  size_t size = kHead.size();
  for (size_t i = 0; i < count; ++i) size += 8 + texts[i % texts.size()].size() + 2;
  ASSERT_EQ(doc.size(), size);
  EXPECT_LE(asked, 2 * count);
  EXPECT_EQ(doc.compare(0, kHead.size(), kHead), 0);
  EXPECT_EQ(doc.substr(kHead.size(), 44), "        0001 Die \xC4rzte - Schrei nach Liebe\r\n");
  // 999999 is the last entry: 999999 % 3 == 0.
  EXPECT_EQ(doc.substr(doc.size() - 44), "        0001 Die \xC4rzte - Schrei nach Liebe\r\n");
}

TEST(ListDocument, MoreThanFiveHundredEntriesNeedConfirmation) {
  EXPECT_FALSE(PrintNeedsConfirmation(0));
  EXPECT_FALSE(PrintNeedsConfirmation(kPrintWithoutAsking));
  EXPECT_EQ(kPrintWithoutAsking, 500u);
  EXPECT_TRUE(PrintNeedsConfirmation(501));
  // Windows-1252 bytes, the two sentences parted by a single CR.
  EXPECT_EQ(FromCp1252(kPrintManyQuestion),
            QStringLiteral(u"Es wurden mehr als 500 Datens\u00E4tze zum Ausdruck gew\u00E4hlt.\rSind Sie sicher?"));
}

}  // namespace
}  // namespace kt
