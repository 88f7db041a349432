#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace varnel {

/// One row of a sections table: a section of a sample, its plane, and either the data file it
/// was measured in or its own 2-D strain.
struct SectionRow {
    int line = 0;        ///< the row's line in the table, from 1
    std::string sample;  ///< empty when the table has no sample column
    std::string name;
    double strikeDegrees = 0.0;
    double dipDegrees = 0.0;
    std::string file;  ///< the data file, relative paths taken from the table's folder
    bool hasStrain = false;
    double R = 1.0;
    double phiDegrees = 0.0;
};

/// A sections table that cannot be read, with the reason and the line.
class SectionsTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Reads a sections table: a header naming `strike` and `dip` and either `file` or `R` and `phi`
/// (or "φ"), optionally `name` and `sample`, in any order and case, none twice; cells separated
/// by the tab, ";" or "," the header uses most; a number with a decimal comma where "," does not
/// separate. A row gives a file or R and φ, not both, and no cell beyond the header's; blank
/// lines are skipped; a table holds at most 10000 sections. Rows without a name are named by their
/// line. Strike and φ lie within ±360° and are reduced to [0°, 360°) and (−90°, 90°]; dip lies in
/// [0°, 90°] and R in [1, 10⁶]. Throws SectionsTableError naming the line (the caller names the
/// table).
std::vector<SectionRow> ReadSectionsTable(const std::string& path);

}  // namespace varnel
