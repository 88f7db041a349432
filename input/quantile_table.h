#pragma once

#include <optional>
#include <string>

#include "core/analysis_state.h"

namespace varnel {

/// Reads "finv.dat" from `folder` (the folder of the running executable) into the three
/// F-quantile tables. Row N holds N and its three quantiles on one line: from the first row that
/// does not (a row missing, cut short or out of order) the entries are 0, as if the file ended
/// there. Returns false when no file of that name exists (a folder does not count). Throws
/// VarnelError with the I/O error text on a malformed number ("入力値が数値ではありません") or a
/// read error; rows read before it stay stored.
bool LoadFQuantileTable(AnalysisState& state, const std::string& folder);

/// The first N (3 … 10000) for which some level's table holds no usable quantile (0, as a
/// missing, cut, emptied or shifted finv.dat leaves it, a negative or zero value), or 0 when all
/// do.
int FirstNWithoutUsableQuantile(const AnalysisState& state);

/// LoadFQuantileTable and the check of every row, as the program does at start. Returns what
/// the user is told: the missing-file message, the damaged-table message when some N lacks a
/// usable quantile, nothing for a whole table. Throws as LoadFQuantileTable.
std::optional<std::string> LoadAndCheckFQuantileTable(AnalysisState& state,
                                                      const std::string& folder);

/// The English line below LoadAndCheckFQuantileTable's message: where the table was looked
/// for and what is wrong with it (missing, a folder, empty, the first N without a usable
/// quantile); empty for a whole table.
std::string FQuantileTableDetail(const AnalysisState& state, const std::string& folder);

}  // namespace varnel
