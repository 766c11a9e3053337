#include "bench/BenchMain.h"

#include <cstdio>
#include <map>
#include <vector>

namespace kt::bench {
namespace {

struct Ratio {
  std::string name, floor;
  double limit;
};

std::vector<Ratio>& Ratios() {
  static std::vector<Ratio> r;
  return r;
}

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0)
        times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

void ReportRatio(const std::string& name, const std::string& floor, double limit) {
  Ratios().push_back({name, floor, limit});
}

}  // namespace kt::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  kt::bench::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios (real time against the floor):\n");
  for (const auto& r : kt::bench::Ratios()) {
    auto a = reporter.times.find(r.name), b = reporter.times.find(r.floor);
    if (a == reporter.times.end() || b == reporter.times.end() || b->second <= 0) continue;
    const double ratio = a->second / b->second;
    if (r.limit > 0)
      std::printf("  %-40s / %-40s = %6.2f  (limit %.2f: %s)\n", r.name.c_str(), r.floor.c_str(), ratio, r.limit,
                  ratio <= r.limit ? "ok" : "OVER");
    else
      std::printf("  %-40s / %-40s = %6.2f\n", r.name.c_str(), r.floor.c_str(), ratio);
  }
  benchmark::Shutdown();
  return 0;
}
