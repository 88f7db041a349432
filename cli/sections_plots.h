#pragma once

#include <string>
#include <vector>

#include "ellipsoid/sections_study.h"

namespace varnel::cli {

/// The Flinn and Hsu plot pictures of a sections table's samples; empty paths are skipped.
/// The smallest --size of the Flinn and Hsu pictures: below it their tick labels run together.
inline constexpr int kSmallestShapePlot = 200;

struct SectionsPlotRequest {
    std::string flinnSvg, flinnPng, flinnPdf, hsuSvg, hsuPng, hsuPdf;
    std::string flinnPicture, hsuPicture;  ///< in the format each name's extension names
    int width = 500;                       ///< pixels; the pictures are square

    bool Any() const;
};

/// The usage error when a picture's name asks for a format its option does not write or names
/// none, when two pictures name one file, or when the size is below kSmallestShapePlot; empty
/// otherwise.
std::string SectionsPlotUsageError(const SectionsPlotRequest& request);

/// Saves the requested pictures of the samples. Throws VarnelError: the refusal of a picture
/// over the table or a section's data file (before anything is written), or the message of
/// the first save that fails.
void SaveSectionsPlots(const std::vector<ellipsoid::SampleStudy>& studies, const std::string& table,
                       const SectionsPlotRequest& request, char decimalSeparator, int levelPercent);

}  // namespace varnel::cli
