#include "catalog/CatalogFiles.h"
#include "catalog/TrackLine.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/resource.h>
#include <csignal>

namespace kt {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::vector<std::string> Lines(const TLineList& l) { return l.ToVector(); }

TEST(LineFile, ReadingRules) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},            // last line without a line end
      {"a\nb\n", {"a", "b"}},            // LF only
      {"a\rb\r", {"a", "b"}},            // lone CR
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},  // an empty line is an entry of its own
      {"\r\n", {""}},
      {"\n\r", {"", ""}},                // LF then a lone CR: two empty lines
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("a\r\nb\0c\r\nd\r\n", 11), {"a", "b"}},  // stops at the first NUL
      {std::string("\0a", 2), {}},
      {"x\xE4\x8E\xFF\r\n", {"x\xE4\x8E\xFF"}},  // bytes as they stand
  };
  TempDir dir;
  for (const Case& c : cases) {
    WriteBytes(dir / "Index.txt", c.text);
    EXPECT_EQ(Lines(ReadLineFile(dir / "Index.txt")), c.lines) << "text: " << c.text;
  }
}

TEST(LineFile, MissingFileIsEmptyAndEmptyListWritesZeroBytes) {
  TempDir dir;
  EXPECT_TRUE(ReadLineFile(dir / "Baum.txt").empty());
  std::error_code ec;
  ASSERT_TRUE(WriteLineFile(dir / "Baum.txt", TLineList{}, ec)) << ec.message();
  EXPECT_EQ(std::filesystem::file_size(dir / "Baum.txt"), 0u);
  EXPECT_TRUE(ReadLineFile(dir / "Baum.txt").empty());
}

TEST(LineFile, RoundTripIsByteExact) {
  TempDir dir;
  const TLineList tracks{"d:\\sounds\\rock\\Band - Song.mp3 [Band - Song]", "d:\\sounds\\misc\\track01.mp3 [ - ]",
                         "", "\\\\server\\share\\m\xFCller\x8E.mp3 [M\xFCller - \xC4rger]"};
  std::error_code ec;
  ASSERT_TRUE(WriteLineFile(dir / "Index.txt", tracks, ec));
  EXPECT_EQ(ReadBytes(dir / "Index.txt"),
            "d:\\sounds\\rock\\Band - Song.mp3 [Band - Song]\r\nd:\\sounds\\misc\\track01.mp3 [ - ]\r\n\r\n"
            "\\\\server\\share\\m\xFCller\x8E.mp3 [M\xFCller - \xC4rger]\r\n");
  EXPECT_EQ(ReadLineFile(dir / "Index.txt"), tracks);
  // A file read with other line ends is written back with CR LF.
  WriteBytes(dir / "Baum.txt", "d:\\a\nd:\\b");
  ASSERT_TRUE(WriteLineFile(dir / "Baum.txt", ReadLineFile(dir / "Baum.txt"), ec));
  EXPECT_EQ(ReadBytes(dir / "Baum.txt"), "d:\\a\r\nd:\\b\r\n");
}

TEST(LineList, OffsetsMapBackToLines) {
  const TLineList list{"abc", "", "de"};
  EXPECT_EQ(list.Bytes(), "abc\n\nde\n");
  EXPECT_EQ(list.LineAtOffset(0), 0u);
  EXPECT_EQ(list.LineAtOffset(2), 0u);
  EXPECT_EQ(list.LineAtOffset(3), list.size());  // the line end belongs to no line
  EXPECT_EQ(list.LineAtOffset(5), 2u);
  EXPECT_EQ(list.LineAtOffset(6), 2u);
  EXPECT_EQ(list.LineAtOffset(99), list.size());
  const TLineList read = TLineList::FromText("ab\r\ncd");
  EXPECT_EQ(read.LineAtOffset(4), 1u);
  EXPECT_EQ(read.LineAtOffset(2), read.size());
  EXPECT_THROW(read.at(2), std::out_of_range);
}

TEST(SearchPathFile, Example) {
  const std::string text =
      "[C] d:\\sounds\r\n"
      "[U]     d:\\sounds\\_freigegeben\r\n"
      "[U]     d:\\sounds\\_gebrannt\\sounds 001\\mp3\\illegale\r\n"
      "[G]     d:\\sounds\\_unsortiert\r\n"
      "[G] d:\\sounds (liste)\r\n";
  const std::vector<TSearchPath> expected = {
      {"d:\\sounds", TSearchPathMode::pmIndex},
      {"    d:\\sounds\\_freigegeben", TSearchPathMode::pmSkip},
      {"    d:\\sounds\\_gebrannt\\sounds 001\\mp3\\illegale", TSearchPathMode::pmSkip},
      {"    d:\\sounds\\_unsortiert", TSearchPathMode::pmAtEnd},
      {"d:\\sounds (liste)", TSearchPathMode::pmAtEnd},
  };
  EXPECT_EQ(ParseSearchPaths(text), expected);
  EXPECT_EQ(FormatSearchPaths(expected), text);

  TempDir dir;
  std::error_code ec;
  ASSERT_TRUE(WriteSearchPathFile(dir / "Pfade.txt", expected, ec));
  EXPECT_EQ(ReadBytes(dir / "Pfade.txt"), text);
  EXPECT_EQ(ReadSearchPathFile(dir / "Pfade.txt"), expected);
  EXPECT_TRUE(ReadSearchPathFile(dir / "missing.txt").empty());
}

