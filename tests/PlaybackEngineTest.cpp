#include "standin/PlaybackEngine.h"
#include "tests/support/Mp3Fixtures.h"
#include "tests/support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace kt {
namespace {

using namespace std::chrono_literals;
using test::Id3v1Block;
using test::MakeMp3;
using test::TempDir;
using test::UntaggedMp3Bytes;
using test::WriteBytes;
using Clock = std::chrono::steady_clock;
using State = TPlaybackEngine::State;

int MsSince(Clock::time_point t0) {
  return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count());
}

// Calls Pump as the owner's timer would, until done() holds or the time is up.
// Counts the ends Pump reports.
bool PumpUntil(TPlaybackEngine& engine, const std::function<bool()>& done, int* ends = nullptr,
               std::chrono::milliseconds limit = 3000ms) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    if (engine.Pump() && ends) ++*ends;
    if (done()) return true;
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
}

// Pumps for a while, whatever happens.
void PumpFor(TPlaybackEngine& engine, std::chrono::milliseconds span, int* ends = nullptr) {
  PumpUntil(engine, [] { return false; }, ends, span);
}

// Playback goes at the speed of the clock: never ahead of it by more than the
// device's buffer, and not far behind (a loaded machine may lag a little).
void ExpectRealTime(int positionMs, int sinceStartMs, const char* what) {
  EXPECT_LE(positionMs, sinceStartMs + 80) << what;
  EXPECT_GE(positionMs, sinceStartMs / 2 - 50) << what;
}

// A garbage file that holds nothing an MP3 decoder could take for a frame.
std::string Garbage() {
  std::string g;
  while (g.size() < 20000) g += "Dies ist keine MP3-Datei, nur Text. ";
  return g;
}

class PlaybackEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Real-time paced output that goes nowhere.
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  }

  TempDir dir_;
};

TEST_F(PlaybackEngineTest, ProbeGivesExactLengthAndTitle) {
  struct Case {
    double seconds;
    std::string artist, title;
    std::string catalogPath;
    int lengthMs;
    std::string shown;
  };
  const Case cases[] = {
      {3.0, "Band", "Song", "d:\\musik\\x.mp3", 3000, "Band - Song"},
      {1.0, "Die \xC4rzte", "M\xE4nner\x8E", "d:\\musik\\x.mp3", 1000, "Die \xC4rzte - M\xE4nner\x8E"},
      {1.0, "Band", "", "d:\\musik\\x.mp3", 1000, "Band - "},
      {1.0, "   ", "Song", "d:\\musik\\x.mp3", 1000, " - Song"},
      {1.0, "", "", "d:\\musik\\Die \xC4rzte.mp3", 1000, "Die \xC4rzte"},
      {1.0, "", "", "\\\\server\\share\\Live 1973\\a.b.c.MP3", 1000, "a.b.c"},
      {3.0, "", "", "d:\\ohne Endung", 3000, "ohne Endung"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const auto file = dir_ / ("t" + std::to_string(n++) + ".mp3");
    MakeMp3(file, c.artist, c.title, c.seconds);
    TTrackInfo info;
    EXPECT_TRUE(ProbeTrack(file, c.catalogPath, info)) << c.shown;
    EXPECT_NEAR(info.LengthMs, c.lengthMs, 30) << c.shown;
    EXPECT_EQ(info.Title, c.shown);
  }
}

TEST_F(PlaybackEngineTest, ProbeOfUndecodableFiles) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string shown;
  };
  const Case cases[] = {
      {"0 bytes", "", "kaputt"},
      {"garbage", Garbage(), "kaputt"},
      {"garbage with a tag", Garbage() + Id3v1Block("Band", "Song"), "Band - Song"},
      {"a tag alone", Id3v1Block("Band", "Song"), "Band - Song"},
      {"a few bytes of a frame header", "\xFF\xFB\x90", "kaputt"},
  };
  for (const Case& c : cases) {
    WriteBytes(dir_ / "kaputt.mp3", c.bytes);
    TTrackInfo info{1234, "old"};
    EXPECT_FALSE(ProbeTrack(dir_ / "kaputt.mp3", "d:\\kaputt.mp3", info)) << c.what;
    EXPECT_EQ(info.LengthMs, 0) << c.what;
    EXPECT_EQ(info.Title, c.shown) << c.what;
  }
  TTrackInfo info;
  EXPECT_FALSE(ProbeTrack(dir_ / "missing.mp3", "d:\\fehlt.mp3", info));
  EXPECT_EQ(info.Title, "fehlt");

  // A file cut off in the middle of a frame decodes as far as it goes.
  const std::string& whole = UntaggedMp3Bytes(1.0);
  WriteBytes(dir_ / "cut.mp3", whole.substr(0, whole.size() / 2 + 77));
  ASSERT_TRUE(ProbeTrack(dir_ / "cut.mp3", "d:\\cut.mp3", info));
  EXPECT_GT(info.LengthMs, 300);
  EXPECT_LT(info.LengthMs, 700);
}

