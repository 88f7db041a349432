#include "cli/file_analysis.h"

#include "core/confidence_region.h"
#include "core/estimation.h"
#include "core/messages.h"
#include "core/report.h"
#include "core/varnel_error.h"
#include "input/data_file.h"
#include "plot/plot_frames.h"

namespace varnel::cli {

namespace {

// The Open command from the parse on; returns false where it ends early with its message.
bool ParseAndValidate(AnalysisState& state, char decimalSeparator,
                      std::vector<std::string>& messages) {
    const ParseOutcome parsed = ParseDataFile(state, decimalSeparator);
    if (!parsed.ok) {
        messages.push_back(kInvalidDataAtLinePrefix + std::to_string(parsed.line));
        return false;
    }
    return !ValidateAxialRatios(state, messages);
}

}  // namespace

FileAnalysis AnalyseDataFile(AnalysisState& state, const std::string& path, ConfidenceLevel level,
                             char decimalSeparator) {
    switch (ChooseAndCountDataFile(state, path)) {
        case CountOutcome::Counted:
            break;
        case CountOutcome::Unreadable:
            return {AnalysisStatus::Failed, {}, {kInvalidDataFileMessage}};
        case CountOutcome::TooManyData:
            return {AnalysisStatus::Failed, {}, {kTooManyDataMessage}};
    }
    return AnalyseCountedFile(state, level, decimalSeparator);
}

FileAnalysis AnalyseCountedFile(AnalysisState& state, ConfidenceLevel level,
                                char decimalSeparator) {
    FileAnalysis analysis;
    try {
        if (!ParseAndValidate(state, decimalSeparator, analysis.messages)) return analysis;
        EstimateStrain(state, nullptr);
        if (state.DataCount < 3) {
            analysis.messages.push_back(kTooFewDataMessage);
            analysis.status = AnalysisStatus::EstimatedOnly;
            return analysis;
        }
        ComputeConfidenceResults(state, level);
        analysis.report = WriteReport(state, decimalSeparator);
        plot::ComputePlotBounds(state);
        analysis.status = AnalysisStatus::Reported;
    } catch (const std::exception& error) {
        analysis.messages.push_back(UserMessageOf(error));
    }
    return analysis;
}

std::string TerminalText(const std::string& message) {
    std::string text = message;
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return text;
}

}  // namespace varnel::cli
