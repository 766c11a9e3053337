// klangtruhe-index, started as a program on a temporary program folder.

#include "catalog/CatalogFiles.h"
#include "catalog/IndexingRun.h"
#include "catalog/RtfCatalog.h"
#include "platform/Paths.h"
#include "tests/support/Mp3Fixtures.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace kt {
namespace {

using test::BinFolder;
using test::Id3v1Block;
using test::ReadBytes;
using test::TempDir;
using test::UntaggedMp3Bytes;
using test::WriteBytes;
using ::testing::HasSubstr;

struct TExit {
  int status = -1;  // the exit status, -1 when the program did not end by itself
  std::string out, err;
};

// Runs the program with its stdout and stderr in files of outputs and waits
// at most a minute for it.
TExit RunProgram(const fs::path& program, const std::vector<std::string>& args, const fs::path& outputs) {
  const fs::path out = outputs / "stdout", err = outputs / "stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> all{program.string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  TExit exit;
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(spawned);
    return exit;
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  for (;;) {
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno != EINTR) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      ADD_FAILURE() << program << " did not end within a minute";
      status = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (status != -1 && WIFEXITED(status)) exit.status = WEXITSTATUS(status);
  exit.out = ReadBytes(out);
  exit.err = ReadBytes(err);
  return exit;
}

// A collection below drive d: and program folders whose d: leads to it.
class IndexerProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    indexer = BinFolder() / "klangtruhe-index";
    ASSERT_TRUE(fs::exists(indexer)) << "build the target klangtruhe-index first";
    music = tmp / "musik";
    const std::string mp3 = UntaggedMp3Bytes();
    WriteBytes(music / "Rock" / "Band - Song.mp3", mp3 + Id3v1Block("Band", "Song"));
    WriteBytes(music / "Rock" / "Live" / "Zugabe.MP3", mp3 + Id3v1Block("Band", "Zugabe"));
    WriteBytes(music / "Rock" / "Privat" / "x.mp3", mp3 + Id3v1Block("Wir", "Privat"));
    WriteBytes(music / "Pop" / "\xC3\x84rzte - Zu Sp\xC3\xA4t.mp3", mp3 + Id3v1Block("\xC4rzte", "Zu Sp\xE4t"));
    WriteBytes(music / "Pop" / "ohne Tag.mp3", mp3);
    WriteBytes(music / "Neu" / "neu.mp3", mp3 + Id3v1Block("Neu", "Ganz neu"));
    fs::create_directories(tmp / "outputs");
  }

  // A program folder with its own drive d: and this "Pfade.txt".
  fs::path ProgramFolder(const std::string& name, const std::string& searchPaths) {
    const fs::path prog = tmp / name;
    fs::create_directories(prog / "dosdevices");
    fs::create_symlink(music, prog / "dosdevices" / "d:");
    WriteBytes(prog / kSearchPathFile, searchPaths);
    return prog;
  }

  fs::path WithIndexer(const fs::path& prog) {
    fs::copy_file(indexer, prog / "klangtruhe-index");
    return prog / "klangtruhe-index";
  }

  TExit Run(const fs::path& program, const std::vector<std::string>& args = {}) {
    return RunProgram(program, args, tmp / "outputs");
  }

  static constexpr const char* kSearchPaths =
      "[C] d:\\rock\r\n[U]     d:\\rock\\privat\r\n[G]     d:\\rock\\live\r\n[C] d:\\pop\r\n[G] d:\\neu\r\n";

  TempDir tmp;
  fs::path indexer, music;
};

constexpr const char* kCatalogFiles[] = {kSearchPathFile, kTrackFile, kFolderFile, kTreeCatalogFile,
                                         kIndexCatalogFile};

