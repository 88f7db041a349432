#include "plot/picture_export.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <new>

#include "core/data_file_guard.h"
#include "core/io_error.h"
#include "core/messages.h"
#include "core/replacing_file.h"
#include "core/varnel_error.h"
#include "plot/painter_canvas.h"
#include "plot/plot_drawing.h"
#include "plot/plot_frames.h"
#include "plot/raster_canvas.h"
#include "plot/svg_canvas.h"

namespace varnel::plot {
namespace {

using DrawPlot = void (*)(const AnalysisState&, Canvas&, Canvas&, int);

constexpr int kJpegQuality = 90;  // plots are lines and text: lower qualities smear them
// Every saved picture states one resolution, the one the PDF page is laid out at: a plot's
// pixel is 1/96 inch in each format, as on a screen of the usual density.
constexpr int kPixelsPerInch = 96;
constexpr double kMetresPerInch = 0.0254;

// The pixels of a plot drawn on opaque white, in the file format `format` names ("PNG", …).
std::string RasterBytes(int width, int height, const std::function<void(Canvas&)>& draw,
                        const char* format) {
    QImage image(width, height, QImage::Format_RGB32);
    // A picture too large for the memory is a failure, not an empty file.
    if (image.isNull()) throw std::bad_alloc();
    image.fill(Qt::white);
    const int dotsPerMetre = static_cast<int>(std::lround(kPixelsPerInch / kMetresPerInch));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    RasterCanvas canvas(image);
    draw(canvas);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Qt writes TIFF through a plugin of its own (qt6-image-formats-plugins).
    if (!image.save(&buffer, format, std::strcmp(format, "JPEG") == 0 ? kJpegQuality : -1)) {
        throw VarnelError(std::string("This installation of Qt cannot write ") + format +
                          " pictures.");
    }
    return bytes.toStdString();
}

// One page of width × height pixels at 96 pixels an inch, without margins, drawn as vectors;
// outlines are one pixel (0.75 pt) wide, as on the screen.
std::string PdfBytes(int width, int height, const std::function<void(Canvas&)>& draw) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator(kApplicationTitle);
    writer.setTitle(kApplicationTitle);
    writer.setResolution(kPixelsPerInch);
    const double pointsPerPixel = 72.0 / kPixelsPerInch;
    writer.setPageSize(
        QPageSize(QSizeF(width * pointsPerPixel, height * pointsPerPixel), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    // Integer positions name pixels; their outlines run through the pixel centres.
    painter.translate(0.5, 0.5);
    PainterCanvas canvas(&painter, false);
    draw(canvas);
    canvas.FlushLines();
    painter.end();
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
        case PictureFormat::Png:
            return RasterBytes(width, height, draw, "PNG");
        case PictureFormat::Jpeg:
            return RasterBytes(width, height, draw, "JPEG");
        case PictureFormat::Tiff:
            return RasterBytes(width, height, draw, "TIFF");
        case PictureFormat::Pdf:
            return PdfBytes(width, height, draw);
    }
    return {};
}

std::optional<PictureFormat> PictureFormatOfName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const std::size_t dot = name.find_last_of('.');
    // A name without an extension (a device such as /dev/full) takes the metafile, the format
    // the save dialogs append when none is typed.
    if (dot == std::string::npos) return PictureFormat::Emf;
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const struct {
        const char* extension;
        PictureFormat format;
    } known[] = {
        {"emf", PictureFormat::Emf},  {"svg", PictureFormat::Svg},   {"png", PictureFormat::Png},
        {"pdf", PictureFormat::Pdf},  {"jpg", PictureFormat::Jpeg},  {"jpeg", PictureFormat::Jpeg},
        {"tif", PictureFormat::Tiff}, {"tiff", PictureFormat::Tiff},
    };
    for (const auto& k : known) {
        if (extension == k.extension) return k.format;
    }
    return std::nullopt;
}

PictureFormat PictureFormatOfPath(const std::string& path) {
    const std::optional<PictureFormat> format = PictureFormatOfName(path);
    if (!format) throw VarnelError(UnsupportedPictureMessage(path));
    return *format;
}

std::string UnsupportedPictureMessage(const std::string& path) {
    return "Cannot save a picture as \"" + std::filesystem::path(path).filename().string() +
           "\": its name must end in " + kPictureExtensions + ".";
}

void SavePictureFile(const std::string& path, std::string_view bytes) {
    const auto failure = TryReplaceFile(path, bytes);
    if (!failure) return;
    if (failure->stage == FileSaveFailure::Stage::Write) {
        ThrowIoErrorFromErrno(failure->errorNumber, path);
    }
    // The system's reason in English, as the command line shows it under any locale.
    const char* reason = ::strerrordesc_np(failure->errorNumber);
    throw VarnelError(
        "ファイル \"" + path + "\". " +
            (reason ? std::string(reason) : "error " + std::to_string(failure->errorNumber)) +
            " を作成できません",
        CreateFailureDetail(failure->errorNumber, path));
}

}  // namespace varnel::plot
