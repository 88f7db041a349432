#include "input/sections_table.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>

#include "core/number_format.h"
#include "core/varnel_error.h"
#include "input/column_table.h"
#include "input/text_lines.h"
#include "input/text_to_float.h"

namespace varnel {

namespace {

constexpr std::size_t kLongestSectionsLine = 1 << 16;
// Angles beyond a turn either way are typing errors rather than directions.
constexpr double kTurn = 360.0;
constexpr double kRightAngle = 90.0;
// The fit weighs R against 1/R: beyond 10⁶ their squares part by more than 10¹², and fewer
// than four of a double's digits are left for the shorter axis.
constexpr double kLargestRatio = 1e6;
// Far more sections than any study measures; the fit of this many takes about a second.
constexpr std::size_t kMostSections = 10000;

// The columns a sections table may name; −1 where it names none.
struct SectionColumns {
    int sample = -1, name = -1, strike = -1, dip = -1, file = -1, R = -1, phi = -1;
};

// The role a header cell gives its column ("R", "phi", …), or its own name for others.
std::string RoleOf(const std::string& name) {
    if (name == "name" || name == "section") return "name";
    if (name == "r" || name == "rs") return "R";
    if (name == "phi" || name == "φ" || name == "phis" || name == "φs") return "phi";
    return name;
}

SectionColumns ColumnsOf(const std::vector<std::string>& header) {
    SectionColumns columns;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string role = RoleOf(ColumnName(header[i]));
        const int column = static_cast<int>(i);
        if (role == "sample") columns.sample = column;
        if (role == "name") columns.name = column;
        if (role == "strike") columns.strike = column;
        if (role == "dip") columns.dip = column;
        if (role == "file") columns.file = column;
        if (role == "R") columns.R = column;
        if (role == "phi") columns.phi = column;
    }
    return columns;
}

// The first column (from 1) whose header repeats an earlier one, as "columns 2 and 5 both
// name R"; empty when none does. A repeated column would leave one of two values unread.
std::string RepeatedColumn(const std::vector<std::string>& header) {
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string role = RoleOf(ColumnName(header[i]));
        if (role.empty()) continue;
        for (std::size_t j = 0; j < i; ++j) {
            if (RoleOf(ColumnName(header[j])) == role) {
                return "columns " + std::to_string(j + 1) + " and " + std::to_string(i + 1) +
                       " both name " + role;
            }
        }
    }
    return {};
}

std::string Cell(const std::vector<std::string>& cells, int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return {};
    return std::string(CellText(cells[static_cast<std::size_t>(column)]));
}

class TableReader {
public:
    explicit TableReader(char separator) : separator_(separator) {}

    // The cell as a number: "," is its decimal point where it does not separate cells.
    std::optional<double> Number(const std::vector<std::string>& cells, int column,
                                 const char* what, int line) const {
        const std::string text = Cell(cells, column);
        if (text.empty()) return std::nullopt;
        const char decimal = separator_ != ',' && text.find(',') != std::string::npos ? ',' : '.';
        const std::optional<long double> value = TextToFloat(text, decimal);
        if (!value || !std::isfinite(double(*value))) {
            Fail(line, std::string(what) + " '" + text + "' is not a number");
        }
        return double(*value);
    }

    // The cell as a number between lo and hi, both included.
    std::optional<double> Between(const std::vector<std::string>& cells, int column,
                                  const char* what, int line, double lo, double hi) const {
        const std::optional<double> value = Number(cells, column, what, line);
        if (value && !(*value >= lo && *value <= hi)) {
            Fail(line, std::string(what) + " '" + Cell(cells, column) + "' is not between " +
                           FormatPrintf("%.0f", lo, '.') + " and " + FormatPrintf("%.0f", hi, '.'));
        }
        return value;
    }

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw SectionsTableError(Where(line) + what);
    }

    // The caller names the table: the reader names the line.
    static std::string Where(int line) {
        return line > 0 ? "line " + std::to_string(line) + ": " : std::string();
    }

private:
    char separator_;
};

// A strike in [0°, 360°) and a φ in (−90°, 90°]: the remainders are exact in floating point.
double ReducedStrike(double degrees) {
    const double strike = std::fmod(degrees, 360.0);
    return strike < 0.0 && strike + 360.0 < 360.0 ? strike + 360.0 : std::max(strike, 0.0);
}

