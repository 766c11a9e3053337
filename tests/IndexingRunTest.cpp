#include "catalog/IndexingRun.h"

#include "catalog/CatalogFiles.h"
#include "catalog/Collation.h"
#include "catalog/Id3v1Tag.h"
#include "catalog/RtfCatalog.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "tests/support/Mp3Fixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace kt {
namespace {

using test::Id3v1Block;
using test::ReadBytes;
using test::TempDir;
using test::UntaggedMp3Bytes;
using test::WriteBytes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

constexpr char kSep = '\x8E';

TSearchPath Entry(TSearchPathMode mode, std::string text) { return TSearchPath{std::move(text), mode}; }
TSearchPath C(std::string text) { return Entry(TSearchPathMode::pmIndex, std::move(text)); }
TSearchPath U(std::string text) { return Entry(TSearchPathMode::pmSkip, std::move(text)); }
TSearchPath G(std::string text) { return Entry(TSearchPathMode::pmAtEnd, std::move(text)); }

// The catalog path of a native folder through z:.
std::string ZPath(const fs::path& native) {
  std::string s = "z:" + native.lexically_normal().string();
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

// A program folder whose drive d: is the folder "musik" of a temporary folder.
class IndexingRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    music = tmp / "musik";
    prog = tmp / "prog";
    fs::create_directories(music);
    fs::create_directories(prog / "dosdevices");
    fs::create_symlink(music, prog / "dosdevices" / "d:");
  }

  // An MP3 file below d: (a path with "/"), tagged unless artist and title are both empty.
  void Track(const std::string& rel, std::string_view artist = "", std::string_view title = "") {
    std::string bytes = UntaggedMp3Bytes();
    if (!artist.empty() || !title.empty()) bytes += Id3v1Block(artist, title);
    WriteBytes(music / rel, bytes);
  }

  TIndexingResult Run(const std::vector<TSearchPath>& paths, const TIndexingSink& sink = {}) {
    TPathMapper mapper(prog);
    mapper.SetCaching(true);
    return RunIndexingSteps(paths, mapper, prog, catalog, sink);
  }

  std::vector<std::string> Tracks() const { return catalog.Tracks.ToVector(); }
  std::vector<std::string> Folders() const { return catalog.Folders.ToVector(); }

  TempDir tmp;
  fs::path music, prog;
  TCatalog catalog;
};

TEST(IndexingGauge, PositionsOfTheStages) {
  struct Case {
    int stage;
    size_t done, total;
    int position;
  };
  const Case cases[] = {
      {1, 0, 5, 0},
      {1, 5, 5, 1194},
      {1, 1, 4, 298},            // 298.5: the even neighbour is below
      {1, 3, 4, 896},            // 895.5: the even neighbour is above
      {1, 1, 3, 398},            // 398.0
      {1, 0, 0, 1194},           // nothing to do: the stage is complete
      {2, 0, 1, 1194},           // stage 2 starts where stage 1 ends
      {2, 1, 2, 1194 + 3808},    // 3807.5
      {2, 3, 10, 1194 + 2284},   // 2284.5
      {2, 0, 0, 8809},
      {2, 1, 1, 8809},
      {3, 0, 0, 10000},
      {3, 1, 2, 8809 + 596},     // 595.5
      // 7615 * 290,000 passes 2^31: computed in 64 bits.
      {2, 290'000, 300'000, 1194 + 7361},
      {2, 150'000, 300'000, 1194 + 3808},  // 3807.5
      {2, 299'999, 300'000, 8809},         // 7614.97
      {2, 300'000, 300'000, 8809},
      {2, 1, 300'000, 1194},               // 0.025
      {2, 20, 300'000, 1195},              // 0.508
      {2, 1'000'000, 1'000'000, 8809},
      {0, 1, 1, 0},
      {4, 1, 1, 10000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IndexingGaugePosition(c.stage, c.done, c.total), c.position)
        << "stage " << c.stage << " " << c.done << "/" << c.total;
}

// --- Modes ---------------------------------------------------------------

TEST_F(IndexingRunTest, SkippedSubEntryKeepsItsFoldersButNotItsTracks) {
  Track("sounds/rock/a.mp3", "Band", "A");
  Track("sounds/private/p.mp3", "Band", "P");
  Track("sounds/private/deeper/q.mp3", "Band", "Q");
  Run({C("d:\\sounds"), U("    d:\\sounds\\private")});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\sounds\\rock\\a.mp3 [Band - A]"));
  EXPECT_THAT(Folders(), UnorderedElementsAre("d:\\sounds\\rock", "d:\\sounds\\private",
                                              "d:\\sounds\\private\\deeper"));
}

TEST_F(IndexingRunTest, AtEndSubEntryNumbersItsTracksLast) {
  Track("sounds/a.mp3");
  Track("sounds/z.mp3");
  Track("sounds/new/b.mp3");  // would sort first: "new" comes before the separator (a "Z")
  Track("sounds/old/c.mp3");
  Run({C("d:\\sounds"), G("    d:\\sounds\\new")});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\sounds\\old\\c.mp3 [ - ]", "d:\\sounds\\a.mp3 [ - ]",
                                    "d:\\sounds\\z.mp3 [ - ]", "d:\\sounds\\new\\b.mp3 [ - ]"));
}

TEST_F(IndexingRunTest, AtEndTopEntryComesAfterEveryIndexedTrack) {
  Track("z/zz.mp3");
  Track("z/zzz.mp3");
  Track("a/aa.mp3");
  Track("a/0.mp3");
  Run({G("d:\\a"), C("d:\\z")});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\z\\zz.mp3 [ - ]", "d:\\z\\zzz.mp3 [ - ]", "d:\\a\\0.mp3 [ - ]",
                                    "d:\\a\\aa.mp3 [ - ]"));
}

