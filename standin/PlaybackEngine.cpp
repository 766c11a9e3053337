#include "standin/PlaybackEngine.h"

#include "catalog/Id3v1Tag.h"

#include <SDL.h>
#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kt {
namespace {

constexpr int kBytesPerFrame = 4;     // S16 stereo
constexpr int kAheadMs = 200;         // what Pump keeps queued
constexpr int kDeviceSamples = 1024;  // SDL's buffer: about 23 ms at 44.1 kHz
constexpr int kSeekPreframes = 8;     // refills the bit reservoir after a seek

bool InitDecoderLibrary() {
  // A no-op since libmpg123 1.27, needed before it.
  static const bool ok = mpg123_init() == MPG123_OK;
  return ok;
}

// A decoder that always hands out S16 stereo (mono files are doubled) and never
// prints to stderr.
mpg123_handle* NewDecoder() {
  if (!InitDecoderLibrary()) return nullptr;
  int err = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) return nullptr;
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_param(mh, MPG123_PREFRAMES, kSeekPreframes, 0);
  mpg123_format_none(mh);
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  return mh;
}

// Opens a file on the decoder and scans it for its exact length (the scan ends
// back at the start). False, with the decoder closed, when it does not decode.
bool OpenDecoder(mpg123_handle* mh, const std::filesystem::path& file, long& rate, int64_t& frames) {
  rate = 0;
  frames = 0;
  if (!mh || mpg123_open(mh, file.c_str()) != MPG123_OK) return false;
  int channels = 0, encoding = 0;
  if (mpg123_scan(mh) == MPG123_OK && mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK &&
      rate > 0) {
    const off_t length = mpg123_length(mh);
    if (length > 0) {
      frames = length;
      return true;
    }
  }
  mpg123_close(mh);
  rate = 0;
  return false;
}

int FramesToMs(int64_t frames, long rate) { return rate > 0 ? int((frames * 1000 + rate / 2) / rate) : 0; }

