#pragma once

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis_state.h"
#include "core/strain_vector.h"

namespace varnel::testing_support {

/// One ellipse as a data file gives it: its ratio and its long-axis orientation in degrees.
using DatumInDegrees = EllipseInDegrees;

/// The data as the lines "R,φ" of a data file, every digit of the doubles kept.
inline std::string DataFileText(const std::vector<DatumInDegrees>& data) {
    std::string text;
    char line[64];
    for (const DatumInDegrees& d : data) {
        std::snprintf(line, sizeof line, "%.17g,%.17g\n", d.R, d.phiDegrees);
        text += line;
    }
    return text;
}

/// True when two states hold the same bytes: the data file's name and every field after it,
/// NaNs and signed zeros included (the fields after the name are numbers without padding).
inline bool SameStateBytes(const AnalysisState& a, const AnalysisState& b) {
    const auto tail = [](const AnalysisState& s) {
        return std::string_view(
            reinterpret_cast<const char*>(&s.FQuantile39),
            reinterpret_cast<const char*>(&s + 1) - reinterpret_cast<const char*>(&s.FQuantile39));
    };
    return a.DataFileName == b.DataFileName && tail(a) == tail(b);
}

/// A fresh analysis state holding the data (φ in radians), as the data file reader stores them.
inline std::unique_ptr<AnalysisState> StateOf(const std::vector<DatumInDegrees>& data) {
    auto state = std::make_unique<AnalysisState>();
    for (const DatumInDegrees& d : data) {
        ++state->DataCount;
        state->RPost[state->DataCount] = d.R;
        state->PhiPost[state->DataCount] =
            static_cast<double>(d.phiDegrees * (std::numbers::pi_v<long double> / 180.0L));
    }
    return state;
}

/// Random observed ellipses: log-normal initial ratios (a few exact circles and axes at ±45°
/// among them), random orientations, strained by `strain`.
inline std::unique_ptr<AnalysisState> RandomPopulation(int count, StrainVector strain,
                                                       unsigned seed) {
    auto state = std::make_unique<AnalysisState>();
    std::mt19937_64 random(seed);
    std::normal_distribution<double> logRatio(0.3, 0.3);
    std::uniform_real_distribution<double> orientation(-std::numbers::pi / 2, std::numbers::pi / 2);
    const Ellipse s = VectorToEllipse(strain);
    for (int k = 1; k <= count; ++k) {
        double R = std::exp(std::fabs(logRatio(random))), phi = orientation(random);
        if (k % 97 == 0) R = 1.0;
        if (k % 89 == 0) phi = std::numbers::pi / 4;
        const Ellipse post = SuperposeStrain(s.R, R, phi - s.phi);
        state->RPost[k] = post.R;
        state->PhiPost[k] = post.phi + s.phi;
    }
    state->DataCount = count;
    return state;
}

}  // namespace varnel::testing_support
