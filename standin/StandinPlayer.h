#pragma once
// The stand-in player's main window logic: its playlist, its play state and
// the answers to the messages the program sends to a player.

#include "platform/Paths.h"
#include "platform/WinMsg.h"
#include "standin/PlaybackEngine.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kt::standin {

struct TEntry {
  std::string CatalogPath;  // as received, Windows-1252
  std::string Title;        // Windows-1252
  int LengthMs = -1;        // -1 while unknown
};

class TStandinPlayer {
 public:
  // folder: the player's own folder, where it writes its playlist file.
  TStandinPlayer(const TPathMapper& paths, std::filesystem::path folder, TPlaybackEngine& engine);

  int64_t Handle(const TMessage& m);
  // Called every ~20 ms: keeps the audio flowing and moves on at a track's end.
  void Pump();

  // Appends a file; a ".m3u" file appends its entries instead.
  void Add(std::string_view catalogPath);
  void Clear();
  void StartCurrent();
  void WritePlaylistFile() const;

  const std::vector<TEntry>& Entries() const { return entries_; }
  size_t Position() const { return pos_; }
  int PlayState() const;  // 0 stopped, 1 playing, 3 paused

  // Told after every change of the playlist or the play state.
  std::function<void()> OnChanged;
  std::function<void()> OnRaise;
  // The request to configure the loaded plugins.
  std::function<void()> OnConfigure;
  std::function<void()> OnClose;

 private:
  void Command(uint64_t command);
  void AddPlaylistFile(std::string_view catalogPath);
  void Probe(TEntry& e) const;
  void Changed() const {
    if (OnChanged) OnChanged();
  }

  const TPathMapper& paths_;
  std::filesystem::path folder_;
  TPlaybackEngine& engine_;
  std::vector<TEntry> entries_;
  size_t pos_ = 0;
};

}  // namespace kt::standin
