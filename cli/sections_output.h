#pragma once

#include <cstdint>
#include <string>

#include "cli/standard_output.h"

namespace varnel::cli {

/// What --sections asks for: the table, JSON or text, and a bootstrap of B resamples.
struct SectionsRequest {
    std::string table;
    bool json = false;
    int bootstrap = 0;
    std::uint32_t seed = 1;
    int levelPercent = 95;
};

/// Studies the sections table: one report (or JSON line) per sample, refusals on standard
/// error. The exit status: 0 when every sample has its ellipsoid, 1 otherwise.
int RunSections(const SectionsRequest& request, char decimalSeparator, StandardOutput& output);

}  // namespace varnel::cli
