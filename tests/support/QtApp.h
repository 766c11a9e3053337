#pragma once
// One Qt application object for the whole test program, made on first use.

#include <chrono>

namespace kt::test {

void EnsureCoreApplication();
// Processes Qt events for the given time.
void ProcessEventsFor(std::chrono::milliseconds time);

}  // namespace kt::test
