#include "catalog/FolderTreeModel.h"

#include "platform/Cp1252.h"

#include <utility>

namespace kt {

TFolderTreeModel::TFolderTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void TFolderTreeModel::Rebuild(const TLineList& folders, const TFolderTree::TProgress& progress) {
  TFolderTree tree;
  tree.Build(folders, progress);
  SetTree(std::move(tree));
}

void TFolderTreeModel::SetTree(TFolderTree tree) {
  beginResetModel();
  tree_ = std::move(tree);
  endResetModel();
}

TFolderNode* TFolderTreeModel::NodeOf(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return nullptr;
  return static_cast<TFolderNode*>(index.internalPointer());
}

QModelIndex TFolderTreeModel::IndexOf(const TFolderNode* node) const {
  if (!node) return {};
  return createIndex(node->Row, 0, const_cast<TFolderNode*>(node));
}

void TFolderTreeModel::SetExpanded(const QModelIndex& index, bool expanded) {
  TFolderNode* node = NodeOf(index);
  if (!node) return;
  if (TFolderTree::SetExpanded(*node, expanded))
    emit dataChanged(index, index, {ImageRole, SelectedImageRole, Qt::DecorationRole});
}

void TFolderTreeModel::SetDecoration(std::function<QVariant(int image)> decoration) {
  decoration_ = std::move(decoration);
}

QModelIndex TFolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0)) return {};
  const std::vector<TFolderNode*>& level = tree_.ChildrenOf(NodeOf(parent));
  if (size_t(row) >= level.size()) return {};
  return createIndex(row, 0, level[size_t(row)]);
}

QModelIndex TFolderTreeModel::parent(const QModelIndex& child) const {
  const TFolderNode* node = NodeOf(child);
  return node ? IndexOf(node->Parent) : QModelIndex();
}

int TFolderTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return int(tree_.ChildrenOf(NodeOf(parent)).size());
}

int TFolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TFolderTreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant TFolderTreeModel::data(const QModelIndex& index, int role) const {
  const TFolderNode* node = NodeOf(index);
  if (!node) return {};
  switch (role) {
    case Qt::DisplayRole:
      return FromCp1252(node->Caption);
    case ImageRole:
      return node->ImageIndex;
    case SelectedImageRole:
      return node->SelectedIndex;
    case Qt::DecorationRole:
      return decoration_ ? decoration_(node->ImageIndex) : QVariant();
    default:
      return {};
  }
}

Qt::ItemFlags TFolderTreeModel::flags(const QModelIndex& index) const {
  if (!NodeOf(index)) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;  // captions are read-only
}

}  // namespace kt
