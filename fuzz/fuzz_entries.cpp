#include "fuzz/fuzz_entries.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cli/file_analysis.h"
#include "core/confidence_region.h"
#include "core/grid_export.h"
#include "core/report.h"
#include "core/varnel_error.h"
#include "input/data_file.h"
#include "input/ellipse_import.h"
#include "input/quantile_table.h"
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

// Swallows every drawing call; the mapping and the drawing code run in full.
class NullCanvas : public plot::Canvas {
public:
    void SetPenColor(plot::Rgb) override {}
    void SetBrushColor(plot::Rgb) override {}
    void SetBrushStyle(plot::BrushStyle) override {}
    void FillRect(int, int, int, int) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Ellipse(int, int, int, int) override {}
    void Polygon(const std::vector<plot::PixelPoint>&) override {}
    void FloodFill(int, int, plot::Rgb) override {}
};

// A broken promise of the code under test: abort, so that the fuzzer keeps the input.
void Require(bool promise, const char* what) {
    if (promise) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

void ReadDataFile(AnalysisState& state, const std::string& path, char separator) {
    try {
        const DataFileReading reading = CountAndParseDataFile(state, path, separator);
        if (reading.count != CountOutcome::Counted) return;
        Require(state.DataCount >= 0 && state.DataCount <= kMaxData, "count within the capacity");
        const ParseOutcome& parsed = reading.parse;
        if (!parsed.ok) {
            Require(parsed.line >= state.DataFirstLine &&
                        parsed.line < state.DataFirstLine + state.DataCount,
                    "failing line in the file");
            return;
        }
    } catch (const VarnelError& error) {
        Require(*error.what() != '\0', "a conversion error has a text");
        return;
    }
    std::vector<std::string> memo;
    const bool invalid = ValidateAxialRatios(state, memo);
    Require(invalid == !memo.empty() && memo.size() <= std::size_t(state.DataCount),
            "one memo line per bad ratio");
}

// Every analysis ends in a report or in at least one message, never silently.
void CheckAnalysis(const AnalysisState& state, const cli::FileAnalysis& analysis) {
    switch (analysis.status) {
        case cli::AnalysisStatus::Reported:  // messages: notices of an import
            Require(analysis.report.size() == 27, "a whole report");
            Require(std::isfinite(state.PostVectors[0].x1) && state.PostVectors[0].x1 >= 1.0,
                    "R_s is a ratio");
            break;
        case cli::AnalysisStatus::EstimatedOnly:
            Require(!analysis.messages.empty() && state.DataCount == 2, "two data estimated");
            break;
        case cli::AnalysisStatus::Failed:
            Require(!analysis.messages.empty(), "a failure has a message");
            for (const std::string& message : analysis.messages) {
                Require(!message.empty(), "messages have a text");
            }
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

void DrawBothPlots(const AnalysisState& state) {
    if (!plot::PlotFramesExist(state)) return;
    NullCanvas canvas;
    plot::DrawPostStrainPlot(state, canvas, canvas, kScreenWidth);
    plot::DrawPreStrainPlot(state, canvas, canvas, kScreenWidth);
}

// What the window does after an analysis: draw both plots, export the grid of a small file,
// then change the confidence level and draw again.
void FollowUpCommands(AnalysisState& state, ConfidenceLevel otherLevel, char separator) {
    try {
        DrawBothPlots(state);
        if (state.DataCount <= kMaxDataForGrid) TSquaredGridText(state, separator);
        ComputeConfidenceResults(state, otherLevel);
        WriteReport(state, separator);
        plot::ComputePlotBounds(state);
        DrawBothPlots(state);
    } catch (const VarnelError&) {
    }
}

}  // namespace

void RunDataFileReader(const std::uint8_t* data, std::size_t size) {
    const std::string path = Scratch().Write("data.txt", data, size);
    auto state = std::make_unique<AnalysisState>();
    ReadDataFile(*state, path, '.');
    ReadDataFile(*state, path, ',');
}

void RunQuantileTable(const std::uint8_t* data, std::size_t size) {
    Scratch().Write("finv.dat", data, size);
    auto state = std::make_unique<AnalysisState>();
    try {
        LoadFQuantileTable(*state, Scratch().Folder());
    } catch (const VarnelError&) {
    }
    for (int N = kMinQuantileN; N <= kMaxData; ++N) {
        Require(std::isfinite(state->FQuantile39[N]) && std::isfinite(state->FQuantile50[N]) &&
                    std::isfinite(state->FQuantile95[N]),
                "quantiles are finite");
    }
}

void RunHeadlessAnalysis(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    const char separator = (data[0] & 0x80) ? ',' : '.';
    const std::string path = Scratch().Write("analysis.txt", data + 1, size - 1);
    auto state = std::make_unique<AnalysisState>(StartState());
    const cli::FileAnalysis analysis =
        cli::AnalyseDataFile(*state, path, LevelOf(data[0]), separator);
    CheckAnalysis(*state, analysis);
    if (analysis.status == cli::AnalysisStatus::Reported) {
        FollowUpCommands(*state, LevelOf(data[0] / 3), separator);
    }
}

}  // namespace varnel::fuzz
