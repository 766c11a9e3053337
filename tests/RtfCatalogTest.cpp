#include "catalog/RtfCatalog.h"
#include "platform/Cp1252.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace kt {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using Lines = std::vector<std::string>;

TLineList ListOf(const Lines& lines) {
  TLineList list;
  for (const std::string& l : lines) list.Append(l);
  return list;
}

const std::string kSep(kPrintListSeparator);

// ---------------------------------------------------------------------------
// BuildPrintLists

struct PrintCase {
  const char* what;
  Lines tracks;
  Lines folders;
  Lines printed;
};

TEST(BuildPrintLists, FoldersAndTracks) {
  const PrintCase cases[] = {
      {"one folder line per run of tracks, untagged files by name",
       {"d:\\a\\x.mp3 [A - X]", "d:\\a\\y.mp3 [A - Y]", "d:\\b\\z.mp3 [ - ]"},
       {"0000 d:\\a", "0002 d:\\b"},
       {"0000 A - X", "0001 A - Y", kSep, "0002 z"}},
      {"a title holding brackets prints whole",
       {"d:\\a\\x.mp3 [Band - Song [Live]]", "d:\\a\\y.mp3 [Band - [Intro]]"},
       {"0000 d:\\a"},
       {"0000 Band - Song [Live]", "0001 Band - [Intro]"}},
      {"a folder holding brackets stays one folder",
       {"d:\\a\\Best [x]\\s.mp3 [A - S]", "d:\\a\\Best [x]\\t.mp3 [ - ]", "d:\\a\\u.mp3 [ - ]"},
       {"0000 d:\\a\\Best [x]", "0002 d:\\a"},
       {"0000 A - S", "0001 t", kSep, "0002 u"}},
      {"a file name holding brackets",
       {"d:\\a\\Song [Live].mp3 [ - ]", "d:\\a\\x [1] y.mp3 [A - B]"},
       {"0000 d:\\a"},
       {"0000 Song [Live]", "0001 A - B"}},
      {"the extension in any letter case",
       {"D:\\A\\X.MP3 [A - X]", "D:\\A\\Y.Mp3 [ - ]", "D:\\A\\Z.mP3 [B - [Z]]"},
       {"0000 D:\\A"},
       {"0000 A - X", "0001 Y", "0002 B - [Z]"}},
      {"without \".mp3 [\" the last \"[\" splits the line",
       {"d:\\a\\x.wav [A - B]", "d:\\a\\y.mp3[C - D]", "d:\\b\\z.ogg [A - B [Live]]"},
       {"0000 d:\\a", "0002 d:\\b"},
       {"0000 A - B", "0001 C - D", kSep, "0002 Live]"}},
      {"a file in a drive's root",
       {"d:\\x.mp3 [ - ]", "d:\\y.mp3 [A - Y]"},
       {"0000 d:"},
       {"0000 x", "0001 A - Y"}},
      {"a colon also ends the folder",
       {"d:x.mp3 [ - ]"},
       {"0000 d"},
       {"0000 d:x"}},
      {"network folders",
       {"\\\\server\\share\\x.mp3 [A - X]", "\\\\server\\share\\m\\y.mp3 [A - Y]"},
       {"0000 \\\\server\\share", "0001 \\\\server\\share\\m"},
       {"0000 A - X", kSep, "0001 A - Y"}},
      {"a folder whose tracks are not contiguous gets a line per run",
       {"d:\\a\\1.mp3 [A - 1]", "d:\\b\\2.mp3 [B - 2]", "d:\\a\\3.mp3 [A - 3]"},
       {"0000 d:\\a", "0001 d:\\b", "0002 d:\\a"},
       {"0000 A - 1", kSep, "0001 B - 2", kSep, "0002 A - 3"}},
      {"folders differing only in letter case are two folders",
       {"d:\\a\\1.mp3 [A - 1]", "d:\\A\\2.mp3 [A - 2]"},
       {"0000 d:\\a", "0001 d:\\A"},
       {"0000 A - 1", kSep, "0001 A - 2"}},
      {"bytes as they stand",
       {"d:\\\xC4rzte\\m\xE4nner.mp3 [ - ]", "d:\\\xC4rzte\\x.mp3 [Die \xC4rzte - M\xE4nner \x8E]"},
       {"0000 d:\\\xC4rzte"},
       {"0000 m\xE4nner", "0001 Die \xC4rzte - M\xE4nner \x8E"}},
      // Lines no indexing run writes: neither a folder nor a tag to be found.
      {"short and empty lines",
       {"", "]", "ab", "[ - ]", "x.mp3 [", ".mp3 [ - ]", "[", " - ]"},
       {},
       {"0000 ", "0001 ", "0002 a", "0003 ", "0004 ", "0005 ", "0006 ", "0007 "}},
      {"a folder after lines without one starts with the separator",
       {"junk", "d:\\a\\x.mp3 [A - X]"},
       {"0001 d:\\a"},
       {"0000 jun", kSep, "0001 A - X"}},
      {"no tracks", {}, {}, {}},
  };
  for (const PrintCase& c : cases) {
    const TPrintLists lists = BuildPrintLists(ListOf(c.tracks));
    EXPECT_EQ(lists.Folders.ToVector(), c.folders) << c.what;
    EXPECT_EQ(lists.Tracks.ToVector(), c.printed) << c.what;
  }
}

