// Cutting folder, file name and path out of result-list entries.

#include "platform/Cp1252.h"
#include "search/FolderListing.h"
#include "search/ResultList.h"

#include <gtest/gtest.h>

namespace kt {
namespace {

TEST(FolderListing, NodePathsOfDrivesAndServers) {
  EXPECT_EQ(NodeFolderPath("C:"), "C:");
  EXPECT_EQ(NodeFolderPath("d:\\a\\b"), "d:\\a\\b");
  EXPECT_EQ(NodeFolderPath("srv\\share"), "\\\\srv\\share");
  EXPECT_EQ(NodeFolderPath("x"), "\\\\x");
}

TEST(FolderListing, RevealTargets) {
  struct Case {
    const char* entry;
    const char* folder;
    std::vector<std::string_view> components;
    const char* name;
  };
  const Case cases[] = {
      {"d:\\a\\b\\s.mp3 [A - S]", "d:\\a\\b\\", {"d:", "a", "b"}, "s.mp3 [A - S]"},
      // A "\" in the tag stays in the name; brackets in folders stay in the folder.
      {"d:\\a\\s.mp3 [AC\\DC - T]", "d:\\a\\", {"d:", "a"}, "s.mp3 [AC\\DC - T]"},
      {"d:\\Best [x]\\s.MP3 [A - S]", "d:\\Best [x]\\", {"d:", "Best [x]"}, "s.MP3 [A - S]"},
      {"\\\\srv\\share\\n.mp3 [N - N]", "\\\\srv\\share\\", {"", "", "srv", "share"}, "n.mp3 [N - N]"},
      // Without the ".mp3 [" boundary the whole line counts.
      {"d:\\a\\b.wav [x\\y]", "d:\\a\\b.wav [x\\", {"d:", "a", "b.wav [x"}, "y]"},
      // A folder-view entry has no folder.
      {"s.mp3 [A - S]", "", {}, "s.mp3 [A - S]"},
  };
  for (const Case& c : cases) {
    const TRevealTarget t = RevealTargetOf(c.entry);
    EXPECT_EQ(t.Folder, c.folder) << c.entry;
    EXPECT_EQ(t.Components, c.components) << c.entry;
    EXPECT_EQ(t.Name, c.name) << c.entry;
  }
}

TEST(FolderListing, CopiedPaths) {
  const struct {
    const char *entry, *expected;
  } cases[] = {
      {"d:\\a\\Best [x]\\s.mp3 [A - S]", "d:\\a\\Best [x]\\s.mp3"},
      {"d:\\a\\s.Mp3 [A - T [Live]]", "d:\\a\\s.Mp3"},
      {"s.mp3 [A - S]", "D:\\CUR\\s.mp3"},
      // Without the boundary: up to the first " ["; without any, nothing.
      {"d:\\a\\b.wav [x] [y]", "d:\\a\\b.wav"},
      {"d:\\a\\b.wav", "D:\\CUR\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(CopiedEntryPath(c.entry, "D:\\CUR"), c.expected) << c.entry;
}

TEST(FolderListing, EntriesAreFoundIgnoringLetterCase) {
  TCatalog catalog;
  catalog.Tracks = {"d:\\m\\Zw\xF6lf.mp3 [A - B]", "d:\\m\\\xC4rger.mp3 [A - B]", "d:\\m\\\xE4rger.mp3 [A - B]"};
  TResultList list;
  list.SetCatalog(&catalog);
  EXPECT_EQ(ListFolder(catalog, "D:\\M", list), 3u);
  EXPECT_EQ(FindEntryIgnoringCase(list, "ZW\xD6LF.MP3 [a - b]"), 0);
  EXPECT_EQ(FindEntryIgnoringCase(list, "\xE4rger.mp3 [A - B]"), 1);  // the first of equal ones
  EXPECT_EQ(FindEntryIgnoringCase(list, "rger.mp3 [A - B]"), -1);
  EXPECT_TRUE(Cp1252EqualsIgnoreCase("\x9A\xFF\xE9", "\x8A\x9F\xC9"));
  EXPECT_FALSE(Cp1252EqualsIgnoreCase("\xF7", "\xD7"));  // division and multiplication signs are no letters
}

}  // namespace
}  // namespace kt
