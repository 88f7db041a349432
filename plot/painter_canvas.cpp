#include "plot/painter_canvas.h"

#include <QRect>

#include "plot/text_font.h"

namespace varnel::plot {

PainterCanvas::PainterCanvas(QPainter* painter, bool cosmeticPens)
    : painter_(painter), cosmeticPens_(cosmeticPens) {}

void PainterCanvas::SetPenColor(Rgb color) {
    FlushLines();
    pen_ = QColor(color.r, color.g, color.b);
}

void PainterCanvas::SetBrushColor(Rgb color) { brush_ = QColor(color.r, color.g, color.b); }

void PainterCanvas::SetBrushStyle(BrushStyle style) { brushStyle_ = style; }

void PainterCanvas::ApplyPenAndBrush() {
    QPen pen(pen_, 1);
    pen.setCosmetic(cosmeticPens_);
    painter_->setPen(pen);
    painter_->setBrush(brushStyle_ == BrushStyle::Solid ? QBrush(brush_) : QBrush(Qt::NoBrush));
}

void PainterCanvas::FlushLines() {
    if (painter_ && pendingLines_.size() >= 2) {
        ApplyPenAndBrush();
        painter_->drawPolyline(pendingLines_);
    }
    pendingLines_.clear();
}

void PainterCanvas::FillRect(int left, int top, int right, int bottom) {
    FlushLines();
    if (!painter_ || right <= left || bottom <= top) return;
    painter_->fillRect(QRectF(left - 0.5, top - 0.5, right - left, bottom - top), brush_);
}

void PainterCanvas::MoveTo(int x, int y) {
    FlushLines();
    position_ = QPoint(x, y);
}

void PainterCanvas::LineTo(int x, int y) {
    if (pendingLines_.isEmpty()) pendingLines_ << position_;
    position_ = QPoint(x, y);
    pendingLines_ << position_;
}

// Inside the box, its right column and bottom row left out as on the raster.
void PainterCanvas::Ellipse(int left, int top, int right, int bottom) {
    FlushLines();
    if (!painter_) return;
    ApplyPenAndBrush();
    painter_->drawEllipse(QRectF(left, top, right - left - 1, bottom - top - 1));
}

void PainterCanvas::Polygon(const std::vector<PixelPoint>& points) {
    FlushLines();
    if (!painter_ || points.size() < 2) return;
    QPolygon polygon;
    for (const PixelPoint& p : points) polygon << QPoint(p.X, p.Y);
    ApplyPenAndBrush();
    painter_->drawPolygon(polygon, Qt::OddEvenFill);
}

void PainterCanvas::FloodFill(int, int, Rgb) {}

// Placed as on the raster: the half-pixel shift of the outlines does not apply to text.
void PainterCanvas::Text(int x, int y, const std::string& text, TextAlign align, int pixelHeight) {
    FlushLines();
    if (!painter_ || text.empty() || pixelHeight <= 0 || !TextSupport::Available()) return;
    const TextLayout layout = LayOutText(text, pixelHeight);
    painter_->setFont(PlotTextFont(pixelHeight));
    painter_->setPen(QPen(pen_, 1));
    painter_->drawText(QPointF(TextLeft(x, layout.width, align) - 0.5, y + layout.ascent - 0.5),
                       layout.text);
}

}  // namespace varnel::plot