// "d:\musik\Die Ärzte.mp3" -> "Die Ärzte".
std::string FileTitle(std::string_view catalogPath) {
  std::string_view name = catalogPath;
  if (const size_t sep = name.find_last_of("\\/:"); sep != std::string_view::npos) name.remove_prefix(sep + 1);
  if (const size_t dot = name.rfind('.'); dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace

bool ProbeTrack(const std::filesystem::path& nativeFile, std::string_view catalogPath, TTrackInfo& info) {
  const TId3v1Tag tag = ReadId3v1Tag(nativeFile);
  info.Title = tag.empty() ? FileTitle(catalogPath) : tag.Artist + " - " + tag.Title;
  info.LengthMs = 0;
  mpg123_handle* mh = NewDecoder();
  long rate = 0;
  int64_t frames = 0;
  const bool ok = OpenDecoder(mh, nativeFile, rate, frames);
  if (ok) {
    info.LengthMs = FramesToMs(frames, rate);
    mpg123_close(mh);
  }
  if (mh) mpg123_delete(mh);
  return ok;
}

TPlaybackEngine::TPlaybackEngine() {
  mh_ = NewDecoder();
  audioInit_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (!audioInit_) {
    // No driver starts at all (no sound server, or SDL_AUDIODRIVER names one
    // that is not there): play silently, paced in real time.
    std::fprintf(stderr, "standin-player: no audio driver (%s), playing silently\n", SDL_GetError());
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    audioInit_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
#if SDL_VERSION_ATLEAST(2, 24, 0)
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
#else
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "", SDL_HINT_OVERRIDE);
#endif
  }
  buffer_.resize(16384);
}

TPlaybackEngine::~TPlaybackEngine() {
  Close();
  if (mh_) mpg123_delete(mh_);
  if (audioInit_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool TPlaybackEngine::OpenDevice(long rate) {
  SDL_AudioSpec want{};
  want.freq = int(rate);
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kDeviceSamples;
  want.callback = nullptr;  // queued audio
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!device_) {
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || std::strcmp(driver, "dummy") != 0) {
      // The driver started but has no device to give (no sound card, a server
      // that is gone, an unwritable disk file): switch to the silent driver.
      std::fprintf(stderr, "standin-player: no audio device (%s), playing silently\n", SDL_GetError());
      if (SDL_AudioInit("dummy") == 0) device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
  }
  deviceRate_ = device_ ? rate : 0;
  return device_ != 0;
}

void TPlaybackEngine::CloseDevice() {
  if (device_) SDL_CloseAudioDevice(device_);
  device_ = 0;
  deviceRate_ = 0;
}

bool TPlaybackEngine::EnsureDevice(long rate) {
  if (device_ && deviceRate_ == rate) return true;
  CloseDevice();
  return audioInit_ && OpenDevice(rate);
}

void TPlaybackEngine::DropTrack() {
  Stop();
  if (open_) mpg123_close(mh_);
  open_ = false;
  rate_ = 0;
  lengthFrames_ = 0;
  lengthMs_ = 0;
}

bool TPlaybackEngine::Open(const std::filesystem::path& nativeFile) {
  DropTrack();
  if (!audioInit_) return false;
  long rate = 0;
  int64_t frames = 0;
  if (!OpenDecoder(mh_, nativeFile, rate, frames)) return false;
  if (!EnsureDevice(rate)) {
    mpg123_close(mh_);
    return false;
  }
  open_ = true;
  rate_ = rate;
  lengthFrames_ = frames;
  lengthMs_ = FramesToMs(frames, rate);
  Rewind(0);
  return true;
}

void TPlaybackEngine::Close() {
  DropTrack();
  CloseDevice();
}

void TPlaybackEngine::Rewind(int64_t frame) {
  if (device_) SDL_ClearQueuedAudio(device_);
  fedFrames_ = 0;
  decoderDone_ = false;
  frame = std::clamp<int64_t>(frame, 0, lengthFrames_);
  if (frame >= lengthFrames_) {
    // At the end: nothing is left to decode.
    baseFrame_ = lengthFrames_;
    decoderDone_ = true;
    return;
  }
  const off_t at = mpg123_seek(mh_, off_t(frame), SEEK_SET);
  baseFrame_ = at >= 0 ? int64_t(at) : frame;
}

void TPlaybackEngine::Play() {
  if (!open_) return;
  if (state_ == State::Paused) {
    Pause();
    return;
  }
  if (state_ == State::Playing) return;
  Rewind(0);
  state_ = State::Playing;
  Fill();
  if (device_) SDL_PauseAudioDevice(device_, 0);
}

void TPlaybackEngine::Pause() {
  if (state_ == State::Playing) {
    if (device_) SDL_PauseAudioDevice(device_, 1);
    state_ = State::Paused;
  } else if (state_ == State::Paused) {
    state_ = State::Playing;
    Fill();
    if (device_) SDL_PauseAudioDevice(device_, 0);
  }
}

void TPlaybackEngine::Stop() {
  if (device_) SDL_PauseAudioDevice(device_, 1);
  if (open_) Rewind(0);
  state_ = State::Stopped;
}

void TPlaybackEngine::SeekMs(int ms) {
  if (!open_ || state_ == State::Stopped) return;
  ms = std::clamp(ms, 0, lengthMs_);
  Rewind(ms >= lengthMs_ ? lengthFrames_ : int64_t(ms) * rate_ / 1000);
  if (state_ == State::Playing) Fill();
}

int64_t TPlaybackEngine::QueuedFrames() const {
  return device_ ? int64_t(SDL_GetQueuedAudioSize(device_) / kBytesPerFrame) : 0;
}

int TPlaybackEngine::PositionMs() const {
  if (!open_ || state_ == State::Stopped) return 0;
  const int64_t played = std::clamp<int64_t>(baseFrame_ + fedFrames_ - QueuedFrames(), 0, lengthFrames_);
  return std::min(FramesToMs(played, rate_), lengthMs_);
}

void TPlaybackEngine::FormatChanged() {
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
    decoderDone_ = true;
    return;
  }
  if (rate == rate_) return;
  // The stream changes its rate: carry the position over into frames of the
  // new rate and reopen the device; what was still queued at the old rate is dropped.
  const int64_t playedMs = PositionMs();
  rate_ = rate;
  lengthFrames_ = int64_t(lengthMs_) * rate / 1000;
  baseFrame_ = playedMs * rate / 1000;
  fedFrames_ = 0;
  if (!EnsureDevice(rate)) {
    decoderDone_ = true;
    return;
  }
  if (state_ == State::Playing) SDL_PauseAudioDevice(device_, 0);
}

void TPlaybackEngine::Fill() {
  if (!open_) return;
  if (!device_) {
    decoderDone_ = true;
    return;
  }
  int idle = 0;
  while (!decoderDone_ && device_ &&
         SDL_GetQueuedAudioSize(device_) < uint32_t(rate_ * kBytesPerFrame * kAheadMs / 1000)) {
    size_t done = 0;
    const int r = mpg123_read(mh_, buffer_.data(), buffer_.size(), &done);
    done -= done % kBytesPerFrame;
    if (done > 0) {
      // The read that reports MPG123_DONE may still carry the last bytes.
      if (SDL_QueueAudio(device_, buffer_.data(), uint32_t(done)) == 0) fedFrames_ += int64_t(done / kBytesPerFrame);
      idle = 0;
    }
    if (r == MPG123_NEW_FORMAT) {
      FormatChanged();
    } else if (r == MPG123_DONE) {
      decoderDone_ = true;
    } else if (r != MPG123_OK) {
      decoderDone_ = true;  // a damaged stream ends where it breaks
    } else if (done == 0 && ++idle > 64) {
      decoderDone_ = true;  // a decoder that gives nothing any more
    }
  }
}

bool TPlaybackEngine::Pump() {
  if (!open_ || state_ != State::Playing) return false;
  Fill();
  if (decoderDone_ && QueuedFrames() == 0) {
    Stop();
    return true;
  }
  return false;
}

}  // namespace kt
