#include "cli/methods_output.h"

#include <cmath>

#include "core/varnel_error.h"
#include "methods/bootstrap.h"
#include "methods/methods_text.h"

namespace varnel::cli {

namespace {

using Json = nlohmann::ordered_json;
using methods::kMostResamples;
constexpr int kLevels[] = {95, 50, 39};

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

Json Pair(const methods::Interval& i) { return Json::array({Value(i.lo), Value(i.hi)}); }

// The marginal intervals as "R" and "phi", the ranges over the region as "R_range" and
// "phi_range" (null where the region holds zero strain and φ is undefined).
Json IntervalsJson(const methods::EstimatorBootstrap& e) {
    if (!e.intervals || !e.region) return Json(nullptr);
    const methods::BootstrapIntervals& i = *e.intervals;
    const methods::BootstrapRegion& region = *e.region;
    return Json{{"R", Pair(i.R)},
                {"phi", Pair(i.phiDegrees)},
                {"R_range", Pair(region.R)},
                {"phi_range", region.holdsZeroStrain ? Json(nullptr) : Pair(region.phiDegrees)}};
}

// "failed" counts the resamples without a T² estimate, as before each estimator kept its own.
Json BootstrapJson(const methods::BootstrapResult& b) {
    return Json{{"B", b.B},
                {"seed", b.seed},
                {"level", b.levelPercent},
                {"t2", IntervalsJson(b.t2)},
                {"hyperbolic_mean", IntervalsJson(b.hyperbolicMean)},
                {"failed", b.t2.failed},
                {"failed_per_estimator",
                 Json{{"t2", b.t2.failed}, {"hyperbolic_mean", b.hyperbolicMean.failed}}}};
}

}  // namespace

std::string ResampleHelp() {
    std::string floors;
    for (const int level : kLevels) {
        floors += (floors.empty() ? "" : ", ") + std::to_string(methods::FewestResamples(level)) +
                  (floors.empty() ? " at --level " : " at ") + std::to_string(level);
    }
    return "Bootstrap of the T2 estimate and the hyperbolic mean from B resamples, studentised "
           "by each resample's own scale: marginal intervals of R and of phi (each alone at the "
           "--level), and the ranges of R and phi over a region of the strain at the --level "
           "(both at once, so each range covers its quantity more often than the level; at 39 "
           "the region is the one-standard-error ellipse, about 68 % for each quantity; a region "
           "holding zero strain gives R from 1 and phi undefined). B up to " +
           std::to_string(kMostResamples) + " and at least " + floors +
           ", so that each tail beyond an interval holds " +
           std::to_string(methods::kFewestTailResamples) +
           " resamples or more; none for an estimator that fails on more than 1 % of them";
}

std::string ResampleCountError(bool bootstrapGiven, const MethodsRequest& request,
                               int levelPercent) {
    const int fewest = methods::FewestResamples(levelPercent);
    if (!bootstrapGiven || (request.bootstrap >= fewest && request.bootstrap <= kMostResamples)) {
        return {};
    }
    return "--bootstrap: Value " + std::to_string(request.bootstrap) + " not in range " +
           std::to_string(fewest) + " to " + std::to_string(kMostResamples) + " at --level " +
           std::to_string(levelPercent);
}

// Why an estimator of the bootstrap has no intervals, for standard error.
void AddNotEstimated(const methods::BootstrapResult& b, std::vector<std::string>& messages) {
    const std::pair<const char*, const methods::EstimatorBootstrap*> estimators[] = {
        {"t2", &b.t2}, {"hyperbolic mean", &b.hyperbolicMean}};
    for (const auto& [name, e] : estimators) {
        if (!e->intervals) {
            messages.push_back(std::string("bootstrap, ") + name + ": " +
                               methods::NotEstimatedText(e->failed, b.B));
        }
    }
}

MethodsOutcome RunMethods(AnalysisState& state, analysis::Outcome analysed,
                          const MethodsRequest& request, ConfidenceLevel level,
                          ProgressSink* progress) {
    MethodsOutcome outcome;
    if (analysed != analysis::Outcome::Reported) return outcome;
    try {
        if (request.methods) outcome.methods = methods::ComputeMethods(state);
        if (request.bootstrap > 0) {
            outcome.bootstrap = methods::RunBootstrap(state, request.bootstrap, request.seed, level,
                                                      progress, nullptr);
            if (outcome.bootstrap) AddNotEstimated(*outcome.bootstrap, outcome.messages);
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
    return methods::MethodsTextLines(outcome.methods ? &*outcome.methods : nullptr,
                                     outcome.bootstrap ? &*outcome.bootstrap : nullptr,
                                     decimalSeparator);
}

}  // namespace varnel::cli
