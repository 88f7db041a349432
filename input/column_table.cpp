#include "input/column_table.h"

#include <array>
#include <cmath>
#include <optional>

#include "core/checked_math.h"
#include "core/orientation.h"
#include "core/varnel_error.h"
#include "input/byte_reader.h"
#include "input/data_file.h"
#include "input/text_to_float.h"

namespace varnel {

namespace {

constexpr const char* kNoLayoutMessage =
    "The table's header names none of the accepted column sets: Major, Minor and Angle "
    "(ImageJ's fitted ellipses); R or Rf with phi, φ or angle; Max and Min, or a and b, with "
    "phi, φ or angle.";

bool IsNumber(std::string_view text) {
    return TextToFloat(text, '.').has_value() || TextToFloat(text, ',').has_value();
}

// The 0-based column holding one of `names`, or -1; the first such column wins.
int FindColumn(const std::vector<std::string>& names,
               std::initializer_list<std::string_view> wanted) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (const std::string_view name : wanted) {
            if (names[i] == name) return static_cast<int>(i);
        }
    }
    return -1;
}

// Refuses a header in which a column the layout reads is named twice (`R,Rf,phi`): which of
// the two holds the data cannot be told, and the choice changes the strain.
void RefuseRepeatedColumn(const std::vector<std::string>& names, int column,
                          std::initializer_list<std::string_view> wanted, const char* role) {
    for (std::size_t i = static_cast<std::size_t>(column) + 1; i < names.size(); ++i) {
        for (const std::string_view name : wanted) {
            if (names[i] != name) continue;
            throw VarnelError("The table's header names " + std::string(role) +
                              " twice, in columns " + std::to_string(column + 1) + " and " +
                              std::to_string(i + 1) +
                              ": keep one, or choose the columns with varnel-cli --columns "
                              "R=COL,phi=COL.");
        }
    }
}

std::vector<std::string> HeaderNames(std::string_view header, char separator) {
    std::vector<std::string> names;
    for (const std::string& cell : SplitCells(header, separator)) names.push_back(ColumnName(cell));
    return names;
}

// One cell as a number; nothing for an empty or missing cell. `where` names the row for the
// detail of an error.
std::optional<double> CellValue(const std::vector<std::string>& cells, int column,
                                const std::string& where) {
    if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return std::nullopt;
    const std::string_view text = CellText(cells[static_cast<std::size_t>(column)]);
    if (text.empty()) return std::nullopt;
    const char decimalSeparator = text.find(',') != std::string_view::npos ? ',' : '.';
    return ConvertDataField(text, decimalSeparator,
                            "in column " + std::to_string(column + 1) + where + " is not a number");
}

// The column a choice names: a 1-based number, or a name matched as header names are.
int ChosenColumn(const std::vector<std::string>& names, const std::string& choice) {
    const bool number =
        !choice.empty() && choice.find_first_not_of("0123456789") == std::string::npos;
    if (number) {
        const std::size_t column = choice.size() > 6 ? 0 : std::stoul(choice);
        if (column < 1 || column > names.size()) {
            throw VarnelError("Column " + choice + " is not among the table's " +
                              std::to_string(names.size()) + " columns.");
        }
        return static_cast<int>(column - 1);
    }
    const int column = FindColumn(names, {ColumnName(choice)});
    if (column < 0) throw VarnelError("The table's header has no column \"" + choice + "\".");
    return column;
}

}  // namespace

std::vector<std::string> SplitCells(std::string_view line, char separator) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        std::string& cell = cells.back();
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            cell += '"';
            ++i;
        } else if (c == '"' && (quoted || CellText(cell).empty())) {
            quoted = !quoted;
            cell += c;
        } else if (c == separator && !quoted) {
            cells.emplace_back();
        } else {
            cell += c;
        }
    }
    return cells;
}

std::string_view CellText(std::string_view cell) {
    const auto trim = [](std::string_view text) {
        while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
            text.remove_prefix(1);
        while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
            text.remove_suffix(1);
        return text;
    };
    cell = trim(cell);
    for (const char quote : {'"', '\''}) {
        if (cell.size() >= 2 && cell.front() == quote && cell.back() == quote) {
            return trim(cell.substr(1, cell.size() - 2));
        }
    }
    // A quote left open by a cut line: read what follows it.
    if (!cell.empty() && cell.front() == '"') return trim(cell.substr(1));
    return cell;
}

std::string ColumnName(std::string_view cell) {
    std::string_view text = CellText(cell);
    if (text.starts_with(kUtf8ByteOrderMark))
        text = CellText(text.substr(kUtf8ByteOrderMark.size()));
    std::string name;
    for (const char c : text) name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    for (const std::string_view phi : {"\xCE\xA6", "\xCF\x95"}) {  // Φ, ϕ
        if (name == phi) name = "\xCF\x86";                        // φ
    }
    return name;
}

