// Measures what the program's confidence statements deliver: draws initially isotropic
// populations, strains them by a known strain, runs the Open command's estimation and region
// and the fabric tests, and prints how often the region and the ranges cover the true strain
// and how often each test rejects at 5 %. Populations with an initial fabric (a mode of initial
// long axes at β from the strain axis, or an imbricated larger half) measure the tests' power;
// a set strained before the strain shows what no test can see.
// Bootstrap runs measure the coverage of its region, ranges and intervals.
// Not part of the test run, except for one short fixed-seed run; a full table takes minutes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/confidence_region.h"
#include "core/estimation.h"
#include "core/executable_folder.h"
#include "core/strain_vector.h"
#include "input/quantile_table.h"
#include "methods/bootstrap.h"
#include "methods/methods.h"
#include "methods/studentised.h"

namespace {

using varnel::AnalysisState;
using varnel::ConfidenceLevel;

enum class Population { LogNormal, Uniform, Fabric, Imbricated, Prestrained };

struct Cell {
    Population population = Population::LogNormal;
    int N = 50;
    double Rs = 2.0;  // 1 draws sets without strain: the tests' size
    // Fabric: initial long axes normal about β from the strain axis with spread σ (degrees).
    // Imbricated: the same for the ellipses with ln R0 above its mean, the others isotropic.
    // Prestrained: an isotropic set strained by `prestrainRatio` along β before the strain.
    double betaDegrees = 0.0, sigmaDegrees = 30.0, prestrainRatio = 1.5;
};

bool IsIsotropic(const Cell& cell) {
    return cell.population == Population::LogNormal || cell.population == Population::Uniform;
}

struct Settings {
    int sets = 200;
    unsigned long long seed = 1;
    int levelPercent = 95;
    double strainDegrees = 30.0;
    bool check = false;  // exit 1 when a share is far from its promise (the short test run)
    bool tests = true;   // off skips the fabric tests, for runs that measure the bootstrap only
    int resamples = 0;   // B of a bootstrap of each set; 0 for none
    std::vector<int> bootstrapLevels;  // levels the bootstrap is stated at, from the same resamples
    std::vector<Cell> cells;
};

// Counts of one cell: each statement covered (or rejected) in `hits` of `sets`.
struct Tally {
    int sets = 0, failed = 0;
    int region = 0, rRange = 0, phiRange = 0, nanRanges = 0;
    int noStrain = 0, chi2 = 0, symmetryIndex = 0;
};

// Coverage of one estimator's bootstrap statements at one level: its region, the ranges over
// it, its marginal intervals, and the sets where the region held zero strain (undefined φ).
struct BootstrapTally {
    int sets = 0, notEstimated = 0;
    int region = 0, rRange = 0, phiRange = 0, rInterval = 0, phiInterval = 0, zero = 0;
};

// One initial ellipse: ln R0 ~ N(0.3, 0.25) folded at 0, or R0 uniform on [1, 3]; θ uniform,
// or for a fabric strainPhi + β + σ Z, Z standard normal (radians).
varnel::Ellipse InitialEllipse(std::mt19937_64& random, const Cell& cell, double strainPhi) {
    constexpr double kRadian = std::numbers::pi / 180.0;
    std::uniform_real_distribution<double> theta(-std::numbers::pi / 2, std::numbers::pi / 2);
    double R;
    if (cell.population == Population::Uniform) {
        R = std::uniform_real_distribution<double>(1.0, 3.0)(random);
    } else {
        R = std::exp(std::fabs(std::normal_distribution<double>(0.3, 0.25)(random)));
    }
    if (cell.population == Population::Prestrained) {
        // An earlier homogeneous strain: the composition is again one strain of an isotropic set.
        const double beta = strainPhi + cell.betaDegrees * kRadian;
        const varnel::Ellipse pre = varnel::SuperposeStrain(cell.prestrainRatio, R, theta(random));
        return {pre.R, pre.phi + beta};
    }
    const bool oriented = cell.population == Population::Fabric ||
                          (cell.population == Population::Imbricated && std::log(R) > 0.3);
    if (!oriented) return {R, theta(random)};
    const double z = std::normal_distribution<double>(0.0, 1.0)(random);
    return {R, strainPhi + (cell.betaDegrees + cell.sigmaDegrees * z) * kRadian};
}

void FillPopulation(AnalysisState& state, const Cell& cell, double strainPhi,
                    std::mt19937_64& random) {
    for (int k = 1; k <= cell.N; ++k) {
        const varnel::Ellipse initial = InitialEllipse(random, cell, strainPhi);
        const varnel::Ellipse post =
            varnel::SuperposeStrain(cell.Rs, initial.R, initial.phi - strainPhi);
        state.RPost[k] = post.R;
        state.PhiPost[k] = post.phi + strainPhi;
    }
    state.DataCount = cell.N;
}

// Crossing-number test of v inside the closed polygon PostRegion[1 … 72].
bool InsideRegion(const AnalysisState& state, varnel::StrainVector v) {
    bool inside = false;
    for (int i = 1, j = varnel::kRegionPoints; i <= varnel::kRegionPoints; j = i++) {
        const varnel::StrainVector a = state.PostRegion[i], b = state.PostRegion[j];
        if ((a.x2 > v.x2) != (b.x2 > v.x2) &&
            v.x1 < (b.x1 - a.x1) * (v.x2 - a.x2) / (b.x2 - a.x2) + a.x1) {
            inside = !inside;
        }
    }
    return inside;
}

bool Covers(varnel::ValueRange range, double value) {
    return range.min <= value && value <= range.max;
}

ConfidenceLevel LevelOf(int percent) {
    if (percent == 39) return ConfidenceLevel::Level39;
    if (percent == 50) return ConfidenceLevel::Level50;
    return ConfidenceLevel::Level95;
}

// φ in [lo, hi] modulo 180° (a bootstrap interval may reach beyond ±90°); NaN ends cover all.
bool CoversOrientation(varnel::methods::Interval interval, double degrees) {
    if (std::isnan(interval.lo)) return true;
    for (double turn : {-180.0, 0.0, 180.0}) {
        if (interval.lo <= degrees + turn && degrees + turn <= interval.hi) return true;
    }
    return false;
}

void TallyStatements(const varnel::methods::EstimatorBootstrap& e, const Cell& cell,
                     double strainDegrees, BootstrapTally& t) {
    ++t.sets;
    if (!e.intervals || !e.region) {
        ++t.notEstimated;
        return;
    }
    const double phi = strainDegrees * std::numbers::pi / 180.0;
    const varnel::methods::BootstrapRegion& region = *e.region;
    t.region += varnel::methods::RegionHolds(region, varnel::EllipseToVector(cell.Rs, phi));
    t.zero += region.holdsZeroStrain;
    t.rRange += region.R.lo <= cell.Rs && cell.Rs <= region.R.hi;
    t.rInterval += e.intervals->R.lo <= cell.Rs && cell.Rs <= e.intervals->R.hi;
    t.phiRange += CoversOrientation(region.phiDegrees, strainDegrees);
    t.phiInterval += CoversOrientation(e.intervals->phiDegrees, strainDegrees);
}

// The bootstrap of an estimated set, stated at each of the levels from the same resamples;
// tallies[2 l] for the T² estimate at level l, tallies[2 l + 1] for the hyperbolic mean.
void TallyBootstrap(const AnalysisState& state, const Cell& cell, const Settings& settings,
                    std::uint32_t seed, std::vector<BootstrapTally>& tallies) {
    const int first = settings.bootstrapLevels.front();
    std::optional<varnel::methods::BootstrapResult> result = varnel::methods::RunBootstrap(
        state, settings.resamples, seed, LevelOf(first), nullptr, nullptr);
    if (!result) return;
    for (std::size_t l = 0; l < settings.bootstrapLevels.size(); ++l) {
        const int level = settings.bootstrapLevels[l];
        varnel::methods::StateAtLevel(result->t2, result->B, level);
        varnel::methods::StateAtLevel(result->hyperbolicMean, result->B, level);
        TallyStatements(result->t2, cell, settings.strainDegrees, tallies[2 * l]);
        TallyStatements(result->hyperbolicMean, cell, settings.strainDegrees, tallies[2 * l + 1]);
    }
}

void PrintBootstrapRows(const Cell& cell, const Settings& settings,
                        const std::vector<BootstrapTally>& tallies) {
    for (std::size_t i = 0; i < tallies.size(); ++i) {
        const BootstrapTally& t = tallies[i];
        const int n = t.sets - t.notEstimated;
        auto share = [n](int hits) { return n > 0 ? double(hits) / n : 0.0; };
        char phi[32] = "    -      -";
        if (cell.Rs != 1.0) {
            std::snprintf(phi, sizeof phi, "%.3f  %.3f", share(t.phiRange), share(t.phiInterval));
        }
        std::printf("  bootstrap %-10s %2d %%  %5d %4d  %.3f  %.3f  %.3f  %s  %.3f\n",
                    i % 2 == 0 ? "t2" : "hyperbolic", settings.bootstrapLevels[i / 2], t.sets,
                    t.notEstimated, share(t.region), share(t.rRange), share(t.rInterval), phi,
                    share(t.zero));
    }
}

void RunSet(AnalysisState& state, const Cell& cell, const Settings& settings,
            std::mt19937_64& random, Tally& tally, std::vector<BootstrapTally>& bootstrap) {
    const double strainPhi = settings.strainDegrees * std::numbers::pi / 180.0;
    FillPopulation(state, cell, strainPhi, random);
    ++tally.sets;
    try {
        varnel::EstimateStrain(state, nullptr);
        varnel::ComputeConfidenceResults(state, LevelOf(settings.levelPercent));
        const varnel::StrainVector truth = varnel::EllipseToVector(cell.Rs, strainPhi);
        tally.region += InsideRegion(state, truth);
        if (std::isnan(state.RRange.min)) {
            ++tally.nanRanges;  // the box holds zero strain: R reaches 1, φ is unbounded
            ++tally.rRange;
            ++tally.phiRange;
        } else {
            tally.rRange += Covers(state.RRange, cell.Rs);
            tally.phiRange += Covers(state.PhiRange, settings.strainDegrees);
        }
        if (settings.tests) {
            const varnel::methods::MethodsResult methods = varnel::methods::ComputeMethods(state);
            tally.noStrain += methods.noStrain.p <= 0.05;
            tally.chi2 += methods.symmetryChi2.p <= 0.05;
            tally.symmetryIndex += methods.symmetryIndex.p <= 0.05;
        }
        if (settings.resamples > 0) {
            TallyBootstrap(state, cell, settings, std::uint32_t(tally.sets), bootstrap);
        }
    } catch (const std::exception&) {
        ++tally.failed;
    }
}

// Whether a bootstrap region or interval is far from its level: by more than 10 points or four
// binomial standard errors √(L (1 − L) / n), whichever is more.
bool BootstrapFarFromPromise(const Cell& cell, const Settings& settings,
                             const std::vector<BootstrapTally>& tallies) {
    for (std::size_t i = 0; i < tallies.size(); ++i) {
        const BootstrapTally& t = tallies[i];
        const int n = t.sets - t.notEstimated;
        if (n < t.sets / 2) return true;
        const double level = settings.bootstrapLevels[i / 2] / 100.0;
        const double tolerance = std::max(0.10, 4.0 * std::sqrt(level * (1.0 - level) / n));
        // Without strain the true φ is undefined.
        const int phi = cell.Rs == 1.0 ? int(std::lround(level * n)) : t.phiInterval;
        for (int hits : {t.region, t.rInterval, phi}) {
            if (std::fabs(double(hits) / n - level) > tolerance) return true;
        }
    }
    return false;
}

// Whether a cell is far from what it promises: the region covering well below its level, or a
// test rejecting far more often than 5 % of unstrained sets. Wide enough for a short run's noise.
bool FarFromPromise(const Cell& cell, const Tally& t, int levelPercent) {
    const int n = t.sets - t.failed;
    if (n < t.sets / 2) return true;
    const double tolerance = 0.10;
    if (double(t.region) / n < levelPercent / 100.0 - tolerance) return true;
    if (cell.Rs != 1.0 || !IsIsotropic(cell)) return false;
    for (int rejected : {t.noStrain, t.chi2, t.symmetryIndex}) {
        if (double(rejected) / n > 0.05 + tolerance) return true;
    }
    return false;
}

std::string NameOf(const Cell& cell) {
    switch (cell.population) {
        case Population::Uniform:
            return "uniform";
        case Population::Prestrained: {
            char text[48];
            std::snprintf(text, sizeof text, "pre%g/%g", cell.betaDegrees, cell.prestrainRatio);
            return text;
        }
        case Population::Fabric:
        case Population::Imbricated: {
            char text[48];
            std::snprintf(text, sizeof text, "%s%g/%g",
                          cell.population == Population::Fabric ? "fabric" : "imbr",
                          cell.betaDegrees, cell.sigmaDegrees);
            return text;
        }
        case Population::LogNormal:
            break;
    }
    return "lognormal";
}

void PrintRow(const Cell& cell, const Tally& t) {
    const int n = t.sets - t.failed;
    auto share = [n](int hits) { return n > 0 ? double(hits) / n : 0.0; };
    std::printf("%-13s %5d %5.2f %5d %4d  %.3f  %.3f  %.3f  %.3f   %.3f  %.3f  %.3f\n",
                NameOf(cell).c_str(), cell.N, cell.Rs, t.sets, t.failed, share(t.region),
                share(t.rRange), share(t.phiRange), share(t.nanRanges), share(t.noStrain),
                share(t.chi2), share(t.symmetryIndex));
}

// One cell: POPULATION:N:RS, for fabric and imbricated optionally :BETA:SIGMA (degrees), for
// prestrained :BETA:RATIO.
bool ParseCell(const std::string& item, Cell& cell) {
    char name[16];
    const int fields = std::sscanf(item.c_str(), "%15[a-z]:%d:%lf:%lf:%lf", name, &cell.N, &cell.Rs,
                                   &cell.betaDegrees, &cell.sigmaDegrees);
    const std::string population = name;
    if (population == "uniform") {
        cell.population = Population::Uniform;
    } else if (population == "fabric") {
        cell.population = Population::Fabric;
    } else if (population == "imbricated") {
        cell.population = Population::Imbricated;
        if (fields < 4) cell.betaDegrees = 30.0;
        if (fields < 5) cell.sigmaDegrees = 15.0;
    } else if (population == "prestrained") {
        cell.population = Population::Prestrained;
        if (fields < 4) cell.betaDegrees = 45.0;
        if (fields == 5) cell.prestrainRatio = cell.sigmaDegrees;
    } else if (population != "lognormal") {
        return false;
    }
    const int most = IsIsotropic(cell) ? 3 : 5;
    return fields >= 3 && fields <= most && cell.N >= 3 && cell.N <= varnel::kMaxData &&
           cell.Rs >= 1.0 && cell.sigmaDegrees >= 0.0 && cell.prestrainRatio >= 1.0;
}

bool ParseCells(const std::string& text, Settings& settings) {
    // "lognormal:50:2,uniform:20:1,fabric:50:2:45:30" → cells
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        Cell cell;
        if (!ParseCell(text.substr(start, end - start), cell)) return false;
        settings.cells.push_back(cell);
        start = end + 1;
    }
    return !settings.cells.empty();
}