TEST_F(IndexingRunTest, SkippedTopEntryListsFoldersOnly) {
  Track("skip/x.mp3");
  Track("skip/inner/y.mp3");
  const TIndexingResult r = Run({U("d:\\skip")});
  EXPECT_TRUE(Tracks().empty());
  EXPECT_EQ(r.TrackCount, 0u);
  EXPECT_THAT(Folders(), UnorderedElementsAre("d:\\skip", "d:\\skip\\inner"));
}

TEST_F(IndexingRunTest, SameFolderTwiceGivesTracksOnceAndFolderLinesTwice) {
  Track("a/x.mp3", "X", "1");
  Track("a/y.mp3", "Y", "2");
  Run({C("d:\\a"), C("D:\\A")});
  // Lines that differ in letter case only compare equal: the first scan's stays.
  EXPECT_THAT(Tracks(), ElementsAre("d:\\a\\x.mp3 [X - 1]", "d:\\a\\y.mp3 [Y - 2]"));
  EXPECT_THAT(Folders(), ElementsAre("d:\\a", "D:\\A"));
}

TEST_F(IndexingRunTest, SeparatorCollatesLikeZ) {
  Track("a/sub/x.mp3");  // "sub" before "Ž": tracks of a subfolder first
  Track("a/y.mp3");      // "Ž" + "y" before "z" + "z"
  Track("a/zz/x.mp3");
  Track("a/\xC3\xA4/x.mp3");  // "ä" sorts with "a", long before "Ž"
  Run({C("d:\\a")});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\a\\\xE4\\x.mp3 [ - ]", "d:\\a\\sub\\x.mp3 [ - ]", "d:\\a\\y.mp3 [ - ]",
                                    "d:\\a\\zz\\x.mp3 [ - ]"));
}

TEST_F(IndexingRunTest, LaterSubEntriesOverrideEarlierOnes) {
  Track("s/a.mp3");
  Track("s/skip/b.mp3");
  Track("s/skip/back/c.mp3");
  Track("s/skip/back/end/d.mp3");
  Run({C("d:\\s"), U("    d:\\s\\skip"), C("        d:\\s\\skip\\back"), G("            d:\\s\\skip\\back\\end")});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\s\\skip\\back\\c.mp3 [ - ]", "d:\\s\\a.mp3 [ - ]",
                                    "d:\\s\\skip\\back\\end\\d.mp3 [ - ]"));
}

TEST_F(IndexingRunTest, SubEntryWithoutEnclosingEntryAddsItsTracksButNoFolderLines) {
  Track("s/new/a.mp3");
  Run({G("    d:\\s\\new")});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\s\\new\\a.mp3 [ - ]"));
  EXPECT_TRUE(Folders().empty());
}

// --- Tags and names --------------------------------------------------------

TEST_F(IndexingRunTest, TagParts) {
  WriteBytes(music / "t" / "nul title.mp3", UntaggedMp3Bytes() + Id3v1Block("Band      ", ""));
  WriteBytes(music / "t" / "blank artist.mp3", UntaggedMp3Bytes() + Id3v1Block(std::string(30, ' '), "Song"));
  WriteBytes(music / "t" / "untagged.mp3", UntaggedMp3Bytes());
  WriteBytes(music / "t" / "short.mp3", "TAG");
  WriteBytes(music / "t" / "empty.mp3", "");
  WriteBytes(music / "t" / "exactly a tag.mp3", Id3v1Block("\xC4rzte", "M\xE4nner"));
  Run({C("d:\\t")});
  EXPECT_THAT(Tracks(), UnorderedElementsAre("d:\\t\\nul title.mp3 [Band - ]", "d:\\t\\blank artist.mp3 [ - Song]",
                                             "d:\\t\\untagged.mp3 [ - ]", "d:\\t\\short.mp3 [ - ]",
                                             "d:\\t\\empty.mp3 [ - ]", "d:\\t\\exactly a tag.mp3 [\xC4rzte - M\xE4nner]"));
}

