#pragma once

#include <string>
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
/// stores the path in DataFileName and the count in DataCount. A file of more than 10000 lines
/// is refused before anything is stored (counting stops at line 10001); anything but a regular
/// file is unreadable.
CountOutcome ChooseAndCountDataFile(AnalysisState& state, const std::string& chosenPath);

/// Outcome of parsing: ok, or the 1-based number of the line without a separator.
struct ParseOutcome {
    bool ok = false;
    int line = 0;
};

/// Reads R and φ (degrees, stored in radians) of lines 1 … DataCount of DataFileName into
/// RPost and PhiPost, numbers written with `decimalSeparator`. Throws VarnelError for a field
/// that is not a number ("'%s' は浮動小数点数ではありません", NUL shown as "␀", a field over 200
/// cut there and marked "..."), a value too large for a double (overflow) and I/O errors; lines
/// before the failure stay stored. A line's text (without characters up to 32 at its ends) is
/// held up to 1 MiB: a longer line fails as the field it is cut in, marked "...".
ParseOutcome ParseDataFile(AnalysisState& state, char decimalSeparator);

/// Appends "Invalid R at line #k" to `memoLines` for every R below 1; true when any was found.
bool ValidateAxialRatios(const AnalysisState& state, std::vector<std::string>& memoLines);

}  // namespace varnel