// "95,50" → {95, 50}; the first level must allow B resamples.
bool ParseLevels(const std::string& text, std::vector<int>& levels) {
    levels.clear();
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        const int level = std::atoi(text.substr(start, end - start).c_str());
        if (level != 39 && level != 50 && level != 95) return false;
        levels.push_back(level);
        start = end + 1;
    }
    return !levels.empty();
}

bool ParseArguments(int argc, char** argv, Settings& settings) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--sets") {
            settings.sets = std::atoi(value.c_str());
        } else if (name == "--seed") {
            settings.seed = std::strtoull(value.c_str(), nullptr, 10);
        } else if (name == "--level") {
            settings.levelPercent = std::atoi(value.c_str());
        } else if (name == "--bootstrap") {
            settings.resamples = std::atoi(value.c_str());
        } else if (name == "--bootstrap-levels") {
            if (!ParseLevels(value, settings.bootstrapLevels)) return false;
        } else if (name == "--check") {
            settings.check = value == "on";
        } else if (name == "--tests") {
            settings.tests = value != "off";
        } else if (name == "--cells") {
            if (!ParseCells(value, settings)) return false;
        } else {
            return false;
        }
    }
    if (settings.cells.empty()) {
        for (int N : {20, 50, 250}) {
            for (double Rs : {1.0, 2.0}) settings.cells.push_back({Population::LogNormal, N, Rs});
        }
    }
    if (settings.bootstrapLevels.empty()) settings.bootstrapLevels = {settings.levelPercent};
    return argc % 2 == 1 && settings.sets > 0 &&
           (settings.resamples == 0 || settings.resamples >= varnel::methods::FewestResamples(
                                                                 settings.bootstrapLevels.front()));
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!ParseArguments(argc, argv, settings)) {
        std::fprintf(
            stderr,
            "usage: calibration [--sets S] [--seed S] [--level 39|50|95] "
            "[--cells POPULATION:N:RS[:BETA:SIGMA],...] [--bootstrap B [--bootstrap-levels 95,50]] "
            "[--check on] [--tests off]  (POPULATION lognormal, uniform, fabric (default β 0°, σ "
            "30°), "
            "imbricated (β 30°, σ 15°) or prestrained (β 45°, ratio 1.5))\n");
        return 2;
    }
    auto state = std::make_unique<AnalysisState>();
    if (!varnel::LoadFQuantileTable(*state, varnel::ExecutableFolder())) {
        std::fprintf(stderr, "calibration: finv.dat not found beside the executable\n");
        return 1;
    }
    std::printf("level %d %%, %d sets a cell, seed %llu; shares of the sets that did not fail\n",
                settings.levelPercent, settings.sets, settings.seed);
    std::printf(
        "population        N    Rs  sets fail  region R-rng φ-rng  NaN    F-test χ²     Isym\n");
    if (settings.resamples > 0) {
        std::printf(
            "  bootstrap of %d resamples: estimator level sets n/e  region R-rng R-int "
            "φ-rng  φ-int  zero\n",
            settings.resamples);
    }
    std::mt19937_64 random(settings.seed);
    bool far = false;
    for (const Cell& cell : settings.cells) {
        Tally tally;
        std::vector<BootstrapTally> bootstrap(2 * settings.bootstrapLevels.size());
        for (int s = 0; s < settings.sets; ++s) {
            RunSet(*state, cell, settings, random, tally, bootstrap);
        }
        PrintRow(cell, tally);
        std::fflush(stdout);  // a long run shows each cell as it ends
        far = far || FarFromPromise(cell, tally, settings.levelPercent);
        if (settings.resamples > 0) {
            PrintBootstrapRows(cell, settings, bootstrap);
            std::fflush(stdout);
            far = far || BootstrapFarFromPromise(cell, settings, bootstrap);
        }
    }
    return settings.check && far ? 1 : 0;
}