TEST_F(PlaybackEngineTest, PlayPauseSeekStop) {
  MakeMp3(dir_ / "a.mp3", "Band", "Song", 1.0);
  TPlaybackEngine engine;
  ASSERT_TRUE(engine.Open(dir_ / "a.mp3"));
  EXPECT_EQ(engine.state(), State::Stopped);
  EXPECT_EQ(engine.PositionMs(), 0);
  EXPECT_NEAR(engine.LengthMs(), 1000, 30);
  // Nothing moves before Play, whatever the timer does.
  PumpFor(engine, 50ms);
  EXPECT_EQ(engine.PositionMs(), 0);

  const auto started = Clock::now();
  engine.Play();
  EXPECT_EQ(engine.state(), State::Playing);
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= 200; })) << engine.PositionMs();
  ExpectRealTime(engine.PositionMs(), MsSince(started), "playing");

  // Pause holds the position; the pause button again resumes from there.
  engine.Pause();
  EXPECT_EQ(engine.state(), State::Paused);
  const int held = engine.PositionMs();
  PumpFor(engine, 150ms);
  EXPECT_EQ(engine.PositionMs(), held);
  engine.Play();  // Play while paused resumes as well
  EXPECT_EQ(engine.state(), State::Playing);
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= held + 60; }));
  engine.Pause();
  engine.Pause();
  EXPECT_EQ(engine.state(), State::Playing);

  // Seeks land where they are asked to, and carry on from there.
  engine.SeekMs(500);
  EXPECT_NEAR(engine.PositionMs(), 500, 30);
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= 560; }));
  EXPECT_LT(engine.PositionMs(), 800);
  engine.Pause();
  engine.SeekMs(-100);
  EXPECT_EQ(engine.PositionMs(), 0);
  engine.SeekMs(300);
  EXPECT_NEAR(engine.PositionMs(), 300, 1);
  PumpFor(engine, 60ms);
  EXPECT_NEAR(engine.PositionMs(), 300, 1);
  EXPECT_EQ(engine.state(), State::Paused);
  engine.Pause();

  // Past the end: clamped, and the track ends at once.
  engine.SeekMs(5000);
  EXPECT_EQ(engine.PositionMs(), engine.LengthMs());
  int ends = 0;
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.state() == State::Stopped; }, &ends, 500ms));
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(engine.PositionMs(), 0);

  // Stop goes back to 0 and stays there; Play starts from the start again.
  engine.Play();
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= 150; }));
  engine.Stop();
  EXPECT_EQ(engine.state(), State::Stopped);
  EXPECT_EQ(engine.PositionMs(), 0);
  engine.SeekMs(400);  // no effect while stopped
  PumpFor(engine, 60ms, &ends);
  EXPECT_EQ(engine.PositionMs(), 0);
  EXPECT_EQ(ends, 1);
  engine.Play();
  EXPECT_LT(engine.PositionMs(), 100);
  // Pause does nothing while stopped.
  engine.Stop();
  engine.Pause();
  EXPECT_EQ(engine.state(), State::Stopped);
}

TEST_F(PlaybackEngineTest, FullPlayReportsTheEndOnce) {
  MakeMp3(dir_ / "a.mp3", "", "", 1.0);
  TPlaybackEngine engine;
  ASSERT_TRUE(engine.Open(dir_ / "a.mp3"));
  const auto started = Clock::now();
  engine.Play();
  int ends = 0;
  int lastPosition = 0;
  ASSERT_TRUE(PumpUntil(
      engine,
      [&] {
        if (engine.state() != State::Playing) return true;
        lastPosition = engine.PositionMs();
        return false;
      },
      &ends));
  const int took = MsSince(started);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(engine.state(), State::Stopped);
  EXPECT_EQ(engine.PositionMs(), 0);
  EXPECT_GE(lastPosition, engine.LengthMs() - 50);  // it played the whole track ...
  EXPECT_GE(took, engine.LengthMs() - 80);  // ... in real time
  // Nothing more is reported until it plays again.
  PumpFor(engine, 60ms, &ends);
  EXPECT_EQ(ends, 1);
  engine.Play();
  EXPECT_EQ(engine.state(), State::Playing);
  EXPECT_LT(engine.PositionMs(), 100);
}

