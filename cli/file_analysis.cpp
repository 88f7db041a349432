#include "cli/file_analysis.h"

#include "core/confidence_region.h"
#include "core/estimation.h"
#include "core/messages.h"
#include "core/report.h"
#include "core/varnel_error.h"
#include "input/data_file.h"
#include "input/ellipse_import.h"
#include "plot/plot_frames.h"

namespace varnel::cli {

namespace {

// The Open command from the parse on (done already when `reading` is given); returns false
// where it ends early with its message.
bool ParseAndValidate(AnalysisState& state, char decimalSeparator, const DataFileReading* reading,
                      std::vector<std::string>& messages) {
    const ParseOutcome parsed = reading ? reading->parse : ParseDataFile(state, decimalSeparator);
    if (!parsed.ok) {
        messages.push_back(kInvalidDataAtLinePrefix + std::to_string(parsed.line));
        return false;
    }
    return !ValidateAxialRatios(state, messages);
}

FileAnalysis AnalyseFromParse(AnalysisState& state, ConfidenceLevel level, char decimalSeparator,
                              const DataFileReading* reading);

}  // namespace

FileAnalysis AnalyseDataFile(AnalysisState& state, const std::string& path, ConfidenceLevel level,
                             char decimalSeparator, const ImportOptions& import) {
    DataFileReading reading;
    try {
        reading = CountAndParseDataFile(state, path, decimalSeparator, import);
    } catch (const std::exception& error) {
        return {AnalysisStatus::Failed, {}, {UserMessageOf(error)}};
    }
    switch (reading.count) {
        case CountOutcome::Counted:
            break;
        case CountOutcome::Unreadable:
            return {AnalysisStatus::Failed, {}, {kInvalidDataFileMessage}};
        case CountOutcome::TooManyData:
            return {AnalysisStatus::Failed, {}, {kTooManyDataMessage}};
    }
    return AnalyseFromParse(state, level, decimalSeparator, &reading);
}

FileAnalysis AnalyseCountedFile(AnalysisState& state, ConfidenceLevel level,
                                char decimalSeparator) {
    return AnalyseFromParse(state, level, decimalSeparator, nullptr);
}

namespace {

FileAnalysis AnalyseFromParse(AnalysisState& state, ConfidenceLevel level, char decimalSeparator,
                              const DataFileReading* reading) {
    FileAnalysis analysis;
    if (reading) analysis.messages = reading->notices;
    try {
        if (!ParseAndValidate(state, decimalSeparator, reading, analysis.messages)) return analysis;
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

}  // namespace

std::string TerminalText(const std::string& message) {
    std::string text = message;
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return text;
}

}  // namespace varnel::cli
