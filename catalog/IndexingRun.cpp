#include "catalog/IndexingRun.h"

#include "catalog/CatalogLoader.h"
#include "catalog/Collation.h"
#include "catalog/Id3v1Tag.h"
#include "catalog/RtfCatalog.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kt {
namespace {

constexpr size_t npos = std::string_view::npos;
constexpr int kStageWeights[] = {1194, 7615, 1191};

void AppendLower(std::string_view s, std::string& out) {
  const size_t at = out.size();
  out.resize(at + s.size());
  char* o = out.data() + at;
  for (char c : s) *o++ = AsciiLower(c);
}

// The name ends in ".mp3", letter case ignored; the same as "its extension,
// from its last '.', is .mp3" and as matching the pattern "*.mp3".
bool EndsWithMp3(std::string_view name) {
  const size_t n = name.size();
  return n >= 4 && name[n - 4] == '.' && AsciiLower(name[n - 3]) == 'm' && AsciiLower(name[n - 2]) == 'p' &&
         name[n - 1] == '3';
}

// In a lower-cased text: the two bytes at j are how a catalog path begins,
// a drive ("d:") or the "\\" of a network path.
bool CatalogPathStartsAt(std::string_view lower, size_t j) {
  const char a = lower[j], b = lower[j + 1];
  return (b == ':' && a >= 'a' && a <= 'z') || (a == '\\' && b == '\\');
}

// The shortest key a relabelling can look for: "d:", "\", the separator, ".mp3".
constexpr size_t kShortestKey = 8;

// " [", artist, " - ", title, "]" with both fields full (30 bytes each).
constexpr size_t kLongestTagPart = 2 + 30 + 3 + 30 + 1;

// A key the relabel index answers: it begins like a catalog path and ends in ".mp3".
bool IndexableKey(std::string_view lowerKey) {
  return lowerKey.size() >= kShortestKey && CatalogPathStartsAt(lowerKey, 0) &&
         lowerKey.substr(lowerKey.size() - 4) == ".mp3";
}

uint32_t HashKey(std::string_view s) {
  uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a, then a final mix so every bit counts
  for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ull;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return uint32_t(h);
}

}  // namespace

int IndexingGaugePosition(int stage, size_t done, size_t total) {
  if (stage < kScanStage) return 0;
  if (stage > kTreeStage) return kIndexingGaugeRange;
  int base = 0;
  for (int s = kScanStage; s < stage; ++s) base += kStageWeights[s - 1];
  const uint64_t weight = uint64_t(kStageWeights[stage - 1]);
  if (total == 0) return base + int(weight);
  // More done than there is counts as all done (the run never reports that).
  const uint64_t t = total, d = std::min<uint64_t>(done, total);
  const unsigned __int128 product = (unsigned __int128)weight * d;  // never overflows
  uint64_t q = uint64_t(product / t);
  const uint64_t r = uint64_t(product % t);
  if (r > t - r || (r == t - r && (q & 1))) ++q;  // halves to the even neighbour
  return base + int(q);
}

