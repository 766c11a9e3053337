#pragma once
// Keys of the search field that work on the result list without leaving the
// field: Ctrl+Up and Ctrl+Down move the caret and the selection, Ctrl+Return
// plays and Ctrl+Shift+Return enqueues the selected entries, Return runs the
// query.
//
// The list is reached through its selection model: the caret is the current
// index (none = -1), the selection its selected rows. Selecting or
// deselecting entry -1 applies to every entry. Each key press selects or
// deselects single rows (or one range for "every entry"), so its cost does
// not grow with the number of entries.

#include <QItemSelectionModel>
#include <Qt>

namespace kt {

enum class TSearchFieldKey { Return, Up, Down, Other };

struct TSearchFieldKeyPress {
  TSearchFieldKey Key = TSearchFieldKey::Other;
  bool Ctrl = false;
  bool Shift = false;
  bool Alt = false;

  // Return and the keypad's Enter are both Return.
  static TSearchFieldKeyPress FromQt(int qtKey, Qt::KeyboardModifiers modifiers);
};

// What the form does after the key.
enum class TSearchFieldAction {
  None,
  RunQueryThenSelectAll,  // run the query, then select the field's whole text
  Play,                   // play the selected entries
  Enqueue,                // enqueue the selected entries
};

struct TSearchFieldKeyResult {
  bool Swallowed = false;  // the key does not reach the field
  TSearchFieldAction Action = TSearchFieldAction::None;

  friend bool operator==(const TSearchFieldKeyResult&, const TSearchFieldKeyResult&) = default;
};

// Handles a key of the search field: moves caret and selection of the list
// for Ctrl+Up / Ctrl+Down (with Shift: extending the selection) and tells the
// form what else to do. The keys of the table are swallowed also when
// nothing changes; every other key, Up and Down without Ctrl included, is
// left to the field.
TSearchFieldKeyResult HandleSearchFieldKey(const TSearchFieldKeyPress& press, QItemSelectionModel& list);

// After a text search: the caret on entry 0 and entry 0 selected when the
// list has entries; the caret -1 otherwise.
void MarkFirstHit(QItemSelectionModel& list);

}  // namespace kt
