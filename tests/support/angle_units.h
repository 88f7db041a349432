#pragma once

#include "core/orientation.h"

namespace varnel {

// The tests' angles are written in degrees (kDegree radians each).
inline constexpr double kRadian = kDegree;

}  // namespace varnel