// ---------------------------------------------------------------------------
// Relabelling for sub-entries.
//
// A sub-entry's track looks for the first line from the top whose ASCII
// lower-case form holds key = lower(folder + "\" + separator + name) anywhere.
// Searching the list from the top for every such track is quadratic, so the
// index answers it from a hash table instead, with exactly the same result.
//
// Every key a scan makes begins like a catalog path (a drive letter and ":",
// or "\\") and ends in ".mp3". So wherever a key occurs in a line, it starts
// at a byte pair of that form and ends right after a ".mp3" of the line. The
// index therefore registers, for each line, every stretch of its lower-cased
// path that runs from such a byte pair to such an end (usually exactly one:
// from the drive to the end of the file name; more only when folder or file
// names hold "x:", "\\" or ".mp3" themselves: "song.mp3.mp3" also registers
// its prefix "...song.mp3"). A key is then found in the line iff it equals
// one of the line's stretches, and the table keeps, for each distinct
// stretch, the first line that has it. No assumption about the separator is
// made: a name holding the byte 8E is indexed like any other.
//
// The slower cases, each with the literal search:
//   - a key that does not begin like a catalog path (a hand-edited sub-entry
//     whose text is no catalog path): the whole list is searched from the top;
//   - a line whose path begins with ":" (again only from a hand-edited entry):
//     a key could start at the line's category letter, which relabelling
//     changes, so such lines are not registered but tried one by one, in
//     order, for every key.
class TWorkingTrackList::TRelabelIndex {
 public:
  void Add(const TWorkingTrackList& list, uint32_t line) {
    const std::string_view folder = list.Folder(line);
    if (!folder.empty() && folder[0] == ':') {
      irregular_.push_back(line);
      return;
    }
    lower_.clear();
    AppendLower(folder, lower_);
    lower_ += '\\';
    lower_ += kSeparator;
    AppendLower(list.Name(line), lower_);
    const std::string_view s = lower_;
    starts_.clear();
    ends_.clear();
    for (size_t j = 0; j + 1 < s.size(); ++j)
      if ((s[j + 1] == ':' || s[j] == '\\') && CatalogPathStartsAt(s, j)) starts_.push_back(j);
    for (size_t at = s.find(".mp3"); at != npos; at = s.find(".mp3", at + 1)) ends_.push_back(at + 4);
    for (size_t j : starts_)
      for (size_t e : ends_)
        if (e >= j + kShortestKey) Insert(list, s.substr(j, e - j), line);
  }

  // The first line that holds lowerKey, or npos; lowerKey is indexable.
  size_t Find(const TWorkingTrackList& list, std::string_view lowerKey) {
    size_t best = npos;
    if (!slots_.empty()) {
      const uint32_t tag = HashKey(lowerKey);
      for (size_t pos = Position(tag);; pos = (pos + 1) & mask_) {
        const TSlot& slot = slots_[pos];
        if (slot.line == kEmpty) break;
        if (slot.tag == tag && slot.line < best && list.Contains(slot.line, lowerKey, scratch_)) best = slot.line;
      }
    }
    for (uint32_t line : irregular_) {
      if (line >= best) break;
      if (list.Contains(line, lowerKey, scratch_)) return line;
    }
    return best;
  }

 private:
  struct TSlot {
    uint32_t tag;
    uint32_t line;
  };
  static constexpr uint32_t kEmpty = UINT32_MAX;

  size_t Position(uint32_t tag) const { return size_t(uint32_t(tag * 0x9E3779B1u) >> (32 - bits_)); }

  void Insert(const TWorkingTrackList& list, std::string_view key, uint32_t line) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    const uint32_t tag = HashKey(key);
    for (size_t pos = Position(tag);; pos = (pos + 1) & mask_) {
      TSlot& slot = slots_[pos];
      if (slot.line == kEmpty) {
        slot = {tag, line};
        ++used_;
        return;
      }
      // An earlier line holds this stretch already: it is the one to find.
      if (slot.tag == tag && list.Contains(slot.line, key, scratch_)) return;
    }
  }

  void Grow() {
    std::vector<TSlot> old = std::move(slots_);
    bits_ = old.empty() ? 12 : bits_ + 1;
    slots_.assign(size_t(1) << bits_, TSlot{0, kEmpty});
    mask_ = slots_.size() - 1;
    // Find looks at every slot of a chain, so the order within the chains does not matter.
    for (const TSlot& s : old) {
      if (s.line == kEmpty) continue;
      size_t pos = Position(s.tag);
      while (slots_[pos].line != kEmpty) pos = (pos + 1) & mask_;
      slots_[pos] = s;
    }
  }

  std::vector<TSlot> slots_;
  size_t used_ = 0, mask_ = 0;
  int bits_ = 0;
  std::vector<uint32_t> irregular_;  // ascending
  std::string lower_, scratch_;
  std::vector<size_t> starts_, ends_;
};

TWorkingTrackList::TWorkingTrackList() = default;
TWorkingTrackList::~TWorkingTrackList() = default;

