// Queries over one million search keys, against a bare memmem pass over the
// same keys buffer for the same pattern.

#include "bench/BenchMain.h"
#include "bench/Fixtures.h"
#include "catalog/Catalog.h"
#include "search/FoldSearchKey.h"
#include "search/Query.h"
#include "search/ResultList.h"

#include <cstring>

namespace kt::bench {
namespace {

constexpr size_t kTracks = 1'000'000;
constexpr const char* kText = "Sommer";  // six characters, folds to SOMMER

const TCatalog& Catalog() {
  static const TCatalog catalog = [] {
    TCatalog c;
    c.Tracks = TrackLines(kTracks);
    c.Keys.Reserve(c.Tracks.size(), c.Tracks.Bytes().size());
    for (std::string_view line : c.Tracks) c.Keys.Append(FoldSearchKey(line));
    return c;
  }();
  return catalog;
}

void RunQueryBench(benchmark::State& state, const char* text) {
  const TCatalog& catalog = Catalog();
  TResultList list;
  int frames = 0;
  const TSearchProgress::TSink cursor = [&](int) { ++frames; };
  for (auto _ : state) {
    const TQueryOutcome out = RunQuery(text, catalog, 4, list, cursor);
    benchmark::DoNotOptimize(out.Hits);
  }
  state.counters["hits"] = double(list.size());
  state.counters["frames"] = benchmark::Counter(double(frames), benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(catalog.Keys.Bytes().size()));
}

void BM_QueryText(benchmark::State& state) { RunQueryBench(state, kText); }
void BM_QueryStar(benchmark::State& state) { RunQueryBench(state, "*"); }

// The floor: every occurrence of the pattern in the keys buffer, nothing else.
void BM_MemmemKeys(benchmark::State& state) {
  const std::string_view bytes = Catalog().Keys.Bytes();
  const std::string pattern = FoldSearchKey(kText);
  size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    const char* p = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    while (const void* hit = memmem(p, size_t(end - p), pattern.data(), pattern.size())) {
      ++hits;
      p = static_cast<const char*>(hit) + 1;
    }
    benchmark::DoNotOptimize(hits);
  }
  state.counters["hits"] = double(hits);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

BENCHMARK(BM_MemmemKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QueryText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QueryStar)->Unit(benchmark::kMillisecond);

const bool registered = (ReportRatio("BM_QueryText", "BM_MemmemKeys", 1.5),
                         ReportRatio("BM_QueryStar", "BM_MemmemKeys", 3.0), true);

}  // namespace
}  // namespace kt::bench
