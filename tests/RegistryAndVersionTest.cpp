#include "platform/FileVersion.h"
#include "platform/Registry.h"
#include "tests/support/Bytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace kt {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

using test::Le32;

std::string Record(uint16_t major, uint16_t minor, uint16_t release, uint16_t build, uint32_t structVersion = 0x10000) {
  return Le32(kFixedFileInfoSignature) + Le32(structVersion) + Le32(uint32_t(major) << 16 | minor) +
         Le32(uint32_t(release) << 16 | build) + std::string(36, '\0');
}

TEST(PlayerVersion, ValuesOfTheRecord) {
  struct Case {
    uint16_t major, minor, release, build;
    int64_t value;
  };
  const Case cases[] = {
      {2, 0, 0, 5, 8197}, {2, 0, 0, 4, 8196}, {1, 9, 9, 9, 6553}, {2, 9, 1, 0, 10512},
      {5, 0, 0, 0, 20480}, {65535, 65535, 65535, 65535, int64_t(65535) * 4369},
  };
  TempDir dir;
  for (const Case& c : cases) {
    WriteBytes(dir / "player.exe", std::string(1000, 'M') + Record(c.major, c.minor, c.release, c.build));
    EXPECT_EQ(PlayerVersion(dir / "player.exe"), c.value) << c.major << "." << c.minor << "." << c.release << "." << c.build;
  }
}

TEST(PlayerVersion, FindingTheRecord) {
  TempDir dir;
  const auto f = dir / "x";
  WriteBytes(f, std::string(5000, 'x'));
  EXPECT_EQ(PlayerVersion(f), 0);  // no record
  EXPECT_EQ(PlayerVersion(dir / "missing"), 0);
  WriteBytes(f, std::string(100, 'x') + Record(2, 9, 1, 0).substr(0, 12));
  EXPECT_EQ(PlayerVersion(f), 0);  // cut off inside the record
  // Across the border of two reads.
  for (size_t at : {size_t(65536 - 8), size_t(65536 - 1), size_t(65536), size_t(3 * 65536 - 15)}) {
    WriteBytes(f, std::string(at, '\0') + Record(2, 9, 1, 0));
    EXPECT_EQ(PlayerVersion(f), 10512) << at;
  }
  // A bare signature before the real record does not hide it; alone it still counts.
  WriteBytes(f, Record(1, 0, 0, 0, 0x1234) + Record(2, 0, 0, 5));
  EXPECT_EQ(PlayerVersion(f), 8197);
  WriteBytes(f, Record(1, 0, 0, 0, 0x1234));
  EXPECT_EQ(PlayerVersion(f), 4096);
}

TEST(Registry, DefaultValuesSurviveInTheFile) {
  TempDir dir;
  const auto file = dir / "cfg" / "registry.reg";
  const std::string key = "Winamp.File\\shell\\Play\\command";
  const std::string value = "\"z:\\home\\anna\\bin\\standin-player\" \"%1\"";
  {
    TRegistry reg(file);
    EXPECT_FALSE(reg.OpenKey(key, false));
    EXPECT_FALSE(reg.DefaultValue(key));
    ASSERT_TRUE(reg.OpenKey(key, true));  // opening creates the key, without a value
    EXPECT_FALSE(reg.DefaultValue(key));
    ASSERT_TRUE(reg.SetDefaultValue(key, value));
    ASSERT_TRUE(reg.SetDefaultValue("Other\\Key", "caf\xE9 \"x\" \\"));
  }
  TRegistry again(file);
  EXPECT_EQ(again.DefaultValue(key), value);
  EXPECT_EQ(again.DefaultValue("WINAMP.FILE\\Shell\\play\\COMMAND"), value);  // keys without regard to case
  EXPECT_EQ(again.DefaultValue("Other\\Key"), "caf\xE9 \"x\" \\");
  EXPECT_TRUE(again.OpenKey(key, false));
  const std::string text = ReadBytes(file);
  EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\Winamp.File\\shell\\Play\\command]\r\n"
                      "@=\"\\\"z:\\\\home\\\\anna\\\\bin\\\\standin-player\\\" \\\"%1\\\"\"\r\n"),
            std::string::npos)
      << text;
}

TEST(Registry, BrokenFilesReadAsFarAsTheyMakeSense) {
  TempDir dir;
  const auto file = dir / "registry.reg";
  WriteBytes(file,
             "garbage\n[HKEY_CLASSES_ROOT\\A]\n@=\"one\"\n"
             "[HKEY_CLASSES_ROOT\\B]\n@=\"no closing quote\n"
             "[HKEY_LOCAL_MACHINE\\C]\n@=\"not ours\"\n"
             "[HKEY_CLASSES_ROOT\\D]\r\n@=\"\\\\x\\\"\"\r\n"
             "[unclosed\n@=\"stray\"\n" + std::string("\0\xFF[", 3));
  TRegistry reg(file);
  EXPECT_EQ(reg.DefaultValue("A"), "one");
  EXPECT_FALSE(reg.DefaultValue("B"));
  EXPECT_TRUE(reg.OpenKey("B", false));
  EXPECT_FALSE(reg.OpenKey("C", false));
  EXPECT_EQ(reg.DefaultValue("D"), "\\x\"");
  // No file at all, and a folder that cannot be made.
  TRegistry none(dir / "nothing.reg");
  EXPECT_FALSE(none.DefaultValue("A"));
  WriteBytes(dir / "blocker", "x");
  TRegistry blocked(dir / "blocker" / "registry.reg");
  EXPECT_FALSE(blocked.OpenKey("A", true));
  EXPECT_FALSE(blocked.OpenKey("A", false));
}

}  // namespace
}  // namespace kt
