#include "app/methods_table.h"

#include <charconv>

#include "core/number_format.h"

namespace varnel::app {
namespace {

constexpr const char* kNone = "—";

// Numbers on screen as the report writes them: three decimals, the user's separator.
std::string Number(double value, char separator) { return FormatFixed3(value, separator); }

std::string NumberRange(double lo, double hi, char separator) {
    return Number(lo, separator) + " – " + Number(hi, separator);
}

std::string PValue(double p, char separator) {
    return p < 0.001 ? "< " + Number(0.001, separator) : Number(p, separator);
}

// Numbers in the CSV file: ten significant digits and '.', whatever the C library's locale.
std::string FileNumber(double value) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 10).ptr;
    return std::string(text, end);
}

// One estimator with what applies to it; the screen and the CSV file format it each their way.
struct EstimatorRow {
    const char* name;
    std::optional<double> R, phi;
    std::optional<ValueRange> RRange, phiRange;
    std::optional<methods::BootstrapIntervals> bootstrap;
    std::string notes;
};

std::vector<EstimatorRow> EstimatorRows(const MethodsSummary& s, char separator) {
    const methods::MethodsResult& r = s.result;
    std::optional<methods::BootstrapIntervals> t2Intervals, meanIntervals;
    std::string bootstrapNote;
    if (s.bootstrap) {
        t2Intervals = s.bootstrap->t2;
        meanIntervals = s.bootstrap->hyperbolicMean;
        bootstrapNote = "bootstrap of " + std::to_string(s.bootstrap->B) + " resamples";
        if (s.bootstrap->failed > 0) {
            bootstrapNote += ", " + std::to_string(s.bootstrap->failed) + " without estimate";
        }
    }
    const methods::RfMaxMin& bounds = r.rfMaxMin;
    return {
        {"T²", r.t2.R, r.t2.phiDegrees, s.RRange, s.PhiRange, t2Intervals, bootstrapNote},
        {"Hyperbolic mean", r.hyperbolicMean.R, r.hyperbolicMean.phiDegrees, std::nullopt,
         std::nullopt, meanIntervals, "κ = " + Number(r.hyperbolicMean.kappa, separator)},
        {"Harmonic mean", r.harmonicMean.R, r.harmonicMean.phiDegrees, std::nullopt, std::nullopt,
         std::nullopt, ""},
        {"Rf/φ bounds", bounds.Rs, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
         bounds.caseName + ", Ri = " + Number(bounds.Ri, separator) + ", Rf " +
             NumberRange(bounds.rfMin, bounds.rfMax, separator) + ", fluctuation " +
             Number(bounds.fluctuationDegrees, separator) + "°"},
    };
}

struct TestRow {
    const char* name;
    const char* statistic;
    double value;
    std::optional<int> classes;
    double p;
    const char* rejected;  // the verdict when p < the significance level
    const char* kept;      // otherwise
    const char* Verdict() const { return p < kSignificanceLevel ? rejected : kept; }
};

std::vector<TestRow> TestRows(const methods::MethodsResult& r) {
    return {
        {"No strain", "F", r.noStrain.F, std::nullopt, r.noStrain.p,
         "Strained: the ellipses are not an unstrained isotropic set.",
         "No strain shown at the 5 % level."},
        {"Symmetry χ²", "χ²", r.symmetryChi2.chi2, r.symmetryChi2.classes, r.symmetryChi2.p,
         "Retro-deformed orientations are not uniform: the initial fabric was not random.",
         "Retro-deformed orientations are uniform, as for a random initial fabric."},
        {"Symmetry index", "Isym", r.symmetryIndex.Isym, std::nullopt, r.symmetryIndex.p,
         "Asymmetric about the mean orientation: an initial fabric is likely.",
         "Symmetric about the mean orientation."},
    };
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvNumber(std::optional<double> value) {
    return value ? FileNumber(*value) : std::string();
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += (i > 0 ? "," : "") + CsvField(fields[i]);
    }
    return line + "\r\n";
}

}  // namespace

TextTable EstimatorTable(const MethodsSummary& summary, char separator) {
    const std::string level = " (" + std::to_string(summary.levelPercent) + " %)";
    TextTable table{{"Estimator", "R", "φ (°)", "R range" + level, "φ range" + level,
                     "Bootstrap R" + level, "Bootstrap φ" + level, "Notes"},
                    {}};
    for (const EstimatorRow& row : EstimatorRows(summary, separator)) {
        const auto& b = row.bootstrap;
        table.rows.push_back({
            row.name,
            row.R ? Number(*row.R, separator) : kNone,
            row.phi ? Number(*row.phi, separator) : kNone,
            row.RRange ? NumberRange(row.RRange->min, row.RRange->max, separator) : kNone,
            row.phiRange ? NumberRange(row.phiRange->min, row.phiRange->max, separator) : kNone,
            b ? NumberRange(b->R.lo, b->R.hi, separator) : kNone,
            b ? NumberRange(b->phiDegrees.lo, b->phiDegrees.hi, separator) : kNone,
            row.notes,
        });
    }
    return table;
}

TextTable FabricTestTable(const methods::MethodsResult& result, char separator) {
    TextTable table{{"Test", "Statistic", "p", "Verdict (5 % level)"}, {}};
    for (const TestRow& row : TestRows(result)) {
        std::string statistic = std::string(row.statistic) + " = " + Number(row.value, separator);
        if (row.classes) statistic += " (" + std::to_string(*row.classes) + " classes)";
        table.rows.push_back({row.name, statistic, PValue(row.p, separator), row.Verdict()});
    }
    return table;
}

std::string MethodsCsv(const MethodsSummary& summary) {
    std::string text = CsvLine({"estimator", "R", "phi_deg", "R_min", "R_max", "phi_min_deg",
                                "phi_max_deg", "level_percent", "bootstrap_R_lo", "bootstrap_R_hi",
                                "bootstrap_phi_lo_deg", "bootstrap_phi_hi_deg", "notes"});
    for (const EstimatorRow& row : EstimatorRows(summary, '.')) {
        const auto& b = row.bootstrap;
        text += CsvLine({row.name, CsvNumber(row.R), CsvNumber(row.phi),
                         CsvNumber(row.RRange ? std::optional(row.RRange->min) : std::nullopt),
                         CsvNumber(row.RRange ? std::optional(row.RRange->max) : std::nullopt),
                         CsvNumber(row.phiRange ? std::optional(row.phiRange->min) : std::nullopt),
                         CsvNumber(row.phiRange ? std::optional(row.phiRange->max) : std::nullopt),
                         std::to_string(summary.levelPercent),
                         CsvNumber(b ? std::optional(b->R.lo) : std::nullopt),
                         CsvNumber(b ? std::optional(b->R.hi) : std::nullopt),
                         CsvNumber(b ? std::optional(b->phiDegrees.lo) : std::nullopt),
                         CsvNumber(b ? std::optional(b->phiDegrees.hi) : std::nullopt), row.notes});
    }
    text += "\r\n" + CsvLine({"test", "statistic", "value", "classes", "p", "verdict"});
    for (const TestRow& row : TestRows(summary.result)) {
        text += CsvLine({row.name, row.statistic, CsvNumber(row.value),
                         row.classes ? std::to_string(*row.classes) : std::string(),
                         CsvNumber(row.p), row.Verdict()});
    }
    return text;
}

}  // namespace varnel::app
