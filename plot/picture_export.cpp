#include "plot/picture_export.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cstring>

#include "core/data_file_guard.h"
#include "core/io_error.h"
#include "core/messages.h"
#include "core/replacing_file.h"
#include "core/varnel_error.h"
#include "plot/plot_drawing.h"
#include "plot/plot_frames.h"
#include "plot/raster_canvas.h"
#include "plot/svg_canvas.h"

namespace varnel::plot {
namespace {

using DrawPlot = void (*)(const AnalysisState&, Canvas&, Canvas&, int);

std::string PngBytes(QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// Draws the plot on the canvas of the chosen format and returns the file's bytes.
std::string DrawPicture(const AnalysisState& state, DrawPlot draw, PictureFormat format, int width,
                        Canvas& screen, const DisplayGeometry& display) {
    switch (format) {
        case PictureFormat::Emf: {
            EmfCanvas canvas(display);
            draw(state, canvas, screen, width);
            return canvas.Finish();
        }
        case PictureFormat::Svg: {
            SvgCanvas canvas(width);
            draw(state, canvas, screen, width);
            return canvas.Finish().toStdString();
        }
        case PictureFormat::Png: {
            QImage image(width, width, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            RasterCanvas canvas(image);
            draw(state, canvas, screen, width);
            return PngBytes(image);
        }
    }
    return {};
}

void ExportPicture(const AnalysisState& state, DrawPlot draw, const std::string& path,
                   PictureFormat format, int width, Canvas& screen, const DisplayGeometry& display) {
    // Before the first analysis the frames are empty and the mapping would divide by zero.
    if (state.DataCount < 1 || !PlotFramesExist(state) || width <= 0) {
        throw VarnelError(kNoDataForPictureMessage);
    }
    RefuseSaveOverDataFile(state, path);
    SavePictureFile(path, DrawPicture(state, draw, format, width, screen, display));
}

}  // namespace

void ExportPostStrainPicture(const AnalysisState& state, const std::string& path,
                             PictureFormat format, int width, Canvas& screen,
                             const DisplayGeometry& display) {
    ExportPicture(state, DrawPostStrainPlot, path, format, width, screen, display);
}

void ExportPreStrainPicture(const AnalysisState& state, const std::string& path,
                            PictureFormat format, int width, Canvas& screen,
                            const DisplayGeometry& display) {
    ExportPicture(state, DrawPreStrainPlot, path, format, width, screen, display);
}

void SavePictureFile(const std::string& path, std::string_view bytes) {
    const auto failure = TryReplaceFile(path, bytes);
    if (!failure) return;
    if (failure->stage == FileSaveFailure::Stage::Write) {
        ThrowIoErrorFromErrno(failure->errorNumber);
    }
    throw VarnelError("ファイル \"" + path + "\". " + std::strerror(failure->errorNumber) +
                      " を作成できません");
}

}  // namespace varnel::plot
