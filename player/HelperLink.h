#pragma once
// The program's side of the helper plugin that runs inside the player: its
// window, the character-by-character hand-over of the current and the next
// title, and the installation of the plugin library into the player's folder.

#include "platform/Paths.h"
#include "platform/WinMsg.h"
#include "player/PlayerLink.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kt {

inline constexpr const char* kHelperWindowClass = "TMainForm";
inline constexpr const char* kHelperWindowTitle = "VktHelperMainForm";
inline constexpr const char* kHelperPluginFile = "gen_vkthelper.dll";

// Messages the helper window answers (wParam 0, lParam 0).
enum : uint32_t {
  kHelperCurrentFirst = WM_USER + 200,  // takes the current title, answers its first character
  kHelperCurrentNext = WM_USER + 201,   // the next character of it, 0 past the end
  kHelperNextFirst = WM_USER + 202,     // the same for the entry after the current one
  kHelperNextNext = WM_USER + 203,
};

inline constexpr size_t kNoLimit = 0;

// The helper window, or 0.
HWND FindHelperWindow();

// Reads one text from the helper: the first message, then the next message
// until it answers 0 or, with a limit, until the text holds that many bytes.
// Each answer gives one byte, its low 8 bits. Without a limit the text still
// ends at 65536 bytes, so a helper that never answers 0 cannot hold us.
// expected is the length the text had when it was read last: that many
// messages and the closing one are sent in one burst, the rest one by one.
// A text that has grown since costs nothing extra; one that has shrunk gets
// answers of 0 for the messages past its end.
std::string ReadHelperText(HWND helper, uint32_t first, uint32_t next, size_t limit = kNoLimit,
                           size_t expected = 0);

enum class TInstallOutcome { Written, PlayerStillRunning, WriteFailed };

// Closes the player, waits (processing events) until its window is gone, at
// most waitMs, and writes the library into the player's "plugins" folder,
// replacing an existing one. Nothing is shown.
TInstallOutcome InstallHelperPlugin(const TPlayerLink& player, const TPathMapper& paths, std::string_view library,
                                    int waitMs = 10000);

}  // namespace kt
