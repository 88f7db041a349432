#pragma once

#include <cfloat>
#include <cmath>

#include "core/varnel_error.h"

namespace varnel {

// The arithmetic of the estimation raises the runtime's floating-point errors where IEEE
// arithmetic would raise its invalid, divide-by-zero or overflow flag. Testing the operands of
// the few operations that can fault reports the first fault exactly where it happens, which a
// look at the sticky flags afterwards could not.

[[noreturn]] inline void ThrowInvalidOperation() { throw VarnelError(kInvalidOperationMessage); }
[[noreturn]] inline void ThrowDivisionByZero() { throw VarnelError(kDivisionByZeroMessage); }
[[noreturn]] inline void ThrowOverflow() { throw VarnelError(kOverflowMessage); }

/// a / b in extended precision; 0/0 is an invalid operation, x/0 a division by zero.
inline long double CheckedDivide(long double a, long double b) {
    if (b == 0.0L) {
        if (a == 0.0L || std::isnan(a)) ThrowInvalidOperation();
        ThrowDivisionByZero();
    }
    return a / b;
}

/// √x; a negative x is an invalid operation.
inline long double CheckedSqrt(long double x) {
    if (x < 0.0L) ThrowInvalidOperation();
    return std::sqrt(x);
}

/// ln x; ln 0 is a division by zero, a negative x an invalid operation.
inline long double CheckedLog(long double x) {
    if (x == 0.0L) ThrowDivisionByZero();
    if (x < 0.0L) ThrowInvalidOperation();
    return std::log(x);
}

/// Rounds an extended value to the double it is stored as; a finite value beyond the
/// range of a double overflows.
inline double StoreDouble(long double x) {
    if (std::isfinite(x) && std::fabs(x) > static_cast<long double>(DBL_MAX)) ThrowOverflow();
    return static_cast<double>(x);
}

/// e^x stored as a double; a result beyond the range of a double overflows.
inline double CheckedExp(long double x) { return StoreDouble(std::exp(x)); }

}  // namespace varnel
