// varnel-cli: the strain analysis of data files without a window, for scripts and batches.
#include <iostream>
#include <memory>

#include "analysis/open_pipeline.h"
#include "cli/command_line_options.h"
#include "cli/exports.h"
#include "cli/import_options.h"
#include "cli/json_output.h"
#include "cli/methods_output.h"
#include "cli/sections_output.h"
#include "cli/standard_output.h"
#include "cli/terminal_progress.h"
#include "cli/terminal_text.h"
#include "core/confidence_region.h"
#include "core/executable_folder.h"
#include "core/messages.h"
#include "core/varnel_error.h"
#include "image/image_objects.h"
#include "image/image_options.h"
#include "input/locale_separator.h"
#include "input/quantile_table.h"

using namespace varnel;

namespace {

struct Options {
    int levelPercent = 95;
    bool json = false;
    std::vector<std::string> files;
    cli::ExportRequest exports;
    cli::ImportRequest import;
    cli::MethodsRequest methods;
    cli::SectionsPlotRequest sectionsPlots;
};

// A message as a terminal shows it: the "\r\n" of a two-line message becomes a newline.
std::string TerminalText(const std::string& message) {
    std::string text = message;
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return text;
}

ConfidenceLevel LevelOf(int percent) {
    if (percent == 39) return ConfidenceLevel::Level39;
    if (percent == 50) return ConfidenceLevel::Level50;
    return ConfidenceLevel::Level95;
}

// Loads finv.dat from beside the executable and says once when it is missing or damaged; a
// file whose N then has no quantile gets no ranges (see RunFile).
void LoadQuantiles(AnalysisState& state) {
    try {
        if (const auto message = LoadAndCheckFQuantileTable(state, ExecutableFolder())) {
            std::cerr << TerminalText(*message) << '\n';
            const std::string detail = FQuantileTableDetail(state, ExecutableFolder());
            if (!detail.empty()) std::cerr << detail << '\n';
        }
    } catch (const std::exception& error) {
        std::cerr << "finv.dat: " << UserMessageOf(error) << '\n';
        if (const std::string detail = UserDetailOf(error); !detail.empty()) {
            std::cerr << detail << '\n';
        }
    }
}

// The report or JSON line of an analysed file, with the methods asked for; empty when the file
// gives none.
std::string OutputOf(const AnalysisState& state, const std::string& path,
                     const analysis::CommandResult& result, const Options& options,
                     const cli::MethodsOutcome& methods, char separator) {
    const bool printable = result.outcome == analysis::Outcome::Reported ||
                           (options.json && result.outcome == analysis::Outcome::EstimatedOnly);
    if (!printable) return {};
    if (options.json) {
        auto object = cli::AnalysisJson(state, path, options.levelPercent, result.outcome);
        cli::AddMethodsJson(object, options.methods, methods);
        return cli::JsonLine(object);
    }
    std::string text;
    for (const std::string& line : result.report) text += line + '\n';
    for (const std::string& line : cli::MethodsText(methods, separator)) text += line + '\n';
    return text;
}

// Analyses one file and prints its report or JSON; false when it could not be analysed.
// No failure of one file stops the files after it.
bool RunFile(AnalysisState& state, const std::string& path, const Options& options, char separator,
             cli::StandardOutput& output, bool& printedReport) {
    ImportOptions import = options.import.options;
    if (options.import.AnyImageOutput())
        import.imageReading = std::make_shared<image::ImageReading>();
    const analysis::CommandResult result = analysis::RunOpenCommand(
        state, path, LevelOf(options.levelPercent), separator, nullptr, import);
    const cli::MethodsOutcome methods = [&] {
        const auto progress = cli::StandardErrorProgress(path + ": bootstrap");
        return cli::RunMethods(state, result.outcome, options.methods,
                               LevelOf(options.levelPercent), progress.get());
    }();
    for (const std::string& message : analysis::MessagesWithDetailsOf(result)) {
        std::cerr << path << ": " << TerminalText(message) << '\n';
    }
    for (const std::string& message : methods.messages) {
        std::cerr << path << ": " << TerminalText(message) << '\n';
    }
    try {
        const std::string text = OutputOf(state, path, result, options, methods, separator);
        if (!text.empty() && !options.json && printedReport) output.Write("\n");
        if (!text.empty()) printedReport = true;
        output.Write(text);
        cli::ExportReadData(state, path, options.import, result.outcome, separator, import);
        // Written whatever the analysis gave: the overlay shows why objects were left out.
        cli::ExportImageObjects(options.import, path, import.imageReading.get());
        if (result.outcome != analysis::Outcome::Reported) {
            if (const std::string skipped = cli::NotWrittenLine(options.exports); !skipped.empty())
                std::cerr << path << ": " << skipped << '\n';
            return false;
        }
        cli::RunExports(state, options.exports, separator);
        if (!options.exports.reportPdf.empty()) {
            cli::ExportReportDocument(state, options.exports.reportPdf, options.levelPercent,
                                      methods, separator);
        }
    } catch (const std::exception& error) {
        std::cerr << path << ": " << TerminalText(UserMessageOf(error)) << '\n';
        if (const std::string detail = UserDetailOf(error); !detail.empty()) {
            std::cerr << detail << '\n';
        }
        return false;
    }
    // The report shows the ranges as NAN; the run must not pass for a full analysis.
    if (!HasUsableQuantile(state, LevelOf(options.levelPercent))) {
        std::cerr << path << ": " << kNoQuantileForDataCountPrefix << state.DataCount << '\n';
        return false;
    }
    return methods.messages.empty();
}

// A usage error: its message and the usage on standard error, exit status 2.
int UsageError(const std::string& message, const CLI::App& app) {
    std::cerr << message << "\n\n" << app.help();
    return 2;
}

// The exit status once everything is written: 1 when a file failed or the output was lost.
int Finish(const cli::StandardOutput& output, bool allAnalysed) {
    if (output.Failure()) std::cerr << *output.Failure() << '\n';
    return allAnalysed && !output.Failure() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    cli::ReserveClosedStandardStreams();
    cli::FilterStandardError();
    CLI::App app{
        "Estimates the homogeneous strain of elliptical markers (R, phi per line) and "
        "prints its report with confidence ranges."};
    Options options;
    app.add_option("--level", options.levelPercent, "Confidence level in percent")
        ->check(CLI::IsMember({39, 50, 95}));
    app.add_flag("--json", options.json, "One JSON object per file instead of the report");
    app.add_option("FILE", options.files, "Data files");
    std::string sectionsTable;
    app.add_option("--sections", sectionsTable,
                   "Fit the strain ellipsoid to the 2-D strains of a sections table (a CSV with "
                   "columns strike, dip and file or R and phi; optional name and sample): x east, "
                   "y north, z up; strike clockwise from north, the plane dipping to the right of "
                   "the strike, dip 0-90; phi of a section from the strike towards the down-dip "
                   "direction, so a horizontal section (strike 0, dip 0) measures phi from north "
                   "towards east. With --bootstrap, percentile intervals and axis cones");
    cli::AddExportOptions(app, options.exports);
    cli::AddSectionsPlotOptions(app, options.sectionsPlots);
    cli::AddImportOptions(app, options.import);
    cli::AddMethodsOptions(app, options.methods);
    cli::StandardOutput output;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        output.Write(app.help());
        return Finish(output, true);
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what(), app);
    }
    // An empty name would silently write nothing.
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& value : option->results()) {
            if (value.empty()) return UsageError(option->get_name() + ": the value is empty", app);
        }
    }
    if (const std::string error = cli::ResampleCountError(app.count("--bootstrap") > 0,
                                                          options.methods, options.levelPercent);
        !error.empty()) {
        return UsageError(error, app);
    }
    if (!sectionsTable.empty() || app.count("--sections") > 0) {
        if (!options.files.empty() || options.exports.Any() || options.methods.methods ||
            !options.import.exportData.empty()) {
            return UsageError("--sections takes no data files, exports or --methods.", app);
        }
        options.sectionsPlots.width = options.exports.pictureWidth;
        if (const std::string error = cli::SectionsPlotUsageError(options.sectionsPlots);
            !error.empty()) {
            return UsageError(error, app);
        }
        const cli::SectionsRequest request{
            sectionsTable,        options.json,         options.methods.bootstrap,
            options.methods.seed, options.levelPercent, options.sectionsPlots};
        const int status = cli::RunSections(request, UserDecimalSeparator(), output);
        return Finish(output, status == 0);
    }
    if (options.sectionsPlots.Any()) {
        return UsageError("The Flinn and Hsu plots need --sections.", app);
    }
    if (options.files.empty()) return UsageError("FILE is required", app);
    if ((options.exports.Any() || !options.import.exportData.empty() ||
         options.import.AnyImageOutput()) &&
        options.files.size() != 1) {
        return UsageError("Exports need exactly one data file.", app);
    }
    if (const image::ImageOptions& image = options.import.options.image;
        image.labels && (image.threshold || image.invert)) {
        return UsageError(
            "--labels takes no --threshold or --invert: a label image's values are "
            "its objects.",
            app);
    }
    if (options.import.AnyImageOutput() && !image::HasImageName(options.files.front())) {
        return UsageError("--overlay-png, --overlay-svg and --export-objects need an image.", app);
    }
    if (const std::string error = cli::PictureNameError(options.exports); !error.empty()) {
        return UsageError(error, app);
    }
    if (const std::string conflict = cli::SameFileConflict(options.exports); !conflict.empty()) {
        return UsageError(conflict, app);
    }
    if (const std::string conflict = cli::DataExportConflict(options.import, options.exports);
        !conflict.empty()) {
        return UsageError(conflict, app);
    }

    auto state = std::make_unique<AnalysisState>();
    LoadQuantiles(*state);
    const char separator = UserDecimalSeparator();
    bool allAnalysed = true;
    bool printedReport = false;
    const auto files =
        options.files.size() > 1 ? cli::StandardErrorProgress("varnel-cli: files") : nullptr;
    if (files) files->SetMaximum(static_cast<int>(options.files.size()));
    for (std::size_t i = 0; i < options.files.size(); ++i) {
        // The line goes before anything of the next file is written.
        if (files) files->Clear();
        allAnalysed =
            RunFile(*state, options.files[i], options, separator, output, printedReport) &&
            allAnalysed;
        if (files) files->SetPosition(static_cast<int>(i + 1));
    }
    if (files) files->Clear();
    return Finish(output, allAnalysed);
}
