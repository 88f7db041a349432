#include "app/methods_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/number_format.h"
#include "methods/bootstrap.h"

namespace varnel::app {
namespace {

constexpr const char* kNoEstimate = "—";

// Numbers on screen as the report writes them: three decimals, the user's separator.
std::string NumberRange(double lo, double hi, char separator) {
    return FormatFixed3(lo, separator) + " – " + FormatFixed3(hi, separator);
}

std::string PValue(double p, char separator) {
    return p < 0.001 ? "< " + FormatFixed3(0.001, separator) : FormatFixed3(p, separator);
}

// Numbers in the CSV file: ten significant digits and `separator`, whatever the C library's
// locale.
std::string FileNumber(double value, char separator) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 10).ptr;
    std::string number(text, end);
    std::replace(number.begin(), number.end(), '.', separator);
    return number;
}

// One estimator with what applies to it; the screen and the CSV file format it each their way.
struct EstimatorRow {
    const char* name;
    std::optional<double> R, phi;
    std::optional<ValueRange> RRange, phiRange;
    const methods::EstimatorBootstrap* bootstrap;  // null without a bootstrap or for none
    std::string notes;
    std::optional<methods::BootstrapIntervals> Intervals() const {
        return bootstrap ? bootstrap->intervals : std::nullopt;
    }
    std::optional<methods::BootstrapRegion> Region() const {
        return bootstrap ? bootstrap->region : std::nullopt;
    }
};

// Bootstrap notes: the count of resamples, and of those an estimator failed on.
std::string ResampleNote(const std::optional<methods::BootstrapResult>& b) {
    if (!b) return "";
    std::string note = "bootstrap of " + std::to_string(b->B) + " resamples";
    if (b->t2.failed > 0) note += ", " + std::to_string(b->t2.failed) + " without estimate";
    return note;
}

std::string FailedNote(const std::optional<methods::BootstrapResult>& b) {
    if (!b || b->hyperbolicMean.failed == 0) return "";
    return ", " + std::to_string(b->hyperbolicMean.failed) + " resamples without estimate";
}

std::vector<EstimatorRow> EstimatorRows(const MethodsSummary& s, char separator) {
    const methods::MethodsResult& r = s.result;
    const methods::BootstrapResult* b = s.bootstrap ? &*s.bootstrap : nullptr;
    const methods::RfMaxMin& bounds = r.rfMaxMin;
    return {
        {"T²", r.t2.R, r.t2.phiDegrees, s.RRange, s.PhiRange, b ? &b->t2 : nullptr,
         ResampleNote(s.bootstrap)},
        {"Hyperbolic mean", r.hyperbolicMean.R, r.hyperbolicMean.phiDegrees, std::nullopt,
         std::nullopt, b ? &b->hyperbolicMean : nullptr,
         "κ = " + FormatFixed3(r.hyperbolicMean.kappa, separator) + FailedNote(s.bootstrap)},
        {"Harmonic mean", r.harmonicMean.R, r.harmonicMean.phiDegrees, std::nullopt, std::nullopt,
         nullptr, ""},
        {"Rf/φ bounds", bounds.Rs, std::nullopt, std::nullopt, std::nullopt, nullptr,
         bounds.caseName + ", Ri = " + FormatFixed3(bounds.Ri, separator) + ", Rf " +
             NumberRange(bounds.rfMin, bounds.rfMax, separator) + ", fluctuation " +
             FormatFixed3(bounds.fluctuationDegrees, separator) + "°"},
    };
}

// An interval on screen, or "undefined" where it has no ends (φ of a region holding zero strain).
std::string IntervalText(const methods::Interval& interval, char separator) {
    if (std::isnan(interval.lo) || std::isnan(interval.hi)) return "undefined";
    return NumberRange(interval.lo, interval.hi, separator);
}

// The screen's bootstrap cell: the marginal interval, why there is none, or "—" where none
// applies.
std::string IntervalCell(const EstimatorRow& row, int B,
                         methods::Interval methods::BootstrapIntervals::*which, char separator) {
    if (!row.bootstrap) return kNoEstimate;
    if (!row.bootstrap->intervals) return methods::NotEstimatedText(row.bootstrap->failed, B);
    return IntervalText((*row.bootstrap->intervals).*which, separator);
}

