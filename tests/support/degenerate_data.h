#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "core/strain_vector.h"
#include "tests/support/analysis_states.h"

namespace varnel::testing_support {

/// `count` ellipses whose log-strain vectors lie on one line through the origin: ratios spread
/// from 1.1 to 5.06, long axes along `axisDegrees` except every third across it (axis + 90°),
/// which puts its vector on the other side of the origin.
inline std::vector<DatumInDegrees> CollinearData(double axisDegrees, int count) {
    std::vector<DatumInDegrees> data;
    for (int k = 1; k <= count; ++k) {
        const double R = 1.1 + (k * 37 % 100) / 25.0;
        data.push_back({R, k % 3 == 0 ? axisDegrees + 90.0 : axisDegrees});
    }
    return data;
}

/// CollinearData moved off its line by `noise` (in units of ln R) across it, in a pattern of five
/// offsets: a set that lies on one line to that share of its spread.
inline std::vector<DatumInDegrees> NearlyCollinearData(double axisDegrees, int count,
                                                       double noise) {
    constexpr double kDegree = std::numbers::pi / 180.0;
    std::vector<DatumInDegrees> data;
    for (const DatumInDegrees& d : CollinearData(axisDegrees, count)) {
        const StrainVector v = EllipseToVector(d.R, d.phiDegrees * kDegree);
        const double length = std::hypot(v.x1, v.x2), offset = noise * (data.size() * 7 % 5 - 2.0);
        const Ellipse e =
            VectorToEllipse({v.x1 - offset * v.x2 / length, v.x2 + offset * v.x1 / length});
        data.push_back({e.R, e.phi / kDegree});
    }
    return data;
}

/// Five ellipses whose log-strain vectors lie on the line x2 = 0.3 + 0.5 x1, which misses the
/// origin.
inline std::vector<DatumInDegrees> OffOriginLine() {
    return {{1.4390821211212688, 37.02730204953858},
            {1.7599245744924963, 27.452091606486942},
            {2.215972863599532, 23.136515010028354},
            {2.817902689865013, 20.78806437753466},
            {3.598887779134067, 19.329904127045047}};
}

/// `count` data alternating between two ellipses: their vectors always lie on one line.
inline std::vector<DatumInDegrees> TwoDistinctEllipses(int count) {
    std::vector<DatumInDegrees> data;
    for (int k = 1; k <= count; ++k)
        data.push_back(k % 2 ? DatumInDegrees{2, 10} : DatumInDegrees{3, 40});
    return data;
}

/// Twelve nearly round ellipses (R − 1 of 2 and 3.5 times `roundness`, long axes evenly spread,
/// so their log-strain vectors have a zero mean) deformed by a strain of ratio 1 + `roundness`
/// along `strainDegrees`: the estimate of these data is that strain.
inline std::vector<DatumInDegrees> StrainedNearCircles(double roundness, double strainDegrees) {
    constexpr double kDegree = std::numbers::pi / 180.0;
    const Ellipse strain =
        VectorToEllipse(EllipseToVector(1.0 + roundness, strainDegrees * kDegree));
    std::vector<DatumInDegrees> data;
    for (const double R0 : {1.0 + 2.0 * roundness, 1.0 + 3.5 * roundness}) {
        for (int i = 0; i < 6; ++i) {
            const double phi0 = (i * 30.0 + 7.0 * R0) * kDegree;
            const Ellipse post = SuperposeStrain(strain.R, R0, phi0 - strain.phi);
            data.push_back({post.R, (post.phi + strain.phi) / kDegree});
        }
    }
    return data;
}
}  // namespace varnel::testing_support