TEST_F(IndexingRunTest, WhichNamesAreTracks) {
  struct Case {
    const char* nativeName;
    const char* catalogName;  // empty: not a track
  };
  const Case cases[] = {
      {"upper.MP3", "upper.MP3"},
      {"mixed.Mp3", "mixed.Mp3"},
      {".mp3", ".mp3"},
      {"a.b.mp3", "a.b.mp3"},
      {"x.mp3.bak", ""},
      {"x.mp3 ", ""},
      {"mp3", ""},
      {"x.mp", ""},
      {"x.mp4", ""},
      {"\xC3\x84rzte.mp3", "\xC4rzte.mp3"},     // UTF-8 on disk, Windows-1252 in the catalog
      {"\xCE\xA9mega.mp3", "?mega.mp3"},        // no place in Windows-1252
      {"\xE4-latin1.mp3", "\xE4-latin1.mp3"},   // a stray byte stays a byte of its own
      {"\xC5\xBD.mp3", "\x8E.mp3"},             // the separator byte itself, as a name
      {"a\\b.mp3", "a\\b.mp3"},                 // a backslash in a name
      {"d:.mp3", "d:.mp3"},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    Track(std::string("n/") + c.nativeName);
    if (*c.catalogName) expected.push_back(std::string("d:\\n\\") + c.catalogName + " [ - ]");
  }
  Run({C("d:\\n")});
  EXPECT_THAT(Tracks(), UnorderedElementsAreArray(expected));
}

TEST_F(IndexingRunTest, FolderLinesNeedAnEntryMatchingMp3) {
  Track("f/only-text/readme.txt");
  Track("f/only-text/inner/a.mp3");
  Track("f/named/dir.mp3/song.txt");  // a folder named like an MP3 file counts, and is no track
  Track("f/hidden/.x.MP3");
  Run({C("d:\\f")});
  EXPECT_THAT(Folders(), UnorderedElementsAre("d:\\f\\only-text\\inner", "d:\\f\\named", "d:\\f\\hidden"));
  EXPECT_THAT(Tracks(), UnorderedElementsAre("d:\\f\\only-text\\inner\\a.mp3 [ - ]", "d:\\f\\hidden\\.x.MP3 [ - ]"));
}

TEST_F(IndexingRunTest, EachFolderLineComesBeforeItsSubfolders) {
  Track("o/a.mp3");
  Track("o/b/b.mp3");
  Track("o/b/c/c.mp3");
  Track("o/b/c/d/d.mp3");
  Run({C("d:\\o")});
  EXPECT_THAT(Folders(), ElementsAre("d:\\o", "d:\\o\\b", "d:\\o\\b\\c", "d:\\o\\b\\c\\d"));
}

TEST_F(IndexingRunTest, EntriesAreTrimmedAndMayUseEveryPathForm) {
  Track("e/a.mp3");
  Track("r/b.mp3");
  const std::vector<TSearchPath> paths = {
      C("\td:\\E \t"),          // trimmed; letter case as typed, the file system's for the rest
      C(ZPath(music / "r")),    // through z:
      C(""), C("    "), U("\x01\x02"),
  };
  Run(paths);
  EXPECT_THAT(Tracks(), ElementsAre("d:\\E\\a.mp3 [ - ]", ZPath(music / "r") + "\\b.mp3 [ - ]"));
  EXPECT_THAT(Folders(), ElementsAre("d:\\E", ZPath(music / "r")));
}

// --- Bad input -------------------------------------------------------------

TEST_F(IndexingRunTest, FilesThatCannotBeOpenedAreUntagged) {
  Track("b/ok.mp3", "Band", "Ok");
  ASSERT_EQ(::mkfifo((music / "b" / "fifo.mp3").c_str(), 0644), 0);
  fs::create_symlink(music / "b" / "nowhere.mp3", music / "b" / "dangling.mp3");
  fs::create_symlink(music / "b" / "ok.mp3", music / "b" / "alias.mp3");
  Run({C("d:\\b")});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\b\\alias.mp3 [Band - Ok]", "d:\\b\\dangling.mp3 [ - ]",
                                    "d:\\b\\fifo.mp3 [ - ]", "d:\\b\\ok.mp3 [Band - Ok]"));
}

