#include "plot/picture_export.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

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

void ExportPicture(const AnalysisState& state, DrawPlot draw, const std::string& path,
                   PictureFormat format, int width, Canvas& screen,
                   const DisplayGeometry& display) {
    // Before the first analysis the frames are empty and the mapping would divide by zero.
    if (state.DataCount < 1 || !PlotFramesExist(state) || width <= 0) {
        throw VarnelError(kNoDataForPictureMessage);
    }
    RefuseSaveOverDataFile(state, path);
    const auto drawOn = [&](Canvas& canvas) { draw(state, canvas, screen, width); };
    SavePictureFile(path, PictureBytes(format, width, width, drawOn, display));
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

std::string PictureBytes(PictureFormat format, int width, int height,
                         const std::function<void(Canvas&)>& draw, const DisplayGeometry& display) {
    switch (format) {
        case PictureFormat::Emf: {
            EmfCanvas canvas(display);
            draw(canvas);
            return canvas.Finish();
        }
        case PictureFormat::Svg: {
            SvgCanvas canvas(width, height);
            draw(canvas);
            return canvas.Finish().toStdString();
        }
        case PictureFormat::Png: {
            QImage image(width, height, QImage::Format_ARGB32);
            // A picture too large for the memory is a failure, not an empty file.
            if (image.isNull()) throw std::bad_alloc();
            image.fill(Qt::transparent);
            RasterCanvas canvas(image);
            draw(canvas);
            return PngBytes(image);
        }
    }
    return {};
}

PictureFormat PictureFormatOfPath(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "svg") return PictureFormat::Svg;
    if (extension == "png") return PictureFormat::Png;
    return PictureFormat::Emf;
}

void SavePictureFile(const std::string& path, std::string_view bytes) {
    const auto failure = TryReplaceFile(path, bytes);
    if (!failure) return;
    if (failure->stage == FileSaveFailure::Stage::Write) {
        ThrowIoErrorFromErrno(failure->errorNumber, path);
    }
    throw VarnelError("ファイル \"" + path + "\". " + std::strerror(failure->errorNumber) +
                      " を作成できません");
}

}  // namespace varnel::plot