char HeaderSeparator(std::string_view header) {
    std::array<std::pair<char, int>, 3> counts{{{'\t', 0}, {';', 0}, {',', 0}}};
    bool quoted = false;
    for (const char c : header) {
        if (c == '"') quoted = !quoted;
        for (auto& [separator, count] : counts) {
            if (c == separator && !quoted) ++count;
        }
    }
    char best = 0;
    int bestCount = 0;
    for (const auto& [separator, count] : counts) {
        if (count > bestCount) {
            best = separator;
            bestCount = count;
        }
    }
    return best;
}

bool IsHeaderLine(std::string_view line) {
    const char separator = HeaderSeparator(line);
    if (separator == 0) return false;
    bool named = false;
    for (const std::string& cell : SplitCells(line, separator)) {
        std::string_view text = CellText(cell);
        if (text.starts_with(kUtf8ByteOrderMark))
            text = CellText(text.substr(kUtf8ByteOrderMark.size()));
        if (IsNumber(text)) return false;
        named = named || !text.empty();
    }
    return named;
}

TableColumns DetectColumns(std::string_view header) {
    TableColumns columns;
    columns.separator = HeaderSeparator(header);
    const std::vector<std::string> names = HeaderNames(header, columns.separator);
    const int angle = FindColumn(names, {"phi", "\xCF\x86", "angle"});
    const int major = FindColumn(names, {"major"}), minor = FindColumn(names, {"minor"});
    const int fitAngle = FindColumn(names, {"angle"});
    const int ratio = FindColumn(names, {"r", "rf"});
    const int max = FindColumn(names, {"max"}), min = FindColumn(names, {"min"});
    const int a = FindColumn(names, {"a"}), b = FindColumn(names, {"b"});
    if (major >= 0 && minor >= 0 && fitAngle >= 0) {
        columns = {ColumnLayout::FitEllipse, columns.separator, major, minor, fitAngle};
    } else if (ratio >= 0 && angle >= 0) {
        columns = {ColumnLayout::RatioAndAngle, columns.separator, ratio, -1, angle};
    } else if (max >= 0 && min >= 0 && angle >= 0) {
        columns = {ColumnLayout::Axes, columns.separator, max, min, angle};
    } else if (a >= 0 && b >= 0 && angle >= 0) {
        columns = {ColumnLayout::Axes, columns.separator, a, b, angle};
    } else {
        throw VarnelError(kNoLayoutMessage);
    }
    if (columns.layout == ColumnLayout::RatioAndAngle) {
        RefuseRepeatedColumn(names, ratio, {"r", "rf"}, "R");
        RefuseRepeatedColumn(names, angle, {"phi", "\xCF\x86", "angle"}, "phi");
    } else if (columns.layout == ColumnLayout::FitEllipse) {
        RefuseRepeatedColumn(names, major, {"major"}, "Major");
        RefuseRepeatedColumn(names, minor, {"minor"}, "Minor");
        RefuseRepeatedColumn(names, fitAngle, {"angle"}, "Angle");
    }
    columns.cells = names.size();
    return columns;
}

TableColumns ChosenColumns(std::string_view header, const ColumnChoice& choice) {
    TableColumns columns;
    columns.separator = HeaderSeparator(header);
    const std::vector<std::string> names = HeaderNames(header, columns.separator);
    columns.first = ChosenColumn(names, choice.ratio);
    columns.angle = ChosenColumn(names, choice.angle);
    columns.cells = names.size();
    if (columns.first == columns.angle) {
        throw VarnelError("R and phi are chosen from one column, column " +
                          std::to_string(columns.first + 1) + ".");
    }
    return columns;
}

RowEllipse ReadRow(std::string_view line, const TableColumns& columns, const std::string& where) {
    const std::vector<std::string> cells = SplitCells(line, columns.separator);
    if (cells.size() > columns.cells) {
        return {.why = "it has " + std::to_string(cells.size()) + " cells, the header " +
                       std::to_string(columns.cells)};
    }
    const std::optional<double> first = CellValue(cells, columns.first, where);
    const std::optional<double> second = columns.layout == ColumnLayout::RatioAndAngle
                                             ? first
                                             : CellValue(cells, columns.second, where);
    const std::optional<double> angle = CellValue(cells, columns.angle, where);
    if (!first || !second || !angle)
        return {.why = "a cell the ellipse is read from is empty or missing"};
    RowEllipse row{true, *first, ReduceHalfTurns(*angle), {}};
    // R = Major / Minor or Max / Min, the quotient in extended precision like the estimation's;
    // an axis is a length.
    if (columns.layout != ColumnLayout::RatioAndAngle) {
        if (!(*first > 0) || !(*second > 0)) return {.why = "an axis is zero or negative"};
        row.ratio = StoreDouble(CheckedDivide(*first, *second));
    }
    return row;
}

}  // namespace varnel
