#include "app/TCursorTable.h"

#include "app/Artwork.h"

#include <QGuiApplication>

namespace kt {

TCursorTable::TCursorTable() {
  animation_.setInterval(120);
  QObject::connect(&animation_, &QTimer::timeout, [this] {
    auto it = frames_.find(current_);
    if (it == frames_.end() || it->second.size() < 2) return;
    frame_ = (frame_ + 1) % it->second.size();
    QGuiApplication::changeOverrideCursor(it->second[frame_]);
  });
}

void TCursorTable::LoadCursorSet() {
  frames_[kCursorConfirm] = {art::ConfirmCursor()};
  for (int i = 0; i < 16; ++i) frames_[kCursorSearchFirst + i] = {art::SearchCursor(i)};
  frames_[kCursorCopy] = art::CopyCursorFrames();
}

void TCursorTable::Set(int id) {
  if (id == current_) return;
  animation_.stop();
  auto it = frames_.find(id);
  if (id == 0 || it == frames_.end() || it->second.empty()) {
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    current_ = 0;
    return;
  }
  frame_ = 0;
  if (current_ == 0) QGuiApplication::setOverrideCursor(it->second[0]);
  else QGuiApplication::changeOverrideCursor(it->second[0]);
  current_ = id;
  if (it->second.size() > 1) animation_.start();
}

}  // namespace kt
