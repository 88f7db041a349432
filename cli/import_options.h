#pragma once

#include <optional>
#include <string>

#include "analysis/open_pipeline.h"
#include "cli/exports.h"
#include "input/ellipse_import.h"

namespace varnel::cli {

/// The command line's say on imported files: which columns of a table hold R and φ, and where
/// to save the ellipses read as a data file.
struct ImportRequest {
    ImportOptions options;
    std::string exportData;                             ///< empty: no export
    std::string overlayPng, overlaySvg, exportObjects;  ///< an image's outputs; empty: none

    bool AnyImageOutput() const {
        return !overlayPng.empty() || !overlaySvg.empty() || !exportObjects.empty();
    }
};

/// The choice written "R=COL,phi=COL" (keys in any case and order; COL a column name or a
/// 1-based number). Throws std::invalid_argument with the usage error for any other text and
/// for one column named twice.
ColumnChoice ParseColumnChoice(const std::string& text);

/// The grey level of --threshold N (0-255), or none for "otsu" in any case. Throws
/// std::invalid_argument with the usage error for any other text.
std::optional<int> ParseThreshold(const std::string& text);

/// The pixels of --min-area N, a whole number from 1 to 2^30. Throws std::invalid_argument with
/// the usage error for any other text.
int ParseMinimumArea(const std::string& text);

/// The usage error when --export-data, --overlay-png, --overlay-svg or --export-objects names
/// the file of another export, or when --export-objects names neither .csv nor .geojson;
/// empty otherwise.
std::string DataExportConflict(const ImportRequest& request, const ExportRequest& exports);

/// Writes the overlays and the objects' export asked for of the image at `path` from its
/// `reading` by the Open (read again when the Open left none). Throws VarnelError with the
/// image's or the save's message, or the refusal to save over the image itself.
void ExportImageObjects(const ImportRequest& request, const std::string& path,
                        const image::ImageReading* reading);

/// Saves the ellipses of the file at `path` to the requested file as a data file
/// (DataFileText), replacing it only once complete, whenever the file was read: after a report
/// or an estimate from `state`, after an Open that ended later (an estimate that failed, a bad
/// ratio) from the file read again with `import` on a copy. Throws VarnelError with the save's
/// message, or the refusal to save over the data file itself.
void ExportReadData(const AnalysisState& state, const std::string& path,
                    const ImportRequest& request, analysis::Outcome outcome, char decimalSeparator,
                    const ImportOptions& import);

}  // namespace varnel::cli
