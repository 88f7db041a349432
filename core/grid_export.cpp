#include "core/grid_export.h"

#include <algorithm>
#include <vector>

#include "core/number_format.h"
#include "core/objective.h"
#include "core/replacing_file.h"
#include "core/varnel_error.h"

namespace varnel {
namespace {

constexpr int kGridPoints = 100;
constexpr const char* kLineEnd = "\r\n";

// Every evaluation of the objective rewrites the pre-strain ellipses and vectors; the grid puts
// back those of the estimate (or whatever stood there) when it ends, also on failure.
class PreStrainDataGuard {
public:
    explicit PreStrainDataGuard(AnalysisState& state)
        : state_(state),
          count_(state.DataCount),
          rPre_(Copy(state.RPre)),
          phiPre_(Copy(state.PhiPre)),
          preVectors_(Copy(state.PreVectors)) {}
    ~PreStrainDataGuard() {
        Restore(rPre_, state_.RPre);
        Restore(phiPre_, state_.PhiPre);
        Restore(preVectors_, state_.PreVectors);
    }
    PreStrainDataGuard(const PreStrainDataGuard&) = delete;
    PreStrainDataGuard& operator=(const PreStrainDataGuard&) = delete;

private:
    template <typename Array>
    std::vector<typename Array::value_type> Copy(const Array& a) const {
        return {a.begin() + 1, a.begin() + 1 + count_};
    }
    template <typename Array>
    static void Restore(const std::vector<typename Array::value_type>& saved, Array& a) {
        std::copy(saved.begin(), saved.end(), a.begin() + 1);
    }

    AnalysisState& state_;
    int count_;
    std::vector<double> rPre_;
    std::vector<double> phiPre_;
    std::vector<StrainVector> preVectors_;
};

std::string RangeLine(const char* name, double lo, double hi, char separator) {
    return std::string(name) + " = [ " + FormatFixed(lo, 8, separator) + ", " +
           FormatFixed(hi, 8, separator) + " ]" + kLineEnd;
}

// lo + k·Δ formed in extended precision and stored as a double.
double GridValue(double lo, int k, double delta) {
    return static_cast<double>(lo + static_cast<long double>(k) * delta);
}

}  // namespace

std::string TSquaredGridText(AnalysisState& state, char decimalSeparator) {
    if (state.DataCount < 3) throw VarnelError("No data loaded");
    const PlotBounds& frame = state.PostPlotBounds;
    const double pLo = frame.Min[1], pHi = frame.Max[1];
    const double qLo = frame.Min[2], qHi = frame.Max[2];
    // 99 intervals, 100 points per axis: p_j = p_lo + j·Δp, q_i = q_lo + i·Δq.
    const double dp = (pHi - pLo) / (kGridPoints - 1);
    const double dq = (qHi - qLo) / (kGridPoints - 1);
    std::vector<double> p(kGridPoints);
    for (int j = 0; j < kGridPoints; ++j) p[j] = GridValue(pLo, j, dp);

    PreStrainDataGuard guard(state);
    std::string text = RangeLine("p", pLo, pHi, decimalSeparator);
    text += RangeLine("q", qLo, qHi, decimalSeparator);
    for (double pj : p) text += '\t' + FormatExponent(pj, decimalSeparator);
    text += kLineEnd;
    for (int i = 0; i < kGridPoints; ++i) {
        const double qi = GridValue(qLo, i, dq);
        text += FormatExponent(qi, decimalSeparator);
        for (double pj : p) {
            text += '\t' + FormatExponent(TSquaredOfStrain(state, {pj, qi}), decimalSeparator);
        }
        text += kLineEnd;
    }
    return text;
}

void ExportTSquaredGrid(AnalysisState& state, const std::string& path, char decimalSeparator) {
    ReplaceFile(path, TSquaredGridText(state, decimalSeparator));
}

}  // namespace varnel