void TWorkingTrackList::Append(char letter, std::string_view folder, std::string_view name) {
  // The lines of one folder come one after another, so the last folder is tried first.
  uint32_t id = lastFolder_;
  if (id == UINT32_MAX || folders_[id] != folder) {
    if (auto it = folderIds_.find(folder); it != folderIds_.end()) {
      id = it->second;
    } else {
      id = uint32_t(folders_.size());
      folders_.emplace_back(folder);
      folderIds_.emplace(folders_.back(), id);
    }
    lastFolder_ = id;
  }
  lines_.push_back({names_.size(), uint32_t(name.size()), id});
  letters_.push_back(letter);
  names_.append(name);
  if (index_) index_->Add(*this, uint32_t(lines_.size() - 1));
}

bool TWorkingTrackList::Relabel(char letter, std::string_view folder, std::string_view name) {
  key_.clear();
  AppendLower(folder, key_);
  key_ += '\\';
  key_ += kSeparator;
  AppendLower(name, key_);
  size_t hit;
  if (IndexableKey(key_)) {
    if (!index_) {
      index_ = std::make_unique<TRelabelIndex>();
      for (size_t i = 0; i < lines_.size(); ++i) index_->Add(*this, uint32_t(i));
    }
    hit = index_->Find(*this, key_);
  } else {
    hit = FindLiterally(key_);
  }
  if (hit != npos) {
    letters_[hit] = letter;
    return false;
  }
  Append(letter, folder, name);
  return true;
}

void TWorkingTrackList::AppendRest(size_t i, std::string& out) const {
  out += Folder(i);
  out += '\\';
  out += kSeparator;
  out += Name(i);
}

void TWorkingTrackList::AppendLowerLine(size_t i, std::string& out) const {
  out += AsciiLower(letters_[i]);
  AppendLower(Folder(i), out);
  out += '\\';
  out += kSeparator;
  AppendLower(Name(i), out);
}

bool TWorkingTrackList::Contains(size_t i, std::string_view lowerKey, std::string& scratch) const {
  scratch.clear();
  AppendLowerLine(i, scratch);
  return ::memmem(scratch.data(), scratch.size(), lowerKey.data(), lowerKey.size()) != nullptr;
}

size_t TWorkingTrackList::FindLiterally(std::string_view lowerKey) {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (Contains(i, lowerKey, scratch_)) return i;
  return npos;
}

std::string TWorkingTrackList::Line(size_t i) const {
  std::string line(1, letters_[i]);
  AppendRest(i, line);
  return line;
}

void TWorkingTrackList::AppendTrackPath(size_t i, std::string& out) const {
  out += Folder(i);
  out += '\\';
  out += Name(i);
}

// ---------------------------------------------------------------------------
// Sorting and merging.
//
// The literal rule inserts each line into a sorted list by binary search and
// drops a line that compares equal to one already there. That leaves, of
// every set of equal lines, the first one, in ascending order: a stable sort
// that keeps the first of equal sort keys gives the same list. A "C" line
// never equals an "A" or "B" line (the letters differ at the first, primary
// level), so dropping the "C" lines first changes nothing for the others.
//
// Sort keys of whole lines are the expensive part, and most of a line is its
// folder. Lines of one folder with one letter (a group) share everything up
// to and including the separator, and two texts with a common beginning
// compare as their remainders do (the collation of Windows-1252 text has no
// contractions or combining marks that could reach across), so a group is
// sorted by the keys of its file names alone. Groups are then put in the
// order of their first lines (whole-line keys of each group's first and last
// line); a group whose first line does not come after the last line of the
// groups before it overlaps them (a subfolder named like "Zappa" among the
// files of its parent, whose separator sorts like a "Z", or the same folder
// with another letter case), and such a cluster of groups is sorted and
// merged again by whole-line keys.
class TWorkingTrackList::TSorter {
 public:
  TSorter(const TWorkingTrackList& list, const TCollator& collator) : list_(list), collator_(collator) {}

