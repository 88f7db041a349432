#pragma once

#include <string>
#include <vector>

#include "cli/methods_output.h"
#include "cli/rfphi_export.h"
#include "core/analysis_state.h"

namespace varnel::cli {

/// The picture widths --size accepts, in pixels. The cap keeps a PNG within a few hundred
/// megabytes of memory (four bytes a pixel, width² pixels).
inline constexpr int kMinPictureWidth = 16;
inline constexpr int kMaxPictureWidth = 8192;

/// The files to export after the analysis of a single data file; empty paths are skipped.
struct ExportRequest {
    std::string tSquaredGrid;
    std::string postEmf, preEmf, postSvg, preSvg, postPng, prePng;
    std::string postPicture, prePicture;  ///< in the format each name's extension names
    std::string reportPdf;                ///< the report, methods and plots as a PDF document
    int pictureWidth = 500;               ///< pixels, the width the plots are laid out for
    RfPhiExportRequest rfphi;

    bool Any() const;
};

/// One requested export: the command-line option that asked for it and its path.
struct RequestedExport {
    const char* option;
    const std::string& path;
};

/// The exports with a path, in the order RunExports writes them.
std::vector<RequestedExport> RequestedExports(const ExportRequest& request);

/// The line that says which requested exports a file that was not analysed leaves unwritten
/// ("not written, as the file gave no report: --post-png p.png, --t2-grid g.txt"); empty when
/// none was requested.
std::string NotWrittenLine(const ExportRequest& request);

/// The usage error when two requested exports would write one file, whatever the spelling of
/// their paths ("--post-png and --pre-png name the same file \"x.png\"."); empty otherwise.
std::string SameFileConflict(const ExportRequest& request);

/// The usage error when a picture's name asks for a format its option does not write: an
/// extension of no picture format for --post-picture, --pre-picture or --rfphi-picture, or one
/// of another format for an option that names its own (--post-emf "post.jpg"); empty otherwise.
std::string PictureNameError(const ExportRequest& request);

/// Writes every requested file from the analysed state, in the order of the request's fields.
/// Throws VarnelError with the program's message of the first export that fails; when any path
/// is the data file, the refusal comes before anything is written.
void RunExports(AnalysisState& state, const ExportRequest& request, char decimalSeparator);

/// Writes the report document of the analysed state at `levelPercent` to `path` (RunExports has
/// refused the data file): the estimators and tests of `methods`, computed here when it has
/// none, and its bootstrap when one ran. Throws VarnelError with the program's message.
void ExportReportDocument(AnalysisState& state, const std::string& path, int levelPercent,
                          const MethodsOutcome& methods, char decimalSeparator);

}  // namespace varnel::cli
