#include "standin/StandinPlayer.h"

#include "catalog/LineList.h"
#include "platform/Cp1252.h"
#include "platform/FileIO.h"
#include "player/PlayerInterface.h"

#include <cmath>
#include <cstdlib>

namespace kt::standin {

using namespace kt::player;

TStandinPlayer::TStandinPlayer(const TPathMapper& paths, std::filesystem::path folder, TPlaybackEngine& engine)
    : paths_(paths), folder_(std::move(folder)), engine_(engine) {}

int TStandinPlayer::PlayState() const {
  switch (engine_.state()) {
    case TPlaybackEngine::State::Playing: return 1;
    case TPlaybackEngine::State::Paused: return 3;
    default: return 0;
  }
}

int64_t TStandinPlayer::Handle(const TMessage& m) {
  switch (m.Msg) {
    case WM_USER:
      switch (m.LParam) {
        case kRequestWritePlaylist:
          WritePlaylistFile();
          return int64_t(pos_);
        case kRequestPosition: return int64_t(pos_);
        case kRequestPlayState: return PlayState();
        case kRequestPlayTime:
          if (m.WParam == 0) return engine_.state() == TPlaybackEngine::State::Stopped ? 0 : engine_.PositionMs();
          if (m.WParam == 1) {
            if (engine_.HasTrack()) return std::lround(engine_.LengthMs() / 1000.0);
            if (pos_ < entries_.size() && entries_[pos_].LengthMs >= 0) return std::lround(entries_[pos_].LengthMs / 1000.0);
            return -1;
          }
          return 0;
        case kRequestClearPlaylist: Clear(); return 0;
        case kRequestStartPlayback: StartCurrent(); return 0;
        case kRequestSetPosition:
          if (m.WParam < entries_.size()) {
            pos_ = size_t(m.WParam);
            Changed();
          }
          return int64_t(pos_);
        case kRequestSeek:
          engine_.SeekMs(m.WParam > uint64_t(INT32_MAX) ? INT32_MAX : int(m.WParam));
          return 0;
        case kRequestEntryTitle:
          // Only meaningful inside this process: the address of the title.
          if (m.WParam < entries_.size()) return int64_t(reinterpret_cast<intptr_t>(entries_[m.WParam].Title.c_str()));
          return 0;
        case kStandinRaiseWindow:
          if (OnRaise) OnRaise();
          return 1;
        case kStandinConfigurePlugins:
          if (OnConfigure) OnConfigure();
          return 1;
      }
      return 0;
    case WM_COPYDATA:
      if (m.CopyData && m.CopyData->Tag == kCopyDataAddFile) {
        std::string_view path = m.CopyData->Bytes;
        if (const size_t nul = path.find('\0'); nul != std::string_view::npos) path = path.substr(0, nul);
        if (!path.empty()) Add(path);
      }
      return 0;
    case WM_COMMAND:
      Command(m.WParam);
      return 0;
    case WM_CLOSE:
      engine_.Stop();
      if (OnClose) OnClose();
      return 0;
  }
  return 0;
}

void TStandinPlayer::Command(uint64_t command) {
  const bool running = engine_.state() != TPlaybackEngine::State::Stopped;
  switch (command) {
    case kCommandPrevious:
      if (pos_ > 0) --pos_;
      if (running) StartCurrent();
      break;
    case kCommandPlay: StartCurrent(); break;
    case kCommandPause: engine_.Pause(); break;
    case kCommandStop: engine_.Stop(); break;
    case kCommandNext:
      if (pos_ + 1 < entries_.size()) ++pos_;
      if (running) StartCurrent();
      break;
    default: return;  // not a command of ours (lParam commands carry 0 here)
  }
  Changed();
}

void TStandinPlayer::Clear() {
  // The track that plays goes on playing; only the list is emptied.
  entries_.clear();
  pos_ = 0;
  Changed();
}

void TStandinPlayer::StartCurrent() {
  if (pos_ >= entries_.size()) return;
  TEntry& e = entries_[pos_];
  if (engine_.Open(paths_.ToNative(e.CatalogPath))) {
    e.LengthMs = engine_.LengthMs();
    engine_.Play();
  } else {
    engine_.Close();
  }
  Changed();
}

void TStandinPlayer::Pump() {
  if (!engine_.Pump()) return;
  // The track played to its end: on to the next entry, or stop after the last.
  if (pos_ + 1 < entries_.size()) {
    ++pos_;
    StartCurrent();
  } else {
    Changed();
  }
}

void TStandinPlayer::Probe(TEntry& e) const {
  TTrackInfo info;
  const bool decodes = ProbeTrack(paths_.ToNative(e.CatalogPath), e.CatalogPath, info);
  e.Title = info.Title;
  e.LengthMs = decodes ? info.LengthMs : -1;
}

void TStandinPlayer::Add(std::string_view catalogPath) {
  if (catalogPath.size() >= 4 && AsciiEqualsIgnoreCase(catalogPath.substr(catalogPath.size() - 4), ".m3u")) {
    AddPlaylistFile(catalogPath);
    return;
  }
  TEntry e;
  e.CatalogPath = std::string(catalogPath);
  Probe(e);
  entries_.push_back(std::move(e));
  Changed();
}

void TStandinPlayer::AddPlaylistFile(std::string_view catalogPath) {
  std::string bytes;
  if (!ReadFileBytes(paths_.ToNative(catalogPath), bytes)) return;
  // Relative entries are relative to the playlist's folder.
  const size_t cut = catalogPath.find_last_of("\\:");
  const std::string folder = cut == std::string_view::npos ? std::string() : std::string(catalogPath.substr(0, cut + 1));
  const TLineList lines = TLineList::FromText(std::move(bytes));
  std::string title;
  int lengthMs = -1;
  bool haveInfo = false;
  for (std::string_view line : lines) {
    if (line.empty()) continue;
    if (line.substr(0, 8) == "#EXTINF:") {
      // "#EXTINF:" seconds "," title: the player keeps what its playlist says.
      const std::string_view rest = line.substr(8);
      const size_t comma = rest.find(',');
      const std::string secs(rest.substr(0, comma));
      char* end = nullptr;
      const long s = std::strtol(secs.c_str(), &end, 10);
      lengthMs = (end && *end == '\0' && !secs.empty() && s >= 0 && s < INT32_MAX / 1000) ? int(s * 1000) : -1;
      title = comma == std::string_view::npos ? std::string() : std::string(rest.substr(comma + 1));
      haveInfo = true;
      continue;
    }
    if (line.front() == '#') continue;
    const std::string path = IsCatalogPath(line) ? std::string(line) : folder + std::string(line);
    TEntry e;
    e.CatalogPath = path;
    if (haveInfo && !title.empty()) {
      e.Title = title;
      e.LengthMs = lengthMs;
    } else {
      Probe(e);
    }
    entries_.push_back(std::move(e));
    haveInfo = false;
  }
  Changed();
}

void TStandinPlayer::WritePlaylistFile() const {
  std::string text = "#EXTM3U\r\n";
  for (const TEntry& e : entries_) {
    const long secs = e.LengthMs < 0 ? -1 : std::lround(e.LengthMs / 1000.0);
    text += "#EXTINF:" + std::to_string(secs) + "," + e.Title + "\r\n" + e.CatalogPath + "\r\n";
  }
  std::error_code ec;
  WriteFileAtomic(folder_ / kPlaylistFileName, text, ec);
}

}  // namespace kt::standin
