#pragma once

#include <cstddef>
#include <cstdint>

namespace varnel::fuzz {

// Entry functions shared by the libFuzzer targets and the corpus replay of the normal build.
// Each takes one input, runs it the way the program would, and returns normally for every input
// that the program answers with a result or a message; a crash, a hang or a sanitizer report is
// a fault. Inputs are written to a private temporary folder, because the readers take paths.

/// Counts, parses (with the decimal point and then the decimal comma) and validates `data` as
/// File > Open reads it: a data file, a table with a header line or a GeoJSON file; a table
/// once more with its columns chosen as the user may ("1" and "Phi"), and the file once more
/// under a .geojson name when that name changes how it is read.
void RunDataFileReader(const std::uint8_t* data, std::size_t size);

/// Loads and checks `data` as finv.dat, as the program does at start, over three analysed
/// ellipses, then changes the confidence level to each of the three levels and draws the plots.
void RunQuantileTable(const std::uint8_t* data, std::size_t size);

/// The first byte picks the decimal separator and the confidence level; the rest is a data file
/// opened through the pipeline the window and varnel-cli share; an analysed file then has its
/// plots drawn, its T² grid made (for a few data) and its confidence level changed.
void RunHeadlessAnalysis(const std::uint8_t* data, std::size_t size);

}  // namespace varnel::fuzz
