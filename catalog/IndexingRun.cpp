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
#include <chrono>
#include <cstdio>
static double NowMs(){return std::chrono::duration<double,std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();}

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
    const std::string_view rest = list.Rest(line);
    if (!rest.empty() && rest[0] == ':') {
      irregular_.push_back(line);
      return;
    }
    lower_.clear();
    AppendLower(rest, lower_);
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
    // Find looks at every slot of a chain, so the order of the chains does not matter.
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
void TWorkingTrackList::Reserve() { bytes_.reserve(16<<20); lines_.reserve(200000); }
TWorkingTrackList::~TWorkingTrackList() = default;

void TWorkingTrackList::Append(char letter, std::string_view folder, std::string_view name) {
  TLine line;
  line.offset = bytes_.size();
  line.separator = uint32_t(folder.size() + 1);
  line.length = uint32_t(folder.size() + 2 + name.size());
  line.letter = letter;
  bytes_.append(folder);
  bytes_ += '\\';
  bytes_ += kSeparator;
  bytes_.append(name);
  lines_.push_back(line);
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
    lines_[hit].letter = letter;
    return false;
  }
  Append(letter, folder, name);
  return true;
}

bool TWorkingTrackList::Contains(size_t i, std::string_view lowerKey, std::string& scratch) const {
  scratch.clear();
  scratch += AsciiLower(lines_[i].letter);
  AppendLower(Rest(i), scratch);
  return ::memmem(scratch.data(), scratch.size(), lowerKey.data(), lowerKey.size()) != nullptr;
}

size_t TWorkingTrackList::FindLiterally(std::string_view lowerKey) {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (Contains(i, lowerKey, scratch_)) return i;
  return npos;
}

std::string TWorkingTrackList::Line(size_t i) const {
  std::string line(1, lines_[i].letter);
  line += Rest(i);
  return line;
}

std::string TWorkingTrackList::TrackPath(size_t i) const {
  const std::string_view rest = Rest(i);
  const size_t sep = lines_[i].separator;
  std::string path;
  path.reserve(rest.size() - 1);
  path.append(rest.substr(0, sep));
  path.append(rest.substr(sep + 1));
  return path;
}

// Inserting each line into a sorted list by binary search and dropping a line
// that compares equal to one already there leaves, of every set of equal
// lines, the first one, in ascending order: a stable sort that keeps the
// first of equal sort keys gives the same list. A "C" line never equals an
// "A" or "B" line (the letters differ at the first, primary level), so
// dropping the "C" lines before sorting changes nothing for the others.
std::vector<uint32_t> TWorkingTrackList::SortAndMerge(const TCollator& collator) const {
  double ts = NowMs(); std::fprintf(stderr, "sort start %.1f\n", ts);
  std::vector<uint32_t> lines;
  lines.reserve(lines_.size());
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].letter != 'C') lines.push_back(uint32_t(i));

  std::string keys;
  std::vector<size_t> keyAt(lines.size() + 1);
  std::string line;
  for (size_t k = 0; k < lines.size(); ++k) {
    line.assign(1, lines_[lines[k]].letter);
    line += Rest(lines[k]);
    keyAt[k] = keys.size();
    collator.AppendSortKey(line, keys);
  }
  keyAt[lines.size()] = keys.size();
  double tk = NowMs();
  const auto key = [&](uint32_t k) { return std::string_view(keys.data() + keyAt[k], keyAt[k + 1] - keyAt[k]); };

  // Sorting runs over the first eight key bytes (big-endian, so they compare
  // as the bytes do) and goes to the whole keys only for equal beginnings.
  struct TItem {
    uint64_t head;
    uint32_t k;
  };
  std::vector<TItem> items(lines.size());
  for (size_t k = 0; k < lines.size(); ++k) {
    const std::string_view kv = key(uint32_t(k));
    uint64_t head = 0;
    for (size_t b = 0; b < 8; ++b) head = (head << 8) | (b < kv.size() ? uint8_t(kv[b]) : 0u);
    items[k] = {head, uint32_t(k)};
  }
  std::sort(items.begin(), items.end(), [&](const TItem& a, const TItem& b) {
    if (a.head != b.head) return a.head < b.head;
    const int c = key(a.k).compare(key(b.k));
    return c != 0 ? c < 0 : a.k < b.k;
  });

  std::fprintf(stderr, "sort: keys done at %.1f, sorted after %.1f more\n", tk, NowMs() - tk);
  std::vector<uint32_t> order;
  order.reserve(items.size());
  for (size_t n = 0; n < items.size(); ++n)
    if (n == 0 || key(items[n].k) != key(items[n - 1].k)) order.push_back(lines[items[n].k]);
  return order;
}

