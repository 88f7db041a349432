// varnel-cli: the strain analysis of data files without a window, for scripts and batches.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "cli/exports.h"
#include "cli/file_analysis.h"
#include "cli/import_options.h"
#include "cli/json_output.h"
#include "core/messages.h"
#include "core/varnel_error.h"
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
};

ConfidenceLevel LevelOf(int percent) {
    if (percent == 39) return ConfidenceLevel::Level39;
    if (percent == 50) return ConfidenceLevel::Level50;
    return ConfidenceLevel::Level95;
}

// Loads finv.dat from beside the executable; without it every region has a quantile of 0.
void LoadQuantiles(AnalysisState& state) {
    try {
        if (!LoadFQuantileTable(state, ExecutableFolder())) {
            std::cerr << cli::TerminalText(kMissingQuantileTableMessage) << '\n';
        }
    } catch (const std::exception& error) {
        std::cerr << "finv.dat: " << UserMessageOf(error) << '\n';
    }
}

// Analyses one file and prints its report or JSON; false when it could not be analysed.
bool RunFile(AnalysisState& state, const std::string& path, const Options& options,
             char separator, bool& printedReport) {
    const cli::FileAnalysis analysis = cli::AnalyseDataFile(state, path, LevelOf(options.levelPercent), separator, options.import.options);
    for (const std::string& message : analysis.messages) {
        std::cerr << path << ": " << cli::TerminalText(message) << '\n';
    }
    const bool printable = analysis.status == cli::AnalysisStatus::Reported ||
                           (options.json && analysis.status == cli::AnalysisStatus::EstimatedOnly);
    if (printable && options.json) {
        std::cout << cli::AnalysisJson(state, path, options.levelPercent, analysis.status).dump() << '\n';
    } else if (printable) {
        if (printedReport) std::cout << '\n';
        printedReport = true;
        for (const std::string& line : analysis.report) std::cout << line << '\n';
    }
    if (!cli::ExportReadData(state, options.import, analysis.status, path, separator)) return false;
    if (analysis.status != cli::AnalysisStatus::Reported) return false;
    try {
        cli::RunExports(state, options.exports, separator);
    } catch (const std::exception& error) {
        std::cerr << path << ": " << cli::TerminalText(UserMessageOf(error)) << '\n';
        return false;
    }
    return true;
}

void AddExportOptions(CLI::App& app, cli::ExportRequest& exports) {
    app.add_option("--t2-grid", exports.tSquaredGrid, "Save the T² grid over the Post-strain frame");
    app.add_option("--post-emf", exports.postEmf, "Save the Post-strain plot as an Enhanced Metafile");
    app.add_option("--pre-emf", exports.preEmf, "Save the Pre-strain plot as an Enhanced Metafile");
    app.add_option("--post-svg", exports.postSvg, "Save the Post-strain plot as SVG");
    app.add_option("--pre-svg", exports.preSvg, "Save the Pre-strain plot as SVG");
    app.add_option("--post-png", exports.postPng, "Save the Post-strain plot as PNG");
    app.add_option("--pre-png", exports.prePng, "Save the Pre-strain plot as PNG");
    app.add_option("--size", exports.pictureWidth, "Picture width in pixels")
        ->check(CLI::Range(16, 20000));
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Estimates the homogeneous strain of elliptical markers (R, phi per line) and "
                 "prints its report with confidence ranges."};
    Options options;
    app.add_option("--level", options.levelPercent, "Confidence level in percent")
        ->check(CLI::IsMember({39, 50, 95}));
    app.add_flag("--json", options.json, "One JSON object per file instead of the report");
    app.add_option("FILE", options.files, "Data files")->required();
    AddExportOptions(app, options.exports);
    cli::AddImportOptions(app, options.import);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& error) {
        std::cerr << error.what() << "\n\n" << app.help();
        return 2;
    }
    if ((options.exports.Any() || !options.import.exportData.empty()) && options.files.size() != 1) {
        std::cerr << "Exports need exactly one data file.\n\n" << app.help();
        return 2;
    }

    auto state = std::make_unique<AnalysisState>();
    LoadQuantiles(*state);
    const char separator = UserDecimalSeparator();
    bool allAnalysed = true;
    bool printedReport = false;
    for (const std::string& path : options.files) {
        allAnalysed = RunFile(*state, path, options, separator, printedReport) && allAnalysed;
    }
    return allAnalysed ? 0 : 1;
}
