#pragma once

#include <numbers>

namespace varnel {

// Radians in one degree: the tests' angles are written in degrees.
inline constexpr double kDegree = std::numbers::pi / 180.0;
inline constexpr double kRadian = kDegree;

}  // namespace varnel
