#include "catalog/Id3v1Tag.h"
#include "tests/support/Mp3Fixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kt {
namespace {

using test::Id3v1Block;
using test::MakeMp3;
using test::TempDir;
using test::WriteBytes;

using namespace std::string_literals;

// A block laid out by hand, each field NUL padded at its offset, so a test can
// fill the fields around title and artist (which must never leak into them).
std::string Block(std::string_view title, std::string_view artist, std::string_view album = "",
                  std::string_view magic = "TAG") {
  std::string b(kId3v1Size, '\0');
  b.replace(0, magic.size(), magic);
  b.replace(3, title.size(), title);
  b.replace(33, artist.size(), artist);
  b.replace(63, album.size(), album);
  b[127] = char(255);
  return b.substr(0, kId3v1Size);
}

TEST(Id3v1Tag, FieldRules) {
  struct Case {
    const char* what;
    std::string block;
    std::string artist, title;
  };
  const std::string full30 = "Thirty bytes, no NUL, no blank";  // exactly 30 bytes
  ASSERT_EQ(full30.size(), 30u);
  const Case cases[] = {
      {"plain", Block("Angie", "The Rolling Stones"), "The Rolling Stones", "Angie"},
      {"title cut at its first NUL", Block("Angie\0Live 1973"s, "Band"), "Band", "Angie"},
      {"NUL first: empty, whatever follows", Block(" \0Song"s, "\0Band"s), "", ""},
      {"blank-padded artist", Block("Song", "Band" + std::string(26, ' ')), "Band", "Song"},
      {"artist all blanks", Block("Song", std::string(30, ' ')), "", "Song"},
      {"control bytes at both ends, inner blanks kept", Block("\t\x01 Song \x1F\r", "\n\x10 A  B \x1B"), "A  B",
       "Song"},
      {"byte 33 and DEL are not blanks", Block(" !x! ", "\x7F" "Band\x7F"), "\x7F" "Band\x7F", "!x!"},
      {"bytes of 128 and above kept, also at the ends", Block("\xA0M\xE4nner\x8E", "\xFF\xC4rzte\x85"),
       "\xFF\xC4rzte\x85", "\xA0M\xE4nner\x8E"},
      {"full fields end at their width", Block(full30, full30, "ALBUM ALBUM ALBUM ALBUM ALBUM!"), full30, full30},
      {"no TAG", Block("Song", "Band", "", "XAG"), "", ""},
      {"tag in lower case", Block("Song", "Band", "", "tag"), "", ""},
      {"TAG shifted by one byte", Block("", "", "", "\0TAG"s), "", ""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.block.size(), kId3v1Size) << c.what;
    const TId3v1Tag tag = ParseId3v1Tag(c.block);
    EXPECT_EQ(tag.Artist, c.artist) << c.what;
    EXPECT_EQ(tag.Title, c.title) << c.what;
  }
}

TEST(Id3v1Tag, ReadsOnlyTheLast128Bytes) {
  const std::string block = Block("Song", "Band");
  const TId3v1Tag tagged{"Band", "Song"};
  struct Case {
    const char* what;
    std::string bytes;
    TId3v1Tag tag;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"127 bytes beginning with TAG", block.substr(0, 127), {}},
      {"exactly 128 bytes", block, tagged},
      {"audio, then the block", std::string(5000, '\xFF') + block, tagged},
      {"block, then one byte more", block + "x", {}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    EXPECT_EQ(ParseId3v1Tag(c.bytes), c.tag) << "text: " << c.what;
    WriteBytes(dir / "x.mp3", c.bytes);
    EXPECT_EQ(ReadId3v1Tag(dir / "x.mp3"), c.tag) << "file: " << c.what;
  }
  // What cannot be opened or read has no tag.
  EXPECT_EQ(ReadId3v1Tag(dir / "missing.mp3"), TId3v1Tag{});
  std::filesystem::create_directories(dir / "folder.mp3");
  EXPECT_EQ(ReadId3v1Tag(dir / "folder.mp3"), TId3v1Tag{});
}

// Our fixtures and our reader agree with an independent ID3v1 reader.
TEST(Id3v1Tag, GeneratedMp3AgreesWithMutagen) {
  if (std::system("/usr/bin/python3 -c 'import mutagen.mp3' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "/usr/bin/python3 has no mutagen (Debian package python3-mutagen)";
  TempDir dir;
  const std::string artist = "Die \xC4rzte";
  const std::string title = "M\xE4nner \x8E sind so";
  MakeMp3(dir / "Die Ärzte" / "x.mp3", artist, title, 3.0);
  WriteBytes(dir / "read.py",
             "import sys\n"
             "from mutagen.mp3 import MP3\n"
             "f = MP3(sys.argv[1])\n"
             "def field(k):\n"
             "    return f.tags[k].text[0].encode('latin1').hex() if f.tags and k in f.tags else '-'\n"
             "print(field('TPE1'), field('TIT2'), round(f.info.length * 1000))\n");
  const std::string command =
      "/usr/bin/python3 '" + (dir / "read.py").string() + "' '" + (dir / "Die Ärzte" / "x.mp3").string() + "'";
  FILE* out = ::popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  char artistHex[128] = {}, titleHex[128] = {};
  int lengthMs = 0;
  const int fields = std::fscanf(out, "%127s %127s %d", artistHex, titleHex, &lengthMs);
  ASSERT_EQ(::pclose(out), 0) << command;
  ASSERT_EQ(fields, 3);
  const auto hex = [](std::string_view s) {
    std::string h;
    char b[3];
    for (unsigned char c : s) {
      std::snprintf(b, sizeof b, "%02x", c);
      h += b;
    }
    return h;
  };
  EXPECT_EQ(artistHex, hex(artist));
  EXPECT_EQ(titleHex, hex(title));
  EXPECT_NEAR(lengthMs, 3000, 60);
  EXPECT_EQ(ReadId3v1Tag(dir / "Die Ärzte" / "x.mp3"), (TId3v1Tag{artist, title}));

  // An untagged fixture really has no block, and a tagged one is the same audio plus the block.
  MakeMp3(dir / "untagged.mp3", "", "", 3.0);
  const std::string untagged = test::ReadBytes(dir / "untagged.mp3");
  EXPECT_EQ(ReadId3v1Tag(dir / "untagged.mp3"), TId3v1Tag{});
  EXPECT_EQ(test::ReadBytes(dir / "Die Ärzte" / "x.mp3"), untagged + Id3v1Block(artist, title));
}

}  // namespace
}  // namespace kt
