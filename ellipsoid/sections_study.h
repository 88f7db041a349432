#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ellipsoid/ellipsoid_fit.h"
#include "methods/hyperboloid.h"
#include "methods/methods.h"

namespace varnel::ellipsoid {

/// One section as studied: its 2-D strain (estimated from its data file, or as the table gives
/// it) and, where it came from a file, the observed ellipses for the bootstrap.
struct StudiedSection {
    SectionStrain strain;
    std::string file;  ///< empty where the table gave R and φ
    int N = 0;         ///< ellipses of the file; 0 where the table gave R and φ
    std::vector<methods::ShapePoint> points;
};

/// Intervals of the ellipsoid over bootstrap resamples: of the ratios the basic interval in ln,
/// held at 1 below, of k, ν and ε_s the percentile interval; and the cone of each
/// principal axis: the percentile at the level of its angle to the estimate's (NaN where the
/// estimate's axis has no direction; k and ν over the resamples that are no sphere).
struct EllipsoidBootstrap {
    int B = 0;
    std::uint32_t seed = 1;
    int levelPercent = 95;
    int failed = 0;          ///< resamples whose sections gave no estimate or no ellipsoid
    bool estimated = false;  ///< false when more than 1 % of the resamples failed
    methods::Interval XY, YZ, XZ, k, nu, epsS;
    double coneDegrees[3] = {0.0, 0.0, 0.0};  ///< X, Y, Z
    /// The principal axes X, Y, Z of each resample that gave an ellipsoid, in resample order.
    std::vector<std::array<Line, 3>> resampleAxes;
};

/// The study of one sample: its sections, the ellipsoid, and the bootstrap where run.
struct SampleStudy {
    std::string sample;
    std::vector<StudiedSection> sections;
    std::optional<EllipsoidFit> fit;
    std::string refusal;  ///< why there is no fit, with the sample's name
    std::optional<EllipsoidBootstrap> bootstrap;
};

/// Reads the sections table at `path`, estimates each section that names a data file (its T²
/// estimate, as File > Open makes it; `decimalSeparator` for plain data files) and fits one
/// ellipsoid to the sections of each sample, samples in the order they first appear. Throws
/// SectionsRefused for a table that cannot be read or a section file that fails (its own
/// message with the file's name); a sample whose sections leave no ellipsoid keeps its
/// refusal.
std::vector<SampleStudy> StudySections(const std::string& path, char decimalSeparator);

/// The sample's name as the table gives it, or for a table without samples the table's file
/// name without its folder and extension.
std::string SampleNameOf(const SampleStudy& study, const std::string& table);

/// True when a section of the sample has data to resample (it came from a data file).
bool HasResampleData(const SampleStudy& study);

/// Hears the resamples finished so far, from the calling thread only.
using ResampleProgress = std::function<void(int finished)>;

/// B resamples of each section's data (sections without data keep their strain), each
/// re-estimated by the T² estimate and the ellipsoid fitted again; resample b of section j draws
/// from stream b · (number of sections) + j of `seed`, so the result does not depend on threads.
/// Stops early and returns nothing once `cancel` becomes true. Uses both cores.
std::optional<EllipsoidBootstrap> BootstrapEllipsoid(const SampleStudy& study, int B,
                                                     std::uint32_t seed, int levelPercent = 95,
                                                     const ResampleProgress& progress = {},
                                                     const std::atomic<bool>* cancel = nullptr);

/// BootstrapEllipsoid of every sample that has its ellipsoid and data to resample; the others
/// keep no bootstrap, rather than intervals of zero width. `progress` hears B times the samples
/// resampled as its maximum. Returns false, the studies left as they were, when cancelled.
bool BootstrapStudies(std::vector<SampleStudy>& studies, int B, std::uint32_t seed,
                      int levelPercent, ProgressSink* progress = nullptr,
                      const std::atomic<bool>* cancel = nullptr);

}  // namespace varnel::ellipsoid
