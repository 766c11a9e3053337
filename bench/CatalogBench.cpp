// Loading the catalog at start-up and building the folder tree.
//
// Loading one million track lines and 100,000 folder lines with their search
// keys is measured against a bare read of the same two files plus one bare
// fold of the same track bytes. The tree build is measured at 10,000 and at
// 100,000 folder lines; its time per line should grow no faster than n log n
// allows (log 100000 / log 10000 = 1.25).

#include "bench/BenchMain.h"
#include "bench/Fixtures.h"
#include "catalog/CatalogFiles.h"
#include "catalog/CatalogLoader.h"
#include "catalog/FolderTree.h"
#include "platform/FileIO.h"
#include "search/FoldSearchKey.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace kt::bench {
namespace {

constexpr size_t kTracks = 1'000'000;
constexpr size_t kFolders = 100'000;

// "Index.txt" and "Baum.txt" in a program folder of their own, written once.
class TCatalogFolder {
 public:
  TCatalogFolder() {
    path_ = MakeTempFolder("klangtruhe-bench-");
    std::error_code ec;
    if (!WriteLineFile(path_ / kTrackFile, TrackLines(kTracks), ec) ||
        !WriteLineFile(path_ / kFolderFile, FolderLines(kFolders), ec))
      throw std::runtime_error("cannot write the catalog files: " + ec.message());
  }
  ~TCatalogFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

const std::filesystem::path& CatalogFolder() {
  static const TCatalogFolder folder;
  return folder.path();
}

void BM_LoadCatalogWithKeys(benchmark::State& state) {
  const std::filesystem::path& folder = CatalogFolder();
  for (auto _ : state) {
    TCatalog catalog;
    LoadCatalog(folder, catalog);
    BuildSearchKeys(catalog);
    benchmark::DoNotOptimize(catalog.Keys.Bytes().data());
  }
  state.counters["tracks"] = double(kTracks);
}

// The floor: the two files read whole, and the track bytes folded in one pass
// (in slices, so the fold's scratch room stays in the cache as it does per line).
void BM_ReadAndFoldFloor(benchmark::State& state) {
  const std::filesystem::path& folder = CatalogFolder();
  constexpr size_t kSlice = 64 * 1024;
  for (auto _ : state) {
    std::string tracks, folders;
    ReadFileBytes(folder / kTrackFile, tracks);
    ReadFileBytes(folder / kFolderFile, folders);
    std::string keys;
    keys.reserve(tracks.size() + 2 * kSlice);
    for (size_t at = 0; at < tracks.size(); at += kSlice)
      AppendFoldedKey(std::string_view(tracks).substr(at, kSlice), keys);
    benchmark::DoNotOptimize(keys.data());
    benchmark::DoNotOptimize(folders.data());
  }
}

void BuildTree(const TLineList& folders, size_t& lastPosition) {
  TFolderTree tree;
  tree.Build(folders, [&](size_t position, size_t) { lastPosition = position; });
  benchmark::DoNotOptimize(tree.TopLevel().data());
}

// One build of n folder lines per iteration.
void BM_FolderTreeBuild(benchmark::State& state) {
  const TLineList& folders = FolderLines(size_t(state.range(0)));
  size_t last = 0;
  for (auto _ : state) BuildTree(folders, last);
  state.counters["lines"] = benchmark::Counter(double(folders.size()), benchmark::Counter::kIsIterationInvariantRate);
}

// Ten builds of n folder lines per iteration: as many lines as one build of 10 n,
// so the ratio of the two real times is the ratio of their times per line.
void BM_FolderTreeBuildTenTimes(benchmark::State& state) {
  const TLineList& folders = FolderLines(size_t(state.range(0)));
  size_t last = 0;
  for (auto _ : state)
    for (int k = 0; k < 10; ++k) BuildTree(folders, last);
  state.counters["lines"] = benchmark::Counter(10 * double(folders.size()), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_LoadCatalogWithKeys)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_ReadAndFoldFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_FolderTreeBuild)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FolderTreeBuildTenTimes)->Arg(10'000)->Unit(benchmark::kMillisecond)->UseRealTime();

const bool registered = (ReportRatio("BM_LoadCatalogWithKeys/min_time:2.000/real_time", "BM_ReadAndFoldFloor/min_time:2.000/real_time", 3.0),
                         ReportRatio("BM_FolderTreeBuild/100000/real_time",
                                     "BM_FolderTreeBuildTenTimes/10000/real_time", 1.25),
                         true);

}  // namespace
}  // namespace kt::bench
