#include "search/SearchFieldKeys.h"

#include <QAbstractItemModel>

namespace kt {

TSearchFieldKeyPress TSearchFieldKeyPress::FromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
  TSearchFieldKeyPress p;
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: p.Key = TSearchFieldKey::Return; break;
    case Qt::Key_Up: p.Key = TSearchFieldKey::Up; break;
    case Qt::Key_Down: p.Key = TSearchFieldKey::Down; break;
    default: p.Key = TSearchFieldKey::Other; break;
  }
  p.Ctrl = modifiers.testFlag(Qt::ControlModifier);
  p.Shift = modifiers.testFlag(Qt::ShiftModifier);
  p.Alt = modifiers.testFlag(Qt::AltModifier);
  return p;
}

namespace {

// The list as the key table sees it: a caret index and entries to select.
class TListAccess {
 public:
  explicit TListAccess(QItemSelectionModel& sel) : sel_(sel), model_(sel.model()) {
    count_ = model_ ? model_->rowCount() : 0;
    const QModelIndex current = sel.currentIndex();
    caret_ = current.isValid() ? current.row() : -1;
  }

  int Count() const { return count_; }
  int Caret() const { return caret_; }

  void SetCaret(int row) {
    caret_ = row;
    sel_.setCurrentIndex(row >= 0 && row < count_ ? model_->index(row, 0) : QModelIndex(),
                         QItemSelectionModel::NoUpdate);
  }

  // Entry -1 is every entry; any other row outside the list is nothing.
  void Select(int row, bool on) {
    if (row == -1) {
      if (count_ == 0) return;
      if (on)
        sel_.select(QItemSelection(model_->index(0, 0), model_->index(count_ - 1, 0)), QItemSelectionModel::Select);
      else
        sel_.clearSelection();
      return;
    }
    if (row < 0 || row >= count_) return;
    sel_.select(model_->index(row, 0), on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
  }

 private:
  QItemSelectionModel& sel_;
  const QAbstractItemModel* model_;
  int count_ = 0;
  int caret_ = -1;
};

}  // namespace

TSearchFieldKeyResult HandleSearchFieldKey(const TSearchFieldKeyPress& press, QItemSelectionModel& list) {
  using A = TSearchFieldAction;
  switch (press.Key) {
    case TSearchFieldKey::Return:
      if (!press.Ctrl) return {true, A::RunQueryThenSelectAll};
      return {true, press.Shift ? A::Enqueue : A::Play};

    case TSearchFieldKey::Up: {
      if (!press.Ctrl) return {};
      if (!list.model()) return {true, A::None};
      TListAccess l(list);
      if (l.Caret() > 0) {
        l.SetCaret(l.Caret() - 1);
        if (!press.Shift) l.Select(l.Caret() + 1, false);
        l.Select(l.Caret(), true);
      }
      return {true, A::None};
    }

    case TSearchFieldKey::Down: {
      if (!press.Ctrl) return {};
      if (!list.model()) return {true, A::None};
      TListAccess l(list);
      if (l.Caret() < l.Count()) {
        if (l.Caret() + 1 < l.Count()) l.SetCaret(l.Caret() + 1);
        if (!press.Shift) l.Select(l.Caret() - 1, false);
        l.Select(l.Caret(), true);
      }
      return {true, A::None};
    }

    case TSearchFieldKey::Other: break;
  }
  return {};
}

void MarkFirstHit(QItemSelectionModel& list) {
  const QAbstractItemModel* model = list.model();
  if (model && model->rowCount() > 0) {
    const QModelIndex first = model->index(0, 0);
    list.setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    list.select(first, QItemSelectionModel::Select);
  } else {
    list.setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
}

}  // namespace kt