TEST(BuildPrintLists, NumbersGrowPastFourDigits) {
  TLineList tracks;
  for (int i = 0; i <= 10000; ++i) tracks.Append(i < 10000 ? "d:\\a\\x.mp3 [A - X]" : "d:\\b\\y.mp3 [B - Y]");
  const TPrintLists lists = BuildPrintLists(tracks);
  ASSERT_EQ(lists.Tracks.size(), 10002u);
  EXPECT_EQ(lists.Tracks[7], "0007 A - X");
  EXPECT_EQ(lists.Tracks[9999], "9999 A - X");
  EXPECT_EQ(lists.Tracks[10000], kSep);
  EXPECT_EQ(lists.Tracks[10001], "10000 B - Y");
  EXPECT_EQ(lists.Folders.ToVector(), (Lines{"0000 d:\\a", "10000 d:\\b"}));
}

TEST(BuildPrintLists, ReadsTracksAsLoadedFromAFile) {
  // Lines split from a file keep their line ends in the list's buffer.
  const TLineList tracks = TLineList::FromText("d:\\a\\x.mp3 [A - X]\r\nd:\\b\\y.mp3 [ - ]\r\n");
  const TPrintLists lists = BuildPrintLists(tracks);
  EXPECT_EQ(lists.Folders.ToVector(), (Lines{"0000 d:\\a", "0001 d:\\b"}));
  EXPECT_EQ(lists.Tracks.ToVector(), (Lines{"0000 A - X", kSep, "0001 y"}));
}

// ---------------------------------------------------------------------------
// The RTF text

// The lines part of a document: what lies between the template's head and tail.
std::string Body(const std::string& doc, TRtfTemplate tmpl) {
  const std::string_view head = RtfTemplateHead(tmpl), tail = RtfTemplateTail(tmpl);
  if (doc.size() < head.size() + tail.size() || doc.compare(0, head.size(), head) != 0 ||
      doc.compare(doc.size() - tail.size(), tail.size(), tail) != 0)
    return "<not head + lines + tail>";
  return doc.substr(head.size(), doc.size() - head.size() - tail.size());
}

TEST(RtfCatalogText, EscapesEveryLine) {
  struct Case {
    Lines lines;
    std::string body;
  };
  const Case cases[] = {
      {{"0000 d:\\a", "0002 d:\\b"}, "0000 d:\\\\a\r\n\\par 0002 d:\\\\b\r\n"},
      {{"0000 M\xFCller - \xC4rger"}, "0000 M\\'fcller - \\'c4rger\r\n"},
      {{"0000 d:\\{x}"}, "0000 d:\\\\\\{x\\}\r\n"},
      {{"\x80\x8E\x9F\xA0\xFF"}, "\\'80\\'8e\\'9f\\'a0\\'ff\r\n"},  // lower-case hex, all of 80..FF
      {{"\\'e4", "\\par"}, "\\\\'e4\r\n\\par \\\\par\r\n"},          // nothing in a line is read as RTF
      {{"", "", "a"}, "\r\n\\par \r\n\\par a\r\n"},
      {{"tab\there [x] 'q' ~-_;"}, "tab\there [x] 'q' ~-_;\r\n"},   // other bytes stay
      {{"--------------------"}, "--------------------\r\n"},
  };
  for (TRtfTemplate tmpl : {TRtfTemplate::Tree, TRtfTemplate::Index})
    for (const Case& c : cases)
      EXPECT_EQ(Body(RtfCatalogText(ListOf(c.lines), tmpl), tmpl), c.body) << c.lines[0];
}