  void AppendLineKey(uint32_t line, std::string& out) {
    scratch_.assign(1, list_.letters_[line]);
    list_.AppendRest(line, scratch_);
    collator_.AppendSortKey(scratch_, out);
  }
  void AppendNameKey(uint32_t line, std::string& out) { collator_.AppendSortKey(list_.Name(line), out); }

  // Sorts the lines by their keys, equal keys by position, and keeps only
  // the first of each run of equal keys.
  template <class MakeKey>
  void SortKeepFirst(std::vector<uint32_t>& lines, MakeKey makeKey) {
    keys_.clear();
    keyAt_.resize(lines.size() + 1);
    for (size_t k = 0; k < lines.size(); ++k) {
      keyAt_[k] = keys_.size();
      makeKey(lines[k], keys_);
    }
    keyAt_[lines.size()] = keys_.size();
    // The first eight key bytes, big-endian, decide most comparisons.
    items_.resize(lines.size());
    for (size_t k = 0; k < lines.size(); ++k) {
      const std::string_view kv = Key(k);
      uint64_t head = 0;
      for (size_t b = 0; b < 8; ++b) head = (head << 8) | (b < kv.size() ? uint8_t(kv[b]) : 0u);
      items_[k] = {head, lines[k], uint32_t(k)};
    }
    std::sort(items_.begin(), items_.end(), [&](const TItem& a, const TItem& b) {
      if (a.head != b.head) return a.head < b.head;
      const int c = Key(a.k).compare(Key(b.k));
      return c != 0 ? c < 0 : a.line < b.line;
    });
    lines.clear();
    for (size_t n = 0; n < items_.size(); ++n)
      if (n == 0 || Key(items_[n].k) != Key(items_[n - 1].k)) lines.push_back(items_[n].line);
  }

 private:
  struct TItem {
    uint64_t head;
    uint32_t line, k;
  };
  std::string_view Key(size_t k) const { return std::string_view(keys_).substr(keyAt_[k], keyAt_[k + 1] - keyAt_[k]); }

  const TWorkingTrackList& list_;
  const TCollator& collator_;
  std::string keys_, scratch_;
  std::vector<size_t> keyAt_;
  std::vector<TItem> items_;
};

std::vector<uint32_t> TWorkingTrackList::SortAndMerge(const TCollator& collator) const {
  TSorter sorter(*this, collator);
  const auto byName = [&](uint32_t line, std::string& out) { sorter.AppendNameKey(line, out); };
  const auto byLine = [&](uint32_t line, std::string& out) { sorter.AppendLineKey(line, out); };

  // The lines of each folder, "C" lines left out, in list order.
  const size_t folderCount = folders_.size();
  std::vector<uint32_t> folderStart(folderCount + 1, 0);
  for (size_t i = 0; i < lines_.size(); ++i)
    if (letters_[i] != 'C') ++folderStart[lines_[i].folder + 1];
  for (size_t f = 0; f < folderCount; ++f) folderStart[f + 1] += folderStart[f];
  std::vector<uint32_t> byFolder(folderStart[folderCount]);
  {
    std::vector<uint32_t> next(folderStart.begin(), folderStart.end() - 1);
    for (size_t i = 0; i < lines_.size(); ++i)
      if (letters_[i] != 'C') byFolder[next[lines_[i].folder]++] = uint32_t(i);
  }

  // Each group sorted and merged by file names; its lines go to kept.
  struct TGroup {
    size_t begin, end;  // in kept
    std::string first, last;  // whole-line keys of its first and last line
  };
  std::vector<uint32_t> kept, group;
  kept.reserve(byFolder.size());
  std::vector<TGroup> groups;
  const auto letterOf = [&](uint32_t line) { return letters_[line]; };
  for (size_t f = 0; f < folderCount; ++f) {
    const auto begin = byFolder.begin() + folderStart[f], end = byFolder.begin() + folderStart[f + 1];
    if (begin == end) continue;
    if (std::any_of(begin, end, [&](uint32_t line) { return letterOf(line) != letterOf(*begin); }))
      std::stable_sort(begin, end, [&](uint32_t a, uint32_t b) { return letterOf(a) < letterOf(b); });
    for (auto run = begin; run != end;) {
      const auto runEnd = std::find_if(run, end, [&](uint32_t line) { return letterOf(line) != letterOf(*run); });
      group.assign(run, runEnd);
      sorter.SortKeepFirst(group, byName);
      TGroup g{kept.size(), kept.size() + group.size(), {}, {}};
      sorter.AppendLineKey(group.front(), g.first);
      sorter.AppendLineKey(group.back(), g.last);
      kept.insert(kept.end(), group.begin(), group.end());
      groups.push_back(std::move(g));
      run = runEnd;
    }
  }

  // The groups in the order of their first lines, overlapping ones in clusters.
  std::vector<uint32_t> order(groups.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const int c = groups[a].first.compare(groups[b].first);
    return c != 0 ? c < 0 : a < b;
  });
  std::vector<uint32_t> result;
  result.reserve(kept.size());
  for (size_t c = 0; c < order.size();) {
    std::string_view top = groups[order[c]].last;
    size_t d = c + 1;
    for (; d < order.size() && groups[order[d]].first.compare(top) <= 0; ++d)
      if (groups[order[d]].last.compare(top) > 0) top = groups[order[d]].last;
    if (d == c + 1) {
      const TGroup& g = groups[order[c]];
      result.insert(result.end(), kept.begin() + long(g.begin), kept.begin() + long(g.end));
    } else {
      group.clear();
      for (size_t k = c; k < d; ++k) {
        const TGroup& g = groups[order[k]];
        group.insert(group.end(), kept.begin() + long(g.begin), kept.begin() + long(g.end));
      }
      sorter.SortKeepFirst(group, byLine);
      result.insert(result.end(), group.begin(), group.end());
    }
    c = d;
  }
  return result;
}

