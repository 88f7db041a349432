#include "tests/methods/synthetic_sets.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/estimation.h"
#include "core/strain_vector.h"
#include "methods/random_stream.h"
#include "tests/support/analysis_states.h"
#include "tests/support/angle_units.h"

namespace varnel::testing_support {

namespace {

// A uniform double in (0, 1] from 53 random bits.
double Uniform(methods::RandomStream& random) {
    return double((random.Next() >> 11) + 1) * 0x1p-53;
}

// A standard normal draw by Box–Muller.
double Normal(methods::RandomStream& random) {
    const double u = Uniform(random), v = Uniform(random);
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
}

}  // namespace

std::vector<EllipseInDegrees> EllipsesOf(const Population& population) {
    methods::RandomStream random(population.seed, 0);
    std::vector<EllipseInDegrees> initial;
    for (int i = 0; i < population.count; ++i) {
        double logR = population.logRatioMean + population.logRatioSpread * Normal(random);
        const bool large = logR > population.logRatioMean;
        const double centre = large
                                  ? population.largeFabricDegrees.value_or(population.fabricDegrees)
                                  : population.fabricDegrees;
        const double halfWidth =
            large ? population.largeFabricHalfWidth.value_or(population.fabricHalfWidth)
                  : population.fabricHalfWidth;
        double phi =
            population.strain.phiDegrees + centre + halfWidth * (2.0 * Uniform(random) - 1.0);
        // A negative ln R0 is the same ellipse seen along its other axis.
        if (logR < 0.0) {
            logR = -logR;
            phi += 90.0;
        }
        initial.push_back({std::exp(logR), phi});
    }
    return Strained(initial, population.strain);
}

std::vector<EllipseInDegrees> Strained(const std::vector<EllipseInDegrees>& ellipses,
                                       methods::StrainLocation strain) {
    std::vector<EllipseInDegrees> strained;
    for (const EllipseInDegrees& e : ellipses) {
        const Ellipse post =
            SuperposeStrain(strain.R, e.R, (e.phiDegrees - strain.phiDegrees) * kRadian);
        strained.push_back({post.R, post.phi / kRadian + strain.phiDegrees});
    }
    return strained;
}

std::unique_ptr<AnalysisState> EstimatedStateOf(const std::vector<EllipseInDegrees>& ellipses) {
    auto state = StateOf(ellipses);
    EstimateStrain(*state, nullptr);
    return state;
}

}  // namespace varnel::testing_support
