#include "cli/sections_plots.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "core/data_file_guard.h"
#include "core/replacing_file.h"
#include "core/varnel_error.h"
#include "ellipsoid/shape_plot_data.h"
#include "plot/shape_plot_export.h"

namespace varnel::cli {
namespace {

using plot::PictureFormat;
using plot::ShapePlotKind;

struct PlotPicture {
    const char* option;
    const std::string& path;
    ShapePlotKind kind;
    std::optional<PictureFormat> format;  // none: the name's
};

std::vector<PlotPicture> Pictures(const SectionsPlotRequest& r) {
    return {
        {"--flinn-svg", r.flinnSvg, ShapePlotKind::Flinn, PictureFormat::Svg},
        {"--flinn-png", r.flinnPng, ShapePlotKind::Flinn, PictureFormat::Png},
        {"--flinn-pdf", r.flinnPdf, ShapePlotKind::Flinn, PictureFormat::Pdf},
        {"--flinn-picture", r.flinnPicture, ShapePlotKind::Flinn, std::nullopt},
        {"--hsu-svg", r.hsuSvg, ShapePlotKind::Hsu, PictureFormat::Svg},
        {"--hsu-png", r.hsuPng, ShapePlotKind::Hsu, PictureFormat::Png},
        {"--hsu-pdf", r.hsuPdf, ShapePlotKind::Hsu, PictureFormat::Pdf},
        {"--hsu-picture", r.hsuPicture, ShapePlotKind::Hsu, std::nullopt},
    };
}

std::string NameError(const PlotPicture& picture) {
    const std::optional<PictureFormat> named = plot::PictureFormatOfName(picture.path);
    if (!picture.format && !named) {
        return std::string(picture.option) + ": " + plot::UnsupportedPictureMessage(picture.path);
    }
    const bool extended = std::filesystem::path(picture.path).has_extension();
    if (picture.format && extended && named && *named != *picture.format) {
        return std::string(picture.option) + " does not write the format of \"" + picture.path +
               "\"; --flinn-picture and --hsu-picture follow the name's extension.";
    }
    return {};
}

}  // namespace

bool SectionsPlotRequest::Any() const {
    for (const PlotPicture& picture : Pictures(*this)) {
        if (!picture.path.empty()) return true;
    }
    return false;
}

std::string SectionsPlotUsageError(const SectionsPlotRequest& request) {
    if (request.Any() && request.width < kSmallestShapePlot) {
        return "--size is at least " + std::to_string(kSmallestShapePlot) +
               " for the Flinn and Hsu plots: smaller, their labels leave no room to draw.";
    }
    std::vector<PlotPicture> requested;
    for (const PlotPicture& picture : Pictures(request)) {
        if (picture.path.empty()) continue;
        if (std::string error = NameError(picture); !error.empty()) return error;
        for (const PlotPicture& earlier : requested) {
            if (SameSaveTarget(earlier.path, picture.path)) {
                return std::string(earlier.option) + " and " + picture.option +
                       " name the same file \"" + earlier.path + "\".";
            }
        }
        requested.push_back(picture);
    }
    return {};
}

void SaveSectionsPlots(const std::vector<ellipsoid::SampleStudy>& studies, const std::string& table,
                       const SectionsPlotRequest& request, char decimalSeparator,
                       int levelPercent) {
    std::vector<std::string> dataFiles;
    for (const ellipsoid::SampleStudy& study : studies) {
        for (const ellipsoid::StudiedSection& section : study.sections) {
            dataFiles.push_back(section.file);
        }
    }
    for (const PlotPicture& picture : Pictures(request)) {
        if (picture.path.empty()) continue;
        if (const auto refusal = SectionsSaveRefusal(table, dataFiles, picture.path)) {
            throw VarnelError(*refusal);
        }
    }
    const plot::ShapePlotData data =
        ellipsoid::ShapePlotDataOf(studies, table, decimalSeparator, levelPercent);
    for (const PlotPicture& picture : Pictures(request)) {
        if (picture.path.empty()) continue;
        const PictureFormat format =
            picture.format ? *picture.format : plot::PictureFormatOfPath(picture.path);
        plot::ExportShapePlotPicture(data, picture.kind, picture.path, format, request.width,
                                     request.width);
    }
}

}  // namespace varnel::cli
