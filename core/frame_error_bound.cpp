#include "core/frame_error_bound.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varnel {

// With M = Σ p pᵀ = (A, B; B, C) in the frame, μ = (Σa, Σb) / N and v = M⁻¹ μ, the quotient is
// q = μᵀ M⁻¹ μ = T² / (N (N − 1)), and a change of the inputs changes it by
//   δq = 2 vᵀ δμ − vᵀ δM v                               (first order).
// Sums: |δΣa| ≤ γ √(N A), |δΣb| ≤ γ √(N C), |δA| ≤ γ A, |δC| ≤ γ C, |δB| ≤ γ √(A C) give
//   |δq| ≤ γ (2w / √N + w²),  w = |va| √A + |vb| √C.
// Data: moving p_k moves μ and M together, ∂q/∂p_k = 2 v (1/N − vᵀ p_k), and the identity
// Σ (1/N − vᵀ p_k)² = 1/N − q =: G with Cauchy–Schwarz gives, for √(Σ |δp_k|²) ≤ E,
//   |δq| ≤ K √G,  K = 2 |v| E.
// G is small where T² nears its limit N − 1 (a mean far outside the scatter), which is where a
// nearly singular M about the origin comes from: such values hardly move with their data.
long double FrameRelativeError(const FrameMoments& f, int count, const FrameRounding& rounding) {
    constexpr long double kNoBound = std::numeric_limits<long double>::infinity();
    const long double n = count, A = f.A, B = f.B, C = f.C;
    const long double det = A * C - B * B;
    const long double ma = f.sumA / n, mb = f.sumB / n;
    const long double va = (C * ma - B * mb) / det, vb = (A * mb - B * ma) / det;
    const long double q = ma * va + mb * vb;
    if (!(det > 0.0L) || !(q > 0.0L) || !std::isfinite(q)) return kNoBound;

    const long double rootA = std::sqrt(A), rootC = std::sqrt(C);
    const long double w = std::fabs(va) * rootA + std::fabs(vb) * rootC;
    const long double sumError = rounding.perSum * (2.0L * w / std::sqrt(n) + w * w);
    const long double K = 2.0L * std::hypot(va, vb) * rounding.dataError;
    // The computed q is itself off by up to sumError + K √G, so with G₀ = max(1/N − q, 0) +
    // sumError, √G ≤ (K + √(K² + 4 G₀)) / 2.
    const long double G0 = std::max(1.0L / n - q, 0.0L) + sumError;
    const long double rootG = (K + std::sqrt(K * K + 4.0L * G0)) / 2.0L;

    // δ(A C − B²) ≤ δA·C + A·δC + 2|B|·δB, with δA ≤ 2 √A E, δC ≤ 2 √C E, δB ≤ (√A + √C) E
    // from the data and the bounds above from the sums.
    const long double dataDet =
        rounding.dataError * 2.0L * (rootA * C + A * rootC + std::fabs(B) * (rootA + rootC));
    const long double sumDet =
        rounding.perSum * (2.0L * A * C + 2.0L * std::fabs(B) * rootA * rootC);
    if (!(dataDet + sumDet <= kLinearShare * det)) return kNoBound;
    return (K * rootG + sumError) / q;
}

}  // namespace varnel
