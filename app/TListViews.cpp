#include "app/TListViews.h"

#include <QMouseEvent>

#include <vector>

namespace kt {

QModelIndex TListBox::indexAt(const QPoint& p) const {
  // Entries start at the left edge of the content; ask there.
  return QListView::indexAt(QPoint(1 - horizontalOffset(), p.y()));
}

void TListBox::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (e->button() == Qt::RightButton) {
    if (OnMouseDown) OnMouseDown(e->button(), at);
    e->accept();
    return;
  }
  QListView::mousePressEvent(e);
  if (OnMouseDown) OnMouseDown(e->button(), at);
}

void TListBox::mouseDoubleClickEvent(QMouseEvent* e) {
  QListView::mouseDoubleClickEvent(e);
  if (e->button() == Qt::LeftButton && OnDblClick) OnDblClick();
}

bool TTreeView::OnNode(const QModelIndex& node, QPoint at) const {
  if (!node.isValid()) return false;
  const QRect row = visualRect(node);
  int icon = iconSize().width();
  if (icon <= 0) icon = 16;
  const int right = row.left() + icon + 8 + fontMetrics().horizontalAdvance(node.data().toString());
  return row.contains(at) && at.x() <= right;
}

void TTreeView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::RightButton) {
    QTreeView::mousePressEvent(e);
    return;
  }
  e->accept();
  const QPoint at = e->position().toPoint();
  const QModelIndex node = indexAt(at);
  if (OnNode(node, at) && OnRightClickNode) OnRightClickNode(node, e->globalPosition().toPoint());
}

void TTreeView::mouseReleaseEvent(QMouseEvent* e) {
  QTreeView::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton && OnClick) OnClick();
}

void TTreeView::CollapseSubtree(const QModelIndex& node) {
  if (!node.isValid() || !model()) return;
  // While a relayout is pending, collapsing only forgets the expanded state.
  scheduleDelayedItemsLayout();
  std::vector<QModelIndex> pending{node};
  while (!pending.empty()) {
    const QModelIndex i = pending.back();
    pending.pop_back();
    const int rows = model()->rowCount(i);
    for (int r = 0; r < rows; ++r) {
      const QModelIndex child = model()->index(r, 0, i);
      if (model()->hasChildren(child)) pending.push_back(child);
    }
    if (isExpanded(i)) collapse(i);
  }
}

}  // namespace kt
