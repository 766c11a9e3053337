#include "search/ResultList.h"

#include "platform/Cp1252.h"

#include <climits>
#include <cstdint>

namespace kt {

TResultList::TResultList(QObject* parent) : QAbstractListModel(parent) {}

void TResultList::SetCatalog(const TCatalog* catalog) {
  if (!Updating()) beginResetModel();
  entries_.clear();
  catalog_ = catalog;
  if (!Updating()) endResetModel();
}

void TResultList::BeginUpdate() {
  if (updates_++ == 0) beginResetModel();
}

void TResultList::EndUpdate() {
  if (updates_ == 0) return;
  if (--updates_ == 0) endResetModel();
}

void TResultList::Clear() {
  if (Updating()) {
    entries_.clear();
    return;
  }
  if (entries_.empty()) return;
  beginResetModel();
  entries_.clear();
  endResetModel();
}

bool TResultList::AppendTrack(size_t track, size_t offset) {
  if (!catalog_ || track >= catalog_->Tracks.size() || track > UINT32_MAX) return false;
  if (offset > catalog_->Tracks[track].size() || offset > UINT32_MAX) return false;
  if (entries_.size() >= size_t(INT_MAX)) return false;  // a view counts its rows in int
  const TEntry e{uint32_t(track), uint32_t(offset)};
  if (Updating()) {
    entries_.push_back(e);
    return true;
  }
  const int row = int(entries_.size());
  beginInsertRows(QModelIndex(), row, row);
  entries_.push_back(e);
  endInsertRows();
  return true;
}

std::string_view TResultList::Text(size_t row) const {
  if (row >= entries_.size() || !catalog_) return {};
  const TEntry& e = entries_[row];
  if (e.Track >= catalog_->Tracks.size()) return {};
  const std::string_view line = catalog_->Tracks[e.Track];
  if (e.Offset > line.size()) return {};
  return line.substr(e.Offset);
}

size_t TResultList::Track(size_t row) const { return row < entries_.size() ? entries_[row].Track : SIZE_MAX; }

size_t TResultList::Offset(size_t row) const { return row < entries_.size() ? entries_[row].Offset : 0; }

int TResultList::rowCount(const QModelIndex& parent) const {
  // During a bulk update the views were told the rows are being reset; they
  // see the new rows only after EndUpdate.
  return parent.isValid() ? 0 : int(entries_.size());
}

QVariant TResultList::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.model() != this || index.column() != 0 || index.row() < 0)
    return {};
  return FromCp1252(Text(size_t(index.row())));
}

}  // namespace kt
