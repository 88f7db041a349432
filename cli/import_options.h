#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "analysis/open_pipeline.h"
#include "cli/exports.h"
#include "input/ellipse_import.h"

namespace varnel::cli {

/// The command line's say on imported files: which columns of a table hold R and φ, and where
/// to save the ellipses read as a data file.
struct ImportRequest {
    ImportOptions options;
    std::string exportData;  ///< empty: no export
};

/// Adds --columns R=COL,phi=COL, the image options (--threshold otsu|N, --invert, --labels,
/// --min-area PX, --keep-edge, --split) and --export-data FILE to the command line.
void AddImportOptions(CLI::App& app, ImportRequest& request);

/// The choice written "R=COL,phi=COL" (keys in any case and order; COL a column name or a
/// 1-based number). Throws CLI::ValidationError for any other text and for one column named
/// twice.
ColumnChoice ParseColumnChoice(const std::string& text);

/// The usage error when --export-data names the file of another export; empty otherwise.
std::string DataExportConflict(const ImportRequest& request, const ExportRequest& exports);

/// Saves the ellipses of an Open that got past the reading (Reported or EstimatedOnly) to the
/// requested file as a data file, replacing it only once complete. Throws VarnelError with the
/// save's message, or the refusal to save over the data file itself.
void ExportReadData(const AnalysisState& state, const ImportRequest& request,
                    analysis::Outcome outcome, char decimalSeparator);

}  // namespace varnel::cli
