#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/file_analysis.h"
#include "input/ellipse_import.h"

namespace varnel::cli {

/// The command line's say on imported files: which columns of a table hold R and φ, and where
/// to save the ellipses read as a data file.
struct ImportRequest {
    ImportOptions options;
    std::string exportData;  ///< empty: no export
};

/// Adds --columns R=COL,phi=COL and --export-data FILE to the command line.
void AddImportOptions(CLI::App& app, ImportRequest& request);

/// The choice written "R=COL,phi=COL" (keys in any case and order; COL a column name or a
/// 1-based number). Throws CLI::ValidationError for any other text.
ColumnChoice ParseColumnChoice(const std::string& text);

/// Saves the ellipses of an analysis that got past the reading (status Reported or
/// EstimatedOnly) to the requested file as a data file; a failed save is reported on standard
/// error as "path: message" and returns false. Nothing is asked or written otherwise.
bool ExportReadData(const AnalysisState& state, const ImportRequest& request,
                    AnalysisStatus status, const std::string& dataPath, char decimalSeparator);

}  // namespace varnel::cli
