#pragma once
// The indexing run: from the search-path list to a new catalog.
//
// The search-path dialog and the batch indexer klangtruhe-index both start it
// through RunIndexingSteps, which writes "Pfade.txt",
// scans every entry's folder for MP3 files, applies the entries' modes,
// sorts the tracks into index-number order, reads each file's ID3v1 tag,
// writes "Index.txt", "Baum.txt" and the two printable RTF catalogs into the
// program folder and rebuilds the search keys. The caller rebuilds the folder
// tree afterwards (the third stage of the gauge) and shows the closing message.
//
// While the run is in progress a track-list entry is a working line:
//   category letter ("A" pmIndex, "B" pmAtEnd, "C" pmSkip), folder path, "\",
//   the name separator (byte 8E, the letter "Ž" in Windows-1252), file name.
// The whole working line takes part in the case-blind sort, so all "A" lines
// come before all "B" lines, and the separator collates like a "Z".

#include "catalog/Catalog.h"
#include "catalog/CatalogFiles.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

namespace kt {

class TCollator;
class TPathMapper;

// The progress gauge: range 0 to 10000, shared by three stages.
inline constexpr int kIndexingGaugeRange = 10000;
inline constexpr int kScanStage = 1;    // weight 1194: one step per search-path entry
inline constexpr int kTagStage = 2;     // weight 7615: one step per track line
inline constexpr int kTreeStage = 3;    // weight 1191: reported by the folder-tree builder

// The gauge position for "done of total" in a stage: the weights of the
// earlier stages plus Round(weight * done / total), halves to the even
// neighbour, in 64-bit arithmetic (stage 2 passes 2^31 above 282,000 tracks);
// with total 0 the stage counts as complete. Stages below 1 give 0, above 3
// the full range.
int IndexingGaugePosition(int stage, size_t done, size_t total);

// Where the run reports to. Either function may be empty.
struct TIndexingSink {
  // Every step of stages 1 and 2, with its gauge position. Stage 2 reports
  // once per track line: a caller that repaints should skip repeated positions.
  std::function<void(int gaugePosition)> Progress;
  // Once per folder the scan enters (listable or not), before it lists it:
  // the place to let the user interface process pending events. The caller
  // may throttle.
  std::function<void()> ProcessEvents;
};

// A catalog file that could not be written; the file that was there before
// stays as it was (the writes are atomic).
struct TUnwrittenFile {
  std::string Name;  // the file name in the program folder, e.g. "Index.txt"
  std::error_code Error;
};

struct TIndexingResult {
  size_t TrackCount = 0;                     // the number of track lines now in the catalog
  std::vector<TUnwrittenFile> UnwrittenFiles;  // in the order the run wrote them
  bool AllWritten() const { return UnwrittenFiles.empty(); }
};

// Steps 4 to 7: scans the entries in list order, sorts and merges, drops the
// skipped tracks and appends each track's tag part. Fills catalog.Tracks and
// catalog.Folders (emptied first); the search keys are left alone.
//
// Each entry's text loses its bytes of value 32 or less at both ends and is a
// catalog path, mapped to a native folder once through the mapper; an entry
// that is empty after trimming scans nothing. Folders are walked natively,
// entries in the order the file system lists them, and every name enters
// the catalog in its Windows-1252 form. A folder that cannot be listed adds
// nothing; a folder link is followed unless it leads to a folder the walk is
// already inside (so link loops end); a file that cannot be opened for its
// tag counts as untagged.
void BuildTrackAndFolderLists(const std::vector<TSearchPath>& paths, const TPathMapper& mapper,
                              TCatalog& catalog, const TIndexingSink& sink = {});

// Steps 2 to 10 of the run, in the program folder (a native path):
//   2 "Pfade.txt" from paths; 4-7 as BuildTrackAndFolderLists; 8 "Index.txt"
//   and "Baum.txt"; 9 "WinLIRC Baum.rtf" (tree template) and "WinLIRC
//   Index.rtf" (index template) from the print lists; 10 the search keys.
// A file that cannot be written is listed in the result and the run goes on;
// the catalog in memory is complete and consistent in any case. Throws
// std::runtime_error only when ICU has no German collation.
TIndexingResult RunIndexingSteps(const std::vector<TSearchPath>& paths, const TPathMapper& mapper,
                                 const std::filesystem::path& programFolderNative, TCatalog& catalog,
                                 const TIndexingSink& sink = {});

// The closing message (Windows-1252): "Indizierung abgeschlossen.
// Datenbankgröße: N Tracks."
std::string IndexingDoneMessage(size_t trackCount);
// The error message for a file that could not be written (Windows-1252),
// naming the file: Die Datei „Index.txt“ konnte nicht geschrieben werden.
std::string UnwrittenFileMessage(const TUnwrittenFile& file);

// The track list while the run is in progress: working lines, one per track,
// in scan order. Exposed for the run's tests.
class TWorkingTrackList {
 public:
  static constexpr char kSeparator = '\x8E';

