#include "cli/exports.h"

#include "core/grid_export.h"
#include "plot/null_canvas.h"
#include "plot/picture_export.h"

namespace varnel::cli {

bool ExportRequest::Any() const {
    return !(tSquaredGrid + postEmf + preEmf + postSvg + preSvg + postPng + prePng).empty() ||
           rfphi.Any();
}

void RunExports(AnalysisState& state, const ExportRequest& request, char decimalSeparator) {
    if (!request.tSquaredGrid.empty()) ExportTSquaredGrid(state, request.tSquaredGrid, decimalSeparator);
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
            plot::ExportPostStrainPicture(state, picture.path, picture.format, request.pictureWidth, screen);
        } else {
            plot::ExportPreStrainPicture(state, picture.path, picture.format, request.pictureWidth, screen);
        }
    }
    RunRfPhiExports(state, request.rfphi, request.pictureWidth);
}

}  // namespace varnel::cli
