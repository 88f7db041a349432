#include "cli/sections_output.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <nlohmann/json.hpp>

#include "cli/json_output.h"
#include "cli/terminal_progress.h"
#include "core/number_format.h"
#include "ellipsoid/sections_study.h"

namespace varnel::cli {

namespace {

using ellipsoid::EllipsoidBootstrap;
using ellipsoid::EllipsoidFit;
using ellipsoid::SampleStudy;

constexpr const char* kAxisNames[] = {"X", "Y", "Z"};

constexpr const char* kHeld =
    "Held at X/Z = (largest R)^2: flatter ellipsoids would fit these sections ever closer";

// Angles as they read: a trend or strike in [0, 360), a plunge in [0, 90], a φ in (−90, 90].
std::string Strike(double degrees, char separator) {
    return FormatAngle("%.1f", degrees, 0.0, 360.0, true, separator);
}

std::string Trend(double degrees, char separator) {
    return FormatAngle("%05.1f", degrees, 0.0, 360.0, true, separator);
}

std::string Plunge(double degrees, char separator) {
    return FormatAngle("%04.1f", degrees, -90.0, 180.0, false, separator);
}

std::string Phi(double degrees, char separator) {
    return FormatAngle("%.2f", degrees, -90.0, 180.0, false, separator);
}

nlohmann::ordered_json JsonNumber(double value) {
    return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json();
}

nlohmann::ordered_json JsonInterval(methods::Interval interval) {
    return {JsonNumber(interval.lo), JsonNumber(interval.hi)};
}

std::string Title(const SampleStudy& study, const std::string& table) {
    return study.sample.empty() ? "Sections of " + table : "Sample " + study.sample;
}

std::string Text(const SampleStudy& study, const std::string& table, char separator) {
    const EllipsoidFit& fit = *study.fit;
    auto n = [separator](const char* format, double value) {
        return FormatQuantity(format, value, separator);
    };
    std::string text = Title(study, table) + "\n";
    text += "Section\tStrike\tDip\tN\tR\tphi\tMisfit\n";
    for (std::size_t j = 0; j < study.sections.size(); ++j) {
        const auto& s = study.sections[j];
        text += s.strain.name + "\t" + Strike(s.strain.plane.strikeDegrees, separator) + "\t" +
                n("%.1f", s.strain.plane.dipDegrees) + "\t" +
                (s.N > 0 ? std::to_string(s.N) : std::string("-")) + "\t" + n("%.4f", s.strain.R) +
                "\t" + Phi(s.strain.phiDegrees, separator) + "\t" + n("%.4f", fit.misfits[j]) +
                "\n";
    }
    const double X = fit.axes[0].length, Y = fit.axes[1].length, Z = fit.axes[2].length;
    text += "X : Y : Z = " + n("%.4f", X) + " : " + n("%.4f", Y) + " : " + n("%.4f", Z) + "\n";
    text += "X/Y = " + n("%.4f", X / Y) + "  Y/Z = " + n("%.4f", Y / Z) +
            "  X/Z = " + n("%.4f", X / Z) + "\n";
    for (std::size_t i = 0; i < 3; ++i) {
        const ellipsoid::PrincipalAxis& axis = fit.axes[i];
        text += std::string(kAxisNames[i]) + " axis: " +
                (axis.defined ? "trend " + Trend(axis.line.trendDegrees, separator) + ", plunge " +
                                    Plunge(axis.line.plungeDegrees, separator)
                              : std::string("direction undefined")) +
                "\n";
    }
    text += "Flinn k = " + n("%.4f", fit.shape.k) + "  Lode nu = " + n("%.4f", fit.shape.nu) +
            "  eps_s = " + n("%.4f", fit.shape.epsS) + "\n";
    text += "Incompatibility = " + n("%.4f", fit.incompatibility) + "\n";
    if (fit.held) text += kHeld + std::string("\n");
    if (study.bootstrap) {
        const EllipsoidBootstrap& b = *study.bootstrap;
        text += "Bootstrap: " + std::to_string(b.B) + " resamples, seed " + std::to_string(b.seed) +
                ", " + std::to_string(b.failed) + " failed";
        if (!b.estimated) return text + ": not estimated (more than 1 % failed)\n";
        text += "\n";
        auto interval = [&](const char* name, methods::Interval i) {
            text += std::string("  ") + name + " " + std::to_string(b.levelPercent) +
                    " %: " + n("%.4f", i.lo) + " - " + n("%.4f", i.hi) + "\n";
        };
        interval("X/Y", b.XY);
        interval("Y/Z", b.YZ);
        interval("X/Z", b.XZ);
        interval("k", b.k);
        interval("nu", b.nu);
        interval("eps_s", b.epsS);
        text += "  cones (" + std::to_string(b.levelPercent) + " % of resample axes within): X " +
                n("%.1f", b.coneDegrees[0]) + ", Y " + n("%.1f", b.coneDegrees[1]) + ", Z " +
                n("%.1f", b.coneDegrees[2]) + " degrees\n";
    }
    return text;
}

nlohmann::ordered_json StudyJson(const SampleStudy& study) {
    const EllipsoidFit& fit = *study.fit;
    nlohmann::ordered_json object;
    object["sample"] = study.sample;
    object["X"] = fit.axes[0].length;
    object["Y"] = fit.axes[1].length;
    object["Z"] = fit.axes[2].length;
    object["k"] = JsonNumber(fit.shape.k);
    object["nu"] = JsonNumber(fit.shape.nu);
    object["eps_s"] = JsonNumber(fit.shape.epsS);
    object["incompatibility"] = fit.incompatibility;
    if (fit.held) object["held"] = true;
    object["axes"] = nlohmann::ordered_json::array();
    for (const auto& axis : fit.axes) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        object["axes"].push_back(
            {{"trend", JsonNumber(axis.defined ? axis.line.trendDegrees : nan)},
             {"plunge", JsonNumber(axis.defined ? axis.line.plungeDegrees : nan)}});
    }
    object["sections"] = nlohmann::ordered_json::array();
    for (std::size_t j = 0; j < study.sections.size(); ++j) {
        const auto& s = study.sections[j];
        nlohmann::ordered_json section{{"name", s.strain.name},
                                       {"strike", s.strain.plane.strikeDegrees},
                                       {"dip", s.strain.plane.dipDegrees},
                                       {"R", s.strain.R},
                                       {"phi", s.strain.phiDegrees},
                                       {"misfit", fit.misfits[j]}};
        if (s.N > 0) section["N"] = s.N;
        object["sections"].push_back(section);
    }
    if (study.bootstrap) {
        const EllipsoidBootstrap& b = *study.bootstrap;
        nlohmann::ordered_json bootstrap{
            {"B", b.B}, {"seed", b.seed}, {"level", b.levelPercent}, {"failed", b.failed}};
        if (b.estimated) {
            bootstrap["X_Y"] = JsonInterval(b.XY);
            bootstrap["Y_Z"] = JsonInterval(b.YZ);
            bootstrap["X_Z"] = JsonInterval(b.XZ);
            bootstrap["k"] = JsonInterval(b.k);
            bootstrap["nu"] = JsonInterval(b.nu);
            bootstrap["eps_s"] = JsonInterval(b.epsS);
            bootstrap["cones"] = {JsonNumber(b.coneDegrees[0]), JsonNumber(b.coneDegrees[1]),
                                  JsonNumber(b.coneDegrees[2])};
        }
        object["bootstrap"] = bootstrap;
    }
    return object;
}

}  // namespace