double ReducedPhi(double degrees) {
    const double phi = std::remainder(degrees, 180.0);
    return phi == -90.0 ? 90.0 : phi;
}

}  // namespace

std::vector<SectionRow> ReadSectionsTable(const std::string& path) {
    std::unique_ptr<TextLines> lines;
    try {
        lines = std::make_unique<TextLines>(path);
    } catch (const std::exception& error) {
        const std::string detail = UserDetailOf(error);
        throw SectionsTableError(std::string("cannot read the table (") + error.what() + ")" +
                                 (detail.empty() ? "" : "\n" + detail));
    }
    std::string text;
    bool cut = false;
    int line = 0;
    // The header is the first line that is not blank.
    do {
        if (!lines->ReadLine(text, kLongestSectionsLine, cut)) {
            throw SectionsTableError("the table is empty");
        }
        ++line;
    } while (text.find_first_not_of(" \t") == std::string::npos);
    // Lines ending in CR alone read as one line: say so rather than what that line would give.
    if (lines->LoneCarriageReturnSeen()) {
        throw SectionsTableError(
            "the lines of the table end in CR only (old Mac OS text), so it reads as one line: "
            "convert its line ends to LF, e.g. tr '\\r' '\\n' < " +
            path + " > unix.csv");
    }
    const char separator = HeaderSeparator(text) != 0 ? HeaderSeparator(text) : ',';
    const TableReader reader(separator);
    if (cut) reader.Fail(line, "the header is longer than 64 KiB");
    const std::vector<std::string> header = SplitCells(text, separator);
    if (const std::string repeated = RepeatedColumn(header); !repeated.empty()) {
        reader.Fail(line, repeated);
    }
    const SectionColumns columns = ColumnsOf(header);
    if (columns.strike < 0 || columns.dip < 0 ||
        (columns.file < 0 && (columns.R < 0 || columns.phi < 0))) {
        reader.Fail(line, "the header must name the columns strike and dip, and file or R and phi");
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::vector<SectionRow> rows;
    while (lines->ReadLine(text, kLongestSectionsLine, cut)) {
        ++line;
        if (cut) reader.Fail(line, "the line is longer than 64 KiB");
        if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
        const std::vector<std::string> cells = SplitCells(text, separator);
        // Empty cells past the header (a trailing separator) say nothing; others would be lost.
        for (std::size_t c = header.size(); c < cells.size(); ++c) {
            if (!CellText(cells[c]).empty()) {
                reader.Fail(line, "column " + std::to_string(c + 1) + " holds '" +
                                      std::string(CellText(cells[c])) + "' but the header names " +
                                      std::to_string(header.size()) + " columns");
            }
        }
        SectionRow row;
        row.line = line;
        row.sample = Cell(cells, columns.sample);
        row.name = Cell(cells, columns.name);
        if (row.name.empty()) row.name = "line " + std::to_string(line);
        const std::optional<double> strike =
            reader.Between(cells, columns.strike, "strike", line, -kTurn, kTurn);
        const std::optional<double> dip =
            reader.Between(cells, columns.dip, "dip", line, 0.0, kRightAngle);
        if (!strike || !dip) reader.Fail(line, "a section needs its strike and dip");
        row.strikeDegrees = ReducedStrike(*strike);
        row.dipDegrees = *dip;
        const std::string file = Cell(cells, columns.file);
        if (!file.empty() &&
            (!Cell(cells, columns.R).empty() || !Cell(cells, columns.phi).empty())) {
            reader.Fail(line, "give either a file or R and phi, not both");
        }
        if (rows.size() == kMostSections) {
            reader.Fail(line,
                        "a table holds at most " + std::to_string(kMostSections) + " sections");
        }
        if (!file.empty()) {
            const std::filesystem::path given(file);
            row.file = (given.is_absolute() ? given : folder / given).string();
        } else {
            const std::optional<double> R =
                reader.Between(cells, columns.R, "R", line, 1.0, kLargestRatio);
            const std::optional<double> phi =
                reader.Between(cells, columns.phi, "phi", line, -kTurn, kTurn);
            if (!R || !phi) reader.Fail(line, "a section needs a file or its R and phi");
            row.hasStrain = true;
            row.R = *R;
            row.phiDegrees = ReducedPhi(*phi);
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace varnel
