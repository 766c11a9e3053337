#pragma once
// Benchmarks measure an operation against the floor it should come close to
// (a bare pass over the same bytes) and report the ratio of the two.

#include <benchmark/benchmark.h>

#include <string>

namespace kt::bench {

// After all benchmarks ran, prints "name / floor = ratio" (real time per
// iteration), and the limit the ratio should stay under when one is given.
void ReportRatio(const std::string& name, const std::string& floor, double limit = 0);

}  // namespace kt::bench