// ---------------------------------------------------------------------------
// The scan.

namespace {

// The catalog form of a native name: pure ASCII stays as it is.
bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

void AppendCatalogName(std::string_view native, std::string& out) {
  if (IsAscii(native)) out.append(native);
  else out += Utf8ToCp1252(native);
}

// Whether a directory entry of a type the listing could not tell, or a link,
// is a folder (after following links).
bool IsFolderEntry(int dirFd, const char* name, unsigned char type) {
  struct stat st{};
  if (type == DT_UNKNOWN) {
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (S_ISDIR(st.st_mode)) return true;
    if (!S_ISLNK(st.st_mode)) return false;
  }
  return ::fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

class TScanner {
 public:
  TScanner(TWorkingTrackList& tracks, TLineList& folders, const TIndexingSink& sink)
      : tracks_(tracks), folders_(folders), sink_(sink) {}
  ~TScanner() {
    if (folderFd_ >= 0) ::close(folderFd_);
  }

  void ScanEntry(std::string_view catalogPath, const std::filesystem::path& native, char letter, bool isSubEntry) {
    catalog_.assign(catalogPath);
    native_ = native.string();
    Scan(letter, isSubEntry);
  }

  // The tag of the file behind working line i. The file is opened relative
  // to its folder, which stays open while the lines of one folder follow each
  // other (as they do in index order), so an open resolves one name rather
  // than a whole path; the read is ReadId3v1TagAt's: non-blocking (a pipe with
  // an MP3's name cannot hang the run) and one positioned read of the last
  // 128 bytes.
  TId3v1Tag ReadTag(size_t line) {
    const TFile& f = files_[line];
    if (f.folder != openFolder_) {
      if (folderFd_ >= 0) ::close(folderFd_);
      folderFd_ = ::open(nativeFolders_[f.folder].c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      openFolder_ = f.folder;
    }
    if (folderFd_ < 0) return {};
    if (f.nameAt == kCatalogName) name_.assign(tracks_.Name(line));
    else name_.assign(nativeNames_, f.nameAt, f.nameLength);
    return ReadId3v1TagAt(folderFd_, name_.c_str());
  }

 private:
  struct TEntry {
    size_t nameAt, nameLength;
    bool folder;
  };
  struct TFile {
    uint64_t nameAt;  // in nativeNames_, or kCatalogName: the same as the line's name
    uint32_t nameLength;
    uint32_t folder;  // in nativeFolders_
  };
  static constexpr uint32_t kNoFolder = UINT32_MAX;
  static constexpr uint64_t kCatalogName = UINT64_MAX;

  // ScanFolder on catalog_ (catalog form) and native_ (the same folder on disk).
  void Scan(char letter, bool isSubEntry) {
    if (sink_.ProcessEvents) sink_.ProcessEvents();
    DIR* dir = ::opendir(native_.c_str());
    if (!dir) return;  // missing, no access, not a folder: adds nothing
    struct stat st{};
    if (::fstat(::dirfd(dir), &st) != 0) {
      ::closedir(dir);
      return;
    }
    // A link back to a folder we are inside would walk the same tree again, without end.
    for (const auto& [dev, ino] : inside_)
      if (dev == st.st_dev && ino == st.st_ino) {
        ::closedir(dir);
        return;
      }

    // The whole listing first (the folder line depends on it, and no folder
    // stays open while the walk goes deeper). Files that are no MP3 files are
    // not kept; a name with a CR or LF cannot stand in a catalog line, and no
    // Windows file system holds one, so such an entry is passed over altogether.
    std::string names;
    std::vector<TEntry> entries;
    bool holdsMp3 = false;
    while (const dirent* e = ::readdir(dir)) {
      const char* n = e->d_name;
      const size_t len = std::strlen(n);
      if (n[0] == '.' && (len == 1 || (len == 2 && n[1] == '.'))) continue;
      if (std::memchr(n, '\n', len) || std::memchr(n, '\r', len)) continue;
      const std::string_view name(n, len);
      const bool mp3 = EndsWithMp3(name);
      holdsMp3 |= mp3;
      bool folder = e->d_type == DT_DIR;
      if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) folder = IsFolderEntry(::dirfd(dir), n, e->d_type);
      if (!folder && !mp3) continue;
      entries.push_back({names.size(), len, folder});
      names.append(name);
    }
    ::closedir(dir);

    if (!isSubEntry && holdsMp3) folders_.Append(catalog_);
    inside_.emplace_back(st.st_dev, st.st_ino);
    const size_t catalogLength = catalog_.size(), nativeLength = native_.size();
    uint32_t folderId = kNoFolder;
    for (const TEntry& e : entries) {
      const std::string_view native(names.data() + e.nameAt, e.nameLength);
      if (e.folder) {
        catalog_ += '\\';
        AppendCatalogName(native, catalog_);
        if (native_.empty() || native_.back() != '/') native_ += '/';
        native_.append(native);
        Scan(letter, isSubEntry);
        catalog_.resize(catalogLength);
        native_.resize(nativeLength);
        continue;
      }
      const bool ascii = IsAscii(native);
      name_.clear();
      if (ascii) name_.append(native);
      else name_ += Utf8ToCp1252(native);
      if (isSubEntry) {
        if (!tracks_.Relabel(letter, catalog_, name_)) continue;
      } else {
        tracks_.Append(letter, catalog_, name_);
      }
      if (folderId == kNoFolder) {
        folderId = uint32_t(nativeFolders_.size());
        nativeFolders_.push_back(native_);
      }
      if (ascii) {
        files_.push_back({kCatalogName, 0, folderId});
      } else {
        files_.push_back({nativeNames_.size(), uint32_t(native.size()), folderId});
        nativeNames_.append(native);
      }
    }
    inside_.pop_back();
  }

  TWorkingTrackList& tracks_;
  TLineList& folders_;
  const TIndexingSink& sink_;
  std::string catalog_, native_, name_;
  std::vector<std::pair<dev_t, ino_t>> inside_;  // the folders on the current path
  std::vector<std::string> nativeFolders_;
  std::vector<TFile> files_;  // parallel to the working lines
  std::string nativeNames_;   // the native names that differ from the catalog's
  uint32_t openFolder_ = kNoFolder;
  int folderFd_ = -1;
};

char CategoryLetter(TSearchPathMode mode) {
  switch (mode) {
    case TSearchPathMode::pmIndex: return 'A';
    case TSearchPathMode::pmAtEnd: return 'B';
    case TSearchPathMode::pmSkip: return 'C';
  }
  return 'C';
}

std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}

}  // namespace

