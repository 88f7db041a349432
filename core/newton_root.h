#pragma once

#include <cmath>
#include <concepts>
#include <optional>

#include "core/strain_vector.h"

namespace varnel {

/// A strain x at which a mean pre vector m(x) vanishes, the zero and only minimum of T², as
/// FindNewtonRoot solves for it. Each caller brings its own formulation of m: the Open command
/// the reference path (core/estimate_newton.h), the methods the hyperboloid of shapes
/// (methods/hyperboloid.h).
///   At(x)                  the value at x: m(x) as `mean`, and whatever the problem judges by
///   Valid(value)           whether a value can be stepped from or to
///   IsRoot(value)          whether the search may end at this value without another step
///   Jacobian(x, value)     ∂m/∂v for the steps v of Move from x, or nothing where it fails
///   Move(x, v, scale)      the point that the step scale · v from x reaches
///   Improves(there, here)  whether a trial value is accepted over the current one
template <class P>
concept NewtonProblem = requires(P& problem, StrainVector x, const typename P::Value& value) {
    { problem.At(x) } -> std::same_as<typename P::Value>;
    { value.mean } -> std::convertible_to<StrainVector>;
    { problem.Valid(value) } -> std::same_as<bool>;
    { problem.IsRoot(value) } -> std::same_as<bool>;
    { problem.Jacobian(x, value) } -> std::same_as<std::optional<Matrix2>>;
    { problem.Move(x, x, 1.0) } -> std::same_as<StrainVector>;
    { problem.Improves(value, value) } -> std::same_as<bool>;
};

/// The step control and the stopping rule of FindNewtonRoot.
struct NewtonControl {
    int stepLimit = 0;     ///< Newton steps at most
    int halvingLimit = 0;  ///< trials of one step, each half the one before, before it stalls
    double longestStep = HUGE_VAL;  ///< a longer step is shortened to this length before trials
    /// A step at most this long is taken whole, without evaluation, and ends the search: Newton
    /// converges quadratically, so nothing is left for a next step to correct. Negative: never.
    double lastStepLength = -1.0;
};

/// Why FindNewtonRoot ended.
enum class NewtonEnding {
    Invalid,   ///< the start's value is not valid
    Root,      ///< IsRoot of the value reached
    LastStep,  ///< a step of at most lastStepLength was taken
    Stalled,   ///< out of steps, no Jacobian, a singular one or a step not finite, or no trial
               ///< of a step improved
};

/// Where FindNewtonRoot ended: the point reached and the value it stepped from last (after a
/// LastStep that of the point before it; the last step is not evaluated).
template <class Value>
struct NewtonSearch {
    StrainVector x;
    Value value;
    NewtonEnding ending = NewtonEnding::Invalid;
};

/// Damped Newton steps from `start` towards the root of the problem's mean pre vector: each
/// step v solves J v = −m by Cramer's rule, and is tried whole (or at longestStep), then halved
/// until a trial is valid and improves on the current value.
template <NewtonProblem Problem>
NewtonSearch<typename Problem::Value> FindNewtonRoot(Problem& problem, StrainVector start,
                                                     const NewtonControl& control) {
    NewtonSearch<typename Problem::Value> search{start, problem.At(start), NewtonEnding::Invalid};
    if (!problem.Valid(search.value)) return search;
    for (int step = 0;; ++step) {
        if (problem.IsRoot(search.value)) {
            search.ending = NewtonEnding::Root;
            return search;
        }
        search.ending = NewtonEnding::Stalled;
        if (step == control.stepLimit) return search;
        const std::optional<Matrix2> J = problem.Jacobian(search.x, search.value);
        if (!J) return search;
        const double det = J->m11 * J->m22 - J->m12 * J->m21;
        if (!std::isfinite(det) || det == 0.0) return search;
        const StrainVector m = search.value.mean;
        const StrainVector v{-(J->m22 * m.x1 - J->m12 * m.x2) / det,
                             -(-J->m21 * m.x1 + J->m11 * m.x2) / det};
        const double length = std::hypot(v.x1, v.x2);
        if (!std::isfinite(length)) return search;
        if (length <= control.lastStepLength) {
            search.x = problem.Move(search.x, v, 1.0);
            search.ending = NewtonEnding::LastStep;
            return search;
        }
        double scale = length > control.longestStep ? control.longestStep / length : 1.0;
        for (int halving = 0;; ++halving, scale /= 2) {
            if (halving == control.halvingLimit) return search;
            const StrainVector trial = problem.Move(search.x, v, scale);
            const typename Problem::Value there = problem.At(trial);
            if (problem.Valid(there) && problem.Improves(there, search.value)) {
                search.x = trial;
                search.value = there;
                break;
            }
        }
    }
}

}  // namespace varnel
