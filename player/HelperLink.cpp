#include "player/HelperLink.h"

#include "platform/FileIO.h"
#include "player/PlayerInterface.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

namespace kt {

namespace {

// Without a limit a text still ends here: a broken or hostile helper that
// never answers 0 must not keep the program sending forever. No title of a
// playlist comes near this.
constexpr size_t kUnlimitedTextBound = 65536;

}  // namespace

HWND FindHelperWindow() { return FindWindow(kHelperWindowClass, std::string_view(kHelperWindowTitle)); }

std::string ReadHelperText(HWND helper, uint32_t first, uint32_t next, size_t limit, size_t expected) {
  const size_t bound = limit == kNoLimit ? kUnlimitedTextBound : limit;
  // The messages a text of the expected length takes go out as one burst:
  // the first, one per further character and the one answered by 0.
  std::vector<TRequest> burst(std::min(expected + 1, bound), TRequest{next});
  burst[0].Msg = first;
  const std::vector<int64_t> answers = SendMessages(helper, burst);
  std::string text;
  for (size_t i = 0;; ++i) {
    const int64_t r = i < answers.size() ? answers[i] : SendMessage(helper, next, 0, 0);
    if (r == 0) break;
    text += char(r & 0xFF);
    if (text.size() >= bound) break;
  }
  return text;
}

TInstallOutcome InstallHelperPlugin(const TPlayerLink& player, const TPathMapper& paths, std::string_view library,
                                    int waitMs) {
  // A running player keeps its plugins loaded: it has to end first.
  SendMessage(player.PlayerWindow, WM_CLOSE, 0, 0);
  QElapsedTimer waited;
  waited.start();
  while (FindWindow(player::kPlayerWindowClass) != 0) {
    if (waited.elapsed() >= waitMs) return TInstallOutcome::PlayerStillRunning;
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  // The player's folder: its command without the opening quote, up to and
  // including the last "\" or ":".
  std::string command = player.PlayerCommand;
  if (!command.empty() && command.front() == '"') command.erase(0, 1);
  const size_t cut = command.find_last_of("\\:");
  const std::string folder = cut == std::string::npos ? std::string() : command.substr(0, cut + 1);
  const std::filesystem::path target =
      paths.ToNative(folder + player::kPluginFolder + "\\" + kHelperPluginFile);

  std::error_code ec;
  std::filesystem::create_directories(target.parent_path(), ec);  // a failure shows in the write
  return WriteFileAtomic(target, library, ec) ? TInstallOutcome::Written : TInstallOutcome::WriteFailed;
}

}  // namespace kt
