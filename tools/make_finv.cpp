// Writes the F-quantile table finv.dat: for N = 3 … 10000 a row "N q39 q50 q95" holding the
// quantiles of the F distribution with 2 and N − 2 degrees of freedom.
#include <cmath>
#include <cstdio>

namespace {

// The quantile of F(2, m) at cumulative probability p has the closed form
// (m/2)·((1 − p)^(−2/m) − 1) = (m/2)·expm1(−(2/m)·ln(1 − p)), the second form exact for large m.
double FQuantile2(double m, double logOneMinusP) {
    return m / 2 * std::expm1(-2 / m * logOneMinusP);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_finv OUTPUT\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    // The one-standard-error region: the bivariate normal holds 1 − e^(−1/2) ≈ 39 % within it.
    const double logOneMinusP39 = -0.5;
    const double logOneMinusP50 = std::log(0.5);
    const double logOneMinusP95 = std::log(0.05);
    for (int N = 3; N <= 10000; ++N) {
        const double m = N - 2;
        std::fprintf(out, "%d %.17g %.17g %.17g\n", N, FQuantile2(m, logOneMinusP39),
                     FQuantile2(m, logOneMinusP50), FQuantile2(m, logOneMinusP95));
    }
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