TEST_F(IndexingRunTest, LinkLoopsEndAndOtherLinksAreFollowed) {
  Track("l/a/x.mp3");
  Track("l/b/y.mp3");
  const fs::path l = music / "l";
  fs::create_directory_symlink(l / "a", l / "a" / "self");   // back to the folder itself
  fs::create_directory_symlink("..", l / "a" / "up");        // back to the entry's folder
  fs::create_directory_symlink(music, l / "a" / "root");     // out of the tree, which leads back in
  fs::create_directory_symlink(l / "a", l / "b" / "to-a");   // elsewhere in the tree: followed
  fs::create_directory_symlink(l / "a" / "loop2", l / "a" / "loop1");  // links that lead nowhere
  fs::create_directory_symlink(l / "a" / "loop1", l / "a" / "loop2");
  int events = 0;
  Run({C("d:\\l")}, TIndexingSink{{}, [&] { ++events; }});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\l\\a\\x.mp3 [ - ]", "d:\\l\\b\\to-a\\x.mp3 [ - ]", "d:\\l\\b\\y.mp3 [ - ]"));
  EXPECT_THAT(Folders(), UnorderedElementsAre("d:\\l\\a", "d:\\l\\b", "d:\\l\\b\\to-a"));
  // Entered: l; a with self, up and root (which holds l); b; to-a with self,
  // up and root (holding l) again. Every loop ends one step in.
  EXPECT_EQ(events, 12);
}

TEST_F(IndexingRunTest, FoldersThatCannotBeScannedAddNothing) {
  Track("x/a.mp3");
  Track("file/f.mp3");
  const std::vector<TSearchPath> paths = {
      C("d:\\missing"), C("d:\\file\\f.mp3"), C("q:\\no-such-drive"), C("\\\\server\\share"),
      C("not a path"), C("d:\\x"),
  };
  std::vector<int> positions;
  int events = 0;
  Run(paths, TIndexingSink{[&](int p) { positions.push_back(p); }, [&] { ++events; }});
  EXPECT_THAT(Tracks(), ElementsAre("d:\\x\\a.mp3 [ - ]"));
  EXPECT_THAT(Folders(), ElementsAre("d:\\x"));
  EXPECT_THAT(positions, ElementsAre(199, 398, 597, 796, 995, 1194, 8809));
  EXPECT_EQ(events, 6);
}

// --- Files, progress, keys --------------------------------------------------

TEST_F(IndexingRunTest, WritesEveryCatalogFile) {
  Track("w/b.mp3", "B", "Two");
  Track("w/a.mp3", "A", "One");
  WriteBytes(prog / kSearchPathFile, "[C] old entry\r\n");
  const std::vector<TSearchPath> paths = {C("d:\\w"), U("    d:\\w\\none")};
  const TIndexingResult r = Run(paths);
  EXPECT_TRUE(r.AllWritten());
  EXPECT_EQ(r.TrackCount, 2u);
  EXPECT_EQ(ReadBytes(prog / kSearchPathFile), "[C] d:\\w\r\n[U]     d:\\w\\none\r\n");
  EXPECT_EQ(ReadBytes(prog / kTrackFile), "d:\\w\\a.mp3 [A - One]\r\nd:\\w\\b.mp3 [B - Two]\r\n");
  EXPECT_EQ(ReadBytes(prog / kFolderFile), "d:\\w\r\n");
  const TPrintLists lists = BuildPrintLists(catalog.Tracks);
  EXPECT_EQ(ReadBytes(prog / kTreeCatalogFile), RtfCatalogText(lists.Folders, TRtfTemplate::Tree));
  EXPECT_EQ(ReadBytes(prog / kIndexCatalogFile), RtfCatalogText(lists.Tracks, TRtfTemplate::Index));
  ASSERT_TRUE(catalog.KeysMatchTracks());
  EXPECT_FALSE(catalog.Keys[0].empty());
}

