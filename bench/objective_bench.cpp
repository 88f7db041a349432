// One evaluation of the T² objective: the tangent-form reference path, the fast path as the
// estimation runs it (two threads from 2048 data) and the fast path on one thread.
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "core/fast_objective.h"
#include "core/objective.h"

namespace varnel::bench {
namespace {

// A trial strain near, not at, the strain of the synthetic data; each iteration moves it by a
// tiny step so that no evaluation can be skipped.
constexpr StrainVector kTrial{0.25, 0.45};
constexpr double kStep = 1e-12;

// Wall time per datum (the benchmarks use real time: the fast path shares its work).
void SetPerDatumCounter(benchmark::State& run, int count) {
    run.counters["per_datum"] =
        benchmark::Counter(double(run.iterations()) * count,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ReferenceObjective(benchmark::State& run) {
    auto state = SyntheticState(int(run.range(0)), kConvergingSeed);
    StrainVector x = kTrial;
    for (auto _ : run) {
        x.x1 += kStep;
        benchmark::DoNotOptimize(TSquaredOfStrain(*state, x));
    }
    SetPerDatumCounter(run, state->DataCount);
}

void BM_FastObjective(benchmark::State& run) {
    auto state = SyntheticState(int(run.range(0)), kConvergingSeed);
    const FastObjective fast(*state);
    StrainVector x = kTrial;
    for (auto _ : run) {
        x.x1 += kStep;
        benchmark::DoNotOptimize(fast.Evaluate(*state, x));
    }
    SetPerDatumCounter(run, state->DataCount);
}

void BM_FastObjectiveOneThread(benchmark::State& run) {
    auto state = SyntheticState(int(run.range(0)), kConvergingSeed);
    const FastObjective fast(*state);
    StrainVector x = kTrial;
    for (auto _ : run) {
        x.x1 += kStep;
        benchmark::DoNotOptimize(fast.TryEvaluate(x));
    }
    SetPerDatumCounter(run, state->DataCount);
}

BENCHMARK(BM_ReferenceObjective)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_FastObjective)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_FastObjectiveOneThread)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
}  // namespace varnel::bench

BENCHMARK_MAIN();
