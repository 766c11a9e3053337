#include "standin/PluginHost.h"

#include "platform/Cp1252.h"
#include "player/PlayerInterface.h"

#include <algorithm>
#include <cstdio>
#include <dlfcn.h>

namespace kt::standin {

using player::TGetPluginRecord;
using player::TPluginRecord;

TPluginHost::~TPluginHost() { QuitAll(); }

void TPluginHost::LoadAll(const std::filesystem::path& folder, HWND playerWindow) {
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() > 4 && AsciiLower(name.substr(name.size() - 4)) == ".dll") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    void* lib = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
      std::fprintf(stderr, "standin-player: %s\n", ::dlerror());
      continue;
    }
    auto get = reinterpret_cast<TGetPluginRecord>(::dlsym(lib, player::kPluginExport));
    TPluginRecord* record = get ? get() : nullptr;
    if (!record || record->Version != player::kPluginRecordVersion) {
      ::dlclose(lib);
      continue;
    }
    // The plugin's window may exist already, but no message reaches it before
    // the event loop runs, so these fields are filled before its first message.
    record->ParentWindow = playerWindow;
    record->LibraryInstance = lib;
    if (record->Init && record->Init() != 0) {
      ::dlclose(lib);
      continue;
    }
    plugins_.push_back({file.filename().string(), lib, record});
  }
}

void TPluginHost::QuitAll() {
  while (!plugins_.empty()) {
    Plugin p = plugins_.back();
    plugins_.pop_back();
    auto* record = static_cast<TPluginRecord*>(p.Record);
    if (record->Quit) record->Quit();
    ::dlclose(p.Library);
  }
}

void TPluginHost::ConfigAll() {
  // A plugin's configure entry may run a dialog with an event loop of its
  // own, so the list is looked at afresh for every plugin.
  for (size_t i = 0; i < plugins_.size(); ++i) {
    auto* record = static_cast<TPluginRecord*>(plugins_[i].Record);
    if (record->Config) record->Config();
  }
}

std::vector<std::string> TPluginHost::Loaded() const {
  std::vector<std::string> names;
  for (const Plugin& p : plugins_) names.push_back(p.File);
  return names;
}

}  // namespace kt::standin