TEST_F(IndexingRunTest, EmptyListGivesEmptyFiles) {
  WriteBytes(prog / kTrackFile, "d:\\old.mp3 [ - ]\r\n");
  WriteBytes(prog / kFolderFile, "d:\\\r\n");
  std::vector<int> positions;
  const TIndexingResult r = Run({}, TIndexingSink{[&](int p) { positions.push_back(p); }, {}});
  EXPECT_TRUE(r.AllWritten());
  EXPECT_EQ(r.TrackCount, 0u);
  EXPECT_TRUE(positions.empty());
  for (const char* name : {kSearchPathFile, kTrackFile, kFolderFile}) {
    ASSERT_TRUE(fs::exists(prog / name)) << name;
    EXPECT_EQ(fs::file_size(prog / name), 0u) << name;
  }
  EXPECT_TRUE(fs::exists(prog / kTreeCatalogFile));
  EXPECT_TRUE(fs::exists(prog / kIndexCatalogFile));
  EXPECT_TRUE(catalog.Tracks.empty());
  EXPECT_TRUE(catalog.Keys.empty());
  EXPECT_EQ(IndexingDoneMessage(r.TrackCount), "Indizierung abgeschlossen. Datenbankgr\xF6\xDF" "e: 0 Tracks.");
}

TEST_F(IndexingRunTest, FileThatCannotBeWrittenIsReportedAndKept) {
  Track("u/a.mp3", "A", "One");
  fs::create_directories(prog / kTrackFile);  // a folder where "Index.txt" should be
  WriteBytes(prog / kTrackFile / "keep", "old");
  fs::create_directories(prog / kIndexCatalogFile);
  const TIndexingResult r = Run({C("d:\\u")});
  ASSERT_EQ(r.UnwrittenFiles.size(), 2u);
  EXPECT_EQ(r.UnwrittenFiles[0].Name, "Index.txt");
  EXPECT_EQ(r.UnwrittenFiles[1].Name, "WinLIRC Index.rtf");
  EXPECT_TRUE(r.UnwrittenFiles[0].Error);
  EXPECT_EQ(UnwrittenFileMessage(r.UnwrittenFiles[0]), "Die Datei \x84Index.txt\x93 konnte nicht geschrieben werden.");
  // The old ones stay, the others are written, and the catalog is complete.
  EXPECT_EQ(ReadBytes(prog / kTrackFile / "keep"), "old");
  EXPECT_EQ(ReadBytes(prog / kFolderFile), "d:\\u\r\n");
  EXPECT_TRUE(fs::is_regular_file(prog / kTreeCatalogFile));
  EXPECT_EQ(r.TrackCount, 1u);
  EXPECT_THAT(Tracks(), ElementsAre("d:\\u\\a.mp3 [A - One]"));
  EXPECT_TRUE(catalog.KeysMatchTracks());
  for (const auto& e : fs::directory_iterator(prog))  // no temporary file left behind
    EXPECT_THAT(e.path().filename().string(), ::testing::AnyOf("Index.txt", "Baum.txt", "Pfade.txt", "WinLIRC Baum.rtf",
                                                               "WinLIRC Index.rtf", "dosdevices"));
}

TEST_F(IndexingRunTest, ProgressPerEntryAndPerTrack) {
  Track("p/a.mp3");
  Track("p/b.mp3");
  Track("p/c/d.mp3");
  Track("q/e.mp3");
  std::vector<int> positions;
  int events = 0;
  Run({C("d:\\p"), C("d:\\q"), U("    d:\\p\\c")},
      TIndexingSink{[&](int p) { positions.push_back(p); }, [&] { ++events; }});
  // Stage 1: three entries; stage 2: three tracks ("c" is skipped).
  EXPECT_THAT(positions, ElementsAre(398, 796, 1194, 1194 + 2538, 1194 + 5077, 8809));
  EXPECT_EQ(events, 4);  // p, p\c, q, and p\c once more for the sub-entry
}

// --- Equivalence with the literal algorithm ---------------------------------
//
// The run relabels through a hash index and sorts by sort keys; the literal
// algorithm searches the track list from the top for every sub-entry track
// and inserts every line into a sorted list by binary search. Both must give
// the same lists, byte for byte.

std::string Lower(std::string_view s) { return AsciiLower(s); }

// The literal working list: relabelling by a linear search from the top.
struct TLiteralList {
  std::vector<std::string> lines;
  int relabelledElsewhere = 0;  // hits on a line whose folder and name are not the key's
  int relabelledLonger = 0;     // ... among them, the same folder and a longer name

  void Add(char letter, const std::string& folder, const std::string& name, bool isSubEntry) {
    const std::string rest = folder + "\\" + kSep + name;
    if (isSubEntry) {
      const std::string key = Lower(rest);
      for (std::string& line : lines)
        if (Lower(line).find(key) != std::string::npos) {
          if (Lower(line.substr(1)) != key) {
            ++relabelledElsewhere;
            if (Lower(line.substr(1)).starts_with(key)) ++relabelledLonger;
          }
          line[0] = letter;
          return;
        }
    }
    lines.push_back(letter + rest);
  }

