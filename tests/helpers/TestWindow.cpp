// A window in a process of its own, for the window-message tests.
//   klangtruhe_test_window CLASS TITLE
// Message 1 answers wParam + lParam; WM_COPYDATA answers tag * 1000 + size
// and keeps the bytes; message 3 answers byte wParam of them (-1 past the
// end); message 4 sets the title to "renamed"; WM_CLOSE ends the process.

#include "platform/WinMsg.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) return 2;
  std::string last;
  kt::HWND self = 0;
  self = kt::RegisterWindow(argv[1], argv[2], [&](const kt::TMessage& m) -> int64_t {
    switch (m.Msg) {
      case 1: return int64_t(m.WParam) + m.LParam;
      case kt::WM_COPYDATA:
        last = m.CopyData ? m.CopyData->Bytes : std::string();
        return m.CopyData ? int64_t(m.CopyData->Tag) * 1000 + int64_t(m.CopyData->Bytes.size()) : -1;
      case 3: return m.WParam < last.size() ? int64_t(static_cast<unsigned char>(last[m.WParam])) : -1;
      case 4: kt::SetWindowTitle(self, "renamed"); return 1;
      case kt::WM_CLOSE:
        kt::UnregisterWindow(self);
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
        return 0;
    }
    return 0;
  });
  if (self == 0) return 3;
  return app.exec();
}
