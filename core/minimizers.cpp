#include "core/minimizers.h"

#include <cmath>
#include <cstring>

#include "core/checked_math.h"

namespace varnel {

namespace {

constexpr int kDimension = 2;
constexpr std::int32_t kEvaluationLimit = 5000;

double& Coordinate(StrainVector& v, int j) { return j == 0 ? v.x1 : v.x2; }

StrainVector VertexSumOf(const Simplex& simplex) {
    StrainVector sum;
    for (const StrainVector& v : simplex.vertex) {
        sum.x1 = StoreDouble(static_cast<long double>(sum.x1) + v.x1);
        sum.x2 = StoreDouble(static_cast<long double>(sum.x2) + v.x2);
    }
    return sum;
}

struct VertexOrder {
    int best, worst, secondWorst;
};

// Strict comparisons: among equal lowest values the lowest index is best; with the first two
// values equal, vertex 2 starts as the worst.
VertexOrder OrderVertices(const Simplex& simplex) {
    const auto& Y = simplex.value;
    VertexOrder order{0, 1, 0};
    if (Y[0] > Y[1]) order = {0, 0, 1};
    for (int i = 0; i <= kDimension; ++i) {
        if (Y[i] < Y[order.best]) order.best = i;
        if (Y[i] > Y[order.worst]) {
            order.secondWorst = order.worst;
            order.worst = i;
        } else if (Y[i] > Y[order.secondWorst] && i != order.worst) {
            order.secondWorst = i;
        }
    }
    return order;
}

// Moves every vertex but the best halfway towards it and evaluates them.
void Shrink(Simplex& simplex, int best, const ObjectiveFunction& f) {
    for (int i = 0; i <= kDimension; ++i) {
        if (i == best) continue;
        for (int j = 0; j < kDimension; ++j) {
            Coordinate(simplex.vertex[i], j) =
                StoreDouble(0.5L * (static_cast<long double>(Coordinate(simplex.vertex[i], j)) +
                                    Coordinate(simplex.vertex[best], j)));
        }
        simplex.value[i] = f(simplex.vertex[i]);
    }
}

// What a pass of SimplexMinimize starts from. The objective is a function of the point alone,
// so two passes that start from the same bits take the same steps from there on.
struct PassStart {
    Simplex simplex;
    StrainVector vertexSum;
    std::int32_t count = 0;

