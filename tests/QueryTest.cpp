#include "search/Query.h"

#include "catalog/Catalog.h"
#include "search/FoldSearchKey.h"
#include "search/ResultList.h"
#include "tests/support/QtApp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kt {
namespace {

TCatalog MakeCatalog(const std::vector<std::string>& lines) {
  TCatalog c;
  for (const std::string& l : lines) {
    c.Tracks.Append(l);
    c.Keys.Append(FoldSearchKey(l));
  }
  return c;
}

// Track lines "d:\sounds\Band 0000\Song 0000.mp3 [Band 0000 - Song 0000]", ...
std::vector<std::string> NumberedLines(size_t n) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < n; ++i) {
    char num[24];  // room for any size_t
    std::snprintf(num, sizeof num, "%04zu", i);
    lines.push_back(std::string("d:\\sounds\\Band ") + num + "\\Song " + num + ".mp3 [Band " + num + " - Song " + num +
                    "]");
  }
  return lines;
}

std::vector<size_t> Tracks(const TResultList& list) {
  std::vector<size_t> t;
  for (size_t r = 0; r < list.size(); ++r) t.push_back(list.Track(r));
  return t;
}

// The tracks a literal pass finds: every key that holds the pattern.
std::vector<size_t> LiteralSearch(const TCatalog& c, std::string_view pattern) {
  std::vector<size_t> t;
  for (size_t i = 0; i < c.Keys.size(); ++i)
    if (!pattern.empty() && c.Keys[i].find(pattern) != std::string_view::npos) t.push_back(i);
  return t;
}

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureCoreApplication(); }

  TQueryOutcome Run(std::string_view text, const TCatalog& c, int digitCount = 4) {
    cursors.clear();
    return RunQuery(text, c, digitCount, list, [this](int id) { cursors.push_back(id); });
  }

  TResultList list;
  std::vector<int> cursors;
};

// ---------------------------------------------------------------- history

TEST(SearchHistory, Rules) {
  TSearchHistory h;
  for (int i = 1; i <= 11; ++i) EXPECT_TRUE(h.Add("query " + std::to_string(i)));
  // The ten most recent, newest first.
  std::vector<std::string> expected;
  for (int i = 11; i >= 2; --i) expected.push_back("query " + std::to_string(i));
  EXPECT_EQ(h.Items(), expected);

  // The fifth-newest, typed in other letters: moves to the top as typed now.
  EXPECT_TRUE(h.Add("QUERY 7"));
  expected = {"QUERY 7", "query 11", "query 10", "query 9", "query 8",
              "query 6", "query 5",  "query 4",  "query 3", "query 2"};
  EXPECT_EQ(h.Items(), expected);

  // The newest again, in whatever letters: nothing changes.
  EXPECT_FALSE(h.Add("QUERY 7"));
  EXPECT_FALSE(h.Add("Query 7"));
  EXPECT_EQ(h.Items(), expected);

  // The last one moves up; nothing falls off.
  EXPECT_TRUE(h.Add("query 2"));
  EXPECT_EQ(h.Items().size(), 10u);
  EXPECT_EQ(h.Items().front(), "query 2");
  EXPECT_EQ(h.Items().back(), "query 3");
}

TEST(SearchHistory, LookupIgnoresAsciiCaseOnly) {
  TSearchHistory h;
  h.Add("");
  h.Add("*");
  EXPECT_TRUE(h.Add(""));  // the empty text is a text like any other
  EXPECT_EQ(h.Items(), (std::vector<std::string>{"", "*"}));

  h.Clear();
  h.Add("\xE4rzte");   // "ärzte"
  h.Add("\xC4RZTE");   // "ÄRZTE": ä and Ä are different texts
  h.Add("stones ");    // the blank counts
  h.Add("stones");
  h.Add("Stones[");    // "[" is not the capital of "{"
  h.Add("stones{");
  EXPECT_EQ(h.Items().size(), 6u);
}

// ---------------------------------------------------------------- index lookup

