#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "analysis/open_pipeline.h"
#include "core/analysis_state.h"

namespace varnel::cli {

/// The analysis of one file as one JSON object: file, N, level, the estimate (x_s, R_s, phi_s
/// in degrees), the four ranges ([min, max], null where not a number) and both confidence
/// regions (72 [x1, x2] pairs); ranges and regions are null without a result stage.
nlohmann::ordered_json AnalysisJson(const AnalysisState& state, const std::string& path,
                                    int levelPercent, analysis::Outcome outcome);

}  // namespace varnel::cli
