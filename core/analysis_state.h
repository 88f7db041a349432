#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/strain_vector.h"

namespace varnel {

/// Capacity of the analysis: data are indexed 1 … kMaxData.
inline constexpr int kMaxData = 10000;
/// Points of each confidence region, indexed 1 … kRegionPoints.
inline constexpr int kRegionPoints = 72;
/// The quantile tables hold entries for N = kMinQuantileN … kMaxData.
inline constexpr int kMinQuantileN = 3;

/// Frame of one plot: index 1 is x1 (horizontal), index 2 is x2 (vertical); slot 0 unused.
struct PlotBounds {
    std::array<double, 3> Max{};
    std::array<double, 3> Min{};
};

/// A (min, max) pair; the minimum comes first.
struct ValueRange {
    double min = 0.0;
    double max = 0.0;
};

/// The confidence levels the user can choose.
enum class ConfidenceLevel { Level39, Level50, Level95 };

/// The whole analysis: input ellipses, derived vectors, estimate, region, ranges and frames.
/// One value of fixed capacity, created zero-filled and never reallocated; arrays are indexed
/// from 1 (slot 0 of PostVectors holds the estimate as an ellipse: read and write it through
/// EstimatedRatio, EstimatedPhiDegrees and StoreEstimatedEllipse). Entries above
/// DataCount keep what an earlier, longer file left in them. Large: keep it on the heap.
struct AnalysisState {
    std::string DataFileName;
    std::array<double, kMaxData + 1> FQuantile39{};
    std::array<double, kMaxData + 1> FQuantile50{};
    std::array<double, kMaxData + 1> FQuantile95{};
    std::int32_t DataCount = 0;
    std::int32_t DataFirstLine = 1;  // the file's line of datum 1: 2 below a table's header
    // An image's data: the number of datum i's object at [i − 1], as the overlay and the export
    // number it (the excluded objects leave gaps). Set by each image read only.
    std::vector<std::int32_t> ObjectNumbers;
    std::array<double, kMaxData + 1> RPost{};
    std::array<double, kMaxData + 1> PhiPost{};  // radians
    std::array<double, kMaxData + 1> RPre{};
    std::array<double, kMaxData + 1> PhiPre{};  // radians
    std::array<StrainVector, kMaxData + 1> PostVectors{};
    std::array<StrainVector, kMaxData + 1> PreVectors{};
    StrainVector StrainEstimate;
    PlotBounds PrePlotBounds;
    PlotBounds PostPlotBounds;
    std::array<StrainVector, kRegionPoints + 1> PreRegion{};
    std::array<StrainVector, kRegionPoints + 1> PostRegion{};
    ValueRange X1Range;
    ValueRange X2Range;
    ValueRange RRange;
    ValueRange PhiRange;  // degrees
};

/// R_s, the axial ratio of the estimated strain (slot 0 of PostVectors, component 1).
inline double EstimatedRatio(const AnalysisState& state) { return state.PostVectors[0].x1; }

/// phi_s, the long-axis orientation of the estimated strain in degrees, −90 … 90 (slot 0 of
/// PostVectors, component 2).
inline double EstimatedPhiDegrees(const AnalysisState& state) { return state.PostVectors[0].x2; }

/// Stores the estimate as an ellipse: R_s and phi_s in degrees, read back by EstimatedRatio and
/// EstimatedPhiDegrees.
inline void StoreEstimatedEllipse(AnalysisState& state, double ratio, double phiDegrees) {
    state.PostVectors[0] = {ratio, phiDegrees};
}

}  // namespace varnel