  TWorkingTrackList();
  ~TWorkingTrackList();
  TWorkingTrackList(const TWorkingTrackList&) = delete;
  TWorkingTrackList& operator=(const TWorkingTrackList&) = delete;

  // Appends letter + folder + "\" + separator + name. The letter is "A",
  // "B" or "C" (the relabel index relies on its being a letter).
  void Append(char letter, std::string_view folder, std::string_view name);
  // A track found by a sub-entry's scan. key := folder + "\" + separator +
  // name in ASCII lower case; the first line from the top whose ASCII lower
  // case form holds key gets letter as its first byte. When no line holds
  // it, the working line is appended as by Append. True when it was appended.
  bool Relabel(char letter, std::string_view folder, std::string_view name);

  size_t size() const { return lines_.size(); }
  char Letter(size_t i) const { return letters_[i]; }
  // The file name of working line i.
  std::string_view Name(size_t i) const { return {names_.data() + lines_[i].nameAt, lines_[i].nameLength}; }
  // The working line, letter and separator included.
  std::string Line(size_t i) const;
  // Appends the file's full path: the working line without letter and separator.
  void AppendTrackPath(size_t i, std::string& out) const;
  size_t TrackPathLength(size_t i) const { return Folder(i).size() + 1 + lines_[i].nameLength; }

  // Steps 5 and 6 as positions: the lines that remain after a stable
  // case-blind sort of the whole working lines that keeps only the first of
  // lines comparing equal, and after dropping the "C" lines; in their new order.
  std::vector<uint32_t> SortAndMerge(const TCollator& collator) const;

 private:
  struct TLine {
    uint64_t nameAt;  // in names_
    uint32_t nameLength;
    uint32_t folder;  // in folders_
  };
  class TRelabelIndex;
  class TSorter;

  std::string_view Folder(size_t i) const { return folders_[lines_[i].folder]; }
  // Folder, "\", separator, name: the working line without its letter.
  void AppendRest(size_t i, std::string& out) const;
  // The working line in ASCII lower case.
  void AppendLowerLine(size_t i, std::string& out) const;
  // Whether the ASCII lower-case form of working line i holds lowerKey.
  bool Contains(size_t i, std::string_view lowerKey, std::string& scratch) const;
  size_t FindLiterally(std::string_view lowerKey);

  // Each folder's path is kept once; a line has its folder's number and its own name.
  std::deque<std::string> folders_;
  std::unordered_map<std::string_view, uint32_t> folderIds_;  // views into folders_
  uint32_t lastFolder_ = UINT32_MAX;
  std::string names_;
  std::vector<TLine> lines_;
  std::vector<char> letters_;
  std::unique_ptr<TRelabelIndex> index_;  // built by the first Relabel that can use it
  std::string key_, scratch_;
};

}  // namespace kt