void BuildTrackAndFolderLists(const std::vector<TSearchPath>& paths, const TPathMapper& mapper, TCatalog& catalog,
                              const TIndexingSink& sink) {
  catalog.Tracks.Clear();
  catalog.Folders.Clear();
  const auto progress = [&](int stage, size_t done, size_t total) {
    if (sink.Progress) sink.Progress(IndexingGaugePosition(stage, done, total));
  };

  // Stage 1: the scan.
  TWorkingTrackList work;
  TScanner scanner(work, catalog.Folders, sink);
  for (size_t i = 0; i < paths.size(); ++i) {
    const std::string& text = paths[i].Text;
    const std::string_view folder = TrimControls(text);
    if (!folder.empty())
      scanner.ScanEntry(folder, mapper.ToNative(folder), CategoryLetter(paths[i].Mode), text.front() == ' ');
    progress(kScanStage, i + 1, paths.size());
  }

  // Sort, merge and strip.
  const std::vector<uint32_t> order = work.SortAndMerge(TCollator::CaseBlind());

  // Stage 2: the tags. Room for the longest tag parts up front, so the
  // buffer of a million lines is never copied while it grows.
  TLineList& tracks = catalog.Tracks;
  size_t room = 0;
  for (uint32_t line : order) room += work.TrackPathLength(line) + kLongestTagPart;
  tracks.Reserve(order.size(), room);
  for (size_t k = 0; k < order.size(); ++k) {
    const TId3v1Tag tag = scanner.ReadTag(order[k]);
    tracks.AppendInPlace([&](std::string& out) {
      work.AppendTrackPath(order[k], out);
      out += " [";
      out += tag.Artist;
      out += " - ";
      out += tag.Title;
      out += ']';
    });
    progress(kTagStage, k + 1, order.size());
  }
}

