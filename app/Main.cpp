// Klangtruhe: the program's entry.

#include "app/Artwork.h"
#include "app/QtDialogs.h"
#include "app/TForm1.h"
#include "app/TForm13.h"
#include "app/TForm2.h"
#include "app/TForm7.h"
#include "app/TForm9.h"
#include "app/TSplash.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QTimer>

#include <filesystem>

int main(int argc, char** argv) {
  const std::filesystem::path programFile = std::filesystem::read_symlink("/proc/self/exe");
  kt::TPathMapper paths(programFile.parent_path());

  // Only one copy runs; the lock is the kernel's and goes with the process.
  kt::TInstanceLock lock("##VKT");
  if (lock.AlreadyHeld()) {
    QApplication app(argc, argv);
    kt::TQtDialogs dialogs(paths);
    dialogs.MessageBox(nullptr, "Varnik's Klangtruhe l\xE4uft bereits!", "Fehler", kt::TButtons::Ok);
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Klangtruhe"));
  QApplication::setFont(kt::art::DesignFont());
  QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program
  kt::TQtDialogs dialogs(paths);
  kt::TRegistry registry;
  const kt::TAppServices services{programFile, &paths, &dialogs, &registry};

  kt::TForm1 form(services, app.arguments());
  if (form.CloseAtStart) {
    // The main window is never seen; Timer3 closes it about 200 ms later.
    app.exec();
    return 0;
  }
  kt::TSplash splash;
  kt::TScan scan;  // the search-path dialog's run reports to it
  kt::TForm2 searchPaths(form, scan);
  kt::TForm9 about(programFile);
  kt::TForm13 help;
  kt::TForm7 defaultAction(dialogs, paths, [&form] { return form.MenuDefaultAction(); },
                           [&form](kt::TDefaultAction a) { form.MarkMenuDefault(a); });
  form.SetSplash(&splash);
  form.DefaultActionWindow = &defaultAction;
  form.AddDialog(&defaultAction);
  form.AboutWindow = &about;
  form.SearchPathWindow = &searchPaths;
  form.AddDialog(&searchPaths);
  form.HelpWindow = &help;
  form.AddDialog(&about);
  form.AddDialog(&help);
  splash.show();
  splash.repaint();
  QTimer::singleShot(0, &form, [&form] { form.show(); });
  app.exec();
  return 0;
}
