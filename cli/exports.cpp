#include "cli/exports.h"

#include <filesystem>
#include <optional>

#include "core/data_file_guard.h"
#include "core/grid_export.h"
#include "core/replacing_file.h"
#include "methods/methods_text.h"
#include "plot/null_canvas.h"
#include "plot/picture_export.h"
#include "plot/report_pdf.h"

namespace varnel::cli {
namespace {

// The format of a picture named with its own extension; none asked when the name is empty.
plot::PictureFormat PictureFormatOf(const std::string& path) {
    return path.empty() ? plot::PictureFormat::Emf : plot::PictureFormatOfPath(path);
}

}  // namespace

bool ExportRequest::Any() const { return !RequestedExports(*this).empty(); }

std::vector<RequestedExport> RequestedExports(const ExportRequest& request) {
    const RequestedExport all[] = {
        {"--t2-grid", request.tSquaredGrid},
        {"--post-emf", request.postEmf},
        {"--pre-emf", request.preEmf},
        {"--post-svg", request.postSvg},
        {"--pre-svg", request.preSvg},
        {"--post-png", request.postPng},
        {"--pre-png", request.prePng},
        {"--rfphi-svg", request.rfphi.svg},
        {"--rfphi-png", request.rfphi.png},
        {"--rfphi-emf", request.rfphi.emf},
        {"--post-picture", request.postPicture},
        {"--pre-picture", request.prePicture},
        {"--rfphi-picture", request.rfphi.picture},
        {"--report-pdf", request.reportPdf},
    };
    std::vector<RequestedExport> requested;
    for (const RequestedExport& item : all) {
        if (!item.path.empty()) requested.push_back(item);
    }
    return requested;
}

std::string NotWrittenLine(const ExportRequest& request) {
    std::string line;
    for (const RequestedExport& item : RequestedExports(request)) {
        line += (line.empty() ? "not written, as the file gave no report: " : ", ");
        line += std::string(item.option) + " " + item.path;
    }
    return line;
}

std::string SameFileConflict(const ExportRequest& request) {
    const std::vector<RequestedExport> requested = RequestedExports(request);
    for (std::size_t i = 0; i < requested.size(); ++i) {
        for (std::size_t j = i + 1; j < requested.size(); ++j) {
            if (SameSaveTarget(requested[i].path, requested[j].path)) {
                return std::string(requested[i].option) + " and " + requested[j].option +
                       " name the same file \"" + requested[i].path + "\".";
            }
        }
    }
    return {};
}

std::string PictureNameError(const ExportRequest& request) {
    using plot::PictureFormat;
    const struct {
        const char* option;
        const std::string& path;
        std::optional<PictureFormat> format;  // none: the name's
    } pictures[] = {
        {"--post-emf", request.postEmf, PictureFormat::Emf},
        {"--pre-emf", request.preEmf, PictureFormat::Emf},
        {"--post-svg", request.postSvg, PictureFormat::Svg},
        {"--pre-svg", request.preSvg, PictureFormat::Svg},
        {"--post-png", request.postPng, PictureFormat::Png},
        {"--pre-png", request.prePng, PictureFormat::Png},
        {"--rfphi-svg", request.rfphi.svg, PictureFormat::Svg},
        {"--rfphi-png", request.rfphi.png, PictureFormat::Png},
        {"--rfphi-emf", request.rfphi.emf, PictureFormat::Emf},
        {"--post-picture", request.postPicture, std::nullopt},
        {"--pre-picture", request.prePicture, std::nullopt},
        {"--rfphi-picture", request.rfphi.picture, std::nullopt},
    };
    for (const auto& picture : pictures) {
        if (picture.path.empty()) continue;
        const std::optional<PictureFormat> named = plot::PictureFormatOfName(picture.path);
        if (!picture.format && !named) {
            return std::string(picture.option) + ": " +
                   plot::UnsupportedPictureMessage(picture.path);
        }
        const bool extended = std::filesystem::path(picture.path).has_extension();
        if (picture.format && extended && named && *named != *picture.format) {
            return std::string(picture.option) + " does not write the format of \"" + picture.path +
                   "\"; --post-picture, --pre-picture and --rfphi-picture follow "
                   "the name's extension.";
        }
    }
    return {};
}

void RunExports(AnalysisState& state, const ExportRequest& request, char decimalSeparator) {
    for (const RequestedExport& item : RequestedExports(request)) {
        RefuseSaveOverDataFile(state, item.path);
    }
    if (!request.tSquaredGrid.empty())
        ExportTSquaredGrid(state, request.tSquaredGrid, decimalSeparator);
    plot::NullCanvas screen;  // without a window nothing receives the plot's white clear
    using plot::PictureFormat;
    const struct {
        const std::string& path;
        PictureFormat format;
        bool post;
    } pictures[] = {
        {request.postEmf, PictureFormat::Emf, true},
        {request.preEmf, PictureFormat::Emf, false},
        {request.postSvg, PictureFormat::Svg, true},
        {request.preSvg, PictureFormat::Svg, false},
        {request.postPng, PictureFormat::Png, true},
        {request.prePng, PictureFormat::Png, false},
        {request.postPicture, PictureFormatOf(request.postPicture), true},
        {request.prePicture, PictureFormatOf(request.prePicture), false},
    };
    for (const auto& picture : pictures) {
        if (picture.path.empty()) continue;
        if (picture.post) {
            plot::ExportPostStrainPicture(state, picture.path, picture.format, request.pictureWidth,
                                          screen);
        } else {
            plot::ExportPreStrainPicture(state, picture.path, picture.format, request.pictureWidth,
                                         screen);
        }
    }
    RunRfPhiExports(state, request.rfphi, request.pictureWidth, decimalSeparator);
}

void ExportReportDocument(AnalysisState& state, const std::string& path, int levelPercent,
                          const MethodsOutcome& methods, char decimalSeparator) {
    const methods::MethodsResult result =
        methods.methods ? *methods.methods : methods::ComputeMethods(state);
    const methods::BootstrapResult* bootstrap = methods.bootstrap ? &*methods.bootstrap : nullptr;
    const plot::ReportPdfContent content = plot::ReportContentOf(
        state, levelPercent, methods::MethodsTextLines(&result, bootstrap, decimalSeparator),
        decimalSeparator, plot::TodaysDate());
    plot::ExportReportPdf(state, content, path, decimalSeparator);
}

}  // namespace varnel::cli