TIndexingResult RunIndexingSteps(const std::vector<TSearchPath>& paths, const TPathMapper& mapper,
                                 const std::filesystem::path& programFolderNative, TCatalog& catalog,
                                 const TIndexingSink& sink) {
  TIndexingResult result;
  std::error_code ec;
  const auto written = [&](const char* name, bool ok) {
    if (!ok) result.UnwrittenFiles.push_back({name, ec});
    ec.clear();
  };

  written(kSearchPathFile, WriteSearchPathFile(programFolderNative / kSearchPathFile, paths, ec));
  BuildTrackAndFolderLists(paths, mapper, catalog, sink);
  written(kTrackFile, WriteLineFile(programFolderNative / kTrackFile, catalog.Tracks, ec));
  written(kFolderFile, WriteLineFile(programFolderNative / kFolderFile, catalog.Folders, ec));
  {
    const TPrintLists lists = BuildPrintLists(catalog.Tracks);
    written(kTreeCatalogFile,
            WriteRtfCatalog(lists.Folders, TRtfTemplate::Tree, programFolderNative / kTreeCatalogFile, ec));
    written(kIndexCatalogFile,
            WriteRtfCatalog(lists.Tracks, TRtfTemplate::Index, programFolderNative / kIndexCatalogFile, ec));
  }
  BuildSearchKeys(catalog);
  result.TrackCount = catalog.Tracks.size();
  return result;
}

std::string IndexingDoneMessage(size_t trackCount) {
  return "Indizierung abgeschlossen. Datenbankgr\xF6\xDF" "e: " + std::to_string(trackCount) + " Tracks.";
}

std::string UnwrittenFileMessage(const TUnwrittenFile& file) {
  return "Die Datei \x84" + file.Name + "\x93 konnte nicht geschrieben werden.";
}

}  // namespace kt