TEST_F(PlaybackEngineTest, OpenReplacesTheTrackAndRejectsUndecodableFiles) {
  MakeMp3(dir_ / "one.mp3", "", "", 1.0);
  MakeMp3(dir_ / "three.mp3", "", "", 3.0);
  WriteBytes(dir_ / "garbage.mp3", Garbage());
  WriteBytes(dir_ / "empty.mp3", "");
  TPlaybackEngine engine;
  for (const char* bad : {"garbage.mp3", "empty.mp3", "missing.mp3"}) {
    EXPECT_FALSE(engine.Open(dir_ / bad)) << bad;
    EXPECT_FALSE(engine.HasTrack()) << bad;
    EXPECT_EQ(engine.LengthMs(), 0) << bad;
    engine.Play();
    engine.SeekMs(100);
    engine.Pause();
    EXPECT_EQ(engine.state(), State::Stopped) << bad;
    EXPECT_FALSE(engine.Pump()) << bad;
    EXPECT_EQ(engine.PositionMs(), 0) << bad;
  }

  ASSERT_TRUE(engine.Open(dir_ / "one.mp3"));
  engine.Play();
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= 100; }));
  // A new track while one plays: stopped at 0, with its own length.
  ASSERT_TRUE(engine.Open(dir_ / "three.mp3"));
  EXPECT_EQ(engine.state(), State::Stopped);
  EXPECT_EQ(engine.PositionMs(), 0);
  EXPECT_NEAR(engine.LengthMs(), 3000, 30);
  engine.Play();
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= 100; }));
  // A failed open leaves no track behind.
  EXPECT_FALSE(engine.Open(dir_ / "garbage.mp3"));
  EXPECT_EQ(engine.state(), State::Stopped);
  EXPECT_FALSE(engine.Pump());

  // A track cut off mid-frame plays as far as it goes and ends.
  const std::string& whole = UntaggedMp3Bytes(1.0);
  WriteBytes(dir_ / "cut.mp3", whole.substr(0, whole.size() / 3 + 55));
  ASSERT_TRUE(engine.Open(dir_ / "cut.mp3"));
  engine.Play();
  int ends = 0;
  EXPECT_TRUE(PumpUntil(engine, [&] { return engine.state() == State::Stopped; }, &ends, 2000ms));
  EXPECT_EQ(ends, 1);
}

TEST_F(PlaybackEngineTest, TrackAtAnotherRatePlaysAtItsOwnSpeed) {
  MakeMp3(dir_ / "cd.mp3", "", "", 1.0, 44100);
  MakeMp3(dir_ / "half.mp3", "", "", 1.0, 22050);
  TPlaybackEngine engine;
  ASSERT_TRUE(engine.Open(dir_ / "cd.mp3"));
  engine.Play();
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= 100; }));

  ASSERT_TRUE(engine.Open(dir_ / "half.mp3"));
  EXPECT_NEAR(engine.LengthMs(), 1000, 30);
  const auto started = Clock::now();
  engine.Play();
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= 400; }));
  ExpectRealTime(engine.PositionMs(), MsSince(started), "22.05 kHz");
  int ends = 0;
  ASSERT_TRUE(PumpUntil(engine, [&] { return engine.state() == State::Stopped; }, &ends));
  EXPECT_GE(MsSince(started), engine.LengthMs() - 80);
  EXPECT_EQ(ends, 1);
}

// Without a device to play on, the engine plays silently, still in real time.
TEST_F(PlaybackEngineTest, FallsBackToTheSilentDriver) {
  struct Case {
    const char* what;
    const char* driver;
    const char* diskFile;
  };
  const Case cases[] = {
      {"no such driver", "no-such-driver", "/dev/null"},
      {"driver without a device", "disk", "/nonexistent-folder/audio.raw"},
  };
  MakeMp3(dir_ / "a.mp3", "", "", 1.0);
  for (const Case& c : cases) {
    ::setenv("SDL_AUDIODRIVER", c.driver, 1);
    ::setenv("SDL_DISKAUDIOFILE", c.diskFile, 1);
    {
      TPlaybackEngine engine;
      ASSERT_TRUE(engine.Open(dir_ / "a.mp3")) << c.what;
      EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy") << c.what;
      const auto started = Clock::now();
      engine.Play();
      EXPECT_TRUE(PumpUntil(engine, [&] { return engine.PositionMs() >= 300; })) << c.what;
      ExpectRealTime(engine.PositionMs(), MsSince(started), c.what);
    }
    SetUpTestSuite();
  }
  // The fallback is the engine's own: the next engine uses the configured driver again.
  TPlaybackEngine engine;
  ASSERT_TRUE(engine.Open(dir_ / "a.mp3"));
  EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "disk");
}

}  // namespace
}  // namespace kt
