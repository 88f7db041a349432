#include "input/sections_table.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>

#include "input/column_table.h"
#include "input/text_lines.h"
#include "input/text_to_float.h"

namespace varnel {

namespace {

constexpr std::size_t kLongestLine = 1 << 16;

// The columns a sections table may name; −1 where it names none.
struct SectionColumns {
    int sample = -1, name = -1, strike = -1, dip = -1, file = -1, R = -1, phi = -1;
};

SectionColumns ColumnsOf(const std::vector<std::string>& header) {
    SectionColumns columns;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string name = ColumnName(header[i]);
        const int column = static_cast<int>(i);
        if (name == "sample") columns.sample = column;
        if (name == "name" || name == "section") columns.name = column;
        if (name == "strike") columns.strike = column;
        if (name == "dip") columns.dip = column;
        if (name == "file") columns.file = column;
        if (name == "r" || name == "rs") columns.R = column;
        if (name == "phi" || name == "φ" || name == "phis" || name == "φs") columns.phi = column;
    }
    return columns;
}

std::string Cell(const std::vector<std::string>& cells, int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return {};
    return std::string(CellText(cells[static_cast<std::size_t>(column)]));
}

class TableReader {
public:
    TableReader(std::string path, char separator) : path_(std::move(path)), separator_(separator) {}

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

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw SectionsTableError(Where(line) + what);
    }

    std::string Where(int line) const {
        const std::string name = std::filesystem::path(path_).filename().string();
        return line > 0 ? "line " + std::to_string(line) + " of " + name + ": " : name + ": ";
    }

private:
    std::string path_;
    char separator_;
};

}  // namespace

std::vector<SectionRow> ReadSectionsTable(const std::string& path) {
    std::unique_ptr<TextLines> lines;
    try {
        lines = std::make_unique<TextLines>(path);
    } catch (const std::exception& error) {
        throw SectionsTableError("cannot read the sections table " + path + " (" + error.what() +
                                 ")");
    }
    std::string text;
    bool cut = false;
    int line = 0;
    // The header is the first line that is not blank.
    do {
        if (!lines->ReadLine(text, kLongestLine, cut)) {
            throw SectionsTableError(TableReader(path, ',').Where(0) + "the table is empty");
        }
        ++line;
    } while (text.find_first_not_of(" \t") == std::string::npos);
    const char separator = HeaderSeparator(text) != 0 ? HeaderSeparator(text) : ',';
    const TableReader reader(path, separator);
    if (cut) reader.Fail(line, "the header is longer than 64 KiB");
    const SectionColumns columns = ColumnsOf(SplitCells(text, separator));
    if (columns.strike < 0 || columns.dip < 0 ||
        (columns.file < 0 && (columns.R < 0 || columns.phi < 0))) {
        reader.Fail(line, "the header must name the columns strike and dip, and file or R and phi");
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::vector<SectionRow> rows;
    while (lines->ReadLine(text, kLongestLine, cut)) {
        ++line;
        if (cut) reader.Fail(line, "the line is longer than 64 KiB");
        if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
        const std::vector<std::string> cells = SplitCells(text, separator);
        SectionRow row;
        row.line = line;
        row.sample = Cell(cells, columns.sample);
        row.name = Cell(cells, columns.name);
        if (row.name.empty()) row.name = "line " + std::to_string(line);
        const std::optional<double> strike = reader.Number(cells, columns.strike, "strike", line);
        const std::optional<double> dip = reader.Number(cells, columns.dip, "dip", line);
        if (!strike || !dip) reader.Fail(line, "a section needs its strike and dip");
        row.strikeDegrees = *strike;
        row.dipDegrees = *dip;
        if (const std::string file = Cell(cells, columns.file); !file.empty()) {
            const std::filesystem::path given(file);
            row.file = (given.is_absolute() ? given : folder / given).string();
        } else {
            const std::optional<double> R = reader.Number(cells, columns.R, "R", line);
            const std::optional<double> phi = reader.Number(cells, columns.phi, "phi", line);
            if (!R || !phi) reader.Fail(line, "a section needs a file or its R and phi");
            row.hasStrain = true;
            row.R = *R;
            row.phiDegrees = *phi;
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace varnel
