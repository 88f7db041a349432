#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// How the cells of one table row become an ellipse.
enum class ColumnLayout {
    FitEllipse,     ///< Major, Minor, Angle (0–180°): R = Major / Minor
    RatioAndAngle,  ///< R (or Rf) and φ, φ any number of degrees
    Axes,           ///< Max and Min (or a and b) and an angle: R = Max / Min
};

/// Where a table keeps R and φ: its cell separator and the 0-based columns of the layout.
struct TableColumns {
    ColumnLayout layout = ColumnLayout::RatioAndAngle;
    char separator = ',';
    int first = -1;   ///< Major, R or Max
    int second = -1;  ///< Minor or Min; unused for RatioAndAngle
    int angle = -1;
    std::size_t cells = 0;  ///< cells of the header; a row with more does not fit it
};

/// The columns of R and φ chosen by the user: each a column name or a 1-based column number.
struct ColumnChoice {
    std::string ratio;
    std::string angle;
};

/// Splits a table line into its cells at `separator`. A cell that starts (after blanks) with a
/// double quote runs to the closing quote, may hold the separator, and reads "" as one quote.
std::vector<std::string> SplitCells(std::string_view line, char separator);

/// A cell as its text is read: blanks and control characters, then surrounding double or
/// single quotes removed.
std::string_view CellText(std::string_view cell);

/// A header cell as it is matched: CellText without a leading byte-order mark, ASCII letters
/// in lower case, "Φ" and "ϕ" as "φ".
std::string ColumnName(std::string_view cell);

/// The cell separator of a header line: the tab, semicolon or comma that occurs most often
/// outside quotes (tab, then semicolon, on a tie); 0 when it holds none of them.
char HeaderSeparator(std::string_view header);

/// True when `line` reads as a header: at least two cells, none of them a number, not all
/// empty.
bool IsHeaderLine(std::string_view line);

/// The columns the header names, by the first layout that matches. Throws VarnelError naming
/// the accepted column names when none does.
TableColumns DetectColumns(std::string_view header);

/// The columns of `choice` in the header (names matched as ColumnName does), read as R and φ.
/// Throws VarnelError when a name is not in the header, a number is beyond its columns or both
/// name one column.
TableColumns ChosenColumns(std::string_view header, const ColumnChoice& choice);

/// One row as an ellipse: R and φ in degrees, reduced into (−90°, 90°]; with the row's validity
/// and its fault beside them, as an EllipseInDegrees has none.
struct RowEllipse {
    /// false when a cell the layout reads is empty or missing, the row has more cells than the
    /// header, or an axis of the Major/Minor or Max/Min layouts is zero or negative
    bool valid = false;
    double ratio = 0.0;
    double degrees = 0.0;
    std::string why;  ///< when not valid: what is wrong with the row, in English
};

/// Reads one row (not valid: see RowEllipse). A cell holding a comma reads it as the decimal
/// separator. Throws the reader's conversion error for a cell that is not a number, and the
/// floating-point error of a ratio that divides by zero or overflows. `where` (" on line 4 of
/// a.csv") ends the conversion error's detail, after the cell's column.
RowEllipse ReadRow(std::string_view line, const TableColumns& columns,
                   const std::string& where = {});

}  // namespace varnel
