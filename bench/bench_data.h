#pragma once

#include <memory>
#include <string>

#include "core/analysis_state.h"

namespace varnel::bench {

/// Seeds of the synthetic generator (10000 ellipses, its default strain) whose estimation ends
/// in the two ways that bound its cost: the first simplex run meets the tolerance after about
/// 250 evaluations; all 11 runs end on the evaluation limit (about 55000 evaluations).
inline constexpr unsigned kConvergingSeed = 1;
inline constexpr unsigned kWorstCaseSeed = 9;

/// Path of a synthetic data file of `count` ellipses written by the generator with `seed` and
/// its further `options` (such as "--rs 1.000001"), in a temporary folder of this process
/// (written once, reused by later calls).
std::string SyntheticFile(int count, unsigned seed, const std::string& options = "");

/// Options of the generator for nearly round ellipses (R − 1 about 2e-6) under a strain of
/// ratio 1.000001: every trial strain away from the estimate leaves a nearly singular moment
/// matrix, which the fast path evaluates in its principal frame.
inline constexpr const char* kNearlyRoundOptions = "--rs 1.000001 --mu 0.000002 --sigma 0.000001";

/// A fresh analysis state holding the data of `path` (R, φ in radians).
std::unique_ptr<AnalysisState> LoadDataFile(const std::string& path);

/// LoadDataFile of SyntheticFile(count, seed).
std::unique_ptr<AnalysisState> SyntheticState(int count, unsigned seed);

}  // namespace varnel::bench
