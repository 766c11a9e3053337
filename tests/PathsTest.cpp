#include "platform/Paths.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace kt {
namespace {

using test::TempDir;
using test::WriteBytes;

// A program folder with drive d: linked to a music folder and a network share.
class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    music = tmp / "Medien" / "Musik";
    WriteBytes(music / "Rock" / "Die \xC3\x84rzte - Zu Sp\xC3\xA4t.mp3", "x");  // UTF-8 name on disk
    WriteBytes(music / "Rock" / "\xCE\xA9mega - Song.mp3", "x");               // Greek capital omega
    WriteBytes(music / "MiXed" / "CaSe.MP3", "x");
    share = tmp / "server-share";
    WriteBytes(share / "Jazz" / "Take Five.mp3", "x");
    prog = tmp / "prog";
    fs::create_directories(prog / "dosdevices" / "unc" / "Srv");
    fs::create_symlink(music, prog / "dosdevices" / "d:");
    fs::create_symlink(share, prog / "dosdevices" / "unc" / "Srv" / "Music");
  }

  TempDir tmp;
  fs::path music, share, prog;
};

TEST_F(PathsTest, LowerCasedCatalogFormFindsTheFiles) {
  TPathMapper m(prog);
  for (bool caching : {false, true}) {
    m.SetCaching(caching);
    struct Case {
      const char* catalog;
      fs::path native;
    };
    const Case cases[] = {
        {"d:\\rock\\die \xc4rzte - zu sp\xe4t.mp3", prog / "dosdevices/d:/Rock/Die \xC3\x84rzte - Zu Sp\xC3\xA4t.mp3"},
        {"d:\\rock\\?mega - song.mp3", prog / "dosdevices/d:/Rock/\xCE\xA9mega - Song.mp3"},
        {"D:\\MIXED\\case.mp3", prog / "dosdevices/d:/MiXed/CaSe.MP3"},
        {"d:\\mixed\\\\case.mp3", prog / "dosdevices/d:/MiXed/CaSe.MP3"},  // a doubled backslash
        {"\\\\srv\\music\\jazz\\take five.mp3", prog / "dosdevices/unc/Srv/Music/Jazz/Take Five.mp3"},
        {"d:", prog / "dosdevices/d:"},
        {"d:\\", prog / "dosdevices/d:"},
    };
    for (const Case& c : cases) {
      const fs::path native = m.ToNative(c.catalog);
      EXPECT_EQ(native, c.native) << c.catalog << " caching " << caching;
      EXPECT_TRUE(fs::exists(native)) << c.catalog;
    }
  }
}

TEST_F(PathsTest, NativeToCatalog) {
  TPathMapper m(prog);
  struct Case {
    fs::path native;
    std::string catalog;
  };
  const Case cases[] = {
      {music / "Rock" / "Die \xC3\x84rzte - Zu Sp\xC3\xA4t.mp3", "d:\\Rock\\Die \xC4rzte - Zu Sp\xE4t.mp3"},
      {music / "Rock" / "\xCE\xA9mega - Song.mp3", "d:\\Rock\\?mega - Song.mp3"},
      {music, "d:"},
      {music / "Rock" / "", "d:\\Rock"},
      {prog / "dosdevices" / "d:" / "MiXed", "d:\\MiXed"},  // the form ToNative gives
      {share / "Jazz", "\\\\Srv\\Music\\Jazz"},
      {"/", "z:"},
      {"/home/anna/Musik", "z:\\home\\anna\\Musik"},
      {tmp / "Medien", "z:" + [&] {
         std::string s = (tmp / "Medien").string();
         for (char& c : s) if (c == '/') c = '\\';
         return s;
       }()},
  };
  for (const Case& c : cases) EXPECT_EQ(m.ToCatalog(c.native), c.catalog) << c.native;
}

TEST_F(PathsTest, ZDriveRoundTrip) {
  TPathMapper m(prog);
  const fs::path file = music / "MiXed" / "CaSe.MP3";
  const std::string catalog = m.ToCatalog(tmp / "Medien" / ".." / "Medien" / "Musik" / "MiXed" / "CaSe.MP3");
  EXPECT_EQ(catalog, "d:\\MiXed\\CaSe.MP3");
  // Through z: the same file is found from its lower-cased form as well.
  std::string z = "z:" + file.string();
  for (char& c : z) c = c == '/' ? '\\' : (c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
  EXPECT_TRUE(fs::equivalent(m.ToNative(z), file)) << z;
  EXPECT_EQ(m.ToNative("z:"), fs::path("/"));
}

TEST_F(PathsTest, LongestDriveWinsAndLinksLeadToTheirDrive) {
  // A second drive inside the first: its files belong to e:.
  fs::create_symlink(music / "Rock", prog / "dosdevices" / "e:");
  // A link elsewhere that leads into d:'s folder.
  fs::create_symlink(music / "MiXed", tmp / "shortcut");
  TPathMapper m(prog);
  EXPECT_EQ(m.ToCatalog(music / "Rock" / "x.mp3"), "e:\\x.mp3");
  EXPECT_EQ(m.ToCatalog(music / "MiXed" / "x.mp3"), "d:\\MiXed\\x.mp3");
  EXPECT_EQ(m.ToCatalog(tmp / "shortcut" / "CaSe.MP3"), "d:\\MiXed\\CaSe.MP3");
}

TEST_F(PathsTest, MissingPiecesGiveAPathThatDoesNotExist) {
  TPathMapper m(prog);
  for (const char* p : {"q:\\x.mp3", "d:\\nothing\\here.mp3", "\\\\nosrv\\share\\x.mp3", "\\\\srv\\noshare"}) {
    EXPECT_FALSE(fs::exists(m.ToNative(p))) << p;
  }
  TPathMapper noDrives(tmp / "elsewhere");
  EXPECT_FALSE(fs::exists(noDrives.ToNative("d:\\rock")));
}

TEST_F(PathsTest, CacheIsReadOnceUntilCleared) {
  TPathMapper m(prog);
  m.SetCaching(true);
  EXPECT_TRUE(fs::exists(m.ToNative("d:\\mixed\\case.mp3")));
  WriteBytes(music / "MiXed" / "New.mp3", "x");
  // The listing of the folder was cached: only the exact name is found.
  EXPECT_EQ(m.ToNative("d:\\mixed\\new.mp3").filename(), "new.mp3");
  m.ClearCache();
  EXPECT_EQ(m.ToNative("d:\\mixed\\new.mp3").filename(), "New.mp3");
}

TEST_F(PathsTest, TypedFolderInEitherForm) {
  TPathMapper m(prog);
  EXPECT_EQ(m.FolderToCatalogForm(QString::fromStdString(music.string() + "/Rock")), "d:\\Rock");
  EXPECT_EQ(m.FolderToCatalogForm(QStringLiteral("d:\\sounds\\R\u00f6ck")), "d:\\sounds\\R\xF6" "ck");
  EXPECT_EQ(m.FolderToCatalogForm(QStringLiteral("\\\\srv\\music")), "\\\\srv\\music");
  EXPECT_EQ(m.FolderToCatalogForm(QStringLiteral("/home/anna/Musik")), "z:\\home\\anna\\Musik");
  EXPECT_EQ(m.FolderToCatalogForm(QStringLiteral("relativ")), "relativ");
  EXPECT_TRUE(IsCatalogPath("d:"));
  EXPECT_TRUE(IsCatalogPath("\\\\s"));
  EXPECT_FALSE(IsCatalogPath("\\x"));
  EXPECT_FALSE(IsCatalogPath("1:"));
}

}  // namespace
}  // namespace kt
