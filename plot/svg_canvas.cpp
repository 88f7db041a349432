#include "plot/svg_canvas.h"

#include <QFont>
#include <QRect>

namespace varnel::plot {

SvgCanvas::SvgCanvas(int size) : SvgCanvas(size, size) {}

SvgCanvas::SvgCanvas(int width, int height) : PainterCanvas(nullptr, true), buffer_(&bytes_) {
    generator_.setOutputDevice(&buffer_);
    generator_.setSize(QSize(width, height));
    generator_.setViewBox(QRect(0, 0, width, height));
    generator_.setResolution(96);
    generator_.setTitle("Varnel");
    painter_ = std::make_unique<QPainter>(&generator_);
    // The generator writes the painter's font on every group; give it a valid size so plots
    // without text need no application's default font.
    QFont font;
    font.setPixelSize(12);
    painter_->setFont(font);
    // Integer positions name pixels; their outlines run through the pixel centres.
    painter_->translate(0.5, 0.5);
    SetPainter(painter_.get());
}

SvgCanvas::~SvgCanvas() = default;

QByteArray SvgCanvas::Finish() {
    FlushLines();
    SetPainter(nullptr);
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
    return bytes_;
}

}  // namespace varnel::plot
