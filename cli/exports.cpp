#include "cli/exports.h"

#include "core/grid_export.h"
#include "plot/picture_export.h"

namespace varnel::cli {

namespace {

// Without a window there is no on-screen picture to receive the plot's white clear.
class DiscardingCanvas : public plot::Canvas {
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

}  // namespace

bool ExportRequest::Any() const {
    return !(tSquaredGrid + postEmf + preEmf + postSvg + preSvg + postPng + prePng).empty();
}

void RunExports(AnalysisState& state, const ExportRequest& request, char decimalSeparator) {
    if (!request.tSquaredGrid.empty()) ExportTSquaredGrid(state, request.tSquaredGrid, decimalSeparator);
    DiscardingCanvas screen;
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
}

}  // namespace varnel::cli