    bool SameBitsAs(const PassStart& other) const {
        return std::memcmp(&simplex.vertex, &other.simplex.vertex, sizeof simplex.vertex) == 0 &&
               std::memcmp(&simplex.value, &other.simplex.value, sizeof simplex.value) == 0 &&
               std::memcmp(&vertexSum, &other.vertexSum, sizeof vertexSum) == 0;
    }
};

// A simplex that has contracted onto the rounding of its objective stops moving anywhere new:
// its passes repeat one cycle of a few steps until the evaluation limit. Brent's cycle
// detection finds the cycle (one comparison a pass), and the passes up to the last whole
// cycle before the limit are counted without being run: the run then ends with the count, the
// vertices and the last evaluations it would have ended with.
class CycleSkipper {
public:
    // Adds to `count` the evaluations of the whole cycles that fit below the limit, once a
    // pass starts as an earlier one did; count is below the limit.
    void Pass(const Simplex& simplex, StrainVector vertexSum, std::int32_t& count) {
        if (skipped_) return;
        const PassStart now{simplex, vertexSum, count};
        if (passes_ > 0 && now.SameBitsAs(saved_)) {
            const std::int32_t cycle = count - saved_.count;
            count += (kEvaluationLimit - 1 - count) / cycle * cycle;
            skipped_ = true;
            return;
        }
        // The start kept is renewed after 1, 2, 4, … passes, so a cycle of any length is
        // found within about twice its length once the passes have entered it.
        if (passes_ == 0 || passes_ == power_) {
            saved_ = now;
            power_ *= 2;
            passes_ = 0;
        }
        ++passes_;
    }

private:
    PassStart saved_;
    int power_ = 1;
    int passes_ = 0;
    bool skipped_ = false;
};

}  // namespace

double SimplexTry(Simplex& simplex, StrainVector& vertexSum, int w, std::int32_t& count,
                  double alpha, const ObjectiveFunction& f) {
    // p = σ·α1 − vertex_w·α2 = (1 − α)·z + α·vertex_w, z the centroid of the other vertices
    const double alpha1 = StoreDouble((1.0L - alpha) / kDimension);
    const double alpha2 = StoreDouble(static_cast<long double>(alpha1) - alpha);
    StrainVector trial;
    for (int j = 0; j < kDimension; ++j) {
        Coordinate(trial, j) =
            StoreDouble(static_cast<long double>(Coordinate(vertexSum, j)) * alpha1 -
                        static_cast<long double>(Coordinate(simplex.vertex[w], j)) * alpha2);
    }
    const double y = f(trial);
    ++count;
    if (y < simplex.value[w]) {
        simplex.value[w] = y;
        for (int j = 0; j < kDimension; ++j) {
            Coordinate(vertexSum, j) =
                StoreDouble(static_cast<long double>(Coordinate(vertexSum, j)) +
                            Coordinate(trial, j) - Coordinate(simplex.vertex[w], j));
        }
        simplex.vertex[w] = trial;
    }
    return y;
}

bool SimplexMinimize(Simplex& simplex, double tolerance, std::int32_t& count,
                     const ObjectiveFunction& f) {
    count = 0;
    StrainVector vertexSum = VertexSumOf(simplex);
    auto& Y = simplex.value;
    CycleSkipper cycles;
    for (;;) {
        const VertexOrder order = OrderVertices(simplex);
        // ρ = 2·|Y_w − Y_b| / (|Y_w| + |Y_b|). Best and worst both exactly 0 is the minimum of
        // a non-negative objective reached exactly: converged, not the 0/0 of the formula.
        const long double worst = Y[order.worst], best = Y[order.best];
        const long double scale = std::fabs(worst) + std::fabs(best);
        if (scale == 0.0L) return true;
        const double spread = StoreDouble(2.0L * std::fabs(worst - best) / scale);
        if (spread < tolerance) return true;
        if (count >= kEvaluationLimit) return false;
        cycles.Pass(simplex, vertexSum, count);

        const double reflected = SimplexTry(simplex, vertexSum, order.worst, count, -1.0, f);
        if (reflected <= Y[order.best]) {
            SimplexTry(simplex, vertexSum, order.worst, count, 2.0, f);
        } else if (reflected >= Y[order.secondWorst]) {
            const double saved = Y[order.worst];
            const double contracted = SimplexTry(simplex, vertexSum, order.worst, count, 0.5, f);
            if (contracted >= saved) {
                Shrink(simplex, order.best, f);
                count += kDimension;
                vertexSum = VertexSumOf(simplex);
            }
        }
    }
}

bool MinimizeFromTriangle(std::array<StrainVector, 3>& triangle, const ObjectiveFunction& f) {
    Simplex simplex;
    simplex.vertex = triangle;
    for (int i = 0; i < 3; ++i) simplex.value[i] = f(simplex.vertex[i]);
    std::int32_t count = 0;
    const bool ok = SimplexMinimize(simplex, 1e-6, count, f);
    triangle = simplex.vertex;
    return ok;
}

StrainVector LinePoint(StrainVector A, StrainVector B, double t) {
    return {StoreDouble(A.x1 + t * (static_cast<long double>(B.x1) - A.x1)),
            StoreDouble(A.x2 + t * (static_cast<long double>(B.x2) - A.x2))};
}

LineSearchResult GoldenSectionSearch(StrainVector A, StrainVector B, const ObjectiveFunction& f) {
    constexpr double G1 = 0.618033988749895, G2 = 0.381966011250105, epsilon = 1e-6;
    // The relative test alone never ends when the minimum is at t = 0 (or g is constant and
    // drifts there): an absolute floor on the bracket and a pass limit end the search too.
    constexpr double kNarrowestBracket = 1e-12;
    constexpr int kMaxPasses = 200;
    const auto g = [&](double t) { return f(LinePoint(A, B, t)); };

    // The bracket 0 … 1 with its inner point at G1: the longer side lies below it, so the
    // second inner point goes there.
    double t0 = 0.0, t3 = 1.0;
    double t2 = G1;
    double t1 = t2 - G2 * t2;
    double g1 = g(t1);
    double g2 = g(t2);
    for (int pass = 0; std::fabs(t3 - t0) > epsilon * (std::fabs(t1) + std::fabs(t2)) &&
                       std::fabs(t3 - t0) > kNarrowestBracket && pass < kMaxPasses;
         ++pass) {
        if (g2 < g1) {
            t0 = t1;
            t1 = t2;
            t2 = G1 * t1 + G2 * t3;
            g1 = g2;
            g2 = g(t2);
        } else {
            t3 = t2;
            t2 = t1;
            t1 = G1 * t2 + G2 * t0;
            g2 = g1;
            g1 = g(t1);
        }
    }
    if (g1 < g2) return {LinePoint(A, B, t1), g1};
    return {LinePoint(A, B, t2), g2};
}

}  // namespace varnel
