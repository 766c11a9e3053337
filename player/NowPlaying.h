#pragma once
// The now-playing monitor: five times a second it reads the current and the
// next title through the helper plugin, the times and the play state from
// the player, and keeps the player panel up to date. On the same tick it
// keeps the player running: the starter runs when the player's window is
// gone, and the helper plugin is installed when its window is missing.

#include "catalog/LineList.h"
#include "platform/Paths.h"
#include "player/PlayerLink.h"
#include "player/PlaylistFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kt {

// Whole seconds as minutes, ":" and two-digit seconds; "0:00" for 0 or less.
std::string FormatPlayTime(int64_t seconds);

// Drops a trailing " - mp3PRO" and doubles every "&" (a label would take a
// single one as an accelerator mark).
std::string CleanTitle(std::string_view title);

// The length shown for the entry after entry pos (0-based) of the player's
// playlist: its "#EXTINF:" seconds, "---" when there is no such line. A
// number that is not a whole number gives the error text instead.
struct TNextLength {
  std::string Text;
  std::string Error;  // "'…' ist kein gültiger Integerwert", or empty
};
TNextLength NextLengthOf(const TLineList& playlist, int64_t pos);

// Parses a whole number as the framework's string-to-integer does: optional
// blanks in front, an optional sign, decimal digits, 32 bits.
bool ParseWholeNumber(std::string_view text, int32_t& value);

// The labels of the player panel the monitor writes.
enum TPanelLabel : int {
  kLabelTitle = 2,
  kLabelLength = 4,
  kLabelPlayed = 6,
  kLabelToPlay = 8,
  kLabelNextTitle = 10,
  kLabelNextLength = 12,
};

// Image numbers of the hidden glyph sources: play, pause, stop, unlit and lit.
enum TGlyph : int { kPlayUnlit = 1, kPlayLit, kPauseUnlit, kPauseLit, kStopUnlit, kStopLit };

// What the monitor does to the windows.
class INowPlayingView {
 public:
  virtual ~INowPlayingView() = default;
  virtual void ShowLabel(int label, const std::string& text) = 0;  // Windows-1252
  virtual void ShowGlyphs(int play, int pause, int stop) = 0;
  // Both progress bars: minimum -1, this maximum, the position clamped.
  virtual void ShowProgress(int64_t maximum, int64_t position) = 0;
  // The full-screen view follows every new current title.
  virtual void ShowTitle(const std::string&) {}
  virtual void SetMonitorRunning(bool on) = 0;
  virtual void DisableWindow() = 0;
  // False while a failed start waits before the next attempt.
  virtual bool StarterReady() = 0;
  virtual void StartPlayer() = 0;
  virtual void ProcessEvents() = 0;
  // The program's general error report.
  virtual void ReportError(const std::string& text) = 0;
};

class TNowPlayingMonitor {
 public:
  TNowPlayingMonitor(TPlayerLink& player, const TPathMapper& paths, TPlaylistFileGate& gate, INowPlayingView& view,
                     std::string_view helperLibrary);

  bool NoPlayer = false;
  std::string LastTitle = "$$$$$$";
  int64_t LastPlayState = -1;
  HWND HelperWindow = 0;
  int InstallWaitMs = 10000;
  // Installations in a row that did not bring the helper window up; at
  // kMaxInstallations the monitor stops installing and shows no titles.
  static constexpr int kMaxInstallations = 3;
  int Installations() const { return installations_; }

  void Tick();
  void UpdateNextLength();
  const std::string& Label(int label) const { return labels_[label]; }

 private:
  void SetLabel(int label, const std::string& text);
  void ShowStopped();
  bool ReadTitles();  // false: the rest of the tick is skipped
  void ReadNextLength(bool& failed);

  TPlayerLink& player_;
  const TPathMapper& paths_;
  TPlaylistFileGate& gate_;
  INowPlayingView& view_;
  std::string_view library_;
  std::string labels_[13];
  bool inTick_ = false;
  bool nextLengthDue_ = false;
  size_t nextTitleLength_ = 0;  // the next title as last read, for the burst of the next read
  int installations_ = 0;
};

}  // namespace kt
