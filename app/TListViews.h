#pragma once
// The result list and the folder tree as the main window needs them: mouse
// presses reach the window's handlers with the selection as a list box
// leaves it, and a whole row counts as its entry.

#include <QListView>
#include <QTreeView>

#include <functional>

namespace kt {

class TListBox : public QListView {
 public:
  explicit TListBox(QWidget* parent = nullptr) : QListView(parent) {}
  // Every press: the right button before the view sees it (it leaves the
  // selection to the handler), the others after the view has moved it.
  std::function<void(Qt::MouseButton button, QPoint at)> OnMouseDown;
  std::function<void()> OnDblClick;
  // The row under the point, wherever along the row it lies; invalid below the last one.
  QModelIndex indexAt(const QPoint& p) const override;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
};

class TTreeView : public QTreeView {
 public:
  explicit TTreeView(QWidget* parent = nullptr) : QTreeView(parent) {}
  // A right press on a node's image or caption (not on the empty part of its row).
  std::function<void(const QModelIndex& node, QPoint globalAt)> OnRightClickNode;
  // A left click anywhere in the tree.
  std::function<void()> OnClick;
  // Collapses the node and every expanded node below it with one relayout.
  void CollapseSubtree(const QModelIndex& node);
  // Whether the point lies on the node's image or caption.
  bool OnNode(const QModelIndex& node, QPoint at) const;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
};

}  // namespace kt
