// standin-player: a small player that stands in for the outside player.
//   standin-player              runs it
//   standin-player --register   registers its open command and ends
// Its playlist file and its "plugins" folder live in its own folder.

#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/WinMsg.h"
#include "player/PlayerInterface.h"
#include "standin/PlaybackEngine.h"
#include "standin/PluginHost.h"
#include "standin/StandinPlayer.h"
#include "standin/StandinWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

// The file-version record a Windows executable carries (fixed file info):
// signature, structure version, file version 2.9.1.0, product version, then
// flags, system, type and date.
extern "C" __attribute__((used)) const uint32_t kt_standin_version_record[13] = {
    0xFEEF04BD, 0x00010000, 0x00020009, 0x00010000, 0x00020009, 0x00010000, 0x3F, 0, 0x40004, 1, 0, 0, 0};

namespace {

std::filesystem::path ExecutablePath() { return std::filesystem::read_symlink("/proc/self/exe"); }

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path exe = ExecutablePath();
  const std::filesystem::path folder = exe.parent_path();
  kt::TPathMapper paths(folder);

  if (argc == 2 && std::strcmp(argv[1], "--register") == 0) {
    const std::string command = "\"" + paths.ToCatalog(exe) + "\" \"%1\"";
    kt::TRegistry registry;
    if (!registry.SetDefaultValue(kt::player::kOpenCommandKey, command)) {
      std::fprintf(stderr, "standin-player: cannot write %s\n", kt::TRegistry::DefaultFile().c_str());
      return 1;
    }
    std::printf("%s\n", command.c_str());
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // only WM_CLOSE ends the player
  kt::TPlaybackEngine engine;
  kt::standin::TStandinPlayer player(paths, folder, engine);
  kt::standin::TStandinWindow window(player);

  bool closing = false;
  const kt::HWND self = kt::RegisterWindow(kt::player::kPlayerWindowClass, "Stand-in Player",
                                          [&](const kt::TMessage& m) { return player.Handle(m); });
  if (self == 0) {
    std::fprintf(stderr, "standin-player: cannot open its window in %s\n", kt::WindowFolder().c_str());
    return 1;
  }
  player.OnChanged = [&] { window.Refresh(); };
  player.OnRaise = [&] { window.BringToFront(); };
  player.OnClose = [&] {
    if (closing) return;
    closing = true;
    kt::UnregisterWindow(self);  // its window goes away at once
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
  };

  kt::standin::TPluginHost plugins;
  plugins.LoadAll(folder / kt::player::kPluginFolder, self);
  player.OnConfigure = [&] { plugins.ConfigAll(); };

  QTimer pump;
  QObject::connect(&pump, &QTimer::timeout, [&] { player.Pump(); });
  pump.start(20);
  window.show();
  const int rc = app.exec();
  plugins.QuitAll();
  kt::UnregisterWindow(self);
  return rc;
}
