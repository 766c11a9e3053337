#include "player/TrackActions.h"

#include "catalog/TrackLine.h"
#include "platform/FileCopy.h"
#include "platform/FileIO.h"
#include "player/PlayerInterface.h"

#include <algorithm>
#include <sys/stat.h>

namespace kt {

std::string ResolveEntry(std::string_view entry, std::string_view currentFolder) {
  // Without ".mp3 [" the path is the entry's first three characters, which
  // names no file: the missing-file message says so.
  const size_t bracket = FindMp3Bracket(entry);
  const size_t length = bracket == std::string_view::npos ? 3 : bracket - 1;
  std::string path(entry.substr(0, std::min(length, entry.size())));
  if (path.find('\\') == std::string::npos) path = std::string(currentFolder) + "\\" + path;
  return path;
}

std::optional<TLineList> MoveEntriesBehind(const TLineList& lines, int64_t pos, size_t count) {
  const size_t n = lines.size();
  const size_t entries = n == 0 ? 0 : (n - 1) / 2;
  if (entries < 2) return std::nullopt;
  // 1-based entry ranges: [1, head], [added, entries], [head + 1, added - 1].
  const size_t head = pos < 0 ? 0 : std::min(size_t(pos) + 1, entries);
  const size_t added = std::max(count >= entries ? size_t(1) : entries - count + 1, head + 1);
  TLineList out;
  out.Reserve(n, lines.Bytes().size());
  out.Append(lines[0]);
  auto copy = [&](size_t first, size_t last) {
    for (size_t k = first; k <= last; ++k) {
      out.Append(lines[2 * k - 1]);
      out.Append(lines[2 * k]);
    }
  };
  copy(1, head);
  copy(added, entries);
  copy(head + 1, added - 1);
  // A last odd line (a path without its "#EXTINF:" partner) is no entry and stays out.
  return out;
}

TTrackActions::TTrackActions(TPlayerLink& player, const TPathMapper& paths, IDialogService& dialogs, QObject* owner,
                             ITrackActionView& view, TPlaylistFileGate& gate)
    : player_(player), paths_(paths), dialogs_(dialogs), owner_(owner), view_(view), gate_(gate) {}

namespace {

bool IsFile(const std::filesystem::path& p) {
  struct stat st{};
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// "d:\a\b.mp3" -> "b.mp3": the part after the last "\" or ":".
std::string_view FileNameOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace

bool TTrackActions::ActOnEntry(std::string_view entry, bool& play, bool copy, std::string& sources,
                               std::string& targets) {
  const std::string path = ResolveEntry(entry, CurrentFolder);
  if (IsFile(paths_.ToNative(path))) {
    if (copy) {
      sources += path;
      sources += '\0';
      targets += TargetFolder + "\\" + std::string(FileNameOf(path));
      targets += '\0';
    } else {
      SendToPlayer(path, play);
    }
    return true;
  }
  dialogs_.MessageBox(owner_, "\"" + path + "\"\r\n\r\n" + kMissingTrackText, "Fehler", TButtons::Ok);
  return false;
}

void TTrackActions::SendToPlayer(std::string_view path, bool& play) {
  std::string record(path);
  record += '\0';
  const HWND w = player_.PlayerWindow;
  if (play) {
    play = false;
    SendMessage(w, WM_USER, 0, player::kRequestClearPlaylist);
    SendCopyData(w, player::kCopyDataAddFile, record);
    SendMessage(w, WM_USER, 0, player::kRequestStartPlayback);
  } else {
    SendCopyData(w, player::kCopyDataAddFile, record);
    if (view_.FullScreenInFront()) view_.ShowBanner("Added: " + std::string(path));
  }
}

void TTrackActions::ShowConfirmation() {
  view_.SetCursor(100);
  for (int i = 0; i < 100; ++i) {
    view_.ProcessEvents();
    view_.Sleep(ConfirmationRoundMs);
  }
  view_.SetCursor(0);
}

bool TTrackActions::ActOnList(const std::vector<std::string>& entries, bool play, bool copy) {
  std::string sources, targets;
  bool success = false;
  for (const std::string& entry : entries) success = ActOnEntry(entry, play, copy, sources, targets) || success;
  if (!copy) {
    if (success) ShowConfirmation();
  } else if (!sources.empty() && !targets.empty()) {
    view_.SetCursor(101);
    CopyListed(sources, targets);
    ShowConfirmation();
  }
  return success;
}

void TTrackActions::CopyListed(const std::string& sources, const std::string& targets) {
  // Both lists hold paths each followed by a NUL; they pair up in order.
  std::vector<TCopyPair> pairs;
  size_t s = 0, t = 0;
  while (s < sources.size() && t < targets.size()) {
    const size_t se = sources.find('\0', s), te = targets.find('\0', t);
    pairs.push_back({paths_.ToNative(std::string_view(sources).substr(s, se - s)),
                     paths_.ToNative(std::string_view(targets).substr(t, te - t))});
    s = se + 1;
    t = te + 1;
  }
  view_.ProcessEvents();
  CopyFiles(pairs, TCopyCollision::Rename);
}

void TTrackActions::MoveBehindCurrent(size_t count) {
  // The monitor may be waiting for the playlist file right now (this runs
  // inside its wait): then the reorder follows as soon as it is done.
  gate_.Run([this, count] { Reorder(count); });
}

void TTrackActions::Reorder(size_t count) {
  const HWND w = player_.PlayerWindow;
  RequestPlaylistFile(player_);
  const int64_t pos = SendMessage(w, WM_USER, 0, player::kRequestPosition);
  const int64_t ms = SendMessage(w, WM_USER, 0, player::kRequestPlayTime);
  const std::optional<TLineList> lines = WaitForPlaylistFile(player_, [this] { view_.ProcessEvents(); });
  if (!lines) return;
  const std::optional<TLineList> reordered = MoveEntriesBehind(*lines, pos, count);
  if (!reordered) return;
  std::error_code ec;
  if (!WriteFileAtomic(player_.NativePlaylistFile(), reordered->ToText(), ec)) return;
  std::string record = player_.PlaylistFile;
  record += '\0';
  SendMessage(w, WM_COMMAND, 0, player::kCommandStop);
  SendMessage(w, WM_USER, 0, player::kRequestClearPlaylist);
  SendCopyData(w, player::kCopyDataAddFile, record);
  SendMessage(w, WM_COMMAND, 0, player::kCommandStop);
  SendMessage(w, WM_USER, uint64_t(pos), player::kRequestSetPosition);
  SendMessage(w, WM_USER, uint64_t(ms), player::kRequestSeek);
  SendMessage(w, WM_COMMAND, 0, player::kCommandPlay);
}

}  // namespace kt
