#include "tests/support/FakePlayer.h"

#include "catalog/LineList.h"
#include "platform/Cp1252.h"
#include "platform/FileIO.h"
#include "player/PlayerInterface.h"

#include <cstdint>

namespace kt::test {

TFakePlayer::TFakePlayer(const TPathMapper& paths, std::filesystem::path folder)
    : paths_(paths), folder_(std::move(folder)) {
  Window = RegisterWindow(player::kPlayerWindowClass, "Fake Player", [this](const TMessage& m) { return Handle(m); });
}

TFakePlayer::~TFakePlayer() { Close(); }

void TFakePlayer::Close() {
  if (Window) UnregisterWindow(Window);
  Window = 0;
}

std::vector<std::string> TFakePlayer::Paths() const {
  std::vector<std::string> paths;
  for (const TEntry& e : Entries) paths.push_back(e.Path);
  return paths;
}

void TFakePlayer::Add(const std::string& path) {
  if (path.size() > 4 && AsciiEqualsIgnoreCase(std::string_view(path).substr(path.size() - 4), ".m3u")) {
    std::string bytes;
    if (!ReadFileBytes(paths_.ToNative(path), bytes)) return;
    const TLineList lines = TLineList::FromText(std::move(bytes));
    TEntry e;
    for (std::string_view line : lines) {
      if (line.substr(0, 8) == "#EXTINF:") {
        const size_t comma = line.find(',');
        e.Seconds = std::atoi(std::string(line.substr(8, comma - 8)).c_str());
        e.Title = comma == std::string_view::npos ? std::string() : std::string(line.substr(comma + 1));
      } else if (!line.empty() && line[0] != '#') {
        e.Path = std::string(line);
        Entries.push_back(e);
        e = TEntry();
      }
    }
    return;
  }
  const size_t cut = path.find_last_of('\\');
  Entries.push_back({path, path.substr(cut == std::string::npos ? 0 : cut + 1), 60});
}

int64_t TFakePlayer::Handle(const TMessage& m) {
  using namespace kt::player;
  switch (m.Msg) {
    case WM_USER:
      Log.push_back("USER " + std::to_string(m.WParam) + " " + std::to_string(m.LParam));
      switch (m.LParam) {
        case kRequestClearPlaylist: Entries.clear(); Pos = 0; return 0;
        case kRequestStartPlayback: State = 1; return 0;
        case kRequestPlayState: return State;
        case kRequestPlayTime: return m.WParam == 1 ? LengthSeconds : PlayMs;
        case kRequestSeek: PlayMs = int64_t(m.WParam); return 0;
        case kRequestSetPosition: Pos = int64_t(m.WParam); return 0;
        case kRequestPosition: return Pos;
        case kRequestEntryTitle:
          return m.WParam < Entries.size() ? int64_t(reinterpret_cast<intptr_t>(Entries[m.WParam].Title.c_str())) : 0;
        case kRequestWritePlaylist: {
          if (!WritesPlaylist) return 0;
          std::string text = "#EXTM3U\r\n";
          for (const TEntry& e : Entries)
            text += "#EXTINF:" + std::to_string(e.Seconds) + "," + e.Title + "\r\n" + e.Path + "\r\n";
          std::error_code ec;
          WriteFileAtomic(PlaylistFile(), PlaylistText.empty() ? text : PlaylistText, ec);
          return 0;
        }
      }
      return 0;
    case WM_COPYDATA: {
      std::string text = m.CopyData ? m.CopyData->Bytes : std::string();
      const size_t size = text.size();
      if (const size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
      Log.push_back("COPYDATA " + std::to_string(m.CopyData ? m.CopyData->Tag : 0) + " " + text + " " +
                    std::to_string(size));
      Add(text);
      return 0;
    }
    case WM_COMMAND: Log.push_back("COMMAND " + std::to_string(m.WParam) + " " + std::to_string(m.LParam)); return 0;
    case WM_CLOSE: Log.push_back("CLOSE"); return 0;
  }
  return 0;
}

}  // namespace kt::test
