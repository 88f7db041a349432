#pragma once

#include <span>

#include "core/fast_objective.h"

namespace varnel {

/// Access to the inner steps of the fast path, for its tests alone.
struct FastObjectiveInternals {
    /// Retro-deforms every datum by x on the fast path and writes its pre vector to
    /// pre[1 … N]; `pre` holds at least N + 1 entries.
    static void PreVectors(const FastObjective& fast, StrainVector x, std::span<StrainVector> pre);
};

}  // namespace varnel