  // Insertion into a sorted list by binary search, equal lines dropped; then the "C" lines dropped.
  std::vector<std::string> SortedAndMerged(const TCollator& collator) const {
    std::vector<std::string> sorted;
    for (const std::string& line : lines) {
      size_t lo = 0, hi = sorted.size();
      bool equal = false;
      while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        const int c = collator.Compare(line, sorted[mid]);
        if (c == 0) {
          equal = true;
          break;
        }
        if (c < 0) hi = mid;
        else lo = mid + 1;
      }
      if (!equal) sorted.insert(sorted.begin() + long(lo), line);
    }
    std::vector<std::string> out;
    for (const std::string& line : sorted)
      if (line[0] != 'C') out.push_back(line);
    return out;
  }
};

std::vector<std::string> FastSortedAndMerged(const TWorkingTrackList& list, const TCollator& collator) {
  std::vector<std::string> out;
  for (uint32_t i : list.SortAndMerge(collator)) out.push_back(list.Line(i));
  return out;
}

TEST(WorkingTrackList, RelabelAndSortMatchTheLiteralAlgorithm) {
  // Folders and names made of the pieces that trip a shortcut: drive-like
  // and network-like pieces inside paths, names that are prefixes of other
  // names, the separator byte in folder and file names, letter case,
  // backslashes inside names, paths that are no catalog paths.
  const std::vector<std::string> roots = {"d:", "D:", "e:", "\\\\srv\\share", "z:\\tmp", ":x", "musik", "d"};
  const std::vector<std::string> pieces = {"a", "A", "b", "d:", "D:", "x:y", "\x8E", "a\x8E" "b", "song.mp3",
                                           "\\", "", " ", "s\\\\t", "\xE4", "\xC4"};
  const std::vector<std::string> names = {"song.mp3", "song.mp3.mp3", "SONG.MP3", "Song.Mp3.mp3", "\x8E" "song.mp3",
                                          "s\x8E" "ong.mp3", ".mp3", "a:b.mp3", "d:\\song.mp3", "x.mp3",
                                          "\\\\srv.mp3", "\xE4.mp3", "\xC4.mp3", "song"};
  const TCollator collator = TCollator::CaseBlind();
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 rng(seed);
    const auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
    TWorkingTrackList fast;
    TLiteralList literal;
    for (int op = 0; op < 1500; ++op) {
      std::string folder = pick(roots);
      for (int depth = int(rng() % 4); depth > 0; --depth) folder += "\\" + pick(pieces);
      const std::string name = pick(names);
      const char letter = "ABC"[rng() % 3];
      // Sub-entries come after some plain lines, as in a run.
      const bool sub = op > 100 && rng() % 2 == 0;
      if (sub) {
        const bool appended = fast.Relabel(letter, folder, name);
        const size_t before = literal.lines.size();
        literal.Add(letter, folder, name, true);
        ASSERT_EQ(appended, literal.lines.size() > before) << "seed " << seed << " op " << op;
      } else {
        fast.Append(letter, folder, name);
        literal.Add(letter, folder, name, false);
      }
    }
    ASSERT_EQ(fast.size(), literal.lines.size());
    for (size_t i = 0; i < fast.size(); ++i) ASSERT_EQ(fast.Line(i), literal.lines[i]) << "seed " << seed << " line " << i;
    EXPECT_GT(literal.relabelledElsewhere, 10) << "the pieces no longer make keys hit other lines";
    EXPECT_GT(literal.relabelledLonger, 0);
    EXPECT_EQ(FastSortedAndMerged(fast, collator), literal.SortedAndMerged(collator)) << "seed " << seed;
  }
}

// Sorting by groups of one folder and letter must give the order of whole
// lines, also where groups interleave: every byte in names, folders that
// sort among the names of their parent ("Zappa" after "Ža..."), the same
// folder in other letter case or with accents.
TEST(WorkingTrackList, SortMatchesInsertionIntoASortedList) {
  const std::vector<std::string> folders = {"d:\\m", "D:\\M", "d:\\m\\Zappa", "d:\\m\\zz", "d:\\m\\\x8E", "d:\\m\\a",
                                            "d:\\\xE4", "d:\\a", "d:\\A", "d:\\m\\Zappa\\Live", "d:\\m z", "d:\\m-z"};
  const TCollator collator = TCollator::CaseBlind();
  for (unsigned seed = 1; seed <= 4; ++seed) {
    std::mt19937 rng(seed);
    TWorkingTrackList fast;
    TLiteralList literal;
    for (int n = 0; n < 2000; ++n) {
      std::string name;
      for (int k = int(rng() % 3); k >= 0; --k) name += char(rng() % 4 ? "aAbzZ\x8E\x9E\xE4 -."[rng() % 11] : rng() % 256);
      name += rng() % 8 ? ".mp3" : ".MP3";
      const std::string& folder = folders[rng() % folders.size()];
      const char letter = "AABC"[rng() % 4];
      fast.Append(letter, folder, name);
      literal.Add(letter, folder, name, false);
    }
    EXPECT_EQ(FastSortedAndMerged(fast, collator), literal.SortedAndMerged(collator)) << "seed " << seed;
  }
}

