#include "methods/methods_text.h"

#include <cmath>
#include <cstdio>

#include "core/number_format.h"

namespace varnel::methods {
namespace {

// A p value with four significant digits ("0.3723", "1.635e-13").
std::string Probability(double p, char separator) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4g", p);
    std::string text = buffer;
    for (char& c : text) {
        if (c == '.') c = separator;
    }
    return text;
}

// "p = 0.0123", or for a p below the range of a double (an F of tens of thousands) "p < 1e-300".
std::string PValue(double p, char separator) {
    return p == 0.0 ? "p < 1e-300" : "p = " + Probability(p, separator);
}

std::vector<std::string> MethodsLines(const MethodsResult& m, char s) {
    const auto fixed = [s](double x) { return FormatFixed3(x, s); };
    const RfMaxMin& rf = m.rfMaxMin;
    std::vector<std::string> lines{
        "",
        "Other estimators",
        "t2: R = " + fixed(m.t2.R) + ", phi = " + fixed(m.t2.phiDegrees) + " (deg)",
        "hyperbolic mean: R = " + fixed(m.hyperbolicMean.R) + ", phi = " +
            fixed(m.hyperbolicMean.phiDegrees) + " (deg), kappa = " + fixed(m.hyperbolicMean.kappa),
        "harmonic mean: R = " + fixed(m.harmonicMean.R) +
            ", phi = " + fixed(m.harmonicMean.phiDegrees) + " (deg)",
        "Rf max/min: Rf_max = " + fixed(rf.rfMax) + ", Rf_min = " + fixed(rf.rfMin) +
            ", fluctuation = " + fixed(rf.fluctuationDegrees) + " (deg), " + rf.caseName +
            ": Rs = " + fixed(rf.Rs) + ", Ri = " + fixed(rf.Ri),
        "",
        "Fabric tests",
        "no strain: F = " + fixed(m.noStrain.F) + ", " + PValue(m.noStrain.p, s)};
    // The verdict of the Methods window: the test does not reject at the 5 % level.
    if (!(m.noStrain.p < kSignificanceLevel))
        lines.push_back("no significant strain, " + PValue(m.noStrain.p, s));
    lines.push_back("symmetry chi2: chi2 = " + fixed(m.symmetryChi2.chi2) + ", classes = " +
                    std::to_string(m.symmetryChi2.classes) + ", " + PValue(m.symmetryChi2.p, s));
    lines.push_back("symmetry index: I_sym = " + fixed(m.symmetryIndex.Isym) + ", " +
                    PValue(m.symmetryIndex.p, s));
    return lines;
}

// "lo to hi", or "undefined" for an interval without ends.
std::string IntervalText(const Interval& i, char s) {
    if (std::isnan(i.lo) || std::isnan(i.hi)) return "undefined";
    return FormatFixed3(i.lo, s) + " to " + FormatFixed3(i.hi, s);
}

// An estimator's marginal intervals and the ranges over its region, or why it has none; an
// estimator other than T² (whose count heads the block) says how many resamples it failed on.
std::vector<std::string> IntervalsLines(const std::string& name, const EstimatorBootstrap& e, int B,
                                        bool ownCount, char s) {
    if (!e.intervals || !e.region) return {name + ": " + NotEstimatedText(e.failed, B)};
    const BootstrapIntervals& i = *e.intervals;
    const BootstrapRegion& region = *e.region;
    std::string intervals = name + ": intervals R = " + IntervalText(i.R, s) +
                            ", phi = " + IntervalText(i.phiDegrees, s) + " (deg)";
    if (ownCount && e.failed > 0) intervals += ", " + std::to_string(e.failed) + " failed";
    std::string ranges = name + ": region R = " + IntervalText(region.R, s) +
                         ", phi = " + IntervalText(region.phiDegrees, s) + " (deg)";
    if (region.holdsZeroStrain) ranges += ", holds zero strain";
    return {intervals, ranges};
}

std::vector<std::string> BootstrapLines(const BootstrapResult& b, char s) {
    std::vector<std::string> lines{"", "Bootstrap: " + std::to_string(b.B) + " resamples, seed " +
                                           std::to_string(b.seed) + ", " +
                                           std::to_string(b.levelPercent) + " % level, " +
                                           std::to_string(b.t2.failed) + " failed"};
    for (std::string& line : IntervalsLines("t2", b.t2, b.B, false, s)) lines.push_back(line);
    for (std::string& line : IntervalsLines("hyperbolic mean", b.hyperbolicMean, b.B, true, s))
        lines.push_back(line);
    return lines;
}

}  // namespace

std::vector<std::string> MethodsTextLines(const MethodsResult* result,
                                          const BootstrapResult* bootstrap, char decimalSeparator) {
    std::vector<std::string> lines;
    if (result) lines = MethodsLines(*result, decimalSeparator);
    if (bootstrap) {
        for (std::string& line : BootstrapLines(*bootstrap, decimalSeparator))
            lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace varnel::methods