TEST(SearchPathFile, PrefixesAndLineRules) {
  struct Case {
    std::string text;
    std::vector<TSearchPath> paths;
  };
  using M = TSearchPathMode;
  const Case cases[] = {
      {"", {}},
      {"[X] d:\\a\r\n", {{"d:\\a", M::pmSkip}}},          // a bad prefix
      {"[c] d:\\a\r\n", {{"d:\\a", M::pmSkip}}},          // prefixes are exact
      {"[C] \r\n", {{"", M::pmIndex}}},                   // just the prefix
      {"[G]\r\n", {{"", M::pmSkip}}},                     // four bytes or fewer
      {"ab\r\n", {{"", M::pmSkip}}},
      {"[G]     d:\\a\\b", {{"    d:\\a\\b", M::pmAtEnd}}},  // sub-entry, no line end
      {"[C] d:\\a\rb\r\n", {{"d:\\ab", M::pmIndex}}},     // a lone CR is dropped
      {"[C] d:\\a\n[U] d:\\b\n", {{"d:\\a", M::pmIndex}, {"d:\\b", M::pmSkip}}},
      {"\r\n\r\n", {{"", M::pmSkip}, {"", M::pmSkip}}},
      {"[\rC] x\r\n", {{"x", M::pmIndex}}},               // the CR goes before the prefix is read
      {std::string("[C] a\0b\r\n", 9), {{std::string("a\0b", 3), M::pmIndex}}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSearchPaths(c.text), c.paths) << "text: " << c.text;
}

TEST(CatalogWrite, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  const auto file = dir / "Index.txt";
  const std::string old = "d:\\old.mp3 [ - ]\r\n";
  WriteBytes(file, old);

  TLineList big;
  for (int i = 0; i < 2000; ++i) big.Append("d:\\sounds\\new\\track " + std::to_string(i) + ".mp3 [A - B]");

  // Let the file system refuse the write half-way, as a full disk does.
  struct rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::error_code ec;
  const bool ok = WriteLineFile(file, big, ec);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(ok);
  EXPECT_TRUE(ec);
  EXPECT_EQ(ReadBytes(file), old);
  // No temporary file is left behind.
  size_t entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++entries;
  EXPECT_EQ(entries, 1u);

  // A folder that does not exist is an error, not a silent success.
  EXPECT_FALSE(WriteLineFile(dir / "no such folder" / "Index.txt", big, ec));
  EXPECT_TRUE(ec);
  // And the same write goes through once the disk has room.
  ASSERT_TRUE(WriteLineFile(file, big, ec)) << ec.message();
  EXPECT_EQ(ReadLineFile(file), big);
}

TEST(CatalogReaders, SurviveArbitraryBytes) {
  std::mt19937 rng(1252);
  TempDir dir;
  const std::string alphabet = std::string("\r\n\r\n\0[CUG] \\:.mp3xyz\x8E\xE4\xFF", 22);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const size_t len = rng() % 200;
    for (size_t i = 0; i < len; ++i)
      text += (round % 2) ? char(rng() % 256) : alphabet[rng() % alphabet.size()];
    // Every prefix of the text, as a file cut off anywhere would hold.
    for (size_t cut = 0; cut <= text.size(); cut += 1 + text.size() / 7) {
      const std::string part = text.substr(0, cut);
      const TLineList lines = TLineList::FromText(part);
      size_t total = 0;
      for (std::string_view l : lines) {
        total += l.size();
        EXPECT_EQ(l.find_first_of(std::string_view("\r\n\0", 3)), std::string_view::npos);
      }
      EXPECT_LE(total, part.size());
      const auto paths = ParseSearchPaths(part);
      for (const TSearchPath& p : paths) EXPECT_EQ(p.Text.find_first_of("\r\n"), std::string::npos);
      // What was read writes back to text that reads the same.
      EXPECT_EQ(TLineList::FromText(lines.ToText()), lines);
      EXPECT_EQ(ParseSearchPaths(FormatSearchPaths(paths)).size(), paths.size());
    }
    WriteBytes(dir / "Index.txt", text);
    EXPECT_LE(ReadLineFile(dir / "Index.txt").Bytes().size(), text.size());
  }
}

TEST(TrackLine, LastPosAndIndexNumbers) {
  EXPECT_EQ(LastPos("[", "a [b [c]"), 6u);
  EXPECT_EQ(LastPos("[", "abc"), 0u);
  EXPECT_EQ(LastPos("abc", "abc"), 1u);
  EXPECT_EQ(LastPos("abcd", "abc"), 0u);
  EXPECT_EQ(LastPos("aa", "aaa"), 2u);
  EXPECT_EQ(LastPos("[", ""), 0u);

  EXPECT_EQ(FormatIndexNumber(0), "0000");
  EXPECT_EQ(FormatIndexNumber(7), "0007");
  EXPECT_EQ(FormatIndexNumber(42), "0042");
  EXPECT_EQ(FormatIndexNumber(9999), "9999");
  EXPECT_EQ(FormatIndexNumber(10000), "10000");
}

}  // namespace
}  // namespace kt
