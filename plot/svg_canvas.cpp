#include "plot/svg_canvas.h"

#include <QFont>
#include <QPolygon>
#include <QRect>

#include "plot/text_font.h"

namespace varnel::plot {

SvgCanvas::SvgCanvas(int size) : SvgCanvas(size, size) {}

SvgCanvas::SvgCanvas(int width, int height) : buffer_(&bytes_) {
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
}

SvgCanvas::~SvgCanvas() = default;

void SvgCanvas::SetPenColor(Rgb color) {
    FlushLines();
    pen_ = QColor(color.r, color.g, color.b);
}

void SvgCanvas::SetBrushColor(Rgb color) { brush_ = QColor(color.r, color.g, color.b); }

void SvgCanvas::SetBrushStyle(BrushStyle style) { brushStyle_ = style; }

void SvgCanvas::ApplyPenAndBrush() {
    QPen pen(pen_, 1);
    pen.setCosmetic(true);
    painter_->setPen(pen);
    painter_->setBrush(brushStyle_ == BrushStyle::Solid ? QBrush(brush_) : QBrush(Qt::NoBrush));
}

// Lines drawn one after the other from each one's end become one polyline element.
void SvgCanvas::FlushLines() {
    if (painter_ && pendingLines_.size() >= 2) {
        ApplyPenAndBrush();
        painter_->drawPolyline(pendingLines_);
    }
    pendingLines_.clear();
}

void SvgCanvas::FillRect(int left, int top, int right, int bottom) {
    FlushLines();
    if (!painter_ || right <= left || bottom <= top) return;
    painter_->fillRect(QRectF(left - 0.5, top - 0.5, right - left, bottom - top), brush_);
}

void SvgCanvas::MoveTo(int x, int y) {
    FlushLines();
    position_ = QPoint(x, y);
}

void SvgCanvas::LineTo(int x, int y) {
    if (pendingLines_.isEmpty()) pendingLines_ << position_;
    position_ = QPoint(x, y);
    pendingLines_ << position_;
}

// Inside the box, its right column and bottom row left out as on the raster.
void SvgCanvas::Ellipse(int left, int top, int right, int bottom) {
    FlushLines();
    if (!painter_) return;
    ApplyPenAndBrush();
    painter_->drawEllipse(QRectF(left, top, right - left - 1, bottom - top - 1));
}

void SvgCanvas::Polygon(const std::vector<PixelPoint>& points) {
    FlushLines();
    if (!painter_ || points.size() < 2) return;
    QPolygon polygon;
    for (const PixelPoint& p : points) polygon << QPoint(p.X, p.Y);
    ApplyPenAndBrush();
    painter_->drawPolygon(polygon, Qt::OddEvenFill);
}

void SvgCanvas::FloodFill(int, int, Rgb) {}

// Placed as on the raster: the half-pixel shift of the outlines does not apply to text.
void SvgCanvas::Text(int x, int y, const std::string& text, TextAlign align, int pixelHeight) {
    FlushLines();
    if (!painter_ || text.empty() || pixelHeight <= 0 || !TextSupport::Available()) return;
    const TextLayout layout = LayOutText(text, pixelHeight);
    painter_->setFont(PlotTextFont(pixelHeight));
    painter_->setPen(QPen(pen_, 1));
    painter_->drawText(QPointF(TextLeft(x, layout.width, align) - 0.5, y + layout.ascent - 0.5),
                       layout.text);
}

QByteArray SvgCanvas::Finish() {
    FlushLines();
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
    return bytes_;
}

}  // namespace varnel::plot
