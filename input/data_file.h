#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/analysis_state.h"

namespace varnel {

/// How counting a chosen data file ended.
enum class CountOutcome {
    Counted,      ///< DataFileName and DataCount describe the file
    Unreadable,   ///< the file could not be opened or read; nothing changed
    TooManyData,  ///< more lines than the capacity; nothing changed
};

/// Counts the lines of the file the user chose (the dialog is the caller's) and, on success,
/// stores the path in DataFileName, the count in DataCount and 1 in DataFirstLine. A file of
/// more than 10000 lines is refused before anything is stored; anything but a regular file is
/// unreadable. `detail`, when given, says why in English: the I/O error (IoErrorDetail), or
/// how many lines the file holds against the limit.
CountOutcome ChooseAndCountDataFile(AnalysisState& state, const std::string& chosenPath,
                                    std::string* detail = nullptr);

/// The English line below "Too many data": how many `items` the file holds (below zero: more
/// than the limit, uncounted), and the limit.
std::string TooManyDataDetail(const std::string& path, long long count, const char* items);

/// Outcome of parsing: ok, or the 1-based number of the line without a separator.
struct ParseOutcome {
    bool ok = false;
    int line = 0;
    std::string detail;  ///< when not ok: the English line below the message, what the line holds
};

/// Reads R and φ (degrees, stored in radians) of lines 1 … DataCount of DataFileName into
/// RPost and PhiPost, numbers written with `decimalSeparator`. A line split at its first comma,
/// tab or blank whose fields are not both such numbers is read with "." as decimal point, or,
/// split at a comma, at its first tab or blank as two numbers with decimal commas. Throws
/// VarnelError for a field that is not a number ("'%s' は浮動小数点数ではありません", NUL shown as
/// "␀", a field over 200 cut there and marked "..."), a value too large for a double (overflow) and
/// I/O errors, each with a detail naming the field, its line and the file; lines before the
/// failure stay stored. A line's text (without characters up to 32 at
/// its ends) is held up to 1 MiB: a longer line fails as the field it is cut in, marked "...".
ParseOutcome ParseDataFile(AnalysisState& state, char decimalSeparator);

/// The largest axial ratio the program accepts. Past a ratio of about 1e4 the retro-deformation
/// in double precision moves the estimate by more than 1e-9 of R_s (the error grows as R²), and
/// from about 1e6 the T² grid ends in a floating-point fault; 100 keeps a margin of 100 in R.
inline constexpr double kLargestAxialRatio = 100.0;

/// Appends "Invalid R at line #k" to `memoLines` for every R below 1 or above
/// kLargestAxialRatio (NaN too), k being the file's line of the datum (datum i is on line
/// i + DataFirstLine - 1); true when any was found. A GeoJSON outline above the limit never
/// gets here: its reader refuses it, naming the feature. `details`, when given, gets the
/// English line below each: the R read, where, and the range.
bool ValidateAxialRatios(const AnalysisState& state, std::vector<std::string>& memoLines,
                         std::vector<std::string>* details = nullptr);

/// Converts one field of a data line as the reader does: the runtime's conversion error
/// ("'%s' は浮動小数点数ではありません") for text that is not a number, its detail "'%s' " +
/// `where`
/// ("in column 2 on line 4 of a.csv is not a number"); overflow beyond a double.
double ConvertDataField(std::string_view field, char decimalSeparator, const std::string& where);

/// φ in degrees as the reader stores it: × π / 180 in extended precision, rounded to a double.
double DegreesToStoredRadians(double degrees);

/// True when ParseDataFile would read `line` (one line without its break) as a datum: it has
/// a separator and both fields convert to values within the range of a double.
bool IsDataLine(std::string_view line, char decimalSeparator);

}  // namespace varnel
