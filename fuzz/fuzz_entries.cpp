#include "fuzz/fuzz_entries.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/open_pipeline.h"
#include "core/confidence_region.h"
#include "core/executable_folder.h"
#include "core/grid_export.h"
#include "core/messages.h"
#include "core/varnel_error.h"
#include "input/data_file.h"
#include "input/ellipse_import.h"
#include "input/quantile_table.h"
#include "plot/null_canvas.h"
#include "plot/plot_drawing.h"
#include "plot/plot_frames.h"

namespace varnel::fuzz {

namespace {

// The grid evaluates the objective 10,000 times for every datum: only small files get one.
constexpr int kMaxDataForGrid = 8;
constexpr int kScreenWidth = 400;

// A folder of this process under the system's temporary folder, removed at exit.
class ScratchFolder {
public:
    ScratchFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("varnel-fuzz-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, const std::uint8_t* data, std::size_t size) const {
        const std::string file = (path_ / name).string();
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return file;
    }
    std::string Folder() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

const ScratchFolder& Scratch() {
    static const ScratchFolder folder;
    return folder;
}

// A state as the window has it after start: the quantile table installed beside the executable
// loaded, nothing else. Each input starts from a copy, so that every fault reproduces alone.
const AnalysisState& StartState() {
    static const std::unique_ptr<AnalysisState> state = [] {
        auto fresh = std::make_unique<AnalysisState>();
        try {
            LoadFQuantileTable(*fresh, ExecutableFolder());
        } catch (const VarnelError&) {
        }
        return fresh;
    }();
    return *state;
}

// Three ellipses analysed without a quantile table: each quantile-table input is loaded over
// a copy, as finv.dat is read at start, and scales their confidence region (row N = 3).
const AnalysisState& ThreeEllipsesAnalysed() {
    static const std::unique_ptr<AnalysisState> state = [] {
        auto fresh = std::make_unique<AnalysisState>();
        const std::string three = "2,30\n3,40\n1.5,-20\n";
        const std::string path = Scratch().Write(
            "three.txt", reinterpret_cast<const std::uint8_t*>(three.data()), three.size());
        analysis::RunOpenCommand(*fresh, path, ConfidenceLevel::Level95, '.');
        return fresh;
    }();
    return *state;
}

// A broken promise of the code under test: abort, so that the fuzzer keeps the input.
void Require(bool promise, const char* what) {
    if (promise) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

// What every import promises of the data it stores: finite numbers; a table's or a GeoJSON
// file's φ reduced into (−90°, 90°]; a polygon's ratio at least 1.
void CheckStoredData(const AnalysisState& state, EllipseFileKind kind) {
    Require(state.DataFirstLine == (kind == EllipseFileKind::Table ? 2 : 1), "first data line");
    Require(kind != EllipseFileKind::GeoJson || state.DataCount >= 1, "a polygon at least");
    const double halfTurn = DegreesToStoredRadians(90.0);
    for (int k = 1; k <= state.DataCount; ++k) {
        Require(std::isfinite(state.RPost[k]) && std::isfinite(state.PhiPost[k]),
                "data are finite numbers");
        if (kind == EllipseFileKind::DataLines) continue;
        Require(std::fabs(state.PhiPost[k]) <= halfTurn, "an imported phi is reduced");
        Require(kind != EllipseFileKind::GeoJson || state.RPost[k] >= 1.0, "a polygon's R >= 1");
    }
}

void ReadDataFile(AnalysisState& state, const std::string& path, char separator,
                  const ImportOptions& options = {}) {
    const EllipseFileKind kind = DetectEllipseFileKind(path, separator);
    try {
        const DataFileReading reading = CountAndParseDataFile(state, path, separator, options);
        for (const std::string& notice : reading.notices) Require(!notice.empty(), "notice text");
        if (reading.count != CountOutcome::Counted) return;
        Require(state.DataCount >= 0 && state.DataCount <= kMaxData, "count within the capacity");
        const ParseOutcome& parsed = reading.parse;
        if (!parsed.ok) {
            Require(parsed.line >= state.DataFirstLine &&
                        parsed.line < state.DataFirstLine + state.DataCount,
                    "failing line in the file");
            return;
        }
        CheckStoredData(state, kind);
    } catch (const VarnelError& error) {
        Require(*error.what() != '\0', "a conversion error has a text");
        return;
    }
    std::vector<std::string> memo;
    const bool invalid = ValidateAxialRatios(state, memo);
    Require(invalid == !memo.empty() && memo.size() <= std::size_t(state.DataCount),
            "one memo line per bad ratio");
}

// Every command ends in a report or in at least one message, never silently; an error that
// ends it is its last notice.
void CheckCommand(const AnalysisState& state, const analysis::CommandResult& result) {
    using analysis::Notice;
    const std::vector<std::string> messages = analysis::MessagesOf(result);
    for (const std::string& message : messages) Require(!message.empty(), "messages have a text");
    for (std::size_t i = 0; i + 1 < result.notices.size(); ++i) {
        Require(result.notices[i].kind != Notice::Kind::Error, "an error ends the command");
    }
    switch (result.outcome) {
        case analysis::Outcome::Reported:
            // Messages: only what an import tells before the analysis.
            Require(result.report.size() == 27, "a whole report");
            Require(std::isfinite(EstimatedRatio(state)) && EstimatedRatio(state) >= 1.0,
                    "R_s is a ratio");
            Require(plot::PlotFramesExist(state), "frames for the plots");
            break;
        case analysis::Outcome::EstimatedOnly:
            Require(messages.back() == kTooFewDataMessage && state.DataCount == 2,
                    "two data estimated");
            break;
        case analysis::Outcome::Ended:
            Require(!messages.empty(), "a failure has a message");
            break;
    }
}

ConfidenceLevel LevelOf(std::uint8_t selector) {
    switch (selector % 3) {
        case 0:
            return ConfidenceLevel::Level39;
        case 1:
            return ConfidenceLevel::Level50;
        default:
            return ConfidenceLevel::Level95;
    }
}

// Both plots as the window draws them; an error of the drawing goes to the window's error box.
void DrawBothPlots(const AnalysisState& state) {
    if (!plot::PlotFramesExist(state)) return;
    plot::NullCanvas canvas;
    try {
        plot::DrawPostStrainPlot(state, canvas, canvas, kScreenWidth);
        plot::DrawPreStrainPlot(state, canvas, canvas, kScreenWidth);
    } catch (const VarnelError& error) {
        Require(*error.what() != '\0', "a drawing error has a text");
    }
}

// What the window does after an analysis: draw both plots, export the grid of a small file,
// then change the confidence level and draw again.
void FollowUpCommands(AnalysisState& state, ConfidenceLevel otherLevel, char separator) {
    DrawBothPlots(state);
    if (state.DataCount <= kMaxDataForGrid) {
        try {
            TSquaredGridText(state, separator);
        } catch (const VarnelError&) {
        }
    }
    const analysis::CommandResult levelChange =
        analysis::RunLevelChange(state, otherLevel, separator);
    CheckCommand(state, levelChange);
    if (levelChange.outcome == analysis::Outcome::Reported) DrawBothPlots(state);
}

}  // namespace

void RunDataFileReader(const std::uint8_t* data, std::size_t size) {
    const std::string path = Scratch().Write("data.txt", data, size);
    auto state = std::make_unique<AnalysisState>();
    ReadDataFile(*state, path, '.');
    ReadDataFile(*state, path, ',');
    // A table's columns as the user may choose them: the first by number, φ by its name.
    if (DetectEllipseFileKind(path, '.') == EllipseFileKind::Table) {
        ImportOptions chosen;
        chosen.columns = ColumnChoice{"1", "Phi"};
        ReadDataFile(*state, path, '.', chosen);
    }
    // Named as GeoJSON, any file but a data file goes to the JSON reader.
    const std::string json = Scratch().Write("data.geojson", data, size);
    if (DetectEllipseFileKind(json, '.') != DetectEllipseFileKind(path, '.')) {
        ReadDataFile(*state, json, '.');
    }
}

void RunQuantileTable(const std::uint8_t* data, std::size_t size) {
    Scratch().Write("finv.dat", data, size);
    auto state = std::make_unique<AnalysisState>(ThreeEllipsesAnalysed());
    try {
        const std::optional<std::string> message =
            LoadAndCheckFQuantileTable(*state, Scratch().Folder());
        const bool damaged = FirstNWithoutUsableQuantile(*state) != 0;
        Require(damaged ? message == kDamagedQuantileTableMessage : !message,
                "a damaged table, and only that, is told");
    } catch (const VarnelError& error) {
        Require(*error.what() != '\0', "a loading error has a text");
    }
    for (int N = kMinQuantileN; N <= kMaxData; ++N) {
        Require(std::isfinite(state->FQuantile39[N]) && std::isfinite(state->FQuantile50[N]) &&
                    std::isfinite(state->FQuantile95[N]),
                "quantiles are finite");
    }
    // At each level the three ellipses are reported and drawn, or the result stage ends in a
    // message (an absurdly large quantile overflows the region's ratios); without a usable
    // quantile the report still comes, without ranges.
    for (const auto& [level, separator] :
         {std::pair{ConfidenceLevel::Level39, '.'}, std::pair{ConfidenceLevel::Level50, ','},
          std::pair{ConfidenceLevel::Level95, '.'}}) {
        const analysis::CommandResult change = analysis::RunLevelChange(*state, level, separator);
        CheckCommand(*state, change);
        Require(change.outcome == analysis::Outcome::Reported || HasUsableQuantile(*state, level),
                "three ellipses are reported without a usable quantile");
        DrawBothPlots(*state);  // the window repaints whatever the command left
    }
}

void RunHeadlessAnalysis(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    const char separator = (data[0] & 0x80) ? ',' : '.';
    const std::string path = Scratch().Write("analysis.txt", data + 1, size - 1);
    auto state = std::make_unique<AnalysisState>(StartState());
    const analysis::CommandResult open =
        analysis::RunOpenCommand(*state, path, LevelOf(data[0]), separator);
    CheckCommand(*state, open);
    if (open.outcome == analysis::Outcome::Reported) {
        FollowUpCommands(*state, LevelOf(data[0] / 3), separator);
    }
}

}  // namespace varnel::fuzz
