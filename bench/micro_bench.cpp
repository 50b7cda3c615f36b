// Micro-benchmarks of the per-line work on the data path.
#include <benchmark/benchmark.h>

#include "las/data_reader.h"
#include "las/line_parser.h"

static void CountSpaceFields(benchmark::State& state) {
  const std::string line = "1000.125    45.1200  123.4500  2550.000   0.4500  12.25  99.5  100.25";
  for (auto _ : state) benchmark::DoNotOptimize(korrivan::las::countDataFields(line, ' '));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}
BENCHMARK(CountSpaceFields);

static void CountCommaFields(benchmark::State& state) {
  const std::string line = "1000.125,45.1200,123.4500,2550.000,0.4500,12.25,99.5,100.25";
  for (auto _ : state) benchmark::DoNotOptimize(korrivan::las::countDataFields(line, ','));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}
BENCHMARK(CountCommaFields);

static void ClassifyHeaderLine(benchmark::State& state) {
  const std::string line = " STRT    .M            1500.0000              :START DEPTH";
  for (auto _ : state) benchmark::DoNotOptimize(korrivan::las::classifyLine(line));
}
BENCHMARK(ClassifyHeaderLine);
