// The printable catalogs of one million tracks: the print lists and the RTF
// text, each against a plain copy of the same bytes.

#include "bench/BenchMain.h"
#include "bench/Fixtures.h"
#include "catalog/RtfCatalog.h"

#include <cstring>

namespace kt::bench {
namespace {

void BM_BuildPrintLists(benchmark::State& state) {
  const TLineList& tracks = TrackLines(1'000'000);
  for (auto _ : state) {
    TPrintLists lists = BuildPrintLists(tracks);
    benchmark::DoNotOptimize(lists.Tracks.Bytes().data());
  }
}

void BM_IndexCatalogText(benchmark::State& state) {
  const TLineList& tracks = TrackLines(1'000'000);
  const TPrintLists lists = BuildPrintLists(tracks);
  for (auto _ : state) {
    std::string text = RtfCatalogText(lists.Tracks, TRtfTemplate::Index);
    benchmark::DoNotOptimize(text.data());
  }
}

// The floor: copying the track list's bytes into a new buffer.
void BM_CopyTrackBytes(benchmark::State& state) {
  const TLineList& tracks = TrackLines(1'000'000);
  for (auto _ : state) {
    std::string copy(tracks.Bytes());
    benchmark::DoNotOptimize(copy.data());
  }
}

BENCHMARK(BM_BuildPrintLists)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexCatalogText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyTrackBytes)->Unit(benchmark::kMillisecond);

const bool registered = (ReportRatio("BM_BuildPrintLists", "BM_CopyTrackBytes"),
                         ReportRatio("BM_IndexCatalogText", "BM_CopyTrackBytes"), true);

}  // namespace
}  // namespace kt::bench
