// One estimation of 10000 ellipses (post vectors, line search, up to 11 simplex runs), on data
// whose first run converges and on data whose 11 runs all end on the evaluation limit: as the
// Open command runs it, and with every evaluation on the tangent-form reference path.
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "core/estimation.h"

namespace varnel::bench {
namespace {

constexpr int kCount = 10000;

void BM_EstimateStrain(benchmark::State& run) {
    auto state = SyntheticState(kCount, unsigned(run.range(0)));
    for (auto _ : run) EstimateStrain(*state, nullptr);
}

// Nearly round ellipses: the evaluations far from the estimate leave nearly singular moment
// matrices, which the fast path evaluates in their principal frame. All 11 simplex runs end on
// the evaluation limit.
void BM_EstimateNearlyRoundEllipses(benchmark::State& run) {
    auto state = LoadDataFile(SyntheticFile(kCount, kConvergingSeed, kNearlyRoundOptions));
    for (auto _ : run) EstimateStrain(*state, nullptr);
}

// The steps of the estimation minimising the reference objective.
void BM_ReferenceEstimation(benchmark::State& run) {
    auto state = SyntheticState(kCount, unsigned(run.range(0)));
    for (auto _ : run) {
        ComputePostVectors(*state);
        const ObjectiveFunction objective = ReferenceObjective(*state);
        benchmark::DoNotOptimize(
            MinimizeStrain(InitialStrainGuess(*state, objective), nullptr, objective));
    }
}

BENCHMARK(BM_EstimateStrain)
    ->ArgName("seed")
    ->Arg(kConvergingSeed)
    ->Arg(kWorstCaseSeed)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_EstimateNearlyRoundEllipses)->Unit(benchmark::kMillisecond)->UseRealTime();
// The reference path rounds differently, so the same files take it on other paths through the
// minimiser: its first simplex run converges on both files (about 250 evaluations).
BENCHMARK(BM_ReferenceEstimation)
    ->ArgName("seed")
    ->Arg(kConvergingSeed)
    ->Arg(kWorstCaseSeed)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace varnel::bench

BENCHMARK_MAIN();
