#pragma once
// General-purpose plugins of the stand-in player: every "*.dll" of its
// "plugins" folder, loaded at start and quit at exit.

#include "platform/WinMsg.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kt::standin {

class TPluginHost {
 public:
  TPluginHost() = default;
  ~TPluginHost();
  TPluginHost(const TPluginHost&) = delete;
  TPluginHost& operator=(const TPluginHost&) = delete;

  // Loads each plugin, gives it the player's window and its library handle,
  // then calls its init. A file that is no plugin of ours is skipped.
  void LoadAll(const std::filesystem::path& folder, HWND playerWindow);
  // Calls each plugin's quit and unloads it, in reverse order.
  void QuitAll();
  // Calls each plugin's configure entry, in load order, as the player's
  // preferences do when the user asks a plugin to be configured.
  void ConfigAll();

  std::vector<std::string> Loaded() const;

 private:
  struct Plugin {
    std::string File;
    void* Library = nullptr;
    void* Record = nullptr;
  };
  std::vector<Plugin> plugins_;
};

}  // namespace kt::standin
