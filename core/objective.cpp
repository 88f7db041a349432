#include "core/objective.h"

#include <cassert>

#include "core/checked_math.h"
#include "core/t_squared.h"
#include "core/worker_pool.h"

namespace varnel {

namespace {

// Data retro-deformed by one thread at a time: a few hundred microseconds of work.
constexpr int kDataRetroDeformedPerPart = 1024;

}  // namespace

PreStrainBuffers PreStrainBuffersOf(AnalysisState& state) {
    return {state.RPre, state.PhiPre, state.PreVectors};
}

StrainVector MeanPreVector(const AnalysisState& state) {
    return MeanVector(state.PreVectors.data(), state.DataCount);
}

Matrix2 ComputeMomentMatrix(const AnalysisState& state) {
    return MomentMatrixOf(state.PreVectors.data(), state.DataCount);
}

double TSquaredInto(const AnalysisState& state, StrainVector x, const PreStrainBuffers& out) {
    const int N = state.DataCount;
    assert(int(out.ratios.size()) > N && int(out.orientations.size()) > N &&
           int(out.vectors.size()) > N);
    // Retro-deform each ellipse by the trial strain: remove the ratio R_s along its long axis.
    const Ellipse strain = VectorToEllipse(x);
    const double inverseRatio = StoreDouble(1.0L / strain.R);
    // Each datum's conversions are its own: large sets share them among the threads, and a
    // fault is the one the loop in order meets first.
    RunRangesInParallel(N, kDataRetroDeformedPerPart, [&](int begin, int end) {
        for (int k = begin + 1; k <= end; ++k) {
            const double angleToAxis =
                StoreDouble(static_cast<long double>(state.PhiPost[k]) - strain.phi);
            const Ellipse pre = SuperposeStrain(inverseRatio, state.RPost[k], angleToAxis);
            out.ratios[k] = pre.R;
            out.orientations[k] = StoreDouble(static_cast<long double>(pre.phi) + strain.phi);
        }
    });
    RunRangesInParallel(N, kDataRetroDeformedPerPart, [&](int begin, int end) {
        for (int k = begin + 1; k <= end; ++k) {
            out.vectors[k] = EllipseToVector(out.ratios[k], out.orientations[k]);
        }
    });
    return TSquaredOfVectors(out.vectors.data(), N);
}

double TSquaredOfStrain(AnalysisState& state, StrainVector x) {
    return TSquaredInto(state, x, PreStrainBuffersOf(state));
}

double StrainObjective(AnalysisState& state, StrainVector point) {
    return TSquaredOfStrain(state, point);
}

}  // namespace varnel
