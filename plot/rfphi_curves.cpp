#include "plot/rfphi_curves.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "core/orientation.h"

namespace varnel::plot {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
// Neighbouring samples further apart in φ are refined; a step still wider than kLargestStep
// after kRefinements halvings is a jump through Rf = 1, where φ is undefined.
constexpr double kSmoothStep = 2.0;
constexpr double kLargestStep = 45.0;
constexpr int kRefinements = 10;
constexpr int kRiCurveSamples = 360;     // θ every 0.5°
constexpr int kThetaCurveSamples = 200;  // evenly in ln Ri

// The step from a to b in φ, taken the short way round the half turn.
double OrientationStep(double from, double to) {
    const double step = to - from;
    if (step > 90.0) return step - 180.0;
    if (step < -90.0) return step + 180.0;
    return step;
}

using CurveFunction = std::function<RfPhiPoint(double)>;

// Adds the points of f on (t0, t1], halving the interval where φ moves too far for a line.
void Refine(const CurveFunction& f, double t0, RfPhiPoint p0, double t1, RfPhiPoint p1, int depth,
            std::vector<RfPhiPoint>& out) {
    const double step = std::abs(OrientationStep(p0.phiDegrees, p1.phiDegrees));
    if (depth < kRefinements && step > kSmoothStep) {
        const double tm = 0.5 * (t0 + t1);
        const RfPhiPoint pm = f(tm);
        Refine(f, t0, p0, tm, pm, depth + 1, out);
        Refine(f, tm, pm, t1, p1, depth + 1, out);
        return;
    }
    out.push_back(p1);
}

std::vector<RfPhiPoint> SampleCurve(const CurveFunction& f, double t0, double t1, int steps) {
    std::vector<RfPhiPoint> samples{f(t0)};
    for (int k = 1; k <= steps; ++k) {
        const double t = t0 + (t1 - t0) * k / steps;
        Refine(f, t0 + (t1 - t0) * (k - 1) / steps, samples.back(), t, f(t), 0, samples);
    }
    return samples;
}

void EndPiece(std::vector<RfPhiPolyline>& pieces) {
    if (pieces.back().size() < 2) {
        pieces.back().clear();
    } else {
        pieces.emplace_back();
    }
}

// Breaks the samples where φ wraps at ±90° (closing at the edges) or jumps through Rf = 1.
std::vector<RfPhiPolyline> SplitAtWraps(const std::vector<RfPhiPoint>& samples) {
    std::vector<RfPhiPolyline> pieces(1);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const RfPhiPoint& b = samples[i];
        if (!std::isfinite(b.R) || !std::isfinite(b.phiDegrees)) {
            EndPiece(pieces);
            continue;
        }
        if (!pieces.back().empty()) {
            const RfPhiPoint& a = pieces.back().back();
            const double step = OrientationStep(a.phiDegrees, b.phiDegrees);
            if (std::abs(step) > kLargestStep) {
                EndPiece(pieces);
            } else if (step != b.phiDegrees - a.phiDegrees) {
                // Crosses an edge: interpolate ln Rf there, as the plot's vertical axis is.
                const double edge = step > 0 ? 90.0 : -90.0;
                const double t = (edge - a.phiDegrees) / step;
                const double Rf = std::exp(std::log(a.R) + t * (std::log(b.R) - std::log(a.R)));
                pieces.back().push_back({Rf, edge});
                EndPiece(pieces);
                pieces.back().push_back({Rf, -edge});
            }
        }
        pieces.back().push_back(b);
    }
    if (pieces.back().size() < 2) pieces.pop_back();
    return pieces;
}

// The point where the segment from a to b meets Rf = rfTop, linear in (φ, ln Rf).
RfPhiPoint AtTop(const RfPhiPoint& a, const RfPhiPoint& b, double rfTop) {
    const double t = (std::log(rfTop) - std::log(a.R)) / (std::log(b.R) - std::log(a.R));
    return {rfTop, a.phiDegrees + t * (b.phiDegrees - a.phiDegrees)};
}

