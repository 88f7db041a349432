#include "core/fast_objective.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/fast_objective_internals.h"
#include "core/frame_error_bound.h"
#include "core/objective.h"
#include "core/t_squared.h"
#include "core/worker_pool.h"

// The block kernels are built for the plain x86-64 instruction set, for AVX2 with FMA and for
// AVX-512; the loader picks the best one the processor runs.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
#define VARNEL_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define VARNEL_CLONES
#endif

namespace varnel {

namespace {

// Data per block: the reductions sum fixed blocks in block order, whatever thread made them.
constexpr int kBlock = 512;
constexpr int kLanes = 8;
// Below this number of data one evaluation is too short to share with another thread.
constexpr int kParallelFromCount = 2048;
constexpr int kFewestData = 3;
// Where det S over s11² + s22² + 2·s12² (about λ2 / λ1) of the moment matrix is at most this,
// T² is evaluated in the principal frame of S, by the reference path's formula for it. The
// reference path does so up to twice this ratio: the two paths' ratios differ by about 1e-15,
// so every S that the fast path evaluates in its principal frame is one that the reference
// path evaluates in its own.
constexpr long double kNearlySingular = 0.5L * kPrincipalFrameBelow;
// (A C − B²) / A² in the principal frame at or below this is left to the reference path, which
// tells a singular moment matrix (kSingularShare, ten thousand times less) from a regular one.
constexpr long double kFastSingularFloor = 1e4L * kSingularShare;
// The fast path vouches for a value in the principal frame when the bound on the error of the
// two paths' values is at most this relative share: a tenth of the T² grid's margin around the
// rounding boundaries of its printed digits, so the grid prints what the reference would.
constexpr long double kVouchedError = 1e-11L;
// Unit roundoff of a double.
constexpr long double kUnitRoundoff = 0x1p-53L;
// The error of a pre vector p of the fast path, in units of |p| + cosh ρ · e^|x| (ρ = ln R of
// the datum, x the trial strain: the size of the terms of its boost): at most 2.2 units
// measured against exact arithmetic, two more for the turn into the frame. The reference
// path's tangent form keeps nearly round ellipses within 2.8 units too; where it nearly
// cancels (small strains at ±45° to ellipses far from round) it loses more, which is its own
// rounding and not the fast path's to vouch for. Sixteen units in all leave a margin of two.
constexpr long double kPreVectorError = 16.0L * kUnitRoundoff;
// The sums of a block: 64 terms a lane, three pairwise steps over the lanes, one rounded
// product: at most 68 units of its terms' magnitudes, and the reference's extended sums less.
constexpr long double kBlockSumError = 72.0L * kUnitRoundoff;

}  // namespace

// Sums of one block of pre vectors: Σx1, Σx2, Σx1², Σx2², Σx1·x2.
struct FastObjective::BlockSums {
    double x1 = 0.0, x2 = 0.0, x11 = 0.0, x22 = 0.0, x12 = 0.0;
};

// Block sums added in block order, in extended precision.
struct FastObjective::Totals {
    long double x1 = 0, x2 = 0, x11 = 0, x22 = 0, x12 = 0;
    void Add(const BlockSums& b) {
        x1 += b.x1;
        x2 += b.x2;
        x11 += b.x11;
        x22 += b.x22;
        x12 += b.x12;
    }
};

// The principal frame of a moment matrix: a = p·(t1, t2) along its axis, b = p·(−t2, t1) across.
struct FastObjective::Frame {
    double t1 = 1.0, t2 = 0.0;
};

namespace {

struct BlockOutput {
    alignas(64) double pre1[kBlock];
    alignas(64) double pre2[kBlock];
};

// ln(1 + z) for z ≥ 0 by fdlibm's method: 1 + z = 2^k·(1 + f) with 1 + f in [√2/2, √2), and
// its minimax polynomial in s = f / (2 + f) for ln(1 + f), good to one unit in the last place.
// For k = 0 the reduced argument f is z itself, so small z keep their accuracy. The caller
// passes 1 / (2 + f) times a factor of its own, so that one division serves both.
struct ReducedArgument {
    double k = 0.0, f = 0.0;
};

inline ReducedArgument ReduceLogArgument(double z) {
    constexpr std::uint64_t kMantissa = 0x000FFFFFFFFFFFFFull, kOne = 0x3FF0000000000000ull;
    constexpr double kTwo52 = 4503599627370496.0;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(1.0 + z);
    // The biased exponent as a double without an integer conversion: 2⁵² + e − 2⁵² − 1023.
    const double biased = std::bit_cast<double>((bits >> 52) | 0x4330000000000000ull) - kTwo52;
    const double m = std::bit_cast<double>((bits & kMantissa) | kOne);
    const bool high = m > 1.4142135623730951;
    const double halfM = 0.5 * m;
    const double k = biased - 1023.0 + (high ? 1.0 : 0.0);
    const double reduced = (high ? halfM : m) - 1.0;
    return {k, k == 0.0 ? z : reduced};
}

inline double LogOfReduced(ReducedArgument a, double s) {
    constexpr double Lg1 = 6.666666666666735130e-01, Lg2 = 3.999999999940941908e-01,
                     Lg3 = 2.857142874366239149e-01, Lg4 = 2.222219843214978396e-01,
                     Lg5 = 1.818357216161805012e-01, Lg6 = 1.531383769920937332e-01,
                     Lg7 = 1.479819860511658591e-01;
    constexpr double ln2Hi = 6.93147180369123816490e-01, ln2Lo = 1.90821492927058770002e-10;
    // ln(1 + f) = f − (f²/2 − s·(f²/2 + R(s²))), s = f / (2 + f)
    const double s2 = s * s, s4 = s2 * s2;
    const double t1 = s4 * (Lg2 + s4 * (Lg4 + s4 * Lg6));
    const double t2 = s2 * (Lg1 + s4 * (Lg3 + s4 * (Lg5 + s4 * Lg7)));
    const double halfF2 = 0.5 * a.f * a.f;
    return a.k * ln2Hi - ((halfF2 - (s * (halfF2 + t1 + t2) + a.k * ln2Lo)) - a.f);
}

// Pre vectors of one block. (C, S1, S2) = (cosh ρ, sinh ρ·cos 2φ, sinh ρ·sin 2φ) is the datum
// on the hyperboloid, C held as C − 1 = (R − 1)² / (2R) to keep its digits near circles. The
// boost changes the components along u, S∥′ = S∥·cosh ρs − C·sinh ρs and
// C′ = C·cosh ρs − S∥·sinh ρs, and leaves the perpendicular one. The pre vector is
// asinh(s)/s · S′ with s = |S′| and asinh s = ln(C′ + s) = ln(1 + s + (C′ − 1)); a series
// serves small s, where C′ − 1 has lost its digits.
VARNEL_CLONES void RetroDeformBlock(const double* __restrict coshMinusOneOf,
                                    const double* __restrict S1, const double* __restrict S2,
                                    double u1, double u2, double coshMinusOne, double sinh,
                                    int count, BlockOutput* __restrict out) {
    for (int k = 0; k < count; ++k) {
        const double Cm1 = coshMinusOneOf[k], C = 1.0 + Cm1;
        const double along = S1[k] * u1 + S2[k] * u2;
        const double change = along * coshMinusOne - C * sinh;
        const double t1 = S1[k] + change * u1, t2 = S2[k] + change * u2;
        const double s2 = t1 * t1 + t2 * t2, s = std::sqrt(s2);
        const double preCm1 = Cm1 + (C * coshMinusOne - along * sinh);
        // asinh(s)/s = 1 − s²/6 + 3s⁴/40 − …; below 1e-4 the next term is under 1e-25.
        const bool small = s < 1e-4;
        const double sSafe = small ? 1.0 : s;
        const ReducedArgument a = ReduceLogArgument(s + preCm1);
        const double reciprocal = 1.0 / ((2.0 + a.f) * sSafe);  // 1 / ((2 + f)·s)
        const double asinh = LogOfReduced(a, a.f * sSafe * reciprocal);
        const double series = 1.0 - s2 * (1.0 / 6.0 - s2 * (3.0 / 40.0));
        const double ratio = asinh * (2.0 + a.f) * reciprocal;
        const double factor = small ? series : ratio;
        out->pre1[k] = factor * t1;
        out->pre2[k] = factor * t2;
    }
}

// Sums in kLanes interleaved lanes, each added in index order, then the lanes pairwise. The
// lanes are two vectors of four, which the compiler keeps in registers.
using Quad = double __attribute__((vector_size(4 * sizeof(double))));

struct QuadSums {
    Quad x1 = {}, x2 = {}, x11 = {}, x22 = {}, x12 = {};
    void Add(const double* pre1, const double* pre2) {
        Quad a, b;
        std::memcpy(&a, pre1, sizeof a);
        std::memcpy(&b, pre2, sizeof b);
        x1 += a;
        x2 += b;
        x11 += a * a;
        x22 += b * b;
        x12 += a * b;
    }
};

// Turns the pre vectors of a block into the frame (t1, t2): (a, b) = (p·t, p·n), n = (−t2, t1).
VARNEL_CLONES void TurnBlock(BlockOutput* __restrict out, int count, double t1, double t2) {
    for (int k = 0; k < count; ++k) {
        const double p1 = out->pre1[k], p2 = out->pre2[k];
        out->pre1[k] = p1 * t1 + p2 * t2;
        out->pre2[k] = p2 * t1 - p1 * t2;
    }
}

inline double SumOfLanes(Quad low, Quad high) {
    return ((low[0] + low[1]) + (low[2] + low[3])) + ((high[0] + high[1]) + (high[2] + high[3]));
}

struct LaneTotals {
    double x1, x2, x11, x22, x12;
};

VARNEL_CLONES LaneTotals SumBlockOutput(const BlockOutput* __restrict out, int count) {
    static_assert(kLanes == 8);
    QuadSums low, high;
    for (int k = 0; k < count; k += kLanes) {
        low.Add(out->pre1 + k, out->pre2 + k);
        high.Add(out->pre1 + k + 4, out->pre2 + k + 4);
    }
    return {SumOfLanes(low.x1, high.x1), SumOfLanes(low.x2, high.x2), SumOfLanes(low.x11, high.x11),
            SumOfLanes(low.x22, high.x22), SumOfLanes(low.x12, high.x12)};
}

}  // namespace

namespace {

DoubledAngles DoubledAnglesOf(const AnalysisState& state) {
    DoubledAngles angles;
    for (int k = 1; k <= state.DataCount; ++k) {
        const long double twoPhi = 2.0L * state.PhiPost[k];
        angles.cos.push_back(std::cos(twoPhi));
        angles.sin.push_back(std::sin(twoPhi));
    }
    return angles;
}

}  // namespace

FastObjective::FastObjective(const AnalysisState& state)
    : FastObjective(state, DoubledAnglesOf(state)) {}

FastObjective::FastObjective(const AnalysisState& state, const DoubledAngles& angles)
    : count_(state.DataCount) {
    blocks_ = count_ > 0 ? (count_ + kBlock - 1) / kBlock : 0;
    const std::size_t padded = std::size_t(blocks_) * kBlock;
    // Padding data are circles; their pre vectors are zeroed before the sums.
    coshMinusOne_.assign(padded, 0.0);
    sinhCos_.assign(padded, 0.0);
    sinhSin_.assign(padded, 0.0);
    blockSums_.resize(std::size_t(blocks_));
    for (int k = 0; k < count_; ++k) {
        const long double R = state.RPost[k + 1];
        if (!(R > 0.0L) || !std::isfinite(R) || !std::isfinite(state.PhiPost[k + 1])) {
            usable_ = false;
        }
        // cosh ρ − 1 = (R − 1)² / (2R) and sinh ρ = (R − 1)(R + 1) / (2R), ρ = ln R
        const long double sinhRho = (R - 1.0L) * (R + 1.0L) / (2.0L * R);
        coshMinusOne_[k] = double((R - 1.0L) * (R - 1.0L) / (2.0L * R));
        sumOfSquaredCosh_ += (1.0L + coshMinusOne_[k]) * (1.0L + coshMinusOne_[k]);
        sinhCos_[k] = double(sinhRho * angles.cos[std::size_t(k)]);
        sinhSin_[k] = double(sinhRho * angles.sin[std::size_t(k)]);
    }
}

FastObjective::~FastObjective() = default;

// Data of a block rounded up to whole lanes; the padding slots beyond N hold circles.
int FastObjective::LanesOfBlock(int block) const {
    const int inBlock = std::min(kBlock, count_ - block * kBlock);
    return (inBlock + kLanes - 1) / kLanes * kLanes;
}

FastObjective::BlockSums FastObjective::SumBlock(int block, const LorentzBoost& boost,
                                                 const Frame* frame) const {
    BlockOutput out;
    const std::size_t first = std::size_t(block) * kBlock;
    const int lanes = LanesOfBlock(block);
    RetroDeformBlock(coshMinusOne_.data() + first, sinhCos_.data() + first, sinhSin_.data() + first,
                     boost.u1, boost.u2, boost.coshMinusOne, boost.sinh, lanes, &out);
    for (int k = count_ - int(first); k < lanes; ++k) out.pre1[k] = out.pre2[k] = 0.0;
    if (frame) TurnBlock(&out, lanes, frame->t1, frame->t2);
    const LaneTotals sums = SumBlockOutput(&out, lanes);
    return {sums.x1, sums.x2, sums.x11, sums.x22, sums.x12};
}

// The blocks are summed on the calling thread or shared among the threads, and their sums are
// added in block order either way, so the totals are the same.
FastObjective::Totals FastObjective::SumBlocks(const LorentzBoost& boost, const Frame* frame,
                                               bool shareAmongThreads) const {
    Totals total;
    if (shareAmongThreads) {
        // Each block is one part, taken by whichever thread is free.
        RunInParallel(blocks_,
                      [&](int b) { blockSums_[std::size_t(b)] = SumBlock(b, boost, frame); });
        for (const BlockSums& sums : blockSums_) total.Add(sums);
    } else {
        for (int b = 0; b < blocks_; ++b) total.Add(SumBlock(b, boost, frame));
    }
    return total;
}

std::optional<double> FastObjective::TSquared(StrainVector x, bool shareAmongThreads) const {
    // With two data T² is 1 wherever it is defined: only its rounding steers a search, so
    // the reference path keeps that rounding (fewer data are errors of the reference path).
    if (!usable_ || count_ < kFewestData) return std::nullopt;
    // Removing the trial strain x is the boost of x with rapidity −|x|.
    const LorentzBoost boost = LorentzBoostOf(x);
    if (!std::isfinite(boost.coshMinusOne) || !std::isfinite(boost.sinh)) return std::nullopt;
    const Totals total = SumBlocks(boost, nullptr, shareAmongThreads);
    // m = Σp / N, S = Σ p pᵀ / (N − 1), T² = N · mᵀ S⁻¹ m
    const long double n = count_, m1 = total.x1 / n, m2 = total.x2 / n;
    const long double s11 = total.x11 / (n - 1), s22 = total.x22 / (n - 1);
    const long double s12 = total.x12 / (n - 1);
    const long double det = s11 * s22 - s12 * s12;
    const long double scale = s11 * s11 + s22 * s22 + 2.0L * s12 * s12;
    if (!std::isfinite(det) || !std::isfinite(m1) || !std::isfinite(m2)) return std::nullopt;
    if (!(det > kNearlySingular * scale)) {
        return TSquaredInPrincipalFrame(boost, PrincipalAxisAngle(s11, s12, s22),
                                        shareAmongThreads);
    }
    const long double q = (m1 * (m1 * s22 - m2 * s12) + m2 * (m2 * s11 - m1 * s12)) / det;
    const long double tSquared = n * q;
    if (!std::isfinite(tSquared) || std::fabs(tSquared) > 1e300L) return std::nullopt;
    return double(tSquared);
}

// A second pass over the data sums the pre vectors in the principal frame of the first pass's S,
// and T² follows from the reference path's formula for that frame, FrameQuotient.
std::optional<double> FastObjective::TSquaredInPrincipalFrame(const LorentzBoost& boost,
                                                              long double angle,
                                                              bool shareAmongThreads) const {
    const Frame frame{double(std::cos(angle)), double(std::sin(angle))};
    const Totals total = SumBlocks(boost, &frame, shareAmongThreads);
    const FrameMoments f{total.x1, total.x2, total.x11, total.x12, total.x22};
    if (!(f.A > 0.0L) || !std::isfinite(f.A) || !std::isfinite(f.C) || !std::isfinite(f.sumA) ||
        !std::isfinite(f.sumB) || !(f.A * f.C - f.B * f.B > kFastSingularFloor * f.A * f.A)) {
        return std::nullopt;
    }
    // √(Σ (|p| + cosh ρ · e^|x|)²) ≤ √(A + C) + e^|x| · √(Σ cosh² ρ)
    const long double eToLength = 1.0L + boost.coshMinusOne + boost.sinh;
    const long double dataScale = std::sqrt(f.A + f.C) + eToLength * std::sqrt(sumOfSquaredCosh_);
    const FrameRounding rounding{kPreVectorError * dataScale,
                                 kBlockSumError + count_ * (LDBL_EPSILON / 2.0L)};
    if (!(FrameRelativeError(f, count_, rounding) <= kVouchedError)) return std::nullopt;
    const double q = double(FrameQuotient(f, count_));
    return double(static_cast<long double>(count_) * q);
}

std::optional<double> FastObjective::TryEvaluate(StrainVector x) const {
    return TSquared(x, false);
}

double FastObjective::Evaluate(AnalysisState& state, StrainVector x) const {
    const bool share = count_ >= kParallelFromCount && ParallelWidth() >= 2;
    const std::optional<double> value = TSquared(x, share);
    return value ? *value : TSquaredOfStrain(state, x);
}

void FastObjectiveInternals::PreVectors(const FastObjective& fast, StrainVector x,
                                        std::span<StrainVector> pre) {
    const LorentzBoost boost = LorentzBoostOf(x);
    for (int b = 0; b < fast.blocks_; ++b) {
        BlockOutput out;
        const std::size_t first = std::size_t(b) * kBlock;
        RetroDeformBlock(fast.coshMinusOne_.data() + first, fast.sinhCos_.data() + first,
                         fast.sinhSin_.data() + first, boost.u1, boost.u2, boost.coshMinusOne,
                         boost.sinh, fast.LanesOfBlock(b), &out);
        for (int k = 0; k < kBlock && int(first) + k < fast.count_; ++k) {
            pre[first + k + 1] = {out.pre1[k], out.pre2[k]};
        }
    }
}

}  // namespace varnel
