#pragma once
// The stand-in player's small window: its playlist and its state.

#include <QWidget>

class QLabel;
class QListView;

namespace kt::standin {

class TStandinPlayer;
class TPlaylistModel;

class TStandinWindow : public QWidget {
 public:
  explicit TStandinWindow(TStandinPlayer& player);
  // Shows what changed in the player.
  void Refresh();
  void BringToFront();

 private:
  TStandinPlayer& player_;
  TPlaylistModel* model_;
  QLabel* state_;
  QListView* list_;
};

}  // namespace kt::standin
