#include "player/PlayerLink.h"

#include "platform/FileVersion.h"
#include "platform/Processes.h"
#include "player/PlayerInterface.h"

#include <sys/stat.h>

namespace kt {

void TPlayerLink::LocatePlayer(TRegistry& registry) {
  std::string value;
  if (registry.OpenKey(player::kOpenCommandKey, true))
    value = registry.DefaultValue(player::kOpenCommandKey).value_or(std::string());
  PlayerCommand = value.size() >= 5 ? value.substr(0, value.size() - 5) : std::string();
  const std::string path = UnquotedPath();
  const size_t cut = path.find_last_of("\\:");
  PlaylistFile = (cut == std::string::npos ? std::string() : path.substr(0, cut + 1)) + player::kPlaylistFileName;
}

std::string TPlayerLink::UnquotedPath() const {
  return PlayerCommand.size() >= 2 ? PlayerCommand.substr(1, PlayerCommand.size() - 2) : std::string();
}

TPlayerLink::TCheck TPlayerLink::CheckPlayer(IDialogService& dialogs, QObject* owner, bool noPlayerRequested) const {
  const std::string path = UnquotedPath();
  struct stat st{};
  const bool exists = !path.empty() && ::stat(NativePlayerPath().c_str(), &st) == 0 && S_ISREG(st.st_mode);
  if (exists && PlayerVersion(NativePlayerPath()) >= kMinimumPlayerVersion && !noPlayerRequested)
    return TCheck::Accepted;
  const TAnswer a = dialogs.MessageBox(
      owner, "Die Klangtruhe ben\xF6tigt Winamp 2.05 oder neuer! Programm trotzdem ausf\xFChren?", "Fehler",
      TButtons::YesNo);
  return a == TAnswer::Yes ? TCheck::NoPlayer : TCheck::EndProgram;
}

void TPlayerLink::Transport(uint64_t command) const { SendMessage(PlayerWindow, WM_COMMAND, command, 0); }

void TPlayerLink::ShowPlayer() const {
  SendMessage(PlayerWindow, WM_USER, 0, player::kStandinRaiseWindow);
}

void TPlayerLink::ShowVolumeControl() {
  // A running mixer keeps its window; a failure to start one is ignored.
  if (IsProgramRunning(kVolumeControlProgram)) return;
  StartProgram(kVolumeControlProgram);
}

}  // namespace kt
