#pragma once

#include <string>
#include <vector>

#include "core/analysis_state.h"

namespace varnel::plot {

/// The text of a report document: the data file's name without folders, N, the confidence level
/// in percent, the date it was made, the 27-line report and the lines of the estimators, fabric
/// tests and bootstrap (none when empty).
struct ReportPdfContent {
    std::string fileName;
    int dataCount = 0;
    int levelPercent = 95;
    std::string date;
    std::vector<std::string> report;
    std::vector<std::string> methods;
};

/// The content of a reported analysis at `levelPercent`: its file, N and report written with
/// `decimalSeparator`, and `methodsLines` as given.
ReportPdfContent ReportContentOf(const AnalysisState& state, int levelPercent,
                                 std::vector<std::string> methodsLines, char decimalSeparator,
                                 std::string date);

/// Today's date as YYYY-MM-DD, in local time.
std::string TodaysDate();

/// A4 portrait, in pixels of 1/96 inch, and the margin kept free on every side.
inline constexpr int kReportPageWidth = 794;
inline constexpr int kReportPageHeight = 1123;
inline constexpr int kReportMargin = 48;

/// The bytes of a PDF of one or two A4 pages, all vectors and text: a heading with file, N, level
/// and date, the Post-strain and Pre-strain plots of `state` (whose frames must exist), the
/// report beside the Rf/φ plot, and the methods lines on a second page when there are any.
/// `decimalSeparator` writes the Rf/φ plot's labels. Needs a QGuiApplication for the text.
std::string ReportPdfBytes(const AnalysisState& state, const ReportPdfContent& content,
                           char decimalSeparator);

/// Writes ReportPdfBytes to `path` through a complete replacement. Throws
/// VarnelError("No data loaded.") before frames exist, SaveOverDataFileMessage when `path` is
/// the data file and the creation message when the file cannot be made.
void ExportReportPdf(const AnalysisState& state, const ReportPdfContent& content,
                     const std::string& path, char decimalSeparator);

}  // namespace varnel::plot
