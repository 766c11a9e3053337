#pragma once
// What the program does with the tracks the user chose: play them (the
// player's playlist is replaced), enqueue them, enqueue them right behind the
// track that plays, or copy them into the target folder.

#include "catalog/LineList.h"
#include "platform/DialogService.h"
#include "platform/Paths.h"
#include "player/PlayerLink.h"
#include "player/PlaylistFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

// What the actions need of the window around them.
class ITrackActionView {
 public:
  virtual ~ITrackActionView() = default;
  virtual void SetCursor(int id) = 0;  // 0: the normal cursor
  virtual void ProcessEvents() = 0;
  virtual void Sleep(int milliseconds) = 0;
  // The full-screen view in front: it shows an "Added: " banner for every
  // enqueued file.
  virtual bool FullScreenInFront() { return false; }
  virtual void ShowBanner(std::string_view) {}
};

// The path of a result-list entry: up to and including the ".mp3" of its
// first ".mp3 [" (any letter case), completed with the shown folder when it
// holds no backslash.
std::string ResolveEntry(std::string_view entry, std::string_view currentFolder);

// The playlist's entries with the last `count` moved right behind entry
// pos (0-based): the header line, entries 1 … pos + 1, the newly added ones,
// then the rest, every entry's two lines kept together. When the current
// entry lies among the last `count` (an empty playlist before the
// addition), no entry is repeated: the added entries that are not yet placed
// follow it. Nothing when the list holds fewer than two entries.
std::optional<TLineList> MoveEntriesBehind(const TLineList& lines, int64_t pos, size_t count);

class TTrackActions {
 public:
  TTrackActions(TPlayerLink& player, const TPathMapper& paths, IDialogService& dialogs, QObject* owner,
                ITrackActionView& view, TPlaylistFileGate& gate);

  // The folder shown in the tree, for entries without a folder of their own.
  std::string CurrentFolder;
  // Where "copy to" puts the files (catalog form).
  std::string TargetFolder;

  bool ActOnEntry(std::string_view entry, bool& play, bool copy, std::string& sources, std::string& targets);
  void SendToPlayer(std::string_view path, bool& play);
  // Acts on the entries in their order; true when at least one file was found.
  bool ActOnList(const std::vector<std::string>& entries, bool play, bool copy);
  void MoveBehindCurrent(size_t count);

  // The shown confirmation: cursor 100 for 100 rounds of processing events
  // and sleeping this long (three seconds).
  void ShowConfirmation();
  int ConfirmationRoundMs = 30;

 private:
  void CopyListed(const std::string& sources, const std::string& targets);
  void Reorder(size_t count);

  TPlayerLink& player_;
  const TPathMapper& paths_;
  IDialogService& dialogs_;
  QObject* owner_;
  ITrackActionView& view_;
  TPlaylistFileGate& gate_;
};

inline constexpr const char* kMissingTrackText =
    "Der Track wurde umbenannt, verschoben oder gel\xF6scht. Bitte aktualisieren Sie den Index.";

}  // namespace kt