TEST(RtfCatalogText, NoLinesIsHeadAndTail) {
  for (TRtfTemplate tmpl : {TRtfTemplate::Tree, TRtfTemplate::Index}) {
    const std::string doc = RtfCatalogText(TLineList{}, tmpl);
    EXPECT_EQ(doc, std::string(RtfTemplateHead(tmpl)) + std::string(RtfTemplateTail(tmpl)));
    EXPECT_EQ(doc.substr(doc.size() - 2), "\r\n");
  }
}

TEST(RtfCatalogText, EveryLineEndIsCrLf) {
  const TLineList lines = BuildPrintLists(ListOf({"d:\\a\\x.mp3 [A - X]", "d:\\a\\y.mp3 [ - ]",
                                                  "d:\\\xE4\\z.mp3 [{B} - \xFC]", ""}))
                              .Tracks;
  for (TRtfTemplate tmpl : {TRtfTemplate::Tree, TRtfTemplate::Index}) {
    for (const TLineList& l : {lines, TLineList{}}) {
      const std::string doc = RtfCatalogText(l, tmpl);
      ASSERT_GE(doc.size(), 2u);
      EXPECT_EQ(doc.substr(doc.size() - 2), "\r\n");
      for (size_t i = 0; i < doc.size(); ++i) {
        const bool crLf = doc[i] == '\r' ? i + 1 < doc.size() && doc[i + 1] == '\n'
                          : doc[i] == '\n' ? i > 0 && doc[i - 1] == '\r'
                                          : true;
        ASSERT_TRUE(crLf) << "lone CR or LF at " << i;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// The templates

// Where each piece is found in text, searching on after the previous one;
// the first piece missing (in that order) is named in the failure.
::testing::AssertionResult InOrder(std::string_view text, const std::vector<std::string>& pieces) {
  size_t at = 0;
  for (const std::string& p : pieces) {
    const size_t hit = text.find(p, at);
    if (hit == std::string_view::npos) return ::testing::AssertionFailure() << "missing, or out of order: " << p;
    at = hit + p.size();
  }
  return ::testing::AssertionSuccess();
}

// Depth of the RTF groups after each byte: -1 when a group closes that never opened.
std::vector<int> GroupDepths(std::string_view rtf) {
  std::vector<int> depth(rtf.size());
  int d = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\' && i + 1 < rtf.size()) {
      depth[i] = d;
      depth[++i] = d;  // an escaped "\", "{" or "}" is text
      continue;
    }
    if (rtf[i] == '{') ++d;
    if (rtf[i] == '}' && --d < 0) d = -1000;
    depth[i] = d;
  }
  return depth;
}

const std::string kColours =
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;\\red0\\green255\\blue0;"
    "\\red255\\green0\\blue255;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red255\\green255\\blue255;"
    "\\red0\\green0\\blue128;\\red0\\green128\\blue128;\\red0\\green128\\blue0;\\red128\\green0\\blue128;"
    "\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;\\red192\\green192\\blue192;}";

TEST(RtfTemplates, HeadsHoldTheDocumentSetUpInOrder) {
  struct Case {
    TRtfTemplate tmpl;
    std::string viewScale, columns, otherColumns;
  };
  for (const Case& c : {Case{TRtfTemplate::Tree, "\\viewscale200", "\\cols2\\colsx227", "\\cols5"},
                        Case{TRtfTemplate::Index, "\\viewscale100", "\\cols5\\colsx227", "\\cols2"}}) {
    const std::string head(RtfTemplateHead(c.tmpl));
    SCOPED_TRACE(c.columns);
    EXPECT_EQ(head.rfind("{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0", 0), 0u);
    EXPECT_TRUE(InOrder(head, {"\\deflang1031\\deflangfe1031", "{\\fonttbl", kColours, "{\\stylesheet", "Normal;",
                               "Default Paragraph Font;", "Normal Table;", "{\\info", "\\paperw11906\\paperh16838",
                               "\\margl1417\\margr1417\\margt1417\\margb1134", "\\deftab708", c.viewScale, "\\sectd",
                               "\\headery708", "\\footery708", c.columns, "\\pard\\plain", "{\\f1\\fs8"}));
    EXPECT_EQ(head.find(c.otherColumns), std::string::npos);

    // Fonts 0 and 1.
    EXPECT_TRUE(std::regex_search(head, std::regex(R"(\{\\f0\\froman\\fcharset0[^{};]*Times New Roman;\})")));
    EXPECT_TRUE(std::regex_search(head, std::regex(R"(\{\\f1\\fswiss\\fcharset0[^{};]*Arial;\})")));
    // "Normal" and the paragraph: left aligned, 12 points, German.
    EXPECT_TRUE(std::regex_search(head, std::regex(R"(\{\\ql [^{}]*\\fs24\\lang1031[^{}]* Normal;\})")));
    EXPECT_TRUE(std::regex_search(head, std::regex(R"(\\pard\\plain \\ql [^{}]*\\fs24\\lang1031[^{}]*\{\\f1\\fs8)")));
    // The document information names the author and nothing else.
    EXPECT_TRUE(std::regex_search(
        head, std::regex(R"(\{\\info\{\\author Varnik's Klangtruhe\}\{\\creatim\\yr2002\\mo4[^{}]*\})"
                         R"(\{\\revtim\\yr2002\\mo4[^{}]*\}\{\\version3\}\})")));
    // The text run is opened last: the group with its revision id, a blank, CR LF, CR LF.
    EXPECT_TRUE(std::regex_search(head, std::regex(R"(\{\\f1\\fs8\\insrsid[0-9]+ \r\n\r\n$)")));
  }
}

TEST(RtfTemplates, TailsCloseTheTextRunAndTheDocument) {
  EXPECT_TRUE(std::regex_match(std::string(RtfTemplateTail(TRtfTemplate::Tree)),
                               std::regex("\r\n\\}\\{\\\\f1\\\\fs8\\\\insrsid[0-9]+ \r\n"
                                          "\\\\par \\}\\{\\\\f1\\\\fs8(\\\\[a-z]+rsid[0-9]+)+ \r\n"
                                          "\\\\par \\}\\}\r\n")));
  EXPECT_TRUE(std::regex_match(std::string(RtfTemplateTail(TRtfTemplate::Index)),
                               std::regex("\r\n\\}\\{\\\\f1\\\\fs8(\\\\[a-z]+rsid[0-9]+)+ \r\n"
                                          "\\\\par \\}\\}\r\n")));
}

TEST(RtfTemplates, GroupsBalanceWithTheLinesInsideTheTextRun) {
  const TLineList lines{"0000 {x}", "0001 a\\b", "0002 }{"};
  for (TRtfTemplate tmpl : {TRtfTemplate::Tree, TRtfTemplate::Index}) {
    const std::string head(RtfTemplateHead(tmpl));
    const std::string doc = RtfCatalogText(lines, tmpl);
    const std::vector<int> depth = GroupDepths(doc);
    // The document group closes with the last "}" and not before; the lines sit two groups deep.
    const size_t lastBrace = doc.rfind('}');
    for (size_t i = 0; i < lastBrace; ++i) ASSERT_GE(depth[i], 1) << "at " << i;
    EXPECT_EQ(depth[lastBrace], 0);
    EXPECT_EQ(depth[head.size() - 1], 2);
    EXPECT_EQ(depth[Body(doc, tmpl).size() + head.size() - 1], 2);
  }
}

// ---------------------------------------------------------------------------
// Writing

TEST(WriteRtfCatalog, ReplacesTheFile) {
  TempDir dir;
  const auto file = dir / kIndexCatalogFile;
  WriteBytes(file, "an older, longer catalog that must go entirely");
  const TLineList lines{"0000 A - X"};
  std::error_code ec;
  ASSERT_TRUE(WriteRtfCatalog(lines, TRtfTemplate::Index, file, ec)) << ec.message();
  EXPECT_EQ(ReadBytes(file), RtfCatalogText(lines, TRtfTemplate::Index));

  EXPECT_FALSE(WriteRtfCatalog(lines, TRtfTemplate::Tree, dir / "no such folder" / kTreeCatalogFile, ec));
  EXPECT_TRUE(ec);
}

// The output of unrtf --text for a file, line by line; its text comes as
// Latin-1 (UTF-8 in other versions), read back into Windows-1252 here.
bool UnrtfText(const std::filesystem::path& file, Lines& lines) {
  const std::string command = "unrtf --text '" + file.string() + "' 2>/dev/null";
  FILE* out = ::popen(command.c_str(), "r");
  if (!out) return false;
  std::string text;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, out)) > 0;) text.append(buf, n);
  if (::pclose(out) != 0) return false;
  lines.clear();
  size_t start = 0;
  for (size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
    lines.push_back(Utf8ToCp1252(text.substr(start, lf - start)));
  if (start < text.size()) lines.push_back(Utf8ToCp1252(text.substr(start)));
  return true;
}