TEST_F(QueryTest, IndexLookup) {
  const TCatalog c = MakeCatalog(NumberedLines(50));
  struct Case {
    const char* text;
    int digitCount;
    int track;  // -1: list empty
    std::string message;
  };
  const Case cases[] = {
      {"#0000", 4, 0, ""},
      {"#0042", 4, 42, ""},
      {"#0049", 4, 49, ""},
      {"#0050", 4, -1, kIndexInvalidMessage},
      {"#9999", 4, -1, "Die angegebene Indexnummer ist ung\xFCltig!"},
      {"#12a4", 4, -1, "Die angegebene Indexnummer ist nicht 4stellig!"},
      {"# 042", 4, -1, "Die angegebene Indexnummer ist nicht 4stellig!"},
      {"#-042", 4, -1, "Die angegebene Indexnummer ist nicht 4stellig!"},
      {"#004", 3, 4, ""},
      {"#00042", 5, 42, ""},
      {"#4", 1, 4, ""},
      {"#x", 1, -1, "Die angegebene Indexnummer ist nicht 1stellig!"},
      {"#000000000042", 12, 42, ""},
      {"#999999999999", 12, -1, kIndexInvalidMessage},
      {"#00000000000x", 12, -1, "Die angegebene Indexnummer ist nicht 12stellig!"},
      // 2^64 + 5: read into 64 bits it would wrap to 5.
      {"#18446744073709551621", 20, -1, kIndexInvalidMessage},
      {"#99999999999999999999999999999", 29, -1, kIndexInvalidMessage},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    list.SetCatalog(&c);
    list.AppendTrack(7);  // left over from an earlier query
    const TQueryOutcome out = Run(k.text, c, k.digitCount);
    EXPECT_EQ(out.Kind, TQueryOutcome::TKind::IndexLookup);
    EXPECT_FALSE(out.IsTextSearch());
    EXPECT_EQ(out.Message, k.message);
    if (k.track < 0) {
      EXPECT_TRUE(list.empty());
      EXPECT_EQ(out.Hits, 0u);
    } else {
      EXPECT_EQ(Tracks(list), std::vector<size_t>{size_t(k.track)});
      EXPECT_EQ(list.Text(0), c.Tracks[size_t(k.track)]);
      EXPECT_EQ(out.Hits, 1u);
    }
    EXPECT_TRUE(cursors.empty()) << "an index lookup leaves the cursor alone";
  }
}

TEST_F(QueryTest, IndexLookupOnAnEmptyCatalog) {
  const TCatalog c;
  const TQueryOutcome out = Run("#0000", c);
  EXPECT_EQ(out.Message, kIndexInvalidMessage);
  EXPECT_TRUE(list.empty());
}

// Texts that start with "#" but have another length, and digit counts that
// allow no index lookup, are ordinary search texts.
TEST_F(QueryTest, HashTextsThatAreOrdinarySearches) {
  const TCatalog c = MakeCatalog({"d:\\a\\Track 123.mp3 [ - ]", "d:\\a\\Track 0123.mp3 [ - ]", "d:\\a\\1-2-3.mp3 [ - ]",
                                  "d:\\a\\Track 12.mp3 [ - ]", "d:\\a\\0042.mp3 [ - ]"});
  struct Case {
    const char* text;
    int digitCount;
    std::vector<size_t> tracks;
  };
  const Case cases[] = {
      {"#123", 4, {0, 1}},        // three digits with DigitCount 4
      {"#00042", 4, {}},          // five digits: no key holds 00042
      {"#0042", 5, {4}},          // four digits with DigitCount 5
      {"#", 0, {}},               // DigitCount 0: "#" folds to nothing and finds nothing
      {"#0", 0, {1, 4}},          // and "#0" is a search for 0
      {"#", -1, {}},
      {"#12", 0, {0, 1, 3}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.text) + " with " + std::to_string(k.digitCount));
    const TQueryOutcome out = Run(k.text, c, k.digitCount);
    EXPECT_TRUE(out.IsTextSearch());
    EXPECT_EQ(out.Message, "");
    EXPECT_EQ(Tracks(list), k.tracks);
    EXPECT_EQ(out.Hits, k.tracks.size());
    ASSERT_FALSE(cursors.empty());
    EXPECT_EQ(cursors.back(), kArrowCursor);
  }
}

// ---------------------------------------------------------------- text search

TEST_F(QueryTest, StarListsTheWholeCatalogInOrder) {
  const TCatalog c = MakeCatalog(NumberedLines(137));
  const TQueryOutcome out = Run("*", c);
  EXPECT_TRUE(out.IsTextSearch());
  EXPECT_EQ(out.Message, "");
  ASSERT_EQ(list.size(), c.Tracks.size());
  for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list.Text(i), c.Tracks[i]) << i;
  EXPECT_EQ(out.Hits, 137u);
  EXPECT_EQ(HitsLine(out.Hits, c.Tracks.size()), "137 Hits (Datenbankgr\xF6\xDF" "e: 137 Tracks)");
}

