#pragma once

#include <optional>
#include <string>

#include "core/analysis_state.h"
#include "input/column_table.h"
#include "input/data_file.h"

namespace varnel {

/// Longest table line read whole; a longer row is invalid data at its line.
inline constexpr std::size_t kLongestTableLine = 1 << 20;

/// The count of a table file with a header line: finds its columns (the user's `choice`, or
/// the header's layout), counts the rows below the header and, within the capacity, stores
/// the path, DataCount = rows and DataFirstLine = 2. Unreadable (`unreadable`, when given,
/// says why) and TooManyData change nothing;
/// a header that matches no layout, or no row below the header, throws VarnelError before
/// anything is stored.
CountOutcome CountTableFile(AnalysisState& state, const std::string& path,
                            const std::optional<ColumnChoice>& choice, TableColumns& columns,
                            std::string* unreadable = nullptr);

/// Reads rows 1 … DataCount of the counted table into RPost and PhiPost (radians). A row that
/// ReadRow finds not valid, or longer than kLongestTableLine, fails with its line in
/// the file (row k is line k + 1). Errors of ReadRow and I/O errors leave the operation; rows
/// before the failure stay stored.
ParseOutcome ParseTableFile(AnalysisState& state, const TableColumns& columns);

}  // namespace varnel
