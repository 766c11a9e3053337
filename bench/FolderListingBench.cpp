// Listing one folder of a million track lines, against the floor of one
// exact prefix comparison per line.

#include "bench/BenchMain.h"
#include "bench/Fixtures.h"
#include "catalog/Catalog.h"
#include "search/FolderListing.h"
#include "search/ResultList.h"

#include <cstring>

namespace kt::bench {
namespace {

constexpr size_t kTracks = 1'000'000;
constexpr std::string_view kFolder = "D:\\SOUNDS\\NENA\\ALBUM 7";

const TCatalog& Catalog() {
  static const TCatalog catalog = [] {
    TCatalog c;
    c.Tracks = TrackLines(kTracks);
    return c;
  }();
  return catalog;
}

void BM_ListFolder(benchmark::State& state) {
  const TCatalog& catalog = Catalog();
  TResultList list;
  list.SetCatalog(&catalog);
  for (auto _ : state) benchmark::DoNotOptimize(ListFolder(catalog, kFolder, list));
  state.counters["entries"] = double(list.size());
}

// The floor: the folder compared byte for byte with the start of every line.
void BM_PrefixFloor(benchmark::State& state) {
  const TLineList& tracks = Catalog().Tracks;
  const std::string prefix = "d:\\sounds\\Nena\\Album 7\\";
  for (auto _ : state) {
    size_t hits = 0;
    for (std::string_view line : tracks)
      hits += line.size() > prefix.size() && std::memcmp(line.data(), prefix.data(), prefix.size()) == 0;
    benchmark::DoNotOptimize(hits);
  }
}

BENCHMARK(BM_PrefixFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond);

const bool registered = (ReportRatio("BM_ListFolder", "BM_PrefixFloor", 2.0), true);

}  // namespace
}  // namespace kt::bench
