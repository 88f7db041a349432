// Writes a synthetic data file of deformed elliptical markers for benchmarks and trials:
// initial ellipses with log-normal axial ratios and uniformly random orientations, all deformed
// by one known strain. One "R,phi" line per ellipse, phi in degrees, "." as decimal separator.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>

#include "core/strain_vector.h"

namespace {

struct Settings {
    int count = 10000;
    unsigned long long seed = 1;
    double strainRatio = 1.8;      // R_s of the known strain
    double strainDegrees = 30.0;   // phi_s of the known strain
    double logRatioMean = 0.3;     // mean of ln R0
    double logRatioSpread = 0.25;  // standard deviation of ln R0
    std::string output;
};

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: make_synthetic_data OUTPUT [--count N] [--seed S] [--rs R_s] "
                 "[--phis DEGREES] [--mu MEAN_LN_R0] [--sigma SD_LN_R0]\n");
}

bool ParseArguments(int argc, char** argv, Settings& settings) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name.rfind("--", 0) != 0) {
            settings.output = name;
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (name == "--count")
            settings.count = std::atoi(value);
        else if (name == "--seed")
            settings.seed = std::strtoull(value, nullptr, 10);
        else if (name == "--rs")
            settings.strainRatio = std::atof(value);
        else if (name == "--phis")
            settings.strainDegrees = std::atof(value);
        else if (name == "--mu")
            settings.logRatioMean = std::atof(value);
        else if (name == "--sigma")
            settings.logRatioSpread = std::atof(value);
        else
            return false;
    }
    return !settings.output.empty() && settings.count >= 0 && settings.strainRatio > 0.0;
}

// One initial ellipse: ln R0 normal (R0 log-normal); a draw below 1 is the same ellipse seen
// along its other axis, so it becomes 1 / R0 turned by 90°.
varnel::Ellipse InitialEllipse(std::mt19937_64& random, const Settings& settings) {
    std::normal_distribution<double> logRatio(settings.logRatioMean, settings.logRatioSpread);
    std::uniform_real_distribution<double> orientation(-std::numbers::pi / 2, std::numbers::pi / 2);
    double logR = logRatio(random);
    double phi = orientation(random);
    if (logR < 0.0) {
        logR = -logR;
        phi += phi < 0.0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
    }
    return {std::exp(logR), phi};
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!ParseArguments(argc, argv, settings)) {
        PrintUsage();
        return 2;
    }
    std::FILE* out = std::fopen(settings.output.c_str(), "wb");
    if (!out) {
        std::perror(settings.output.c_str());
        return 1;
    }
    std::mt19937_64 random(settings.seed);
    const double strainPhi = settings.strainDegrees * std::numbers::pi / 180.0;
    for (int k = 0; k < settings.count; ++k) {
        const varnel::Ellipse initial = InitialEllipse(random, settings);
        // Strain along phi_s: angles are counted from the strain's axis.
        const varnel::Ellipse strained =
            varnel::SuperposeStrain(settings.strainRatio, initial.R, initial.phi - strainPhi);
        std::fprintf(out, "%.10g,%.10g\n", strained.R,
                     (strained.phi + strainPhi) * 180.0 / std::numbers::pi);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
