#include "standin/StandinWindow.h"

#include "platform/Cp1252.h"
#include "standin/StandinPlayer.h"

#include <QAbstractListModel>
#include <QFont>
#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

namespace kt::standin {

class TPlaylistModel : public QAbstractListModel {
 public:
  explicit TPlaylistModel(TStandinPlayer& player) : player_(player) {}
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : int(player_.Entries().size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const auto& entries = player_.Entries();
    if (!index.isValid() || size_t(index.row()) >= entries.size()) return {};
    if (role == Qt::DisplayRole) {
      const TEntry& e = entries[size_t(index.row())];
      return QString::number(index.row() + 1) + ". " + FromCp1252(e.Title);
    }
    if (role == Qt::FontRole && size_t(index.row()) == player_.Position()) {
      QFont f;
      f.setBold(true);
      return f;
    }
    return {};
  }
  void Reset() {
    beginResetModel();
    endResetModel();
  }

 private:
  TStandinPlayer& player_;
};

TStandinWindow::TStandinWindow(TStandinPlayer& player)
    : player_(player), model_(new TPlaylistModel(player)), state_(new QLabel), list_(new QListView) {
  setWindowTitle(QStringLiteral("Stand-in Player"));
  model_->setParent(this);
  list_->setModel(model_);
  list_->setUniformItemSizes(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(state_);
  layout->addWidget(list_);
  resize(360, 260);
  Refresh();
}

void TStandinWindow::Refresh() {
  static const char* const names[] = {"Gestoppt", "Spielt", "", "Pause"};
  const int s = player_.PlayState();
  state_->setText(QString::fromUtf8(names[s]) + QStringLiteral(" \u2014 ") +
                  QString::number(player_.Entries().size()) + QStringLiteral(" Einträge"));
  model_->Reset();
}

void TStandinWindow::BringToFront() {
  show();
  setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

}  // namespace kt::standin
