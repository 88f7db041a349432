#include "plot/svg_canvas.h"

#include <QFont>
#include <QPolygon>
#include <QRect>

namespace varnel::plot {

SvgCanvas::SvgCanvas(int size) : buffer_(&bytes_) {
    generator_.setOutputDevice(&buffer_);
    generator_.setSize(QSize(size, size));
    generator_.setViewBox(QRect(0, 0, size, size));
    generator_.setResolution(96);
    generator_.setTitle("Varnel");
    painter_ = std::make_unique<QPainter>(&generator_);
    // The plot has no text, but the generator writes the painter's font on every group; give it
    // a valid size so it needs no application's default font.
    QFont font;
    font.setPixelSize(12);
    painter_->setFont(font);
    // Integer positions name pixels; their outlines run through the pixel centres.
    painter_->translate(0.5, 0.5);
}

SvgCanvas::~SvgCanvas() = default;

void SvgCanvas::SetPenColor(Rgb color) { pen_ = QColor(color.r, color.g, color.b); }

void SvgCanvas::SetBrushColor(Rgb color) { brush_ = QColor(color.r, color.g, color.b); }

void SvgCanvas::SetBrushStyle(BrushStyle style) { brushStyle_ = style; }

void SvgCanvas::ApplyPenAndBrush() {
    QPen pen(pen_, 1);
    pen.setCosmetic(true);
    painter_->setPen(pen);
    painter_->setBrush(brushStyle_ == BrushStyle::Solid ? QBrush(brush_) : QBrush(Qt::NoBrush));
}

void SvgCanvas::FillRect(int left, int top, int right, int bottom) {
    if (!painter_ || right <= left || bottom <= top) return;
    painter_->fillRect(QRectF(left - 0.5, top - 0.5, right - left, bottom - top), brush_);
}

void SvgCanvas::MoveTo(int x, int y) { position_ = QPoint(x, y); }

void SvgCanvas::LineTo(int x, int y) {
    const QPoint end(x, y);
    if (painter_) {
        ApplyPenAndBrush();
        painter_->drawLine(position_, end);
    }
    position_ = end;
}

// Inside the box, its right column and bottom row left out as on the raster.
void SvgCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (!painter_) return;
    ApplyPenAndBrush();
    painter_->drawEllipse(QRectF(left, top, right - left - 1, bottom - top - 1));
}

void SvgCanvas::Polygon(const std::vector<PixelPoint>& points) {
    if (!painter_ || points.size() < 2) return;
    QPolygon polygon;
    for (const PixelPoint& p : points) polygon << QPoint(p.X, p.Y);
    ApplyPenAndBrush();
    painter_->drawPolygon(polygon, Qt::OddEvenFill);
}

void SvgCanvas::FloodFill(int, int, Rgb) {}

QByteArray SvgCanvas::Finish() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
    return bytes_;
}

}  // namespace varnel::plot
