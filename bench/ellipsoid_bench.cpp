// The ellipsoid fit of many sections: its time and memory grow linearly with the sections
// (target: 10000 sections, the most a table holds, under a second on one core; 1000 took 30 s
// and 10000 some 5 GB when the linear start solved one square system of them all).
#include <benchmark/benchmark.h>

#include <random>

#include "ellipsoid/ellipsoid_fit.h"

namespace varnel::bench {
namespace {

void BM_FitEllipsoid(benchmark::State& run) {
    std::mt19937 random(1);
    std::uniform_real_distribution<double> strike(0.0, 360.0), dip(0.0, 90.0), R(1.0, 3.0),
        phi(-90.0, 90.0);
    std::vector<ellipsoid::SectionStrain> sections;
    for (int j = 0; j < run.range(0); ++j) {
        sections.push_back({"s", {strike(random), dip(random)}, R(random), phi(random)});
    }
    for (auto _ : run) benchmark::DoNotOptimize(ellipsoid::FitEllipsoid(sections));
    run.SetComplexityN(run.range(0));
}

BENCHMARK(BM_FitEllipsoid)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
}  // namespace varnel::bench

BENCHMARK_MAIN();