// Index of the first of want not found in have in order (have's lines
// compared whole), or want.size() when all are there.
size_t FirstMissingInOrder(const Lines& have, const Lines& want) {
  size_t at = 0;
  for (size_t w = 0; w < want.size(); ++w) {
    while (at < have.size() && have[at] != want[w]) ++at;
    if (at == have.size()) return w;
    ++at;
  }
  return want.size();
}

TEST(WriteRtfCatalog, AnIndependentReaderFindsTheLines) {
  if (std::system("command -v unrtf >/dev/null 2>&1") != 0)
    FAIL() << "unrtf is missing: the catalogs are read back with it (Debian package unrtf, scripts/install-deps)";

  const TLineList tracks{
      "d:\\musik\\Die \xC4rzte\\M\xE4nner.mp3 [Die \xC4rzte - M\xE4nner sind Schweine]",
      "d:\\musik\\Die \xC4rzte\\Zu sp\xE4t.mp3 [Die \xC4rzte - Zu sp\xE4t]",
      "d:\\musik\\{Sampler}\\Song.mp3 [Bj\xF6rk - Army of Me [Live]]",
      "d:\\musik\\{Sampler}\\untitled.mp3 [ - ]",
      "\\\\server\\share\\Stra\xDF" "e.mp3 [Gr\xF6nemeyer - \xDC" "ber \xF6" "de Br\xFC" "cken]",
  };
  const TPrintLists lists = BuildPrintLists(tracks);
  const Lines folders{"0000 d:\\musik\\Die \xC4rzte", "0002 d:\\musik\\{Sampler}", "0004 \\\\server\\share"};
  const Lines printed{"0000 Die \xC4rzte - M\xE4nner sind Schweine",
                      "0001 Die \xC4rzte - Zu sp\xE4t",
                      kSep,
                      "0002 Bj\xF6rk - Army of Me [Live]",
                      "0003 untitled",
                      kSep,
                      "0004 Gr\xF6nemeyer - \xDC" "ber \xF6" "de Br\xFC" "cken"};
  ASSERT_EQ(lists.Folders.ToVector(), folders);
  ASSERT_EQ(lists.Tracks.ToVector(), printed);

  struct Case {
    const char* file;
    TRtfTemplate tmpl;
    const TLineList& lines;
    const Lines& expected;
    const char* columns;
  };
  TempDir dir;
  for (const Case& c : {Case{kTreeCatalogFile, TRtfTemplate::Tree, lists.Folders, folders, "\\cols2"},
                        Case{kIndexCatalogFile, TRtfTemplate::Index, lists.Tracks, printed, "\\cols5"}}) {
    SCOPED_TRACE(c.file);
    const auto file = dir / c.file;
    std::error_code ec;
    ASSERT_TRUE(WriteRtfCatalog(c.lines, c.tmpl, file, ec)) << ec.message();
    EXPECT_NE(ReadBytes(file).find(c.columns), std::string::npos);

    Lines text;
    ASSERT_TRUE(UnrtfText(file, text)) << "unrtf --text failed on " << file;
    // The lines come out in order, after unrtf's own heading lines, which
    // show that it read the document information.
    Lines expected{"AUTHOR: Varnik's Klangtruhe"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    const size_t missing = FirstMissingInOrder(text, expected);
    std::string all;
    for (const std::string& l : text) all += l + "\n";
    EXPECT_EQ(missing, expected.size()) << "not found in order: " << expected[std::min(missing, expected.size() - 1)]
                                        << "\nunrtf gave:\n" << all;
  }
}

}  // namespace
}  // namespace kt
