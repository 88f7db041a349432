// The T² grid export (100 × 100 evaluations and the table text): the export as it is and the
// same table evaluated point by point on the tangent-form reference path.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_data.h"
#include "core/confidence_region.h"
#include "core/estimation.h"
#include "core/grid_export.h"
#include "core/number_format.h"
#include "core/objective.h"
#include "plot/plot_frames.h"

namespace varnel::bench {
namespace {

constexpr int kGridPoints = 100;

// The state an export starts from: estimate, region and frames of the synthetic data.
std::unique_ptr<AnalysisState> AnalysedState(int count, const std::string& options = "") {
    auto state = LoadDataFile(SyntheticFile(count, kConvergingSeed, options));
    EstimateStrain(*state, nullptr);
    ComputeConfidenceResults(*state, ConfidenceLevel::Level95);
    plot::ComputePlotBounds(*state);
    return state;
}

// The values of the table, row by row, as the export made them before the fast objective.
std::string ReferenceGridValues(AnalysisState& state) {
    const PlotBounds& frame = state.PostPlotBounds;
    const double dp = (frame.Max[1] - frame.Min[1]) / (kGridPoints - 1);
    const double dq = (frame.Max[2] - frame.Min[2]) / (kGridPoints - 1);
    std::string text;
    for (int i = 0; i < kGridPoints; ++i) {
        const double q = double(frame.Min[2] + static_cast<long double>(i) * dq);
        for (int j = 0; j < kGridPoints; ++j) {
            const double p = double(frame.Min[1] + static_cast<long double>(j) * dp);
            text += '\t';
            text += FormatExponent(TSquaredOfStrain(state, {p, q}), '.');
        }
        text += "\r\n";
    }
    return text;
}

void BM_GridExport(benchmark::State& run) {
    auto state = AnalysedState(int(run.range(0)));
    for (auto _ : run) benchmark::DoNotOptimize(TSquaredGridText(*state, '.'));
}

// Nearly round ellipses: every grid point away from the estimate leaves a nearly singular
// moment matrix, which the fast path evaluates in its principal frame (two passes over the
// data).
void BM_GridExportOfNearlyRoundEllipses(benchmark::State& run) {
    auto state = AnalysedState(int(run.range(0)), kNearlyRoundOptions);
    for (auto _ : run) benchmark::DoNotOptimize(TSquaredGridText(*state, '.'));
}

void BM_ReferenceGrid(benchmark::State& run) {
    auto state = AnalysedState(int(run.range(0)));
    for (auto _ : run) benchmark::DoNotOptimize(ReferenceGridValues(*state));
}

BENCHMARK(BM_GridExport)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GridExportOfNearlyRoundEllipses)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ReferenceGrid)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
// About 40 s per run: one run.
BENCHMARK(BM_ReferenceGrid)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace varnel::bench

BENCHMARK_MAIN();
