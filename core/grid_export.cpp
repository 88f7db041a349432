#include "core/grid_export.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "core/data_file_guard.h"
#include "core/fast_objective.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "core/objective.h"
#include "core/replacing_file.h"
#include "core/varnel_error.h"
#include "core/worker_pool.h"

namespace varnel {
namespace {

constexpr int kGridPoints = 100;
constexpr const char* kLineEnd = "\r\n";

// Buffers of the grid's own for the reference evaluations, so that the pre-strain data of the
// state (those of the estimate) stay as they are.
struct GridPreStrainData {
    explicit GridPreStrainData(int count)
        : ratios(std::size_t(count) + 1), orientations(ratios.size()), vectors(ratios.size()) {}
    PreStrainBuffers Buffers() { return {ratios, orientations, vectors}; }
    std::vector<double> ratios, orientations;
    std::vector<StrainVector> vectors;
};

std::string RangeLine(const char* name, double lo, double hi, char separator) {
    return std::string(name) + " = [ " + FormatFixed(lo, 8, separator) + ", " +
           FormatFixed(hi, 8, separator) + " ]" + kLineEnd;
}

// lo + k·Δ formed in extended precision and stored as a double.
double GridValue(double lo, int k, double delta) {
    return static_cast<double>(lo + static_cast<long double>(k) * delta);
}

// The fast objective agrees with the reference to about 1e-13, and vouches for at most 1e-11
// where a nearly singular moment matrix is evaluated in its principal frame; a value this close
// (relative) to a rounding boundary of its six printed digits is evaluated again by the
// reference path, so the table comes out as the reference path would write it.
constexpr long double kRoundingMargin = 1e-10L;

// 10^k in extended precision for every k a double's decimal exponent needs.
long double PowerOfTen(int k) {
    constexpr int kLowest = -330, kHighest = 330;
    static const std::vector<long double> table = [] {
        std::vector<long double> powers;
        for (int i = kLowest; i <= kHighest; ++i) powers.push_back(std::pow(10.0L, i));
        return powers;
    }();
    return table[std::size_t(std::clamp(k, kLowest, kHighest) - kLowest)];
}

bool NearSixDigitRounding(double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude > 0.0) || !std::isfinite(magnitude)) return false;
    // Scale into [10⁵, 10⁶): the sixth significant digit is the units digit.
    int exponent = 0;
    std::frexp(magnitude, &exponent);
    const int decimalExponent = int(std::floor((exponent - 1) * 0.30102999566398120));
    long double scaled = magnitude * PowerOfTen(5 - decimalExponent);
    while (scaled < 1e5L) scaled *= 10.0L;
    while (scaled >= 1e6L) scaled /= 10.0L;
    const long double fraction = scaled - std::floor(scaled);
    return std::fabs(fraction - 0.5L) < kRoundingMargin * scaled;
}

// T² at every grid point, row by row (index i·100 + j), by the fast objective with the rows
// shared among the threads; a point it cannot vouch for is left empty.
std::vector<std::optional<double>> FastGridValues(const AnalysisState& state,
                                                  const std::vector<double>& p,
                                                  const std::vector<double>& q) {
    const FastObjective fast(state);
    std::vector<std::optional<double>> values(std::size_t(kGridPoints) * kGridPoints);
    RunInParallel(kGridPoints, [&](int i) {
        for (int j = 0; j < kGridPoints; ++j) {
            values[std::size_t(i) * kGridPoints + j] = fast.TryEvaluate({p[j], q[i]});
        }
    });
    return values;
}

// T² at every grid point: the fast value where it settles the printed digits, else the
// reference path's. The reference evaluations are shared among the threads as well, each into
// buffers of its own, and taken in row order: once one fails, the later ones are skipped, and
// the pool throws the error of the first failing point in row order, as the row-by-row
// evaluation would throw it.
std::vector<double> GridValues(const AnalysisState& state, const std::vector<double>& p,
                               const std::vector<double>& q) {
    const std::vector<std::optional<double>> fast = FastGridValues(state, p, q);
    std::vector<double> values(fast.size());
    std::vector<std::size_t> pending;
    for (std::size_t at = 0; at < fast.size(); ++at) {
        if (fast[at] && !NearSixDigitRounding(*fast[at])) {
            values[at] = *fast[at];
        } else {
            pending.push_back(at);
        }
    }
    RunInParallel(int(pending.size()), [&](int part) {
        const std::size_t at = pending[std::size_t(part)];
        GridPreStrainData scratch(state.DataCount);
        values[at] =
            TSquaredInto(state, {p[at % kGridPoints], q[at / kGridPoints]}, scratch.Buffers());
    });
    return values;
}

}  // namespace

std::string TSquaredGridText(const AnalysisState& state, char decimalSeparator) {
    if (state.DataCount < 3) throw VarnelError(kNoDataForGridMessage);
    const PlotBounds& frame = state.PostPlotBounds;
    const double pLo = frame.Min[1], pHi = frame.Max[1];
    const double qLo = frame.Min[2], qHi = frame.Max[2];
    // 99 intervals, 100 points per axis: p_j = p_lo + j·Δp, q_i = q_lo + i·Δq.
    const double dp = (pHi - pLo) / (kGridPoints - 1);
    const double dq = (qHi - qLo) / (kGridPoints - 1);
    std::vector<double> p(kGridPoints);
    for (int j = 0; j < kGridPoints; ++j) p[j] = GridValue(pLo, j, dp);

    std::string text = RangeLine("p", pLo, pHi, decimalSeparator);
    text += RangeLine("q", qLo, qHi, decimalSeparator);
    for (double pj : p) text += '\t' + FormatExponent(pj, decimalSeparator);
    text += kLineEnd;
    std::vector<double> q(kGridPoints);
    for (int i = 0; i < kGridPoints; ++i) q[i] = GridValue(qLo, i, dq);
    const std::vector<double> values = GridValues(state, p, q);
    for (int i = 0; i < kGridPoints; ++i) {
        text += FormatExponent(q[i], decimalSeparator);
        for (int j = 0; j < kGridPoints; ++j) {
            text +=
                '\t' + FormatExponent(values[std::size_t(i) * kGridPoints + j], decimalSeparator);
        }
        text += kLineEnd;
    }
    return text;
}

void ExportTSquaredGrid(const AnalysisState& state, const std::string& path,
                        char decimalSeparator) {
    RefuseSaveOverDataFile(state, path);
    ReplaceFile(path, TSquaredGridText(state, decimalSeparator));
}

}  // namespace varnel
