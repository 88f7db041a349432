#include "app/ellipsoid_table.h"

#include <cmath>
#include <cstdio>

#include "core/number_format.h"

namespace varnel::app {
namespace {

constexpr const char* kNoValue = "—";
constexpr const char* kUndefined = "undefined";

std::string Plane(const ellipsoid::Plane& plane, char separator) {
    return FormatAngle("%.1f", plane.strikeDegrees, 0.0, 360.0, true, separator) + "/" +
           FormatQuantity("%.1f", plane.dipDegrees, separator);
}

}  // namespace

TextTable SectionsTable(const std::vector<ellipsoid::SampleStudy>& studies, char separator) {
    TextTable table{{"Sample", "Section", "Strike/dip", "N", "R", "φ", "Misfit"}, {}};
    for (const ellipsoid::SampleStudy& study : studies) {
        for (std::size_t j = 0; j < study.sections.size(); ++j) {
            const ellipsoid::StudiedSection& s = study.sections[j];
            table.rows.push_back(
                {study.sample, s.strain.name, Plane(s.strain.plane, separator),
                 s.N > 0 ? std::to_string(s.N) : kNoValue,
                 FormatQuantity("%.4f", s.strain.R, separator),
                 FormatAngle("%.2f", s.strain.phiDegrees, -90.0, 180.0, false, separator),
                 study.fit ? FormatQuantity("%.4f", study.fit->misfits[j], separator) : kNoValue});
        }
    }
    return table;
}

TextTable EllipsoidTable(const ellipsoid::SampleStudy& study, char separator) {
    const ellipsoid::EllipsoidFit& fit = *study.fit;
    const ellipsoid::EllipsoidBootstrap* b =
        study.bootstrap && study.bootstrap->estimated ? &*study.bootstrap : nullptr;
    auto n = [separator](double value) { return FormatQuantity("%.4f", value, separator); };
    auto interval = [&](const methods::Interval* i) {
        return b == nullptr ? std::string(kNoValue) : n(i->lo) + " – " + n(i->hi);
    };
    const std::string level = b == nullptr ? "" : " (" + std::to_string(b->levelPercent) + " %)";
    TextTable table{{"Quantity", "Value", "Bootstrap" + level}, {}};
    const double X = fit.axes[0].length, Y = fit.axes[1].length, Z = fit.axes[2].length;
    table.rows.push_back({"X : Y : Z", n(X) + " : " + n(Y) + " : " + n(Z), kNoValue});
    table.rows.push_back({"X/Y", n(X / Y), interval(b ? &b->XY : nullptr)});
    table.rows.push_back({"Y/Z", n(Y / Z), interval(b ? &b->YZ : nullptr)});
    table.rows.push_back({"X/Z", n(X / Z), interval(b ? &b->XZ : nullptr)});
    constexpr const char* kAxes[] = {"X axis (trend/plunge)", "Y axis (trend/plunge)",
                                     "Z axis (trend/plunge)"};
    for (std::size_t i = 0; i < 3; ++i) {
        const ellipsoid::Line& line = fit.axes[i].line;
        table.rows.push_back(
            {kAxes[i],
             fit.axes[i].defined
                 ? FormatAngle("%05.1f", line.trendDegrees, 0.0, 360.0, true, separator) + "/" +
                       FormatAngle("%04.1f", line.plungeDegrees, -90.0, 180.0, false, separator)
                 : kUndefined,
             b == nullptr ? kNoValue
                          : "cone " + FormatQuantity("%.1f", b->coneDegrees[i], separator) + "°"});
    }
    table.rows.push_back({"Flinn k", n(fit.shape.k), interval(b ? &b->k : nullptr)});
    table.rows.push_back({"Lode ν", n(fit.shape.nu), interval(b ? &b->nu : nullptr)});
    table.rows.push_back({"ε_s", n(fit.shape.epsS), interval(b ? &b->epsS : nullptr)});
    table.rows.push_back({"Incompatibility", n(fit.incompatibility), kNoValue});
    if (fit.held) {
        table.rows.push_back({"Held", "at X/Z = (largest R)²", "flatter would fit ever closer"});
    }
    return table;
}

}  // namespace varnel::app
