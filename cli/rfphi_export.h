#pragma once

#include <string>

#include "core/analysis_state.h"

namespace varnel::cli {

/// The Rf/φ plot pictures to save after the analysis of a single data file; empty paths are
/// skipped.
struct RfPhiExportRequest {
    std::string svg, png, emf;
    std::string picture;  ///< in the format its name's extension names

    bool Any() const { return !(svg + png + emf + picture).empty(); }
};

/// Saves the Rf/φ plot of the analysed state (its ellipses, its estimate and the estimate's
/// curves) as a square picture of `width` pixels in each requested format, SVG, PNG, EMF and
/// that of the picture's name (which RunExports has checked), its
/// labels written with `decimalSeparator`. Throws VarnelError with the program's message of the
/// first save that fails.
void RunRfPhiExports(const AnalysisState& state, const RfPhiExportRequest& request, int width,
                     char decimalSeparator);

}  // namespace varnel::cli