TEST_F(QueryTest, TextsThatFoldToNothingFindNothing) {
  const TCatalog c = MakeCatalog(NumberedLines(20));
  for (const char* text : {"", " ", " .,;!?()[]", "\xC5\xF8"}) {
    SCOPED_TRACE(text);
    list.SetCatalog(&c);
    list.AppendTrack(3);
    const TQueryOutcome out = Run(text, c);
    EXPECT_TRUE(out.IsTextSearch());
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(out.Hits, 0u);
    EXPECT_EQ(HitsLine(out.Hits, 20), "0 Hits (Datenbankgr\xF6\xDF" "e: 20 Tracks)");
    // The cursor still steps through the frames as the keys are looked at.
    EXPECT_EQ(cursors.front(), kFirstSearchCursor);
    EXPECT_EQ(cursors.back(), kArrowCursor);
  }
}

TEST_F(QueryTest, SeparatorsAndRepeats) {
  const TCatalog c = MakeCatalog({
      "d:\\sounds\\Rolling Stones - Angie.mp3 [Rolling Stones - Angie]",  // 0: pattern twice, one entry
      "d:\\sounds\\Stones\\Angie.mp3 [ - ]",                               // 1
      "d:\\sounds\\Stones_Angie.mp3 [ - ]",                                // 2
      "d:\\sounds\\Stones Angie.mp3 [ - ]",                                // 3: no separator
      "d:\\sounds\\StonesAngie.mp3 [ - ]",                                 // 4
      "d:\\sounds\\x.mp3 [The Stones -Angie]",                             // 5: blanks around the separator fold away
      "d:\\sounds\\Stones--Angie.mp3 [ - ]",                               // 6: two separators
      "d:\\sounds\\STONES/ANGIE.mp3 [ - ]",                                // 7
  });
  struct Case {
    const char* text;
    std::vector<size_t> tracks;
  };
  const Case cases[] = {
      {"Stones*Angie", {0, 1, 2, 5, 7}},
      {"stones - angie", {0, 1, 2, 5, 7}},
      {"stones angie", {3, 4}},
      {"STONES**ANGIE", {6}},
      {"ANGIE.MP3", {0, 1, 2, 3, 4, 6, 7}},  // "ANGIEMP3"; 5 has "X.MP3"
      {"Rolling", {0}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    const TQueryOutcome out = Run(k.text, c);
    EXPECT_EQ(Tracks(list), k.tracks);
    EXPECT_EQ(Tracks(list), LiteralSearch(c, FoldSearchKey(k.text)));
    EXPECT_EQ(out.Hits, k.tracks.size());
  }
}

TEST_F(QueryTest, MismatchedKeysDoNotCrash) {
  TCatalog c = MakeCatalog(NumberedLines(10));
  c.Keys.Append("BAND");  // a key without its track line
  c.Keys.Append("BAND");
  Run("band", c);
  EXPECT_EQ(list.size(), 10u);
  c.Tracks.Append("z:\\extra.mp3 [ - ]");
  c.Tracks.Append("z:\\extra2.mp3 [ - ]");
  c.Tracks.Append("z:\\extra3.mp3 [ - ]");  // a track line without its key
  Run("band", c);
  EXPECT_EQ(list.size(), 12u);
  EXPECT_EQ(list.Text(11), "z:\\extra2.mp3 [ - ]");
}

// The one-pass search against a literal test of every key, on a catalog of a
// few thousand lines.
TEST_F(QueryTest, FastSearchEqualsLiteralSearch) {
  std::mt19937 rng(7);
  const std::vector<std::string> parts = {"Die \xC4rzte", "Kraftwerk", "AC/DC", "Caf\xE9", "Sommer", "Zeit",
                                          "Angie",       "Stones",    "M\xF6tley Cr\xFC" "e", "Radio", "Live",
                                          "_",           " - ",       "\\",        "01",  "2", "x"};
  std::vector<std::string> lines;
  for (int i = 0; i < 3000; ++i) {
    std::string l = (rng() % 2 ? "d:\\sounds\\" : "\\\\server\\musik\\");
    for (int w = 1 + int(rng() % 6); w > 0; --w) l += parts[rng() % parts.size()];
    lines.push_back(l + ".mp3 [ - ]");
  }
  lines.push_back("");  // an empty track line has an empty key
  lines.insert(lines.begin() + 1000, "");
  const TCatalog c = MakeCatalog(lines);

  std::vector<std::string> patterns = {"\\", "A", "SOMMER", "CRAFTWERC", "QQQ", "MOTLEY", "\\\\", "MP3\\", "ANGIE\\",
                                       std::string(c.Keys[0]), std::string(c.Keys[2999]) + "X"};
  for (int i = 0; i < 300; ++i) {
    const std::string_view key = c.Keys[rng() % c.Keys.size()];
    if (key.empty()) continue;
    const size_t from = rng() % key.size();
    patterns.emplace_back(key.substr(from, 1 + rng() % 12));
  }
  for (const std::string& p : patterns) {
    SCOPED_TRACE(p);
    ASSERT_EQ(FoldSearchKey(p), p) << "the patterns are folded already";
    const TQueryOutcome out = Run(p, c);
    const std::vector<size_t> expected = LiteralSearch(c, p);
    EXPECT_EQ(Tracks(list), expected);
    EXPECT_EQ(out.Hits, expected.size());

    // Any range of keys, as the pass does between two cursor frames.
    const size_t first = rng() % c.Keys.size(), last = first + rng() % (c.Keys.size() - first + 1);
    std::vector<size_t> inRange, inRangeExpected;
    ForEachKeyContaining(c.Keys, p, first, last, [&](size_t k) { inRange.push_back(k); });
    for (size_t k : expected)
      if (k >= first && k < last) inRangeExpected.push_back(k);
    EXPECT_EQ(inRange, inRangeExpected) << "keys " << first << " to " << last;
  }
}

// Keys read from text keep their CR LF, lone CR or LF between them; a run
// never spans two keys, and empty keys are keys.
TEST(KeyScan, KeysWithOtherLineEnds) {
  const TLineList keys = TLineList::FromText("AB\r\nBA\rA\n\r\nAB\r\n\nB");
  ASSERT_EQ(keys.size(), 7u);  // AB, BA, A, "", AB, "", B
  struct Case {
    const char* pattern;
    std::vector<size_t> keys;
  };
  const Case cases[] = {
      {"A", {0, 1, 2, 4}}, {"B", {0, 1, 4, 6}}, {"AB", {0, 4}}, {"BA", {1}},
      {"BB", {}},          {"AA", {}},          {"ABA", {}},    {"", {}},
      {"B\r\nB", {}},      // even a pattern with a line end finds no run across keys
      {"\n", {}},
  };
  for (const Case& c : cases) {
    std::vector<size_t> found;
    ForEachKeyContaining(keys, c.pattern, 0, keys.size(), [&](size_t k) { found.push_back(k); });
    EXPECT_EQ(found, c.keys) << "pattern " << c.pattern;
  }
  std::vector<size_t> found;
  ForEachKeyContaining(keys, "A", 5, 99, [&](size_t k) { found.push_back(k); });
  EXPECT_TRUE(found.empty());
  ForEachKeyContaining(keys, "A", 3, 2, [&](size_t k) { found.push_back(k); });
  EXPECT_TRUE(found.empty());
}

// ---------------------------------------------------------------- search progress

TEST(SearchProgress, Frames) {
  // With 100 keys done is the percentage: the frames step at 0, 7, 13, 19, 25,
  // 32, 38, 44, 50, 57, 63, 69, 75, 82, 88 and 94.
  const int starts[16] = {0, 7, 13, 19, 25, 32, 38, 44, 50, 57, 63, 69, 75, 82, 88, 94};
  for (int f = 0; f < 16; ++f) {
    const int end = f < 15 ? starts[f + 1] : 100;
    for (int p = starts[f]; p < end; ++p) EXPECT_EQ(SearchProgressCursor(size_t(p), 100), 102 + f) << p;
  }
  EXPECT_EQ(SearchProgressCursor(100, 100), std::nullopt);
  EXPECT_EQ(SearchProgressCursor(101, 100), std::nullopt);
  EXPECT_EQ(SearchProgressCursor(1, 1), std::nullopt);
  EXPECT_EQ(SearchProgressCursor(1, 2), 110);
  EXPECT_EQ(SearchProgressCursor(0, 0), std::nullopt);
  EXPECT_EQ(SearchProgressCursor(199, 200), 117);  // 99.5 % is cut to 99
  // Large counts: done * 100 must not overflow.
  const size_t big = size_t(1) << 62;
  EXPECT_EQ(SearchProgressCursor(big / 2, big), 110);
  EXPECT_EQ(SearchProgressCursor(big - 1, big), 117);
}

// The literal query sets the cursor before it tests each key; the cursor
// changes it shows, in order, with the number of entries listed at each.
struct TCursorChange {
  int id;
  size_t entries;
  friend bool operator==(const TCursorChange&, const TCursorChange&) = default;
};

std::vector<TCursorChange> LiteralCursorChanges(const std::vector<bool>& hit) {
  std::vector<TCursorChange> changes;
  int shown = kArrowCursor;  // the arrow before the query
  size_t entries = 0;
  const size_t total = hit.size();
  for (size_t i = 0; i < total; ++i) {
    if (const std::optional<int> id = SearchProgressCursor(i + 1, total); id && *id != shown) {
      changes.push_back({*id, entries});
      shown = *id;
    }
    if (hit[i]) ++entries;
  }
  if (shown != kArrowCursor) changes.push_back({kArrowCursor, entries});
  return changes;
}

TEST_F(QueryTest, CursorFramesEqualThoseOfAPassCallingPerKey) {
  const std::vector<size_t> totals = {0, 1, 2, 3, 7, 99, 100, 101, 1000, 12345};
  struct Pattern {
    const char* name;
    std::function<bool(size_t i, size_t total)> hit;
  };
  std::mt19937 rng(3);
  const std::vector<Pattern> patterns = {
      {"none", [](size_t, size_t) { return false; }},
      {"all", [](size_t, size_t) { return true; }},
      {"every 7th", [](size_t i, size_t) { return i % 7 == 3; }},
      {"first only", [](size_t i, size_t) { return i == 0; }},
      {"last only", [](size_t i, size_t t) { return i + 1 == t; }},
      {"random", [&rng](size_t, size_t) { return rng() % 3 == 0; }},
  };
  for (size_t total : totals) {
    for (const Pattern& p : patterns) {
      SCOPED_TRACE(std::to_string(total) + " keys, hits: " + p.name);
      std::vector<bool> hit(total);
      TCatalog c;
      for (size_t i = 0; i < total; ++i) {
        hit[i] = p.hit(i, total);
        const std::string line = hit[i] ? "d:\\x\\Sommer.mp3 [ - ]" : "d:\\x\\Winter.mp3 [ - ]";
        c.Tracks.Append(line);
        c.Keys.Append(FoldSearchKey(line));
      }
      std::vector<TCursorChange> seen;
      RunQuery("sommer", c, 4, list, [&](int id) { seen.push_back({id, list.size()}); });
      std::vector<TCursorChange> expected = LiteralCursorChanges(hit);
      // The query ends on the arrow whether or not a frame was shown.
      if (expected.empty() || expected.back().id != kArrowCursor) expected.push_back({kArrowCursor, list.size()});
      ASSERT_EQ(seen.size(), expected.size());
      for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].id, expected[i].id) << "change " << i;
        EXPECT_EQ(seen[i].entries, expected[i].entries) << "change " << i << " came at the wrong key";
      }
      if (total >= 100) {
        EXPECT_EQ(seen.size(), 17u) << "all sixteen frames, then the arrow";
      }
    }
  }
}

