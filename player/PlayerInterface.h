#pragma once
// What the program and the player rely on of each other: the player's main
// window class, its messages, its playlist file, its registry entry and the
// record of a general-purpose plugin.

#include "platform/WinMsg.h"

#include <cstdint>

namespace kt::player {

inline constexpr const char* kPlayerWindowClass = "Winamp v1.x";
inline constexpr const char* kPlaylistFileName = "winamp.m3u";
inline constexpr const char* kOpenCommandKey = "Winamp.File\\shell\\Play\\command";
inline constexpr const char* kPluginFolder = "plugins";
inline constexpr const char* kPluginExport = "winampGetGeneralPurposePlugin";

// WM_USER requests, by their lParam.
enum : int64_t {
  kRequestClearPlaylist = 101,   // playlist emptied
  kRequestStartPlayback = 102,   // playback starts at the current entry
  kRequestPlayState = 104,       // 0 stopped, 1 playing, 3 paused
  kRequestPlayTime = 105,        // wParam 0: position in ms; 1: length in s (-1 when nothing is loaded)
  kRequestSeek = 106,            // wParam: milliseconds
  kRequestWritePlaylist = 120,   // the playlist is written to winamp.m3u before the answer
  kRequestSetPosition = 121,     // wParam: 0-based entry
  kRequestPosition = 125,        // 0-based current entry
  kRequestEntryTitle = 212,      // in-process only: address of entry wParam's title, 0 past the end
};

inline constexpr uint64_t kCopyDataAddFile = 100;  // WM_COPYDATA tag: path plus NUL

// WM_COMMAND, by its wParam.
enum : uint64_t {
  kCommandPrevious = 40044,
  kCommandPlay = 40045,
  kCommandPause = 40046,
  kCommandStop = 40047,
  kCommandNext = 40048,
};

// Our stand-in player also raises its window on this request (lParam).
inline constexpr int64_t kStandinRaiseWindow = 0x4B54;
// ... and calls the configure entry of every loaded plugin on this one, as a
// user would from the player's preferences.
inline constexpr int64_t kStandinConfigurePlugins = 0x4B55;

// The record a general-purpose plugin returns from its export. The player
// fills in its main window and the library handle before it calls init.
struct TPluginRecord {
  int32_t Version;            // 16
  const char* Description;
  int (*Init)();              // 0 on success
  void (*Config)();
  void (*Quit)();
  HWND ParentWindow;          // the player's main window
  void* LibraryInstance;      // the library's handle
};
inline constexpr int32_t kPluginRecordVersion = 16;
using TGetPluginRecord = TPluginRecord* (*)();

}  // namespace kt::player
