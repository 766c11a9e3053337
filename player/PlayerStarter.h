#pragma once
// Starts the player whenever its window is missing. The work runs on a
// thread of its own so that the user-interface thread keeps painting the
// start window; everything done to windows is handed to the user-interface
// thread, in order.

#include "platform/WinMsg.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace kt {

// The window operations of a start; each runs on the user-interface thread.
class IStarterWindows {
 public:
  virtual ~IStarterWindows() = default;
  virtual void SetMonitorRunning(bool on) = 0;
  // The main window topmost (or not), shown, in front; enabled or not.
  virtual void SetMainTopmost(bool on) = 0;
  virtual void SetMainEnabled(bool on) = 0;
  // The start window: made a child of the main window with its gauge at 0,
  // shown and activated, its gauge set, closed.
  virtual void PrepareSplash() = 0;
  virtual void ShowSplash() = 0;
  virtual void SetSplashGauge(int position) = 0;
  virtual void CloseSplash() = 0;
  virtual void PlayerFound(HWND window) = 0;
  // No player window came up in time.
  virtual void ReportStartFailure() = 0;
};

class TPlayerStarter {
 public:
  struct TTimes {
    int FirstPauseMs = 1000;
    int StepMs = 10;
    int Steps = 150;          // the gauge runs 0 … 150 (full from 100 on)
    int PollMs = 20;
    int GiveUpMs = 20000;     // no window this long after the start: a failed start
    int RetryAfterMs = 60000; // and no new attempt before this
  };

  explicit TPlayerStarter(IStarterWindows& windows) : windows_(windows) {}
  ~TPlayerStarter();  // ends a start that still runs

  TTimes Times;

  // Starts the program (never through a shell) unless a start runs.
  void Start(const std::filesystem::path& program);
  bool Running() const { return running_; }
  // Neither running nor within the pause after a failed start.
  bool Ready() const;

 private:
  void Body(std::stop_token stop, std::filesystem::path program);
  // Hands the operation to the user-interface thread.
  void Post(std::function<void()> operation);
  bool Pause(const std::stop_token& stop, int ms);

  IStarterWindows& windows_;
  QObject context_;  // lives on the user-interface thread
  std::atomic<bool> running_{false};
  std::chrono::steady_clock::time_point retryNotBefore_{};
  std::jthread thread_;
};

}  // namespace kt
