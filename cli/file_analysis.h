#pragma once

#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "input/ellipse_import.h"

namespace varnel::cli {

/// How far the analysis of one data file got.
enum class AnalysisStatus {
    Reported,       ///< estimate, confidence region, ranges and report
    EstimatedOnly,  ///< two data: the estimate without a region
    Failed,         ///< the file was refused or an error ended the analysis
};

/// The analysis of one data file as the Open command runs it, without a window.
struct FileAnalysis {
    AnalysisStatus status = AnalysisStatus::Failed;
    std::vector<std::string> report;    ///< the 27 report lines when Reported
    std::vector<std::string> messages;  ///< what the window would have shown, in order
};

/// Counts, parses (a table or GeoJSON file by its importer, with `import`) and validates
/// `path`, estimates the strain and, with three data or more, runs the result stage (region,
/// ranges, report, plot frames) at `level`. Every failure is caught and described in
/// `messages` with the program's own texts, after any notice of the import.
FileAnalysis AnalyseDataFile(AnalysisState& state, const std::string& path, ConfidenceLevel level,
                             char decimalSeparator, const ImportOptions& import = {});

/// AnalyseDataFile after the count: parses the file ChooseAndCountDataFile stored in `state`
/// (DataFileName, DataCount) and goes on as AnalyseDataFile does.
FileAnalysis AnalyseCountedFile(AnalysisState& state, ConfidenceLevel level,
                                char decimalSeparator);

/// A message as a terminal shows it: the "\r\n" of a two-line message becomes a newline.
std::string TerminalText(const std::string& message);

}  // namespace varnel::cli