TEST(WorkingTrackList, TrackPathDropsLetterAndSeparatorOnly) {
  TWorkingTrackList list;
  list.Append('A', "d:\\x\x8Ey", "\x8E" "a.mp3");
  EXPECT_EQ(list.Line(0), "Ad:\\x\x8Ey\\\x8E\x8E" "a.mp3");
  std::string path;
  list.AppendTrackPath(0, path);
  EXPECT_EQ(path, "d:\\x\x8Ey\\\x8E" "a.mp3");
}

TEST(WorkingTrackList, SortKeepsTheFirstOfEqualLines) {
  TWorkingTrackList list;
  list.Append('A', "d:\\b", "X.mp3");
  list.Append('C', "d:\\a", "x.mp3");
  list.Append('A', "D:\\B", "x.MP3");  // equal to the first: dropped
  list.Append('B', "d:\\a", "x.mp3");
  list.Append('A', "d:\\a", "\x01x.mp3");  // a control byte is ignorable: equal to the next
  list.Append('A', "d:\\a", "x.mp3");
  const std::vector<uint32_t> order = list.SortAndMerge(TCollator::CaseBlind());
  EXPECT_THAT(order, ElementsAre(4, 0, 3));
}

// A literal indexing run over a native tree, for the file-system side:
// the same walk order (the listing as readdir gives it), the literal list.
struct TLiteralRun {
  TLiteralList list;
  std::vector<std::string> folders;
  std::vector<fs::path> nativeOfLine;  // parallel to list.lines
  std::vector<std::string> pathOfLine;
  int scans = 0;

  static bool IsMp3(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && Lower(name.substr(dot)) == ".mp3";
  }

  void ScanFolder(const std::string& path, const fs::path& native, char letter, bool isSubEntry) {
    ++scans;
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(native, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
    if (!isSubEntry && std::any_of(entries.begin(), entries.end(), [](const fs::directory_entry& e) {
          const std::string n = e.path().filename().string();
          return n.size() >= 4 && Lower(n.substr(n.size() - 4)) == ".mp3";
        }))
      folders.push_back(path);
    for (const fs::directory_entry& e : entries) {
      const std::string name = Utf8ToCp1252(e.path().filename().string());
      if (e.is_directory()) {
        ScanFolder(path + "\\" + name, e.path(), letter, isSubEntry);
      } else if (IsMp3(name)) {
        const size_t before = list.lines.size();
        list.Add(letter, path, name, isSubEntry);
        if (list.lines.size() > before) {
          nativeOfLine.push_back(e.path());
          pathOfLine.push_back(path + "\\" + name);
        }
      }
    }
  }

  TCatalog Run(const std::vector<TSearchPath>& paths, const TPathMapper& mapper) {
    for (const TSearchPath& p : paths) {
      std::string text = p.Text;
      while (!text.empty() && (unsigned char)text.back() <= 32) text.pop_back();
      size_t start = 0;
      while (start < text.size() && (unsigned char)text[start] <= 32) ++start;
      const std::string folder = text.substr(start);
      const char letter = p.Mode == TSearchPathMode::pmIndex ? 'A' : p.Mode == TSearchPathMode::pmAtEnd ? 'B' : 'C';
      if (!folder.empty()) ScanFolder(folder, mapper.ToNative(folder), letter, p.Text[0] == ' ');
    }
    // Sort with the lines' identities, so the strip knows each one's file.
    const TCollator collator = TCollator::CaseBlind();
    std::vector<size_t> sorted;
    for (size_t i = 0; i < list.lines.size(); ++i) {
      size_t lo = 0, hi = sorted.size();
      bool equal = false;
      while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        const int c = collator.Compare(list.lines[i], list.lines[sorted[mid]]);
        if (c == 0) {
          equal = true;
          break;
        }
        if (c < 0) hi = mid;
        else lo = mid + 1;
      }
      if (!equal) sorted.insert(sorted.begin() + long(lo), i);
    }
    TCatalog catalog;
    for (size_t i : sorted) {
      if (list.lines[i][0] == 'C') continue;
      const TId3v1Tag tag = ReadId3v1Tag(nativeOfLine[i]);
      catalog.Tracks.Append(pathOfLine[i] + " [" + tag.Artist + " - " + tag.Title + "]");
    }
    for (const std::string& f : folders) catalog.Folders.Append(f);
    return catalog;
  }
};

