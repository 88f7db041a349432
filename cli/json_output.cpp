#include "cli/json_output.h"

#include <cmath>

namespace varnel::cli {

namespace {

nlohmann::ordered_json Number(double value) {
    return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json Range(const ValueRange& range) {
    return nlohmann::ordered_json::array({Number(range.min), Number(range.max)});
}

nlohmann::ordered_json Region(const std::array<StrainVector, kRegionPoints + 1>& region) {
    nlohmann::ordered_json points = nlohmann::ordered_json::array();
    for (int i = 1; i <= kRegionPoints; ++i) {
        points.push_back(
            nlohmann::ordered_json::array({Number(region[i].x1), Number(region[i].x2)}));
    }
    return points;
}

}  // namespace

nlohmann::ordered_json AnalysisJson(const AnalysisState& state, const std::string& path,
                                    int levelPercent, analysis::Outcome outcome) {
    const bool reported = outcome == analysis::Outcome::Reported;
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    object["file"] = path;
    object["N"] = state.DataCount;
    object["level"] = levelPercent;
    object["x_s"] = nlohmann::ordered_json::array(
        {Number(state.StrainEstimate.x1), Number(state.StrainEstimate.x2)});
    object["R_s"] = Number(EstimatedRatio(state));
    object["phi_s"] = Number(EstimatedPhiDegrees(state));
    const nlohmann::ordered_json none = nlohmann::ordered_json::array({nullptr, nullptr});
    object["R_range"] = reported ? Range(state.RRange) : none;
    object["phi_range"] = reported ? Range(state.PhiRange) : none;
    object["x1_range"] = reported ? Range(state.X1Range) : none;
    object["x2_range"] = reported ? Range(state.X2Range) : none;
    object["post_region"] = reported ? Region(state.PostRegion) : nlohmann::ordered_json(nullptr);
    object["pre_region"] = reported ? Region(state.PreRegion) : nlohmann::ordered_json(nullptr);
    return object;
}

std::string JsonLine(const nlohmann::ordered_json& object) {
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
}

}  // namespace varnel::cli
