#pragma once
// The result list: the entries a query or a chosen folder put into the large
// list of the main window.
//
// An entry is text only, but it is stored as a reference into the catalog: a
// track line and a byte offset into it (0 after a search, the length of the
// folder path in folder view). A million entries are one flat array of eight
// bytes each; an entry becomes a QString only when a view asks for its row.
//
// The model refers to the catalog it was given and never copies its lines.
// Whoever replaces the catalog's lines calls Clear() first (or SetCatalog
// again). An entry whose line is gone meanwhile shows as an empty text rather
// than reading past the new lines.

#include "catalog/Catalog.h"

#include <QAbstractListModel>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kt {

// No Q_OBJECT: the model adds no signals or slots of its own (the core
// library is built without moc), so qobject_cast sees a QAbstractListModel.
class TResultList : public QAbstractListModel {
 public:
  explicit TResultList(QObject* parent = nullptr);

  // Drops every entry and refers to this catalog from now on (null: none).
  void SetCatalog(const TCatalog* catalog);
  const TCatalog* Catalog() const { return catalog_; }

  // Bulk changes: between the outermost BeginUpdate and its EndUpdate the
  // views are told nothing; EndUpdate resets them once. Outside an update
  // every change is announced on its own. Calls nest.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updates_ > 0; }

  void Clear();
  void Reserve(size_t entries) { entries_.reserve(entries); }
  // Appends the track line track from byte offset on. Refused (false) when
  // there is no catalog, the track is not in it or the offset lies past the
  // line's end.
  bool AppendTrack(size_t track, size_t offset = 0);

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  // The entry's text in Windows-1252; empty for a row that does not exist.
  std::string_view Text(size_t row) const;
  // The track line the entry was taken from; SIZE_MAX for a row that does not exist.
  size_t Track(size_t row) const;
  size_t Offset(size_t row) const;

  // QAbstractItemModel
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  struct TEntry {
    uint32_t Track;
    uint32_t Offset;
  };
  static_assert(sizeof(TEntry) == 8);

  const TCatalog* catalog_ = nullptr;
  std::vector<TEntry> entries_;
  int updates_ = 0;

  friend class TResultListFiller;
};

// The query's way of filling the list fast: appends without the checks of
// AppendTrack and without announcing each row. Only for use inside
// BeginUpdate / EndUpdate with tracks known to be in the catalog.
class TResultListFiller {
 public:
  explicit TResultListFiller(TResultList& list) : entries_(list.entries_) {}
  void Reserve(size_t n) { entries_.reserve(n); }
  void Append(size_t track) { entries_.push_back({uint32_t(track), 0}); }

 private:
  std::vector<TResultList::TEntry>& entries_;
};

}  // namespace kt
