#pragma once
// The catalog in memory: what the program knows about the collection.

#include "catalog/LineList.h"

namespace kt {

struct TCatalog {
  TLineList Tracks;   // lines of "Index.txt"; position = index number
  TLineList Folders;  // lines of "Baum.txt"
  TLineList Keys;     // parallel to Tracks: the folded search key of each track line

  // The keys belong to the track lines one by one.
  bool KeysMatchTracks() const { return Keys.size() == Tracks.size(); }
  void Clear() {
    Tracks.Clear();
    Folders.Clear();
    Keys.Clear();
  }
};

}  // namespace kt
