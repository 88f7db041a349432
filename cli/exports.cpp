#include "cli/exports.h"

#include "core/data_file_guard.h"
#include "core/grid_export.h"
#include "core/replacing_file.h"
#include "plot/null_canvas.h"
#include "plot/picture_export.h"

namespace varnel::cli {

bool ExportRequest::Any() const { return !RequestedExports(*this).empty(); }

std::vector<RequestedExport> RequestedExports(const ExportRequest& request) {
    const RequestedExport all[] = {
        {"--t2-grid", request.tSquaredGrid}, {"--post-emf", request.postEmf},
        {"--pre-emf", request.preEmf},       {"--post-svg", request.postSvg},
        {"--pre-svg", request.preSvg},       {"--post-png", request.postPng},
        {"--pre-png", request.prePng},       {"--rfphi-svg", request.rfphi.svg},
        {"--rfphi-png", request.rfphi.png},  {"--rfphi-emf", request.rfphi.emf},
    };
    std::vector<RequestedExport> requested;
    for (const RequestedExport& item : all) {
        if (!item.path.empty()) requested.push_back(item);
    }
    return requested;
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
        {request.postEmf, PictureFormat::Emf, true}, {request.preEmf, PictureFormat::Emf, false},
        {request.postSvg, PictureFormat::Svg, true}, {request.preSvg, PictureFormat::Svg, false},
        {request.postPng, PictureFormat::Png, true}, {request.prePng, PictureFormat::Png, false},
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

}  // namespace varnel::cli
