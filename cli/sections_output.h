#pragma once

#include <cstdint>
#include <string>

#include "cli/sections_plots.h"
#include "cli/standard_output.h"

namespace varnel::cli {

/// What --sections asks for: the table, JSON or text, a bootstrap of B resamples and the
/// Flinn and Hsu plots.
struct SectionsRequest {
    std::string table;
    bool json = false;
    int bootstrap = 0;
    std::uint32_t seed = 1;
    int levelPercent = 95;
    SectionsPlotRequest plots{};
};

/// Studies the sections table: one report (or JSON line) per sample, refusals on standard
/// error, then the plots of the samples that have their ellipsoid. The exit status: 0 when
/// every sample has its ellipsoid and every picture was saved, 1 otherwise.
int RunSections(const SectionsRequest& request, char decimalSeparator, StandardOutput& output);

}  // namespace varnel::cli