// ---------------------------------------------------------------------------
// The scan.

namespace {

// The catalog form of a native name: pure ASCII stays as it is.
void AppendCatalogName(std::string_view native, std::string& out) {
  for (unsigned char c : native)
    if (c >= 0x80) {
      out += Utf8ToCp1252(native);
      return;
    }
  out.append(native);
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
      : tracks_(tracks), folders_(folders), sink_(sink) { if (getenv("KT_RES")) { files_.reserve(200000); nativeNames_.reserve(8<<20); tracks_.Reserve(); } }

  void ScanEntry(std::string_view catalogPath, const std::filesystem::path& native, char letter, bool isSubEntry) {
    catalog_.assign(catalogPath);
    native_ = native.string();
    Scan(letter, isSubEntry);
  }

  // The tag of the file behind working line i. The file is opened relative
  // to its folder, kept open while the lines of one folder follow each other
  // (as they do in index order), so each open resolves one name instead of a
  // whole path; the read is ReadId3v1Tag's: one positioned read of the last
  // 128 bytes, non-blocking, so a pipe with an MP3's name cannot hang the run.
  TId3v1Tag ReadTag(size_t line) {
    const TFile& f = files_[line];
    if (f.folder != openFolder_) {
      if (folderFd_ >= 0) ::close(folderFd_);
      folderFd_ = ::open(nativeFolders_[f.folder].c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      openFolder_ = f.folder;
    }
    if (folderFd_ < 0) return {};
    name_.assign(nativeNames_, f.nameAt, f.nameLength);
    const int fd = ::openat(folderFd_, name_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    char block[kId3v1Size];
    ssize_t n = -1;
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= off_t(kId3v1Size)) {
      do {
        n = ::pread(fd, block, sizeof block, st.st_size - off_t(kId3v1Size));
      } while (n < 0 && errno == EINTR);
    }
    ::close(fd);
    if (n != ssize_t(kId3v1Size)) return {};
    return ParseId3v1Tag(std::string_view(block, sizeof block));
  }

  ~TScanner() {
    if (folderFd_ >= 0) ::close(folderFd_);
  }

 private:
  struct TEntry {
    size_t nameAt, nameLength;
    bool folder;
  };
  struct TFile {
    uint32_t folder;  // in nativeFolders_
    uint32_t nameLength;
    uint64_t nameAt;  // in nativeNames_
  };
  static constexpr uint32_t kNoFolder = UINT32_MAX;

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
      static const bool skip = getenv("KT_SKIP") != nullptr;
      if (skip) continue;
      name_.clear();
      AppendCatalogName(native, name_);
      if (isSubEntry) {
        if (!tracks_.Relabel(letter, catalog_, name_)) continue;
      } else {
        tracks_.Append(letter, catalog_, name_);
      }
      if (folderId == kNoFolder) {
        folderId = uint32_t(nativeFolders_.size());
        nativeFolders_.push_back(native_);
      }
      files_.push_back({folderId, uint32_t(native.size()), nativeNames_.size()});
      nativeNames_.append(native);
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
  std::string nativeNames_;
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

  double t0 = NowMs();
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

  double t1 = NowMs();
  // Sort, merge and strip.
  const std::vector<uint32_t> order = work.SortAndMerge(TCollator::CaseBlind());
  double t2 = NowMs();

  // Stage 2: the tags.
  TLineList& tracks = catalog.Tracks;
  for (size_t k = 0; k < order.size(); ++k) {
    const TId3v1Tag tag = scanner.ReadTag(order[k]);
    const std::string path = work.TrackPath(order[k]);
    tracks.AppendInPlace([&](std::string& out) {
      out += path;
      out += " [";
      out += tag.Artist;
      out += " - ";
      out += tag.Title;
      out += ']';
    });
    progress(kTagStage, k + 1, order.size());
  }
  double t3 = NowMs();
  std::fprintf(stderr, "scan %.1f sort %.1f tags %.1f\n", t1-t0, t2-t1, t3-t2);
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
