// Folding one million track lines into search keys, against a bare pass that
// only upper-cases the same bytes.

#include "bench/BenchMain.h"
#include "bench/Fixtures.h"
#include "platform/Cp1252.h"
#include "search/FoldSearchKey.h"

namespace kt::bench {
namespace {

void BM_FoldTrackLines(benchmark::State& state) {
  const TLineList& lines = TrackLines(1'000'000);
  std::string keys;
  keys.reserve(2 * lines.Bytes().size());
  for (auto _ : state) {
    keys.clear();
    for (std::string_view l : lines) {
      AppendFoldedKey(l, keys);
      keys += '\n';
    }
    benchmark::DoNotOptimize(keys.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(lines.Bytes().size()));
}

void BM_UpperCaseTrackLines(benchmark::State& state) {
  const TLineList& lines = TrackLines(1'000'000);
  std::string out(lines.Bytes().size(), '\0');
  for (auto _ : state) {
    char* d = out.data();
    for (std::string_view l : lines) {
      for (char c : l) *d++ = AsciiUpper(c);
      *d++ = '\n';
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(lines.Bytes().size()));
}

BENCHMARK(BM_FoldTrackLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpperCaseTrackLines)->Unit(benchmark::kMillisecond);

const bool registered = (ReportRatio("BM_FoldTrackLines", "BM_UpperCaseTrackLines"), true);

}  // namespace
}  // namespace kt::bench
