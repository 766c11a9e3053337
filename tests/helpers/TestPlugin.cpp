// A general-purpose plugin for the stand-in player's tests. Its hidden window
// "KtTestPlugin" / "KtTestPluginWindow" answers:
//   1: the parent-window field of its record
//   2: bit 0 parent field set at init, bit 1 set at the first message,
//      bit 2 instance field set at init, bit 3 init called
//   3: byte lParam of the title of entry wParam, asked of the player in its
//      own process (0 past the end of the title, -1 for a null address)
//   4: the player's current position, asked in process
// At quit it writes "quit" into the file named by KT_TEST_PLUGIN_QUIT_FILE.

#include "platform/WinMsg.h"
#include "player/PlayerInterface.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using kt::player::TPluginRecord;

int Init();
void Config() {}
void Quit();

TPluginRecord gRecord = {kt::player::kPluginRecordVersion, "Klangtruhe test plugin", Init, Config, Quit, 0, nullptr};
bool gParentAtInit = false, gInstanceAtInit = false, gInitCalled = false;
bool gSeenMessage = false, gParentAtFirstMessage = false;

int64_t Handle(const kt::TMessage& m) {
  if (!gSeenMessage) {
    gSeenMessage = true;
    gParentAtFirstMessage = gRecord.ParentWindow != 0;
  }
  switch (m.Msg) {
    case 1: return int64_t(gRecord.ParentWindow);
    case 2: return (gParentAtInit ? 1 : 0) | (gParentAtFirstMessage ? 2 : 0) | (gInstanceAtInit ? 4 : 0) | (gInitCalled ? 8 : 0);
    case 3: {
      const int64_t address = kt::SendMessage(gRecord.ParentWindow, kt::WM_USER, m.WParam, kt::player::kRequestEntryTitle);
      if (address == 0) return -1;
      const char* title = reinterpret_cast<const char*>(intptr_t(address));
      if (m.LParam < 0 || size_t(m.LParam) >= std::strlen(title)) return 0;
      return static_cast<unsigned char>(title[m.LParam]);
    }
    case 4: return kt::SendMessage(gRecord.ParentWindow, kt::WM_USER, 0, kt::player::kRequestPosition);
  }
  return 0;
}

// The window exists from the moment the library is loaded.
struct Window {
  kt::HWND Handle = kt::RegisterWindow("KtTestPlugin", "KtTestPluginWindow", ::Handle);
  ~Window() { kt::UnregisterWindow(Handle); }
} gWindow;

int Init() {
  gInitCalled = true;
  gParentAtInit = gRecord.ParentWindow != 0;
  gInstanceAtInit = gRecord.LibraryInstance != nullptr;
  return 0;
}

void Quit() {
  if (const char* f = std::getenv("KT_TEST_PLUGIN_QUIT_FILE")) {
    if (FILE* out = std::fopen(f, "w")) {
      std::fputs("quit", out);
      std::fclose(out);
    }
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TPluginRecord* winampGetGeneralPurposePlugin() { return &gRecord; }
