#pragma once
// Window messages between the processes of one user.
//
// A window is a class name, a title and a handler. Registering one opens a
// local socket in the user's runtime folder; its handle is a non-zero
// integer that other processes find by class (and title) and send
// synchronous messages to. Handlers run on the receiving process's Qt event
// loop; a window of the sending process itself is called directly. A send to
// a dead window gives 0 at once, one to a hung window 0 after a bounded wait.
// The wire format is described in docs/window-messages.md.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

using HWND = uint64_t;

inline constexpr uint32_t WM_CLOSE = 16;
inline constexpr uint32_t WM_COPYDATA = 74;
inline constexpr uint32_t WM_COMMAND = 273;
inline constexpr uint32_t WM_USER = 1024;

struct TCopyData {
  uint64_t Tag = 0;   // dwData
  std::string Bytes;  // the data, exactly cbData bytes
};

struct TMessage {
  uint32_t Msg = 0;
  uint64_t WParam = 0;
  int64_t LParam = 0;
  const TCopyData* CopyData = nullptr;  // only for WM_COPYDATA
};

using TWindowHandler = std::function<int64_t(const TMessage&)>;

// The folder holding the windows' sockets: $KLANGTRUHE_RUNTIME_DIR when set
// (tests give each run a folder of its own), else $XDG_RUNTIME_DIR/klangtruhe,
// else /tmp/klangtruhe-<uid>. Created with mode 0700 when missing; a folder
// that belongs to another user or that others may write to is refused
// (empty result).
std::string WindowFolder();

// Registers a window of this process. Needs a QCoreApplication; handlers run
// on the thread that registered the window. Returns 0 when the socket could
// not be opened.
HWND RegisterWindow(std::string_view className, std::string_view title, TWindowHandler handler);
void UnregisterWindow(HWND window);
void SetWindowTitle(HWND window, std::string_view title);

// The newest live window of that class (and title, when given); 0 when none.
// Windows whose process is gone are ignored and their files removed.
HWND FindWindow(std::string_view className, std::optional<std::string_view> title = std::nullopt);
bool IsWindow(HWND window);

// Synchronous: returns the handler's result, or 0 when the window is gone,
// the connection breaks or no answer comes within the send timeout.
int64_t SendMessage(HWND window, uint32_t msg, uint64_t wParam, int64_t lParam);
int64_t SendCopyData(HWND window, uint64_t tag, std::string_view bytes, uint64_t wParam = 0);

// A burst: the messages reach the window in order and are handled one after
// the other, as with SendMessage for each, but all are sent before the first
// answer is read. The results come in the same order; when the window goes
// away or does not answer in time, every result from there on is 0.
struct TRequest {
  uint32_t Msg = 0;
  uint64_t WParam = 0;
  int64_t LParam = 0;
};
std::vector<int64_t> SendMessages(HWND window, const std::vector<TRequest>& requests);

// How long a send waits for a window that does not answer (default 3000 ms).
void SetSendTimeout(int milliseconds);
int SendTimeout();

}  // namespace kt
