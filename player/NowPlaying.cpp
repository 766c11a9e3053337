#include "player/NowPlaying.h"

#include "player/HelperLink.h"
#include "player/PlayerInterface.h"

#include <climits>

namespace kt {

std::string FormatPlayTime(int64_t seconds) {
  if (seconds < 1) return "0:00";
  std::string text = std::to_string(seconds / 60);
  text += ':';
  text += char('0' + (seconds % 60) / 10);
  text += char('0' + seconds % 10);
  return text;
}

std::string CleanTitle(std::string_view title) {
  constexpr std::string_view kSuffix = " - mp3PRO";
  if (title.size() >= kSuffix.size() && title.substr(title.size() - kSuffix.size()) == kSuffix)
    title.remove_suffix(kSuffix.size());
  std::string out;
  out.reserve(title.size() + 4);
  for (char c : title) {
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

bool ParseWholeNumber(std::string_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > int64_t(INT32_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = int32_t(v);
  return true;
}

TNextLength NextLengthOf(const TLineList& playlist, int64_t pos) {
  // The first 2 pos + 4 lines are read; the last of them is the "#EXTINF:"
  // line of the entry after the current one (lines past the end are empty).
  TNextLength r;
  const bool inside = pos >= -1 && pos < int64_t(playlist.size()) && size_t(2 * pos + 3) < playlist.size();
  const std::string_view line = inside ? playlist[size_t(2 * pos + 3)] : std::string_view();
  if (line.substr(0, 8) != "#EXTINF:") {
    r.Text = "---";
    return r;
  }
  const size_t comma = line.find(',');
  const std::string_view number = comma == std::string_view::npos ? std::string_view() : line.substr(8, comma - 8);
  int32_t seconds = 0;
  if (!ParseWholeNumber(number, seconds)) {
    r.Error = "'" + std::string(number) + "' ist kein g\xFCltiger Integerwert";
    return r;
  }
  r.Text = FormatPlayTime(seconds);
  return r;
}

TNowPlayingMonitor::TNowPlayingMonitor(TPlayerLink& player, const TPathMapper& paths, TPlaylistFileGate& gate,
                                       INowPlayingView& view, std::string_view helperLibrary)
    : player_(player), paths_(paths), gate_(gate), view_(view), library_(helperLibrary) {
  for (int l : {kLabelTitle, kLabelLength, kLabelPlayed, kLabelToPlay, kLabelNextTitle, kLabelNextLength})
    labels_[l] = "---";
}

void TNowPlayingMonitor::SetLabel(int label, const std::string& text) {
  if (labels_[label] == text) return;
  labels_[label] = text;
  view_.ShowLabel(label, text);
}

void TNowPlayingMonitor::ShowStopped() {
  // The next-track length keeps its text; the play state is not taken as seen.
  for (int l : {kLabelTitle, kLabelNextTitle, kLabelLength, kLabelPlayed, kLabelToPlay}) SetLabel(l, "---");
  view_.ShowGlyphs(kPlayUnlit, kPauseUnlit, kStopLit);
}

void TNowPlayingMonitor::Tick() {
  if (NoPlayer) return;
  // A tick that falls due while this one waits for the player is skipped.
  if (inTick_) return;
  struct TInTick {
    bool& flag;
    explicit TInTick(bool& f) : flag(f) { flag = true; }
    ~TInTick() { flag = false; }
  } inTick(inTick_);

  player_.PlayerWindow = FindWindow(player::kPlayerWindowClass);
  const HWND w = player_.PlayerWindow;
  if (w == 0) {
    if (!view_.StarterReady()) {
      // A start failed a moment ago: the window stays usable until the next attempt.
      ShowStopped();
      return;
    }
    view_.SetMonitorRunning(false);
    view_.DisableWindow();
    ShowStopped();
    view_.StartPlayer();
    return;
  }

  HelperWindow = FindHelperWindow();
  if (HelperWindow == 0 && installations_ < kMaxInstallations) {
    view_.SetMonitorRunning(false);
    ShowStopped();
    ++installations_;
    InstallHelperPlugin(player_, paths_, library_, InstallWaitMs);
    view_.SetMonitorRunning(true);
    return;
  }
  if (HelperWindow != 0) {
    installations_ = 0;
    if (!ReadTitles()) return;
  } else {
    // The helper never came up: no titles for the rest of the run.
    SetLabel(kLabelTitle, "---");
    SetLabel(kLabelNextTitle, "---");
  }

  const int64_t length = SendMessage(w, WM_USER, 1, player::kRequestPlayTime);
  const int64_t played = SendMessage(w, WM_USER, 0, player::kRequestPlayTime) / 1000;
  SetLabel(kLabelLength, FormatPlayTime(length));
  SetLabel(kLabelPlayed, FormatPlayTime(played));
  SetLabel(kLabelToPlay, FormatPlayTime(length - played));
  view_.ShowProgress(length, played == 0 ? -1 : played);

  const int64_t state = SendMessage(w, WM_USER, 0, player::kRequestPlayState);
  if (state != LastPlayState) {
    switch (state) {
      case 0: view_.ShowGlyphs(kPlayUnlit, kPauseUnlit, kStopLit); break;
      case 1: view_.ShowGlyphs(kPlayLit, kPauseUnlit, kStopUnlit); break;
      case 3: view_.ShowGlyphs(kPlayUnlit, kPauseLit, kStopUnlit); break;
      default: break;
    }
    LastPlayState = state;
  }
}

bool TNowPlayingMonitor::ReadTitles() {
  const std::string title = ReadHelperText(HelperWindow, kHelperCurrentFirst, kHelperCurrentNext, kNoLimit,
                                           LastTitle.size());
  if (title != LastTitle) {
    const std::string shown = title.empty() ? std::string("---") : CleanTitle(title);
    SetLabel(kLabelTitle, shown);
    view_.ShowTitle(shown);
    LastTitle = title;
  }
  const std::string remembered = labels_[kLabelNextTitle];
  const std::string next = ReadHelperText(HelperWindow, kHelperNextFirst, kHelperNextNext, 515, nextTitleLength_);
  nextTitleLength_ = next.size();
  SetLabel(kLabelNextTitle, next.size() < 2 ? std::string("---") : CleanTitle(next));
  if (labels_[kLabelNextTitle] != remembered) nextLengthDue_ = true;
  if (!nextLengthDue_) return true;
  // While the tracks are being moved behind the current one, the playlist
  // file is theirs; the length is read on a later tick.
  if (gate_.Busy()) return true;
  bool failed = false;
  gate_.Run([&] { ReadNextLength(failed); });
  return !failed;
}

void TNowPlayingMonitor::UpdateNextLength() {
  bool failed = false;
  gate_.Run([&] { ReadNextLength(failed); });
}

void TNowPlayingMonitor::ReadNextLength(bool& failed) {
  nextLengthDue_ = false;
  RequestPlaylistFile(player_);
  const int64_t pos = SendMessage(player_.PlayerWindow, WM_USER, 0, player::kRequestPosition);
  const std::optional<TLineList> lines = WaitForPlaylistFile(player_, [this] { view_.ProcessEvents(); });
  if (!lines) return;
  const TNextLength next = NextLengthOf(*lines, pos);
  if (!next.Error.empty()) {
    failed = true;
    view_.ReportError(next.Error);
    return;
  }
  SetLabel(kLabelNextLength, next.Text);
}

}  // namespace kt
