#pragma once

#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/estimation.h"
#include "input/ellipse_import.h"

namespace varnel::analysis {

// The two commands that run the analysis over the state, File > Open and the change of
// confidence level, without a window. The desktop program, varnel-cli and the fuzzers all run
// them through here; each caller shows the result its own way.

/// How far a command got.
enum class Outcome {
    Reported,       ///< region, ranges, report and plot frames made: both plots can be drawn
    EstimatedOnly,  ///< two data: the estimate is stored, region and report are the earlier ones
    Ended,          ///< refused, ended with a message or memo lines, or ended by an error
};

/// One thing the user is shown, in the order the window shows it.
struct Notice {
    enum class Kind {
        Caption,   ///< the caption now names the data file; text: its name without the folder
        Message,   ///< a modal message box with this text ("\r\n" between two lines)
        MemoLine,  ///< this line appended below the memo's content
        Report,    ///< the memo's text replaced by the result's report lines
        Error,     ///< the error that ended the command: its message, for the error box
    };
    Kind kind = Kind::Message;
    std::string text;
    std::string detail;  ///< one English line below a Message or Error: what, where and a hint

    friend bool operator==(const Notice&, const Notice&) = default;
};

/// What a command did and what to show for it. An Error notice, when there is one, is last.
struct CommandResult {
    Outcome outcome = Outcome::Ended;
    std::vector<std::string> report;  ///< the 27 report lines, once the report was written
    std::vector<Notice> notices;
    bool read = false;  ///< an Open read the file's data, however it then ended
};

/// The texts a user reads besides the report and the caption, in order: message boxes, memo
/// lines and the message of the error that ended the command.
std::vector<std::string> MessagesOf(const CommandResult& result);

/// MessagesOf with each notice's detail, where it has one, on a line of its own below it
/// ("\n" between).
std::vector<std::string> MessagesWithDetailsOf(const CommandResult& result);

/// File > Open after the dialog: counts, parses and validates the chosen file (a table or
/// GeoJSON file by its importer, with `import`; what the import tells the user comes first, as
/// messages), estimates the strain (stepping `progress`, which may be null) and, from three
/// data on, runs the result stage at `level`. Data-file numbers use `decimalSeparator`. Never
/// throws: an error ends the command as an Error notice. The state takes the new analysis only
/// when the outcome is Reported or EstimatedOnly; an Open that ends otherwise leaves it as it
/// was, byte for byte.
CommandResult RunOpenCommand(AnalysisState& state, const std::string& chosenPath,
                             ConfidenceLevel level, char decimalSeparator,
                             ProgressSink* progress = nullptr, const ImportOptions& import = {});

/// RunOpenCommand from the parse on, for the file that ChooseAndCountDataFile stored in
/// `counted` (DataFileName, DataCount), a copy of `state` counted into; `state` takes the new
/// analysis or keeps its own as RunOpenCommand says.
CommandResult RunOpenOfCountedFile(AnalysisState& state, const AnalysisState& counted,
                                   ConfidenceLevel level, char decimalSeparator,
                                   ProgressSink* progress = nullptr);

/// A new confidence level: the result stage for the stored estimate, nothing read or
/// estimated again; below three data (none loaded included) only the message. Never throws.
CommandResult RunLevelChange(AnalysisState& state, ConfidenceLevel level, char decimalSeparator);

}  // namespace varnel::analysis
