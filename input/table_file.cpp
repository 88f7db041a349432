#include "input/table_file.h"

#include <memory>

#include "core/report.h"
#include "core/varnel_error.h"
#include "input/data_file.h"
#include "input/text_lines.h"

namespace varnel {

namespace {

constexpr const char* kNoTableRowsMessage = "The table has a header line but no data rows.";

}  // namespace

CountOutcome CountTableFile(AnalysisState& state, const std::string& path,
                            const std::optional<ColumnChoice>& choice, TableColumns& columns,
                            std::string* detail) {
    // I/O errors make the file unreadable, as in the count of a data file; a header that
    // names no known columns is the user's to read.
    std::unique_ptr<TextLines> lines;
    std::string header;
    try {
        lines = std::make_unique<TextLines>(path);
        bool cut = false;
        if (!lines->ReadLine(header, kLongestTableLine, cut)) return CountOutcome::Unreadable;
        if (cut) lines->SkipLine();  // the rest of an overlong header
    } catch (const VarnelError& error) {
        if (detail) *detail = error.Detail();
        return CountOutcome::Unreadable;
    }
    columns = choice ? ChosenColumns(header, *choice) : DetectColumns(header);
    long long rows = 0;
    try {
        while ((rows <= kMaxData || detail) && lines->SkipLine()) ++rows;
    } catch (const VarnelError& error) {
        if (detail) *detail = error.Detail();
        return CountOutcome::Unreadable;
    }
    if (rows > kMaxData) {
        if (detail) *detail = TooManyDataDetail(path, rows, "rows");
        return CountOutcome::TooManyData;
    }
    if (rows == 0) throw VarnelError(kNoTableRowsMessage);
    state.DataCount = static_cast<std::int32_t>(rows);
    state.DataFileName = path;
    state.DataFirstLine = 2;
    return CountOutcome::Counted;
}

ParseOutcome ParseTableFile(AnalysisState& state, const TableColumns& columns) {
    TextLines lines(state.DataFileName);
    const std::string fileName = FileNameWithoutFolder(state.DataFileName);
    lines.SkipLine();  // the header
    std::string line;
    bool cut = false;
    for (int k = 1; k <= state.DataCount; ++k) {
        const int lineNumber = k + 1;
        if (!lines.ReadLine(line, kLongestTableLine, cut)) line.clear();  // ended early
        const std::string where = "line " + std::to_string(lineNumber) + " of " + fileName;
        if (cut) return {false, lineNumber, where + " is longer than 1 MiB"};
        const RowEllipse row =
            ReadRow(line, columns, " on line " + std::to_string(lineNumber) + " of " + fileName);
        if (!row.valid) return {false, lineNumber, where + ": " + row.why};
        state.RPost[k] = row.ratio;
        state.PhiPost[k] = DegreesToStoredRadians(row.degrees);
    }
    return {true, 0, {}};
}

}  // namespace varnel
