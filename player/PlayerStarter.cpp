#include "player/PlayerStarter.h"

#include "platform/Processes.h"
#include "player/PlayerInterface.h"

#include <QMetaObject>

namespace kt {

TPlayerStarter::~TPlayerStarter() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

bool TPlayerStarter::Ready() const {
  return !running_ && std::chrono::steady_clock::now() >= retryNotBefore_;
}

void TPlayerStarter::Start(const std::filesystem::path& program) {
  if (running_) return;
  running_ = true;
  if (thread_.joinable()) thread_.join();  // the last start has ended; only its thread is left
  thread_ = std::jthread([this, program](std::stop_token stop) { Body(stop, program); });
}

void TPlayerStarter::Post(std::function<void()> operation) {
  QMetaObject::invokeMethod(&context_, std::move(operation), Qt::QueuedConnection);
}

bool TPlayerStarter::Pause(const std::stop_token& stop, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stop.stop_requested()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(10)));
  }
  return false;
}

void TPlayerStarter::Body(std::stop_token stop, std::filesystem::path program) {
  IStarterWindows& w = windows_;
  Post([&w] { w.SetMonitorRunning(false); });
  if (!Pause(stop, Times.FirstPauseMs)) return;
  Post([&w] {
    w.SetMainTopmost(true);
    w.PrepareSplash();
    w.SetMainEnabled(false);
    w.ShowSplash();
  });
  // Whether the start succeeded shows only in the window that comes up.
  StartProgram(program);
  for (int step = 0; step <= Times.Steps; ++step) {
    if (!Pause(stop, Times.StepMs)) return;
    Post([&w, step] { w.SetSplashGauge(step); });
  }
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(Times.GiveUpMs);
  HWND found = 0;
  while ((found = FindWindow(player::kPlayerWindowClass)) == 0 && std::chrono::steady_clock::now() < giveUp)
    if (!Pause(stop, Times.PollMs)) return;
  Post([this, &w, found] {
    w.CloseSplash();
    w.SetMainEnabled(true);
    w.SetMainTopmost(false);
    if (found != 0) w.PlayerFound(found);
    running_ = false;
    if (found == 0) {
      retryNotBefore_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(Times.RetryAfterMs);
      w.ReportStartFailure();
    }
    w.SetMonitorRunning(true);
  });
}

}  // namespace kt
