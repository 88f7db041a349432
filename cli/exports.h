#pragma once

#include <string>

#include "cli/rfphi_export.h"
#include "core/analysis_state.h"

namespace varnel::cli {

/// The files to export after the analysis of a single data file; empty paths are skipped.
struct ExportRequest {
    std::string tSquaredGrid;
    std::string postEmf, preEmf, postSvg, preSvg, postPng, prePng;
    int pictureWidth = 500;  ///< pixels, the width the plots are laid out for
    RfPhiExportRequest rfphi;

    bool Any() const;
};

/// Writes every requested file from the analysed state, in the order of the request's fields.
/// Throws VarnelError with the program's message of the first export that fails.
void RunExports(AnalysisState& state, const ExportRequest& request, char decimalSeparator);

}  // namespace varnel::cli
