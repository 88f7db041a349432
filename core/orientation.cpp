#include "core/orientation.h"

#include <cmath>
#include <numbers>

namespace varnel {

double ReduceHalfTurns(double degrees) {
    // fmod is exact, and so is each correction by 180°: both operands lie within a factor 2.
    double reduced = std::fmod(degrees, 180.0);
    if (reduced > 90.0) reduced -= 180.0;
    if (reduced <= -90.0) reduced += 180.0;
    return reduced;
}

double RadiansToDegrees(double radians) { return radians * 180.0 / std::numbers::pi; }

double OrientationDegreesOf(StrainVector x) {
    return RadiansToDegrees(0.5 * std::atan2(x.x2, x.x1));
}

}  // namespace varnel
