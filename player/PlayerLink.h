#pragma once
// Where the player is installed and which window is the player's; its
// version check at start-up, the transport commands and the two helpers that
// bring the player or the volume control to the front.

#include "platform/DialogService.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/WinMsg.h"

#include <filesystem>
#include <string>

namespace kt {

class TPlayerLink {
 public:
  enum class TCheck { Accepted, NoPlayer, EndProgram };

  explicit TPlayerLink(const TPathMapper& paths) : paths_(paths) {}

  // The registered open command without its last five characters (a blank
  // and the quoted "%1"): the quoted executable path.
  std::string PlayerCommand;
  // The player's folder (up to its last "\" or ":") and "winamp.m3u".
  std::string PlaylistFile;
  HWND PlayerWindow = 0;

  // Fills PlayerCommand and PlaylistFile from the registry; opening the key creates it.
  void LocatePlayer(TRegistry& registry);
  // PlayerCommand without its first and last character.
  std::string UnquotedPath() const;
  std::filesystem::path NativePlayerPath() const { return paths_.ToNative(UnquotedPath()); }
  std::filesystem::path NativePlaylistFile() const { return paths_.ToNative(PlaylistFile); }

  // The player is accepted when its file exists, its version is at least
  // 2.0.0.5 and no-player mode is not asked for; otherwise the user decides.
  TCheck CheckPlayer(IDialogService& dialogs, QObject* owner, bool noPlayerRequested) const;

  // Previous 40044, play 40045, pause 40046, stop 40047, next 40048.
  void Transport(uint64_t command) const;
  void ShowPlayer() const;
  // The desktop's mixer: started when it does not run yet.
  static void ShowVolumeControl();

 private:
  const TPathMapper& paths_;
};

inline constexpr int64_t kMinimumPlayerVersion = 8197;  // 2.0.0.5
inline constexpr const char* kVolumeControlProgram = "pavucontrol";

}  // namespace kt
