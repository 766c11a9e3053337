#pragma once
// A lock that tells whether another process already holds it: an exclusive
// flock on a lock file named after the lock, in the window folder. The
// kernel releases it when the holding process ends, whatever way it ends.

#include <string>
#include <string_view>

namespace kt {

class TInstanceLock {
 public:
  // Takes the lock named name. AlreadyHeld() tells whether another process
  // holds it; any other failure (no folder, no file) counts as not held, so
  // the start goes on.
  explicit TInstanceLock(std::string_view name);
  ~TInstanceLock();
  TInstanceLock(const TInstanceLock&) = delete;
  TInstanceLock& operator=(const TInstanceLock&) = delete;

  bool AlreadyHeld() const { return held_elsewhere_; }

 private:
  int fd_ = -1;
  bool held_elsewhere_ = false;
};

}  // namespace kt
