#pragma once
// The player's playlist file: deleted, requested from the player (it writes
// the file before it answers) and read back. Enqueueing right behind the
// current track and the now-playing monitor both go through it; the gate
// keeps them from using it at the same time, since both wait for the file
// with pending events processed.

#include "catalog/LineList.h"
#include "player/PlayerLink.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace kt {

class TPlaylistFileGate {
 public:
  bool Busy() const { return busy_; }
  // Runs the work now, or, while another piece of work holds the file,
  // right after it is done.
  void Run(std::function<void()> work);

 private:
  bool busy_ = false;
  std::deque<std::function<void()>> waiting_;
};

// Deletes the playlist file and asks the player to write it anew.
void RequestPlaylistFile(const TPlayerLink& player);

// Up to 25 attempts, each trying to open the file and then processing
// pending events; the file's lines, or nothing when it never appeared.
std::optional<TLineList> WaitForPlaylistFile(const TPlayerLink& player, const std::function<void()>& processEvents);

inline constexpr int kPlaylistFileAttempts = 25;

}  // namespace kt
