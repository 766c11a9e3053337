#include "platform/DialogService.h"
#include "platform/FileVersion.h"
#include "platform/InstanceLock.h"
#include "player/PlayerInterface.h"
#include "player/PlayerLink.h"
#include "tests/support/Bytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace kt {
namespace {

using test::TempDir;
using test::WriteBytes;

using test::Le32;

// An executable file carrying a version record.
std::string ExecutableWithVersion(uint16_t major, uint16_t minor, uint16_t release, uint16_t build) {
  return std::string(512, 'M') + Le32(kFixedFileInfoSignature) + Le32(0x10000) + Le32(uint32_t(major) << 16 | minor) +
         Le32(uint32_t(release) << 16 | build) + std::string(64, '\0');
}

class PlayerLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths = std::make_unique<TPathMapper>(tmp / "prog");
    registry = std::make_unique<TRegistry>(tmp / "registry.reg");
  }
  // Registers a player at folder/name with its open command.
  std::string Register(const std::string& name, const std::string& bytes) {
    const auto native = tmp / "Player Folder" / name;
    WriteBytes(native, bytes);
    const std::string catalog = paths->ToCatalog(native);
    registry->SetDefaultValue(player::kOpenCommandKey, "\"" + catalog + "\" \"%1\"");
    return catalog;
  }

  TempDir tmp;
  std::unique_ptr<TPathMapper> paths;
  std::unique_ptr<TRegistry> registry;
  TScriptedDialogs dialogs;
};

TEST_F(PlayerLinkTest, LocatesThePlayerFromItsOpenCommand) {
  const std::string catalog = Register("standin-player", ExecutableWithVersion(2, 9, 1, 0));
  TPlayerLink link(*paths);
  link.LocatePlayer(*registry);
  EXPECT_EQ(link.PlayerCommand, "\"" + catalog + "\"");
  EXPECT_EQ(link.UnquotedPath(), catalog);
  EXPECT_EQ(link.PlaylistFile, catalog.substr(0, catalog.rfind('\\') + 1) + "winamp.m3u");
  EXPECT_TRUE(std::filesystem::equivalent(link.NativePlayerPath(), tmp / "Player Folder" / "standin-player"));

  // Short or missing values give empty paths; a drive root gives "d:winamp.m3u".
  struct Case {
    std::string value, command, playlist;
  };
  const Case cases[] = {{"", "", "winamp.m3u"}, {"\"x\"", "", "winamp.m3u"}, {"\"d:player.exe\" \"%1\"", "\"d:player.exe\"", "d:winamp.m3u"}};
  for (const Case& c : cases) {
    registry->SetDefaultValue(player::kOpenCommandKey, c.value);
    link.LocatePlayer(*registry);
    EXPECT_EQ(link.PlayerCommand, c.command) << c.value;
    EXPECT_EQ(link.PlaylistFile, c.playlist) << c.value;
  }
  // No key at all: opening it creates it.
  TRegistry empty(tmp / "empty.reg");
  link.LocatePlayer(empty);
  EXPECT_EQ(link.PlayerCommand, "");
  EXPECT_TRUE(TRegistry(tmp / "empty.reg").OpenKey(player::kOpenCommandKey, false));
}

TEST_F(PlayerLinkTest, CheckAcceptsVersion2005AndAsksOtherwise) {
  struct Case {
    uint16_t major, minor, release, build;
    bool accepted;
  };
  const Case cases[] = {{2, 0, 0, 5, true}, {2, 0, 0, 4, false}, {1, 9, 9, 9, false}, {2, 9, 1, 0, true}, {5, 0, 0, 0, true}};
  for (const Case& c : cases) {
    Register("player", ExecutableWithVersion(c.major, c.minor, c.release, c.build));
    TPlayerLink link(*paths);
    link.LocatePlayer(*registry);
    dialogs.shown.clear();
    dialogs.Answer(TAnswer::Yes);
    const auto outcome = link.CheckPlayer(dialogs, nullptr, false);
    EXPECT_EQ(outcome, c.accepted ? TPlayerLink::TCheck::Accepted : TPlayerLink::TCheck::NoPlayer)
        << c.major << "." << c.minor << "." << c.release << "." << c.build;
    EXPECT_EQ(dialogs.shown.size(), c.accepted ? 0u : 1u);
    if (c.accepted) dialogs = TScriptedDialogs();
  }
}

TEST_F(PlayerLinkTest, TheQuestionDecidesBetweenNoPlayerAndTheEnd) {
  Register("player", ExecutableWithVersion(2, 9, 1, 0));
  TPlayerLink link(*paths);
  link.LocatePlayer(*registry);
  // -nowinamp asks even with a suitable player.
  dialogs.Answer(TAnswer::Yes);
  EXPECT_EQ(link.CheckPlayer(dialogs, nullptr, true), TPlayerLink::TCheck::NoPlayer);
  dialogs.Answer(TAnswer::No);
  EXPECT_EQ(link.CheckPlayer(dialogs, nullptr, true), TPlayerLink::TCheck::EndProgram);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].Caption, "Fehler");
  EXPECT_EQ(dialogs.shown[0].Text, "Die Klangtruhe ben\xF6tigt Winamp 2.05 oder neuer! Programm trotzdem ausf\xFChren?");
  EXPECT_EQ(dialogs.shown[0].Buttons, TButtons::YesNo);
  // A registered path that names no file, or a folder, is no player.
  registry->SetDefaultValue(player::kOpenCommandKey, "\"z:\\no\\such\\player\" \"%1\"");
  link.LocatePlayer(*registry);
  dialogs.Answer(TAnswer::No);
  EXPECT_EQ(link.CheckPlayer(dialogs, nullptr, false), TPlayerLink::TCheck::EndProgram);
  registry->SetDefaultValue(player::kOpenCommandKey, "\"" + paths->ToCatalog(tmp.path()) + "\" \"%1\"");
  link.LocatePlayer(*registry);
  dialogs.Answer(TAnswer::No);
  EXPECT_EQ(link.CheckPlayer(dialogs, nullptr, false), TPlayerLink::TCheck::EndProgram);
}

TEST(InstanceLock, OnlyOneHolderAtATime) {
  TempDir tmp;
  setenv("KLANGTRUHE_RUNTIME_DIR", (tmp / "run").c_str(), 1);
  {
    TInstanceLock first("##VKT");
    EXPECT_FALSE(first.AlreadyHeld());
    TInstanceLock second("##VKT");
    EXPECT_TRUE(second.AlreadyHeld());
    TInstanceLock other("another / name");
    EXPECT_FALSE(other.AlreadyHeld());
  }
  // Released with its holder.
  TInstanceLock again("##VKT");
  EXPECT_FALSE(again.AlreadyHeld());
  unsetenv("KLANGTRUHE_RUNTIME_DIR");
}

}  // namespace
}  // namespace kt
