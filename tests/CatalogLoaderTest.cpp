#include "catalog/CatalogLoader.h"
#include "catalog/CatalogFiles.h"
#include "platform/Cp1252.h"
#include "search/FoldSearchKey.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace kt {
namespace {

using test::TempDir;
using test::WriteBytes;

TEST(LoadCatalog, ReadsBothFilesAndEmptiesListsOfMissingFiles) {
  struct Case {
    const char* name;
    std::optional<std::string> index, baum;  // nullopt: the file is missing
    std::vector<std::string> tracks, folders;
  };
  const Case cases[] = {
      {"both files", "d:\\a\\x.mp3 [A - X]\r\nd:\\a\\y.mp3 [ - ]\r\n", "d:\\a\r\n\\\\srv\\s\r\n",
       {"d:\\a\\x.mp3 [A - X]", "d:\\a\\y.mp3 [ - ]"}, {"d:\\a", "\\\\srv\\s"}},
      {"no files", std::nullopt, std::nullopt, {}, {}},
      {"no folder file", "t\r\n", std::nullopt, {"t"}, {}},
      {"no track file", std::nullopt, "d:\r\n", {}, {"d:"}},
      {"files of 0 bytes", "", "", {}, {}},
      // Taken as they stand: other line ends, empty lines, bytes of the code page.
      {"lines as they stand", "a\n\nb", "d:\\\xC4rger\\\r\\\\\r\n", {"a", "", "b"}, {"d:\\\xC4rger\\", "\\\\"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    if (c.index) WriteBytes(dir / "Index.txt", *c.index);
    if (c.baum) WriteBytes(dir / "Baum.txt", *c.baum);
    // Whatever the catalog held before is replaced.
    TCatalog catalog;
    catalog.Tracks = {"old track"};
    catalog.Folders = {"old folder", "another"};
    LoadCatalog(dir.path(), catalog);
    EXPECT_EQ(catalog.Tracks.ToVector(), c.tracks);
    EXPECT_EQ(catalog.Folders.ToVector(), c.folders);
  }
}

TEST(LoadCatalog, FileNamesAreExact) {
  TempDir dir;
  WriteBytes(dir / "index.txt", "lower case name\r\n");
  WriteBytes(dir / "Baum.txt.bak", "d:\r\n");
  TCatalog catalog;
  LoadCatalog(dir.path(), catalog);
  EXPECT_TRUE(catalog.Tracks.empty());
  EXPECT_TRUE(catalog.Folders.empty());
}

// Key i must be the fold of track line i upper-cased once more, one key per
// line, in the one buffer the query scans.
void ExpectKeysParallel(const TCatalog& catalog) {
  ASSERT_TRUE(catalog.KeysMatchTracks());
  ASSERT_EQ(catalog.Keys.size(), catalog.Tracks.size());
  std::string joined;
  for (size_t i = 0; i < catalog.Tracks.size(); ++i) {
    const std::string expected = AsciiUpper(FoldSearchKey(catalog.Tracks[i]));
    EXPECT_EQ(catalog.Keys[i], expected) << "line " << i;
    joined += expected;
    joined += '\n';
  }
  EXPECT_EQ(catalog.Keys.Bytes(), joined);
}

TEST(BuildSearchKeys, KeysStayParallelToTracks) {
  std::string allBytes;  // every byte but the line ends and NUL, so the skipped upper-casing is checked for all
  for (int b = 1; b < 256; ++b)
    if (b != '\r' && b != '\n') allBytes += char(b);
  const std::vector<TLineList> catalogs = {
      {},
      {""},
      {"d:\\sounds\\rock\\Rolling Stones - Angie.mp3 [Rolling Stones - Angie]"},
      {"d:\\a\\x.mp3 [ - ]", "", "   ", "d:\\M\xFCller\\Stra\xDF" "e.mp3 [M\xFCller - Stra\xDF" "e]", "",
       "\\\\srv\\share\\K\xE4se_Zug.mp3 [kaese - zug]", allBytes, "-/\\*_", "\x80\x8E\x9E\x9F"},
  };
  for (const TLineList& tracks : catalogs) {
    SCOPED_TRACE(testing::Message() << tracks.size() << " tracks");
    TCatalog catalog;
    catalog.Tracks = tracks;
    catalog.Keys = {"stale", "keys", "of", "an", "earlier", "catalog", "that", "was", "longer", "x", "y"};
    BuildSearchKeys(catalog);
    ExpectKeysParallel(catalog);
    // A second build gives the same keys, not twice as many.
    BuildSearchKeys(catalog);
    ExpectKeysParallel(catalog);
  }
}

TEST(BuildSearchKeys, HitInTheKeyBufferLeadsBackToItsTrack) {
  TempDir dir;
  WriteBytes(dir / "Index.txt",
             "d:\\pop\\Nena - 99 Luftballons.mp3 [Nena - 99 Luftballons]\r\n"
             "d:\\rock\\Rolling Stones - Angie.mp3 [Rolling Stones - Angie]\r\n"
             "\r\n"
             "d:\\rock\\Kraftwerk - Autobahn.mp3 [Kraftwerk - Autobahn]\r\n");
  TCatalog catalog;
  LoadCatalog(dir.path(), catalog);
  BuildSearchKeys(catalog);
  ExpectKeysParallel(catalog);
  const std::string_view bytes = catalog.Keys.Bytes();
  struct Case {
    const char* needle;
    size_t line;
  };
  for (const Case& c : {Case{"STONES\\ANGIE", 1}, Case{"CRAFTWERC\\AUTOBAHN", 3}, Case{"99LUFTBALLONS", 0}}) {
    const size_t at = bytes.find(c.needle);
    ASSERT_NE(at, std::string_view::npos) << c.needle;
    EXPECT_EQ(catalog.Keys.LineAtOffset(at), c.line) << c.needle;
  }
}

TEST(LineList, AppendInPlaceKeepsLinesApartAfterTheBufferGrows) {
  TLineList list;
  list.Append("first");
  std::vector<std::string> expected = {"first"};
  for (int i = 0; i < 2000; ++i) {
    const std::string line(size_t(i % 37), char('a' + i % 26));
    list.AppendInPlace([&](std::string& bytes) { bytes += line; });
    expected.push_back(line);
  }
  list.Append("last");
  expected.push_back("last");
  EXPECT_EQ(list.ToVector(), expected);
  EXPECT_EQ(list, TLineList::FromText(list.ToText()));
}

}  // namespace
}  // namespace kt
