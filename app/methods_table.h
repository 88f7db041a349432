#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "methods/methods.h"

namespace varnel::app {

/// What the Methods window tabulates for one analysis: the estimators and fabric tests, the
/// confidence ranges of the T² estimate at the chosen level, and the bootstrap once it has run.
struct MethodsSummary {
    methods::MethodsResult result;
    ValueRange RRange;
    ValueRange PhiRange;  // degrees
    int levelPercent = 95;
    std::optional<methods::BootstrapResult> bootstrap;
};

/// A table of text: its column headings and rows of cells.
struct TextTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

/// The p value below which a fabric test rejects its hypothesis.
using methods::kSignificanceLevel;

/// One row per estimator (T², hyperbolic mean, harmonic mean, Rf/φ bounds): R, φ, the T²
/// ranges at the level, the bootstrap intervals (or "not estimated: K of B resamples failed")
/// and notes; "—" where a value does not apply.
/// Numbers as the report writes them, with three decimals and `decimalSeparator`.
TextTable EstimatorTable(const MethodsSummary& summary, char decimalSeparator);

/// One row per fabric test (no strain, χ² of symmetry, symmetry index): its statistic, p and
/// a one-line verdict at the 5 % level; numbers as in EstimatorTable.
TextTable FabricTestTable(const methods::MethodsResult& result, char decimalSeparator);

/// What the fabric tests check, how often they reject a set without an initial fabric and what
/// no test can see: the note under the Methods window's table of tests.
extern const char* const kFabricTestNote;

/// Both tables as CSV in UTF-8 with full precision, the estimators, an empty line, then the
/// tests; lines end in CR LF. Written as spreadsheets of the locale read it: with a decimal
/// `decimalSeparator` of ',' cells are separated by ';' and numbers have decimal commas,
/// otherwise cells by ',' with '.' decimals.
std::string MethodsCsv(const MethodsSummary& summary, char decimalSeparator);

}  // namespace varnel::app
