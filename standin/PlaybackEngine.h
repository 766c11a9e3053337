#pragma once
// The stand-in player's playback: MP3 through libmpg123, out through one SDL2
// queued-audio device.
//
// The owner drives it from its user-interface thread: a timer calls Pump()
// every ~20 ms, which keeps about 200 ms of audio queued ahead and reports the
// end of the track. Nothing here runs on a thread of its own (SDL's device
// thread only takes what is queued).
//
// Without a usable sound device (no sound server, no sound card) the engine
// falls back to SDL's silent "dummy" driver, which consumes audio in real
// time, so positions and track ends behave as with a real device. Tests set
// SDL_AUDIODRIVER=disk and SDL_DISKAUDIOFILE=/dev/null, which is paced in real
// time as well.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct mpg123_handle_struct;

namespace kt {

struct TTrackInfo {
  int LengthMs = 0;
  std::string Title;  // Windows-1252
};

// What the player shows for a file: the exact length as decoded (0 for a file
// that does not decode) and the title "Artist - Title" from its ID3v1 tag, or,
// for an untagged file, the file name of catalogPath (a catalog path,
// "d:\musik\Die Ärzte.mp3") without its extension ("Die Ärzte").
// Returns false when the file does not decode; the title is filled even then.
bool ProbeTrack(const std::filesystem::path& nativeFile, std::string_view catalogPath, TTrackInfo& info);

class TPlaybackEngine {
 public:
  enum class State { Stopped, Playing, Paused };

  TPlaybackEngine();
  ~TPlaybackEngine();
  TPlaybackEngine(const TPlaybackEngine&) = delete;
  TPlaybackEngine& operator=(const TPlaybackEngine&) = delete;

  // Loads a track, stopped at position 0. False (and no track) when the file
  // does not decode or no output device opens at all.
  bool Open(const std::filesystem::path& nativeFile);
  // Drops the track and closes the output device.
  void Close();
  bool HasTrack() const { return open_; }

  // From the start when stopped, resumes when paused; nothing while playing.
  void Play();
  // The pause button: pauses while playing, resumes while paused.
  void Pause();
  // Position back to 0.
  void Stop();
  // Jumps to a position while playing or paused (clamped to 0..length; a jump
  // to the end ends the track at the next Pump). Ignored while stopped.
  void SeekMs(int ms);

  // What has been played: audio handed to the device minus what is still queued.
  int PositionMs() const;
  int LengthMs() const { return lengthMs_; }
  State state() const { return state_; }

  // Decodes and queues audio so that about 200 ms stay ahead. Returns true
  // exactly once when the track has played to its end; the engine is stopped then.
  bool Pump();

 private:
  void DropTrack();
  bool EnsureDevice(long rate);
  bool OpenDevice(long rate);
  void CloseDevice();
  void Rewind(int64_t frame);
  void Fill();
  void FormatChanged();
  int64_t QueuedFrames() const;

  bool audioInit_ = false;
  uint32_t device_ = 0;  // SDL_AudioDeviceID
  long deviceRate_ = 0;

  mpg123_handle_struct* mh_ = nullptr;
  bool open_ = false;
  long rate_ = 0;
  int lengthMs_ = 0;
  int64_t lengthFrames_ = 0;

  State state_ = State::Stopped;
  int64_t baseFrame_ = 0;  // where feeding began (start or the last seek)
  int64_t fedFrames_ = 0;  // frames queued since then
  bool decoderDone_ = false;
  std::vector<unsigned char> buffer_;
};

}  // namespace kt
