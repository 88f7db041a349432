#include "core/report.h"

#include "core/number_format.h"

namespace varnel {

namespace {

// One block of the report: the estimate, its distances to the range ends, and the range.
void AppendBlock(std::vector<std::string>& lines, const std::string& label, long double estimate,
                 const ValueRange& range, const std::string& unit, char separator) {
    lines.push_back(label + FormatFixed3(estimate, separator) + unit);
    lines.push_back("           + " + FormatFixed3(estimate - range.min, separator));
    lines.push_back("           - " + FormatFixed3(range.max - estimate, separator));
    lines.push_back("   min = " + FormatFixed3(range.min, separator));
    lines.push_back("   max = " + FormatFixed3(range.max, separator));
}

}  // namespace

std::string FileNameWithoutFolder(const std::string& path) {
    const std::size_t lastSeparator = path.find_last_of("/\\:");
    return lastSeparator == std::string::npos ? path : path.substr(lastSeparator + 1);
}

std::vector<std::string> WriteReport(const AnalysisState& state, char decimalSeparator) {
    std::vector<std::string> lines;
    lines.push_back(FileNameWithoutFolder(state.DataFileName));
    lines.push_back("");
    lines.push_back("N = " + std::to_string(state.DataCount));
    lines.push_back("");
    AppendBlock(lines, "R_s    = ", EstimatedRatio(state), state.RRange, "", decimalSeparator);
    lines.push_back("");
    AppendBlock(lines, "phi_s  = ", EstimatedPhiDegrees(state), state.PhiRange, " (deg)",
                decimalSeparator);
    lines.push_back("");
    AppendBlock(lines, "x_s[1] = ", state.StrainEstimate.x1, state.X1Range, "", decimalSeparator);
    lines.push_back("");
    AppendBlock(lines, "x_s[2] = ", state.StrainEstimate.x2, state.X2Range, "", decimalSeparator);
    return lines;
}

}  // namespace varnel
