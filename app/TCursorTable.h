#pragma once
// The application's cursor table: ids to cursors, one of them shown as the
// application's cursor at a time; an animated cursor is stepped by a timer.

#include <QCursor>
#include <QTimer>

#include <map>
#include <vector>

namespace kt {

inline constexpr int kCursorConfirm = 100;
inline constexpr int kCursorCopy = 101;
inline constexpr int kCursorSearchFirst = 102;  // … 117

class TCursorTable {
 public:
  TCursorTable();
  // Loads the cursor set: 100, 101 (animated) and 102 … 117.
  void LoadCursorSet();
  bool Has(int id) const { return frames_.count(id) != 0; }
  // Shows cursor id for the whole application; 0 is the normal arrow.
  void Set(int id);
  int Current() const { return current_; }

 private:
  std::map<int, std::vector<QCursor>> frames_;
  int current_ = 0;
  size_t frame_ = 0;
  QTimer animation_;
};

}  // namespace kt
