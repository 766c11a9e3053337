#pragma once
// A player window in the test process itself: it keeps a playlist, answers
// the player's requests from fields a test sets, writes its playlist file on
// request and logs every message it gets. Sends to it are direct calls.

#include "platform/Paths.h"
#include "platform/WinMsg.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kt::test {

class TFakePlayer {
 public:
  struct TEntry {
    std::string Path, Title;
    int Seconds = 0;
  };

  // Registers the window "Winamp v1.x"; its playlist file is folder/winamp.m3u.
  TFakePlayer(const TPathMapper& paths, std::filesystem::path folder);
  ~TFakePlayer();

  HWND Window = 0;
  std::vector<TEntry> Entries;
  int64_t Pos = 0, State = 0, PlayMs = 0, LengthSeconds = -1;
  bool WritesPlaylist = true;
  std::string PlaylistText;  // written instead of the playlist when set
  // Every message: "USER w l", "COPYDATA tag path size", "COMMAND w l", "CLOSE".
  std::vector<std::string> Log;

  std::vector<std::string> Paths() const;
  std::filesystem::path PlaylistFile() const { return folder_ / "winamp.m3u"; }
  // Removes the window, as a player that exits.
  void Close();

 private:
  int64_t Handle(const TMessage& m);
  void Add(const std::string& path);

  const TPathMapper& paths_;
  std::filesystem::path folder_;
};

}  // namespace kt::test