TEST(SearchProgress, StepperStopsOnlyWhereTheFrameChanges) {
  for (size_t total : {1u, 2u, 3u, 50u, 99u, 100u, 101u, 1000u, 12345u, 1000000u}) {
    std::vector<int> seen;
    const TSearchProgress::TSink sink = [&](int id) { seen.push_back(id); };
    TSearchProgress progress(total, sink);
    size_t stops = 0;
    for (size_t key = 0; key < total; key = progress.NextChange()) {
      progress.Reach(key);
      ++stops;
      ASSERT_GT(progress.NextChange(), key);
    }
    std::vector<int> expected;
    for (size_t d = 1; d <= total; ++d)
      if (auto id = SearchProgressCursor(d, total); id && (expected.empty() || expected.back() != *id))
        expected.push_back(*id);
    EXPECT_EQ(seen, expected) << total;
    EXPECT_LE(stops, 17u) << total;
  }
}

TEST(HitsLine, Text) {
  EXPECT_EQ(HitsLine(0, 0), "0 Hits (Datenbankgr\xF6\xDF" "e: 0 Tracks)");
  EXPECT_EQ(HitsLine(1, 1000000), "1 Hits (Datenbankgr\xF6\xDF" "e: 1000000 Tracks)");
  EXPECT_EQ(IndexDigitsMessage(4), "Die angegebene Indexnummer ist nicht 4stellig!");
}

}  // namespace
}  // namespace kt
