#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "analysis/open_pipeline.h"
#include "methods/methods.h"

namespace varnel::cli {

/// What the user asked for beside the report: --methods, --bootstrap B and --seed S.
struct MethodsRequest {
    bool methods = false;
    int bootstrap = 0;  ///< resamples; 0 for none
    std::uint32_t seed = 1;
};

/// The help text of --bootstrap: what it estimates and the range of B at each level.
std::string ResampleHelp();

/// The usage error of a --bootstrap B given outside FewestResamples at `levelPercent` … 1000000,
/// worded as CLI11 words its range errors; empty when B is in range or not given.
std::string ResampleCountError(bool bootstrapGiven, const MethodsRequest& request,
                               int levelPercent);

/// The estimators, fabric tests and bootstrap of one file, as far as they were asked for and
/// could be computed.
struct MethodsOutcome {
    std::optional<methods::MethodsResult> methods;
    std::optional<methods::BootstrapResult> bootstrap;
    std::vector<std::string> messages;  ///< why something asked for is missing
};

/// Runs what `request` asks for on a file whose analysis ended with `analysed` (only a reported
/// analysis has them); failures, and bootstrap intervals left out for too many failed resamples,
/// become messages. The bootstrap reports its resamples to `progress` when one is given.
MethodsOutcome RunMethods(AnalysisState& state, analysis::Outcome analysed,
                          const MethodsRequest& request, ConfidenceLevel level,
                          ProgressSink* progress = nullptr);

/// Adds "methods" and "bootstrap" to a file's JSON object where asked for (null where missing).
void AddMethodsJson(nlohmann::ordered_json& object, const MethodsRequest& request,
                    const MethodsOutcome& outcome);

/// The text block printed after a report: estimators, tests and intervals, plain English.
std::vector<std::string> MethodsText(const MethodsOutcome& outcome, char decimalSeparator);

}  // namespace varnel::cli
