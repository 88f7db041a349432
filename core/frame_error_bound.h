#pragma once

#include "core/t_squared.h"

namespace varnel {

/// How far the inputs of an evaluation of T² in a frame may lie from exact: the errors δp_k of
/// the vectors by at most dataError in √(Σ |δp_k|²), each of the five sums of FrameMoments by
/// at most perSum times the sum of the magnitudes of its terms.
struct FrameRounding {
    long double dataError = 0.0L;
    long double perSum = 0.0L;
};

/// A bound on the relative error of T² = N · FrameQuotient(f, count) that those input errors
/// cause, to first order. Infinity where the first order cannot be trusted: where they may
/// change A C − B² by more than kLinearShare of itself, or the quotient is not positive.
long double FrameRelativeError(const FrameMoments& f, int count, const FrameRounding& rounding);

/// The largest relative change of A C − B² that FrameRelativeError accepts: the terms of second
/// order that it leaves out are then about the square of this share, relative.
inline constexpr long double kLinearShare = 1e-7L;

}  // namespace varnel
