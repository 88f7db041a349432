#include "plot/shape_plot_export.h"

#include "core/varnel_error.h"
#include "plot/text_font.h"

namespace varnel::plot {

void ExportShapePlotPicture(const ShapePlotData& data, ShapePlotKind kind, const std::string& path,
                            PictureFormat format, int width, int height,
                            const DisplayGeometry& display) {
    if (data.samples.empty() || width <= 0 || height <= 0) throw VarnelError("No data loaded.");
    if (kind == ShapePlotKind::Hsu && !AnyOnHsuPlot(data)) throw VarnelError(kNoHsuSampleMessage);
    const TextSupport text;
    const auto drawOn = [&](Canvas& canvas) {
        if (kind == ShapePlotKind::Flinn) {
            DrawFlinnPlot(data, canvas, width, height);
        } else {
            DrawHsuPlot(data, canvas, width, height);
        }
    };
    SavePictureFile(path, PictureBytes(format, width, height, drawOn, display));
}

void ExportEqualAreaNetPicture(const NetData& data, const std::string& path, PictureFormat format,
                               int width, int height, const DisplayGeometry& display) {
    if (width <= 0 || height <= 0) throw VarnelError("No data loaded.");
    const TextSupport text;
    const auto drawOn = [&](Canvas& canvas) { DrawEqualAreaNet(data, canvas, width, height); };
    SavePictureFile(path, PictureBytes(format, width, height, drawOn, display));
}

}  // namespace varnel::plot
