#include "core/lorentz_boost.h"

#include <cmath>

namespace varnel {

LorentzBoost LorentzBoostOf(StrainVector x) {
    const double length = std::hypot(x.x1, x.x2);
    LorentzBoost boost;
    if (length > 0.0) {
        boost.u1 = x.x1 / length;
        boost.u2 = x.x2 / length;
        const double halfSinh = std::sinh(length / 2.0);
        boost.coshMinusOne = 2.0 * halfSinh * halfSinh;
        boost.sinh = std::sinh(length);
    }
    return boost;
}

}  // namespace varnel
