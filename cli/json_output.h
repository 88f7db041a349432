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

/// `object` as one line of text ending in a newline. A string that is not UTF-8 (a file name is
/// any bytes on Linux) has each invalid byte written as U+FFFD instead of failing the line.
std::string JsonLine(const nlohmann::ordered_json& object);

}  // namespace varnel::cli
