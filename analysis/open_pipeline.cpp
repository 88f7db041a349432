#include "analysis/open_pipeline.h"

#include <exception>
#include <memory>

#include "core/confidence_region.h"
#include "core/messages.h"
#include "core/report.h"
#include "core/varnel_error.h"
#include "input/data_file.h"
#include "input/ellipse_import.h"
#include "plot/plot_frames.h"

namespace varnel::analysis {
namespace {

void Add(CommandResult& result, Notice::Kind kind, std::string text = {}, std::string detail = {}) {
    result.notices.push_back({kind, std::move(text), std::move(detail)});
}

// The English line below an error of the estimation that says nothing more: what in the data
// makes the arithmetic fault.
std::string EstimationDetail(const AnalysisState& state, const std::string& message) {
    const std::string file = FileNameWithoutFolder(state.DataFileName);
    if (state.DataCount == 0) return file + ": the file is empty";
    if (state.DataCount < 3) {
        const std::string ellipses = state.DataCount == 1 ? " ellipse" : " ellipses";
        return file + " holds " + std::to_string(state.DataCount) + ellipses +
               ": 3 or more ellipses are needed";
    }
    if (message == kDivisionByZeroMessage) {
        return "the " + std::to_string(state.DataCount) + " ellipses of " + file +
               " determine no strain: their log-strain vectors lie on one line";
    }
    bool allCircles = true;
    for (int k = 1; k <= state.DataCount && allCircles; ++k) allCircles = state.RPost[k] == 1.0;
    if (allCircles) {
        return "the " + std::to_string(state.DataCount) + " ellipses of " + file +
               " are all circles (R = 1): circles have no orientation and determine no strain";
    }
    return "the strain of the " + std::to_string(state.DataCount) + " ellipses of " + file +
           " could not be computed";
}

// Region, ranges, report and frames for `level`, shared by both commands. It does not
// evaluate the objective: the region is built from the pre vectors the state holds.
void RunResultStage(AnalysisState& state, ConfidenceLevel level, char decimalSeparator,
                    CommandResult& result) {
    ComputeConfidenceResults(state, level);
    result.report = WriteReport(state, decimalSeparator);
    Add(result, Notice::Kind::Report);
    plot::ComputePlotBounds(state);
    result.outcome = Outcome::Reported;
}

// The Open command after the parse to its end. The caption follows the parse, whether it
// found a bad line or not, then what the import tells; an error thrown by a step ends the
// command there.
void OpenParsedFile(AnalysisState& state, const DataFileReading& reading, ConfidenceLevel level,
                    char decimalSeparator, ProgressSink* progress, CommandResult& result) {
    Add(result, Notice::Kind::Caption, FileNameWithoutFolder(state.DataFileName));
    for (const std::string& text : reading.notices) Add(result, Notice::Kind::Message, text);
    const ParseOutcome& parsed = reading.parse;
    if (!parsed.ok) {
        Add(result, Notice::Kind::Message, kInvalidDataAtLinePrefix + std::to_string(parsed.line),
            parsed.detail);
        return;
    }
    result.read = true;
    std::vector<std::string> badRatios, details;
    if (ValidateAxialRatios(state, badRatios, &details)) {
        for (std::size_t i = 0; i < badRatios.size(); ++i) {
            Add(result, Notice::Kind::MemoLine, std::move(badRatios[i]), std::move(details[i]));
        }
        return;
    }
    try {
        EstimateStrain(state, progress);
    } catch (const MinimumNotReached& stopped) {
        // A message, as for the program's other refusals; the earlier analysis stays.
        Add(result, Notice::Kind::Message,
            MinimumNotReachedText(stopped.TSquared(), decimalSeparator));
        return;
    } catch (const VarnelError& error) {
        if (!error.Detail().empty()) throw;
        throw VarnelError(error.what(), EstimationDetail(state, error.what()));
    }
    if (state.DataCount < 3) {
        Add(result, Notice::Kind::Message, kTooFewDataMessage);
        result.outcome = Outcome::EstimatedOnly;
        return;
    }
    RunResultStage(state, level, decimalSeparator, result);
}

// Runs a command's steps; an error they throw ends the command, its message the last notice.
template <typename Steps>
CommandResult Guarded(Steps&& steps) {
    CommandResult result;
    try {
        steps(result);
    } catch (const std::exception& error) {
        result.outcome = Outcome::Ended;
        Add(result, Notice::Kind::Error, UserMessageOf(error), UserDetailOf(error));
    }
    return result;
}

// An Open runs on a copy of `start` that takes the state's place only once it holds a new
// analysis (reported, or estimated from two data): an Open that fails at any step, the count
// included, leaves the earlier analysis whole for the level change, the plots and the saves.
template <typename Steps>
CommandResult OpenOnCopy(AnalysisState& state, const AnalysisState& start, Steps&& steps) {
    std::unique_ptr<AnalysisState> copy;
    CommandResult result = Guarded([&](CommandResult& r) {
        copy = std::make_unique<AnalysisState>(start);
        steps(*copy, r);
    });
    if (result.outcome != Outcome::Ended) state = std::move(*copy);
    return result;
}

}  // namespace

std::vector<std::string> MessagesOf(const CommandResult& result) {
    std::vector<std::string> messages;
    for (const Notice& notice : result.notices) {
        if (notice.kind == Notice::Kind::Message || notice.kind == Notice::Kind::MemoLine ||
            notice.kind == Notice::Kind::Error) {
            messages.push_back(notice.text);
        }
    }
    return messages;
}

std::vector<std::string> MessagesWithDetailsOf(const CommandResult& result) {
    std::vector<std::string> messages;
    for (const Notice& notice : result.notices) {
        if (notice.kind == Notice::Kind::Message || notice.kind == Notice::Kind::MemoLine ||
            notice.kind == Notice::Kind::Error) {
            messages.push_back(notice.detail.empty() ? notice.text
                                                     : notice.text + "\n" + notice.detail);
        }
    }
    return messages;
}

CommandResult RunOpenCommand(AnalysisState& state, const std::string& chosenPath,
                             ConfidenceLevel level, char decimalSeparator, ProgressSink* progress,
                             const ImportOptions& import) {
    return OpenOnCopy(state, state, [&](AnalysisState& opened, CommandResult& result) {
        const DataFileReading reading =
            CountAndParseDataFile(opened, chosenPath, decimalSeparator, import);
        switch (reading.count) {
            case CountOutcome::Counted:
                OpenParsedFile(opened, reading, level, decimalSeparator, progress, result);
                return;
            case CountOutcome::Unreadable:
                Add(result, Notice::Kind::Message, kInvalidDataFileMessage, reading.detail);
                return;
            case CountOutcome::TooManyData:
                Add(result, Notice::Kind::Message, kTooManyDataMessage, reading.detail);
                return;
        }
    });
}

CommandResult RunOpenOfCountedFile(AnalysisState& state, const AnalysisState& counted,
                                   ConfidenceLevel level, char decimalSeparator,
                                   ProgressSink* progress) {
    return OpenOnCopy(state, counted, [&](AnalysisState& opened, CommandResult& result) {
        const DataFileReading reading{
            CountOutcome::Counted, ParseDataFile(opened, decimalSeparator), {}, {}};
        OpenParsedFile(opened, reading, level, decimalSeparator, progress, result);
    });
}

CommandResult RunLevelChange(AnalysisState& state, ConfidenceLevel level, char decimalSeparator) {
    return Guarded([&](CommandResult& result) {
        if (state.DataCount < 3) {
            Add(result, Notice::Kind::Message, kTooFewDataMessage);
            return;
        }
        RunResultStage(state, level, decimalSeparator, result);
    });
}

}  // namespace varnel::analysis