// The range over the bootstrap region, as IntervalCell.
std::string RegionCell(const EstimatorRow& row, int B,
                       methods::Interval methods::BootstrapRegion::*which, char separator) {
    if (!row.bootstrap) return kNoEstimate;
    if (!row.bootstrap->region) return methods::NotEstimatedText(row.bootstrap->failed, B);
    return IntervalText((*row.bootstrap->region).*which, separator);
}

struct TestRow {
    const char* name;
    const char* statistic;
    double value;
    std::optional<int> classes;
    double p;
    const char* rejected;  // the verdict when p < the significance level
    const char* kept;      // otherwise
    const char* Verdict() const {
        if (std::isnan(p)) return "Not tested: too many simulated sets had no estimate.";
        return p < kSignificanceLevel ? rejected : kept;
    }
};

std::vector<TestRow> TestRows(const methods::MethodsResult& r) {
    return {
        {"No strain", "F", r.noStrain.F, std::nullopt, r.noStrain.p,
         "Strained: the ellipses are not an unstrained isotropic set.",
         "No strain shown at the 5 % level."},
        {"Symmetry χ²", "χ²", r.symmetryChi2.chi2, r.symmetryChi2.classes, r.symmetryChi2.p,
         "Retro-deformed orientations are not uniform: the initial fabric was not random.",
         "No departure from uniform retro-deformed orientations shown at the 5 % level."},
        {"Symmetry index", "Isym", r.symmetryIndex.Isym, std::nullopt, r.symmetryIndex.p,
         "Asymmetric about the mean orientation: an initial fabric is likely.",
         "No asymmetry about the mean orientation shown at the 5 % level."},
    };
}

// The CSV conventions of a locale: spreadsheets that read ',' as the decimal point take ';'
// between cells.
struct CsvStyle {
    char decimal;
    char delimiter;
    explicit CsvStyle(char decimalSeparator)
        : decimal(decimalSeparator), delimiter(decimalSeparator == ',' ? ';' : ',') {}
};

std::string CsvField(const std::string& text, CsvStyle style) {
    if (text.find_first_of(std::string{style.delimiter, '"', '\r', '\n'}) == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvNumber(std::optional<double> value, CsvStyle style) {
    return value ? FileNumber(*value, style.decimal) : std::string();
}

// A bootstrap end in the CSV file: empty where it is undefined.
std::string CsvEnd(std::optional<double> value, CsvStyle style) {
    return value && !std::isnan(*value) ? FileNumber(*value, style.decimal) : std::string();
}

std::string CsvLine(const std::vector<std::string>& fields, CsvStyle style) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += style.delimiter;
        line += CsvField(fields[i], style);
    }
    return line + "\r\n";
}

}  // namespace

const char* const kFabricTestNote =
    "No strain: F test that the mean log-strain vector of the data is zero. Symmetry χ²: are the "
    "retro-deformed orientations uniform about the strain axis? Symmetry index: are the "
    "ellipses symmetric about their mean orientation? Each rejects about 5 % of sets without "
    "an initial fabric at the 5 % level (3.5 to 5.6 % in simulations); both symmetry "
    "tests take p from 999 sets (fewer above 1000 data) simulated from "
    "the data's retro-deformed ratios with random orientations. They see an imbricated fabric "
    "from a few dozen ellipses, a single-mode fabric only from hundreds. A fabric aligned with "
    "the strain, as an earlier strain leaves it, looks exactly like more strain to every Rf/φ "
    "method: no test here can see it, and the estimate then includes it.";