TEST_F(IndexingRunTest, RunMatchesTheLiteralAlgorithmOnATrickyTree) {
  // Names of every kind that could lead a shortcut astray. "P1" and "p1" are
  // one folder to the relabelling (its keys are in lower case), so the key of
  // p1's "x.mp3" hits P1's "x.mp3.mp3", which an earlier entry listed.
  const std::string z = "\xC5\xBD";  // "Ž" in UTF-8: the separator byte in the catalog
  const std::vector<std::string> files = {
      "t/song.mp3.mp3", "t/song.mp3", "t/SONG.MP3", "t/" + z + "ong.mp3", "t/a" + z + "b.mp3", "t/x.Mp3", "t/.mp3",
      "t/readme.txt", "t/y.mp3.bak", "t/b.mp3", "t/b.mp3.mp3", "t/c.mp3.mp3", "t/c.mp3",
      "t/P1/x.mp3.mp3", "t/p1/x.mp3", "t/p1/y.mp3",
      "t/Musik/song.mp3", "t/Musik/song.mp3.mp3", "t/Musik/keep/a.mp3", "t/Musik/keep/b.mp3",
      "t/Musik/deep/keep/c.mp3", "t/Musik/Song.mp3/inner.mp3", "t/Musik/Song.mp3/song.mp3",
      "t/musik/song.mp3.mp3", "t/musik/song.mp3", "t/musik/b.mp3", "t/musik/sub/c.mp3", "t/musik/sub/song.mp3",
      "t/a:b/song.mp3", "t/a:b/z.mp3", "t/a:b/c:d/e.mp3", "t/a:b/c:d/song.mp3",
      "t/x" + z + "y/song.mp3", "t/x" + z + "y/" + z + "\xC5\xBE.mp3", "t/x" + z + "y/inner/q.mp3",
      "t/x" + z + "y/inner/song.mp3",
      "t/d:/t/song.mp3", "t/d:/t/song.mp3.mp3", "t/d:/t/Musik/song.mp3", "t/d:/t/b.mp3", "t/d:/x.mp3",
      "t/\xC3\x84rzte/Zu Sp\xC3\xA4t.mp3", "t/\xC3\x84rzte/zu sp\xC3\xA4t.mp3",
  };
  for (size_t i = 0; i < files.size(); ++i) Track(files[i], i % 3 ? "Band " + std::to_string(i) : "", "T");

  const std::string xy = "x\x8Ey";
  const std::vector<TSearchPath> paths = {
      C("d:\\t\\P1"),
      C("d:\\t\\d:"),
      C("d:\\t"),
      U("    d:\\t\\p1"),
      U("    d:\\t\\Musik"),
      C("        d:\\t\\Musik\\keep"),
      G("    d:\\t\\musik"),
      U("        d:\\t\\musik\\sub"),
      G("    d:\\t\\a:b"),
      U("    d:\\t\\" + xy),
      C("        d:\\t\\" + xy + "\\inner"),
      G("    D:\\T\\MUSIK\\SONG.MP3"),
      U("    d:\\t\\d:\\t"),
      G("d:\\t\\a:b"),
      C(ZPath(music / "t" / "Musik")),
      U("    d:\\t\\song.mp3"),  // a file, not a folder
      G("    " + ZPath(music / "t" / "Musik")),
  };
  TPathMapper mapper(prog);
  mapper.SetCaching(true);
  int events = 0;
  BuildTrackAndFolderLists(paths, mapper, catalog, TIndexingSink{{}, [&] { ++events; }});

  TLiteralRun literal;
  const TCatalog expected = literal.Run(paths, mapper);
  EXPECT_THAT(Tracks(), ElementsAreArray(expected.Tracks.ToVector()));
  EXPECT_THAT(Folders(), ElementsAreArray(expected.Folders.ToVector()));
  EXPECT_EQ(events, literal.scans);
  // The tree does what it is for: keys found in lines of other folders or
  // with longer names, and lines that compare equal.
  EXPECT_GE(literal.list.relabelledElsewhere, 3);
  EXPECT_GT(literal.list.relabelledLonger, 0);
  EXPECT_LT(catalog.Tracks.size(), literal.list.lines.size());
  EXPECT_GT(catalog.Tracks.size(), 20u);
}

}  // namespace
}  // namespace kt
