#include "ellipsoid/shape_plot_data.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace varnel::ellipsoid {

plot::ShapePlotData ShapePlotDataOf(const std::vector<SampleStudy>& studies,
                                    const std::string& table, char decimalSeparator,
                                    int levelPercent) {
    plot::ShapePlotData data;
    data.levelPercent = levelPercent;
    data.decimalSeparator = decimalSeparator;
    for (const SampleStudy& study : studies) {
        // A sphere's ν is NaN: its Flinn point (1, 1) is drawn, the Hsu plot leaves it out.
        if (!study.fit) continue;
        const auto& axes = study.fit->axes;
        plot::ShapeSample sample{SampleNameOf(study, table),      axes[0].length / axes[1].length,
                                 axes[1].length / axes[2].length, study.fit->shape.nu,
                                 study.fit->shape.epsS,           std::nullopt};
        // Sections given as R and φ are not resampled: without any data the intervals are points.
        const bool resampled = std::any_of(study.sections.begin(), study.sections.end(),
                                           [](const StudiedSection& s) { return s.N > 0; });
        if (study.bootstrap && study.bootstrap->estimated && resampled) {
            const EllipsoidBootstrap& b = *study.bootstrap;
            sample.intervals = plot::ShapeIntervals{
                {b.XY.lo, b.XY.hi}, {b.YZ.lo, b.YZ.hi}, {b.nu.lo, b.nu.hi}, {b.epsS.lo, b.epsS.hi}};
        }
        data.samples.push_back(sample);
    }
    return data;
}

}  // namespace varnel::ellipsoid
