#pragma once

#include <string>
#include <vector>

#include "ellipsoid/sections_study.h"
#include "plot/shape_plots.h"

namespace varnel::ellipsoid {

/// Each sample that has its ellipsoid (a sphere with ν NaN), named as in the table (the table's
/// name without its folder and extension where it names no samples), with its bootstrap intervals
/// where estimated.
plot::ShapePlotData ShapePlotDataOf(const std::vector<SampleStudy>& studies,
                                    const std::string& table, char decimalSeparator,
                                    int levelPercent);

}  // namespace varnel::ellipsoid
