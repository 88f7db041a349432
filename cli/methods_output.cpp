#include "cli/methods_output.h"

#include <cmath>
#include <cstdio>

#include "core/number_format.h"
#include "core/varnel_error.h"

namespace varnel::cli {

namespace {

using Json = nlohmann::ordered_json;
constexpr int kMostResamples = 1000000;

Json Value(double x) { return std::isfinite(x) ? Json(x) : Json(nullptr); }

Json Location(double R, double phi) { return Json{{"R", Value(R)}, {"phi", Value(phi)}}; }

Json MethodsJson(const methods::MethodsResult& m) {
    Json hyperbolic = Location(m.hyperbolicMean.R, m.hyperbolicMean.phiDegrees);
    hyperbolic["kappa"] = Value(m.hyperbolicMean.kappa);
    const methods::RfMaxMin& rf = m.rfMaxMin;
    return Json{
        {"t2", Location(m.t2.R, m.t2.phiDegrees)},
        {"hyperbolic_mean", hyperbolic},
        {"harmonic_mean", Location(m.harmonicMean.R, m.harmonicMean.phiDegrees)},
        {"rf_max_min", Json{{"Rf_max", Value(rf.rfMax)},
                            {"Rf_min", Value(rf.rfMin)},
                            {"fluctuation", Value(rf.fluctuationDegrees)},
                            {"case", rf.caseName},
                            {"Rs", Value(rf.Rs)},
                            {"Ri", Value(rf.Ri)}}},
        {"tests", Json{{"no_strain", Json{{"F", Value(m.noStrain.F)}, {"p", Value(m.noStrain.p)}}},
                       {"symmetry_chi2", Json{{"chi2", Value(m.symmetryChi2.chi2)},
                                              {"classes", m.symmetryChi2.classes},
                                              {"p", Value(m.symmetryChi2.p)}}},
                       {"symmetry_index", Json{{"I_sym", Value(m.symmetryIndex.Isym)},
                                               {"p", Value(m.symmetryIndex.p)}}}}}};
}

Json IntervalsJson(const methods::BootstrapIntervals& i) {
    return Json{{"R", Json::array({Value(i.R.lo), Value(i.R.hi)})},
                {"phi", Json::array({Value(i.phiDegrees.lo), Value(i.phiDegrees.hi)})}};
}

Json BootstrapJson(const methods::BootstrapResult& b) {
    return Json{{"B", b.B},
                {"seed", b.seed},
                {"level", b.levelPercent},
                {"t2", IntervalsJson(b.t2)},
                {"hyperbolic_mean", IntervalsJson(b.hyperbolicMean)},
                {"failed", b.failed}};
}

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

std::vector<std::string> MethodsLines(const methods::MethodsResult& m, bool noSignificantStrain,
                                      char s) {
    const auto fixed = [s](double x) { return FormatFixed3(x, s); };
    const methods::RfMaxMin& rf = m.rfMaxMin;
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
        "no strain: F = " + fixed(m.noStrain.F) + ", p = " + Probability(m.noStrain.p, s)};
    if (noSignificantStrain)
        lines.push_back("no significant strain, p = " + Probability(m.noStrain.p, s));
    lines.push_back("symmetry chi2: chi2 = " + fixed(m.symmetryChi2.chi2) +
                    ", classes = " + std::to_string(m.symmetryChi2.classes) +
                    ", p = " + Probability(m.symmetryChi2.p, s));
    lines.push_back("symmetry index: I_sym = " + fixed(m.symmetryIndex.Isym) +
                    ", p = " + Probability(m.symmetryIndex.p, s));
    return lines;
}

std::string IntervalsLine(const std::string& name, const methods::BootstrapIntervals& i, char s) {
    return name + ": R = " + FormatFixed3(i.R.lo, s) + " to " + FormatFixed3(i.R.hi, s) +
           ", phi = " + FormatFixed3(i.phiDegrees.lo, s) + " to " +
           FormatFixed3(i.phiDegrees.hi, s) + " (deg)";
}

std::vector<std::string> BootstrapLines(const methods::BootstrapResult& b, char s) {
    return {"",
            "Bootstrap: " + std::to_string(b.B) + " resamples, seed " + std::to_string(b.seed) +
                ", " + std::to_string(b.levelPercent) + " % intervals, " +
                std::to_string(b.failed) + " failed",
            IntervalsLine("t2", b.t2, s), IntervalsLine("hyperbolic mean", b.hyperbolicMean, s)};
}

}  // namespace

void AddMethodsOptions(CLI::App& app, MethodsRequest& request) {
    app.add_flag("--methods", request.methods,
                 "Also the hyperbolic and harmonic means, Rf max/min and the fabric tests");
    app.add_option("--bootstrap", request.bootstrap,
                   "Percentile intervals of the estimates from B resamples")
        ->check(CLI::Range(1, kMostResamples));
    app.add_option("--seed", request.seed, "Seed of the bootstrap's resamples (default 1)");
}

MethodsOutcome RunMethods(AnalysisState& state, analysis::Outcome analysed,
                          const MethodsRequest& request, ConfidenceLevel level) {
    MethodsOutcome outcome;
    if (analysed != analysis::Outcome::Reported) return outcome;
    outcome.noSignificantStrain = std::isnan(state.RRange.min);
    try {
        if (request.methods) outcome.methods = methods::ComputeMethods(state);
        if (request.bootstrap > 0) {
            outcome.bootstrap = methods::RunBootstrap(state, request.bootstrap, request.seed, level,
                                                      nullptr, nullptr);
        }
    } catch (const std::exception& error) {
        outcome.messages.push_back(UserMessageOf(error));
    }
    return outcome;
}

void AddMethodsJson(Json& object, const MethodsRequest& request, const MethodsOutcome& outcome) {
    if (request.methods)
        object["methods"] = outcome.methods ? MethodsJson(*outcome.methods) : Json(nullptr);
    if (request.bootstrap > 0) {
        object["bootstrap"] = outcome.bootstrap ? BootstrapJson(*outcome.bootstrap) : Json(nullptr);
    }
}

std::vector<std::string> MethodsText(const MethodsOutcome& outcome, char decimalSeparator) {
    std::vector<std::string> lines;
    if (outcome.methods)
        lines = MethodsLines(*outcome.methods, outcome.noSignificantStrain, decimalSeparator);
    if (outcome.bootstrap) {
        for (std::string& line : BootstrapLines(*outcome.bootstrap, decimalSeparator))
            lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace varnel::cli
