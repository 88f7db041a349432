// The estimators and tests of --methods and the bootstrap of --bootstrap on 252 synthetic
// ellipses: 1000 resamples on all cores with their studentised regions and intervals (target:
// under 0.5 s on two cores), one resample's T² estimate and scales by Newton steps, the same
// estimate as the Open command's minimisation reaches it (what a resample would cost that way),
// and the statements at another level from resamples already drawn.
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "core/estimation.h"
#include "methods/bootstrap.h"
#include "methods/methods.h"

namespace varnel::bench {
namespace {

constexpr int kCount = 252;
constexpr int kResamples = 1000;

std::unique_ptr<AnalysisState> EstimatedState(int count) {
    auto state = SyntheticState(count, kConvergingSeed);
    EstimateStrain(*state, nullptr);
    return state;
}

void BM_Bootstrap(benchmark::State& run) {
    const auto state = EstimatedState(int(run.range(0)));
    for (auto _ : run) {
        benchmark::DoNotOptimize(methods::RunBootstrap(*state, kResamples, 1,
                                                       ConfidenceLevel::Level95, nullptr, nullptr));
    }
}

void BM_StateAtAnotherLevel(benchmark::State& run) {
    const auto state = EstimatedState(kCount);
    const auto result =
        methods::RunBootstrap(*state, kResamples, 1, ConfidenceLevel::Level95, nullptr, nullptr);
    for (auto _ : run) {
        methods::EstimatorBootstrap t2 = result->t2;
        methods::StateAtLevel(t2, result->B, 50);
        benchmark::DoNotOptimize(t2.region);
    }
}

void BM_ComputeMethods(benchmark::State& run) {
    const auto state = EstimatedState(int(run.range(0)));
    for (auto _ : run) benchmark::DoNotOptimize(methods::ComputeMethods(*state));
}

constexpr int kSampledResamples = 10;

// Resample b of the data: its shape points for the Newton route, a state for the Open route.
struct Resample {
    std::vector<methods::ShapePoint> points;
    std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
};

std::vector<Resample> FirstResamples(const AnalysisState& data) {
    std::vector<Resample> resamples(kSampledResamples);
    for (int b = 0; b < kSampledResamples; ++b) {
        Resample& resample = resamples[std::size_t(b)];
        const std::vector<std::uint32_t> indices = methods::ResampleIndices(data.DataCount, 1, b);
        resample.state->DataCount = data.DataCount;
        for (std::size_t i = 0; i < indices.size(); ++i) {
            const int k = int(indices[i]) + 1;
            resample.points.push_back(methods::ShapePointOf(data.RPost[k], data.PhiPost[k]));
            resample.state->RPost[i + 1] = data.RPost[k];
            resample.state->PhiPost[i + 1] = data.PhiPost[k];
        }
    }
    return resamples;
}

// Time per resample: the benchmark's items are resamples.
void BM_ResampleByNewtonSteps(benchmark::State& run) {
    const std::vector<Resample> resamples =
        FirstResamples(*SyntheticState(kCount, kConvergingSeed));
    for (auto _ : run) {
        for (const Resample& resample : resamples)
            benchmark::DoNotOptimize(methods::EstimatesOf(resample.points));
    }
    run.SetItemsProcessed(run.iterations() * kSampledResamples);
}

void BM_ResampleByTheOpenCommand(benchmark::State& run) {
    const std::vector<Resample> resamples =
        FirstResamples(*SyntheticState(kCount, kConvergingSeed));
    for (auto _ : run) {
        for (const Resample& resample : resamples) EstimateStrain(*resample.state, nullptr);
    }
    run.SetItemsProcessed(run.iterations() * kSampledResamples);
}

BENCHMARK(BM_Bootstrap)->ArgName("N")->Arg(kCount)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StateAtAnotherLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeMethods)
    ->ArgName("N")
    ->Arg(kCount)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ResampleByNewtonSteps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResampleByTheOpenCommand)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace varnel::bench

BENCHMARK_MAIN();