TEST_F(IndexerProgramTest, WritesTheSameFilesAsTheRunInProcess) {
  const fs::path batch = ProgramFolder("batch", kSearchPaths);
  const TExit exit = Run(WithIndexer(batch));
  ASSERT_EQ(exit.status, 0) << exit.err;
  EXPECT_EQ(exit.out, "Indizierung abgeschlossen. Datenbankgr\xC3\xB6\xC3\x9F" "e: 5 Tracks.\n");
  EXPECT_THAT(exit.err, HasSubstr("100%"));

  const fs::path inProcess = ProgramFolder("in-process", "");
  TPathMapper mapper(inProcess);
  TCatalog catalog;
  const TIndexingResult result =
      RunIndexingSteps(ReadSearchPathFile(batch / kSearchPathFile), mapper, inProcess, catalog);
  ASSERT_TRUE(result.AllWritten());
  ASSERT_EQ(result.TrackCount, 5u);
  for (const char* name : kCatalogFiles) {
    EXPECT_EQ(ReadBytes(batch / name), ReadBytes(inProcess / name)) << name;
    EXPECT_GT(fs::file_size(batch / name), 0u) << name;
  }
  EXPECT_EQ(ReadBytes(batch / kSearchPathFile), kSearchPaths);
  EXPECT_THAT(ReadBytes(batch / kTrackFile), HasSubstr("d:\\pop\\\xC4rzte - Zu Sp\xE4t.mp3 [\xC4rzte - Zu Sp\xE4t]\r\n"));
}

TEST_F(IndexerProgramTest, TakesTheProgramFolderAsArgument) {
  const fs::path prog = ProgramFolder("elsewhere", "[C] d:\\neu\n");
  const TExit exit = Run(indexer, {prog.string()});
  ASSERT_EQ(exit.status, 0) << exit.err;
  EXPECT_EQ(ReadBytes(prog / kTrackFile), "d:\\neu\\neu.mp3 [Neu - Ganz neu]\r\n");
  EXPECT_EQ(ReadBytes(prog / kSearchPathFile), "[C] d:\\neu\r\n");  // written back as the run writes it
}

TEST_F(IndexerProgramTest, MissingSearchPathFileGivesAnEmptyCatalog) {
  const fs::path prog = tmp / "bare";
  fs::create_directories(prog);
  const TExit exit = Run(indexer, {prog.string()});
  ASSERT_EQ(exit.status, 0) << exit.err;
  EXPECT_EQ(exit.out, "Indizierung abgeschlossen. Datenbankgr\xC3\xB6\xC3\x9F" "e: 0 Tracks.\n");
  EXPECT_EQ(fs::file_size(prog / kTrackFile), 0u);
}

TEST_F(IndexerProgramTest, UnwritableIndexFailsWithStatusOne) {
  const fs::path prog = ProgramFolder("blocked", kSearchPaths);
  fs::create_directories(prog / kTrackFile / "inside");
  const TExit exit = Run(WithIndexer(prog));
  EXPECT_EQ(exit.status, 1);
  EXPECT_THAT(exit.err, HasSubstr("Fehler: Die Datei \xE2\x80\x9EIndex.txt\xE2\x80\x9C konnte nicht geschrieben werden"));
  EXPECT_THAT(exit.err, ::testing::Not(HasSubstr("Baum.txt")));
  EXPECT_EQ(exit.out, "");
  EXPECT_TRUE(fs::is_directory(prog / kTrackFile / "inside"));
  EXPECT_THAT(ReadBytes(prog / kFolderFile), HasSubstr("d:\\rock\r\n"));
}

TEST_F(IndexerProgramTest, WrongUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {"a", "b"}, {"--bogus"}, {"-x"}, {""}, {(tmp / "no such folder").string()}, {(tmp / "outputs" / "stdout").string()},
  };
  for (const auto& args : cases) {
    const TExit exit = Run(indexer, args);
    EXPECT_EQ(exit.status, 2) << args[0];
    EXPECT_THAT(exit.err, HasSubstr("Aufruf: klangtruhe-index [PROGRAMMORDNER]")) << args[0];
  }
  const TExit help = Run(indexer, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("Aufruf: klangtruhe-index"));
}

}  // namespace
}  // namespace kt