void ClipAtTop(const RfPhiPolyline& piece, double rfTop, std::vector<RfPhiPolyline>& out) {
    RfPhiPolyline current;
    auto flush = [&] {
        if (current.size() >= 2) out.push_back(current);
        current.clear();
    };
    for (std::size_t j = 0; j < piece.size(); ++j) {
        const bool inside = piece[j].R <= rfTop;
        if (j > 0 && inside != (piece[j - 1].R <= rfTop)) {
            current.push_back(AtTop(piece[j - 1], piece[j], rfTop));
            if (!inside) flush();
        }
        if (inside) current.push_back(piece[j]);
    }
    flush();
}

}  // namespace

RfPhiPoint StrainedEllipse(double Rs, double phiSDegrees, double Ri, double thetaDegrees) {
    const double rhoS = std::log(Rs), rhoI = std::log(Ri);
    const double c2 = std::cos(2.0 * thetaDegrees * kDegree);
    const double s2 = std::sin(2.0 * thetaDegrees * kDegree);
    // ln Rf = arccosh(cosh ρs · cosh ρi + sinh ρs · sinh ρi · cos 2θ); rounding may take the
    // argument just below 1 where Ri = Rs and θ = 90°.
    const double coshRhoF =
        std::cosh(rhoS) * std::cosh(rhoI) + std::sinh(rhoS) * std::sinh(rhoI) * c2;
    const double Rf = std::exp(std::acosh(std::max(coshRhoF, 1.0)));
    // tan 2(φ − φs) = 2Rs(Ri² − 1) sin 2θ / [(Ri² + 1)(Rs² − 1) + (Ri² − 1)(Rs² + 1) cos 2θ]
    const double Ri2 = Ri * Ri, Rs2 = Rs * Rs;
    const double numerator = 2.0 * Rs * (Ri2 - 1.0) * s2;
    const double denominator = (Ri2 + 1.0) * (Rs2 - 1.0) + (Ri2 - 1.0) * (Rs2 + 1.0) * c2;
    const double twiceAngle = std::atan2(numerator, denominator) / kDegree;
    return {Rf, ReduceHalfTurns(phiSDegrees + 0.5 * twiceAngle)};
}

std::vector<RfPhiPolyline> SplitCurve(const std::vector<RfPhiPoint>& samples, double rfTop) {
    std::vector<RfPhiPolyline> pieces;
    for (const RfPhiPolyline& piece : SplitAtWraps(samples)) ClipAtTop(piece, rfTop, pieces);
    return pieces;
}

std::vector<RfPhiPolyline> RiCurve(double Rs, double phiSDegrees, double Ri, double rfTop) {
    const CurveFunction f = [=](double theta) {
        return StrainedEllipse(Rs, phiSDegrees, Ri, theta);
    };
    return SplitCurve(SampleCurve(f, -90.0, 90.0, kRiCurveSamples), rfTop);
}

std::vector<RfPhiPolyline> ThetaCurve(double Rs, double phiSDegrees, double thetaDegrees,
                                      double rfTop) {
    // Rf ≥ Ri / Rs, so no initial ratio beyond rfTop · Rs reaches below rfTop.
    const double lnRiEnd = std::log(rfTop * Rs) + 0.01;
    const CurveFunction f = [=](double lnRi) {
        return StrainedEllipse(Rs, phiSDegrees, std::exp(lnRi), thetaDegrees);
    };
    return SplitCurve(SampleCurve(f, 0.0, lnRiEnd, kThetaCurveSamples), rfTop);
}

std::vector<double> RiCurveRatios(double Rs, double rfTop) {
    static constexpr double kFirst[] = {1.25, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0};
    static constexpr double kMantissas[] = {1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0};
    constexpr int kMostCurves = 40;
    std::vector<double> ratios;
    auto reachesIn = [&](double Ri) { return std::max(Ri / Rs, Rs / Ri) < rfTop; };
    for (double Ri : kFirst) {
        if (reachesIn(Ri)) ratios.push_back(Ri);
    }
    for (double decade = 10.0; ratios.size() < kMostCurves && decade / Rs < rfTop; decade *= 10) {
        for (double m : kMantissas) {
            if (reachesIn(m * decade) && ratios.size() < kMostCurves) ratios.push_back(m * decade);
        }
    }
    return ratios;
}

}  // namespace varnel::plot
