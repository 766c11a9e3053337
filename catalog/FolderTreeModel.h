#pragma once
// The folder tree as an item model for a tree view: one column, a row per
// node, the caption as display text and the image index in ImageRole.
//
// The model owns its TFolderTree. A rebuild makes the new tree beside the
// old one and then swaps it in with one model reset, so a view that paints
// while the build reports progress still sees a whole tree.

#include "catalog/FolderTree.h"

#include <QAbstractItemModel>
#include <QVariant>

#include <functional>
#include <string>

namespace kt {

class TFolderTreeModel : public QAbstractItemModel {
 public:
  static constexpr int ImageRole = Qt::UserRole;              // int: the node's image index
  static constexpr int SelectedImageRole = Qt::UserRole + 1;  // int: its selected image index

  explicit TFolderTreeModel(QObject* parent = nullptr);

  // Builds a tree from the folder lines, then shows it (a model reset).
  void Rebuild(const TLineList& folders, const TFolderTree::TProgress& progress = {});
  // Shows this tree in place of the current one (a model reset).
  void SetTree(TFolderTree tree);
  const TFolderTree& Tree() const { return tree_; }

  // The node of an index, none for the invalid index (and for an index of
  // another model).
  TFolderNode* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(const TFolderNode* node) const;
  // The captions from the top level down, joined by "\" (a network folder
  // without its leading "\\"; the caller adds it).
  std::string PathOf(const QModelIndex& index) const { return TFolderTree::PathOf(NodeOf(index)); }

  // The node expands or collapses: its image follows (TFolderTree::SetExpanded),
  // and dataChanged tells the views when it did.
  void SetExpanded(const QModelIndex& index, bool expanded);

  // What Qt::DecorationRole shows for an image index (the form's icons);
  // without it the role is empty. Set it once, before a view shows the model.
  void SetDecoration(std::function<QVariant(int image)> decoration);

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  TFolderTree tree_;
  std::function<QVariant(int)> decoration_;
};

}  // namespace kt
