#include "tests/support/QtApp.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace kt::test {

void EnsureCoreApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "klangtruhe_tests";
  static char* argv[] = {name, nullptr};
  new QCoreApplication(argc, argv);  // lives as long as the test program
}

void ProcessEventsFor(std::chrono::milliseconds time) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < time.count()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace kt::test