int RunSections(const SectionsRequest& request, char decimalSeparator, StandardOutput& output) {
    std::vector<SampleStudy> studies;
    try {
        studies = ellipsoid::StudySections(request.table, decimalSeparator);
    } catch (const std::exception& error) {
        std::cerr << request.table << ": " << error.what() << '\n';
        return 1;
    }
    if (request.bootstrap > 0) {
        const auto progress = StandardErrorProgress(request.table + ": bootstrap");
        ellipsoid::BootstrapStudies(studies, request.bootstrap, request.seed, request.levelPercent,
                                    progress.get());
    }
    bool all = true;
    for (std::size_t i = 0; i < studies.size(); ++i) {
        const SampleStudy& study = studies[i];
        if (!study.fit) {
            std::cerr << request.table << ": " << study.refusal << '\n';
            all = false;
            continue;
        }
        if (study.bootstrap) all = all && study.bootstrap->estimated;
        if (request.json) {
            output.Write(JsonLine(StudyJson(study)));
        } else {
            output.Write((i > 0 ? "\n" : "") + Text(study, request.table, decimalSeparator));
        }
    }
    if (request.plots.Any()) {
        try {
            SaveSectionsPlots(studies, request.table, request.plots, decimalSeparator,
                              request.levelPercent);
        } catch (const std::exception& error) {
            std::cerr << request.table << ": " << error.what() << '\n';
            return 1;
        }
    }
    return all && !output.Failure() ? 0 : 1;
}

}  // namespace varnel::cli
