#include "player/PlaylistFile.h"

#include "platform/FileIO.h"
#include "player/PlayerInterface.h"

#include <fcntl.h>
#include <unistd.h>

namespace kt {

void TPlaylistFileGate::Run(std::function<void()> work) {
  if (busy_) {
    waiting_.push_back(std::move(work));
    return;
  }
  busy_ = true;
  work();
  while (!waiting_.empty()) {
    std::function<void()> next = std::move(waiting_.front());
    waiting_.pop_front();
    next();
  }
  busy_ = false;
}

void RequestPlaylistFile(const TPlayerLink& player) {
  ::unlink(player.NativePlaylistFile().c_str());
  SendMessage(player.PlayerWindow, WM_USER, 0, player::kRequestWritePlaylist);
}

std::optional<TLineList> WaitForPlaylistFile(const TPlayerLink& player, const std::function<void()>& processEvents) {
  const std::filesystem::path file = player.NativePlaylistFile();
  for (int attempt = 0; attempt < kPlaylistFileAttempts; ++attempt) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (processEvents) processEvents();
    if (fd >= 0) {
      ::close(fd);
      std::string bytes;
      if (!ReadFileBytes(file, bytes)) return std::nullopt;
      return TLineList::FromText(std::move(bytes));
    }
  }
  return std::nullopt;
}

}  // namespace kt
