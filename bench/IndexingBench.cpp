// The indexing run over a collection of 100,000 tracks.
//
// A tree of 5 groups x 200 folders x 100 small tagged files is written once
// below /tmp (each file 300 bytes plus a 128-byte ID3v1 block: the tag
// reader only needs the last 128 bytes) and removed at the end.
//   (a) steps 4 to 7 of the run (scan, sort and merge, strip, tags), with a
//       warm cache, against the floor: a bare walk of the same tree that
//       lists every folder and reads the last 128 bytes of every file
//       (readdir, open, fstat, pread, close);
//   (b) the same run with an [G] sub-entry over one group (20,000 files),
//       against the run without it.

#include "bench/BenchMain.h"
#include "bench/Fixtures.h"
#include "catalog/CatalogFiles.h"
#include "catalog/IndexingRun.h"
#include "platform/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kt::bench {
namespace {

constexpr int kGroups = 5, kFoldersPerGroup = 200, kFilesPerFolder = 100;
constexpr size_t kFiles = size_t(kGroups) * kFoldersPerGroup * kFilesPerFolder;

std::string Tag(const std::string& artist, const std::string& title) {
  std::string block(128, '\0');
  block.replace(0, 3, "TAG");
  block.replace(3, std::min<size_t>(title.size(), 30), title.substr(0, 30));
  block.replace(33, std::min<size_t>(artist.size(), 30), artist.substr(0, 30));
  block[127] = char(255);
  return block;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
    throw std::runtime_error("cannot write " + path);
  ::close(fd);
}

// The collection ("musik", drive d: of the program folder "prog").
class TCollection {
 public:
  TCollection() {
    base_ = MakeTempFolder("klangtruhe-bench-index-");
    music_ = base_ / "musik";
    prog_ = base_ / "prog";
    std::filesystem::create_directories(prog_ / "dosdevices");
    std::filesystem::create_symlink(music_, prog_ / "dosdevices" / "d:");
    const std::string audio(300, '\xFF');
    for (int g = 0; g < kGroups; ++g)
      for (int f = 0; f < kFoldersPerGroup; ++f) {
        char folder[64];
        std::snprintf(folder, sizeof folder, "g%d/Artist %03d - Album %d", g, f, g);
        const std::filesystem::path dir = music_ / folder;
        std::filesystem::create_directories(dir);
        for (int t = 0; t < kFilesPerFolder; ++t) {
          char name[96], artist[32], title[32];
          std::snprintf(artist, sizeof artist, "Artist %03d", f);
          std::snprintf(title, sizeof title, "S\xFC\xDF" "er Titel %02d", t);
          std::snprintf(name, sizeof name, "%02d - Artist %03d - Titel %02d.mp3", t, f, t);
          WriteFile((dir / name).string(), audio + Tag(artist, title));
        }
      }
  }
  ~TCollection() {
    std::error_code ec;
    std::filesystem::remove_all(base_, ec);
  }
  const std::filesystem::path& music() const { return music_; }
  const std::filesystem::path& prog() const { return prog_; }

 private:
  std::filesystem::path base_, music_, prog_;
};

const TCollection& Collection() {
  static const TCollection collection;
  return collection;
}

void RunSteps4To7(benchmark::State& state, const std::vector<TSearchPath>& paths) {
  const TCollection& c = Collection();
  TPathMapper mapper(c.prog());
  mapper.SetCaching(true);
  size_t tracks = 0;
  for (auto _ : state) {
    TCatalog catalog;
    BuildTrackAndFolderLists(paths, mapper, catalog);
    tracks = catalog.Tracks.size();
    benchmark::DoNotOptimize(catalog.Tracks.Bytes().data());
  }
  if (tracks != kFiles) state.SkipWithError("the run did not find every track");
  state.counters["tracks"] = double(tracks);
}

void BM_IndexingRun(benchmark::State& state) { RunSteps4To7(state, {{"d:", TSearchPathMode::pmIndex}}); }

void BM_IndexingRunWithSubEntry(benchmark::State& state) {
  RunSteps4To7(state, {{"d:", TSearchPathMode::pmIndex}, {"    d:\\g2", TSearchPathMode::pmAtEnd}});
}

// The floor: every folder listed, every file opened and its last 128 bytes read.
size_t ReadTree(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return 0;
  size_t tags = 0;
  std::vector<std::string> folders;
  while (const dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    if (e->d_type == DT_DIR) {
      folders.push_back(dir + "/" + e->d_name);
      continue;
    }
    const int fd = ::openat(::dirfd(d), e->d_name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st{};
    char block[128];
    if (::fstat(fd, &st) == 0 && st.st_size >= 128 && ::pread(fd, block, 128, st.st_size - 128) == 128 &&
        std::memcmp(block, "TAG", 3) == 0)
      ++tags;
    ::close(fd);
  }
  ::closedir(d);
  for (const std::string& f : folders) tags += ReadTree(f);
  return tags;
}

void BM_BareTreeRead(benchmark::State& state) {
  const std::string root = Collection().music().string();
  size_t tags = 0;
  for (auto _ : state) {
    tags = ReadTree(root);
    benchmark::DoNotOptimize(tags);
  }
  if (tags != kFiles) state.SkipWithError("the walk did not find every tag");
}

BENCHMARK(BM_BareTreeRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_IndexingRun)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_IndexingRunWithSubEntry)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

const bool registered =
    (ReportRatio("BM_IndexingRun/min_time:3.000/real_time", "BM_BareTreeRead/min_time:3.000/real_time", 1.3),
     ReportRatio("BM_IndexingRunWithSubEntry/min_time:3.000/real_time", "BM_IndexingRun/min_time:3.000/real_time", 1.5),
     true);

}  // namespace
}  // namespace kt::bench