TextTable EstimatorTable(const MethodsSummary& summary, char separator) {
    const std::string level = " (" + std::to_string(summary.levelPercent) + " %)";
    TextTable table{{"Estimator", "R", "φ (°)", "R range" + level, "φ range" + level,
                     "Bootstrap R interval" + level, "Bootstrap φ interval" + level,
                     "Bootstrap R range" + level, "Bootstrap φ range" + level, "Notes"},
                    {}};
    const int B = summary.bootstrap ? summary.bootstrap->B : 0;
    for (const EstimatorRow& row : EstimatorRows(summary, separator)) {
        table.rows.push_back({
            row.name,
            row.R ? FormatFixed3(*row.R, separator) : kNoEstimate,
            row.phi ? FormatFixed3(*row.phi, separator) : kNoEstimate,
            row.RRange ? NumberRange(row.RRange->min, row.RRange->max, separator) : kNoEstimate,
            row.phiRange ? NumberRange(row.phiRange->min, row.phiRange->max, separator)
                         : kNoEstimate,
            IntervalCell(row, B, &methods::BootstrapIntervals::R, separator),
            IntervalCell(row, B, &methods::BootstrapIntervals::phiDegrees, separator),
            RegionCell(row, B, &methods::BootstrapRegion::R, separator),
            RegionCell(row, B, &methods::BootstrapRegion::phiDegrees, separator),
            row.notes,
        });
    }
    return table;
}

TextTable FabricTestTable(const methods::MethodsResult& result, char separator) {
    TextTable table{{"Test", "Statistic", "p", "Verdict (5 % level)"}, {}};
    for (const TestRow& row : TestRows(result)) {
        std::string statistic =
            std::string(row.statistic) + " = " + FormatFixed3(row.value, separator);
        if (row.classes) statistic += " (" + std::to_string(*row.classes) + " classes)";
        table.rows.push_back({row.name, statistic, PValue(row.p, separator), row.Verdict()});
    }
    return table;
}

std::string MethodsCsv(const MethodsSummary& summary, char decimalSeparator) {
    const CsvStyle style(decimalSeparator);
    const auto number = [&](std::optional<double> value) { return CsvNumber(value, style); };
    const auto end = [&](std::optional<double> value) { return CsvEnd(value, style); };
    std::string text =
        CsvLine({"estimator", "R", "phi_deg", "R_min", "R_max", "phi_min_deg", "phi_max_deg",
                 "level_percent", "bootstrap_R_lo", "bootstrap_R_hi", "bootstrap_phi_lo_deg",
                 "bootstrap_phi_hi_deg", "bootstrap_R_range_lo", "bootstrap_R_range_hi",
                 "bootstrap_phi_range_lo_deg", "bootstrap_phi_range_hi_deg", "notes"},
                style);
    for (const EstimatorRow& row : EstimatorRows(summary, decimalSeparator)) {
        const std::optional<methods::BootstrapIntervals> b = row.Intervals();
        const std::optional<methods::BootstrapRegion> r = row.Region();
        text += CsvLine(
            {row.name, number(row.R), number(row.phi),
             number(row.RRange ? std::optional(row.RRange->min) : std::nullopt),
             number(row.RRange ? std::optional(row.RRange->max) : std::nullopt),
             number(row.phiRange ? std::optional(row.phiRange->min) : std::nullopt),
             number(row.phiRange ? std::optional(row.phiRange->max) : std::nullopt),
             std::to_string(summary.levelPercent), end(b ? std::optional(b->R.lo) : std::nullopt),
             end(b ? std::optional(b->R.hi) : std::nullopt),
             end(b ? std::optional(b->phiDegrees.lo) : std::nullopt),
             end(b ? std::optional(b->phiDegrees.hi) : std::nullopt),
             end(r ? std::optional(r->R.lo) : std::nullopt),
             end(r ? std::optional(r->R.hi) : std::nullopt),
             end(r ? std::optional(r->phiDegrees.lo) : std::nullopt),
             end(r ? std::optional(r->phiDegrees.hi) : std::nullopt), row.notes},
            style);
    }
    text += "\r\n" + CsvLine({"test", "statistic", "value", "classes", "p", "verdict"}, style);
    for (const TestRow& row : TestRows(summary.result)) {
        text += CsvLine({row.name, row.statistic, number(row.value),
                         row.classes ? std::to_string(*row.classes) : std::string(), number(row.p),
                         row.Verdict()},
                        style);
    }
    return text;
}

}  // namespace varnel::app
