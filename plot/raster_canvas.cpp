#include "plot/raster_canvas.h"

#include <QPainter>
#include <QPolygon>
#include <cstdlib>

#include "plot/text_font.h"

namespace varnel::plot {
namespace {

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// The pixels of a line from a to b without b, by Bresenham's algorithm.
QPolygon LinePixels(QPoint a, QPoint b) {
    QPolygon pixels;
    const int dx = std::abs(b.x() - a.x()), sx = a.x() < b.x() ? 1 : -1;
    const int dy = -std::abs(b.y() - a.y()), sy = a.y() < b.y() ? 1 : -1;
    int error = dx + dy;
    QPoint p = a;
    while (p != b) {
        pixels << p;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            p.rx() += sx;
        }
        if (twice <= dx) {
            error += dx;
            p.ry() += sy;
        }
    }
    return pixels;
}

}  // namespace

RasterCanvas::RasterCanvas(QImage& image) : image_(image) {}

void RasterCanvas::SetPenColor(Rgb color) { pen_ = ToQColor(color); }

void RasterCanvas::SetBrushColor(Rgb color) { brush_ = ToQColor(color); }

void RasterCanvas::SetBrushStyle(BrushStyle style) { brushStyle_ = style; }

void RasterCanvas::FillRect(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    QPainter painter(&image_);
    painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), brush_);
}

void RasterCanvas::MoveTo(int x, int y) { position_ = QPoint(x, y); }

void RasterCanvas::LineTo(int x, int y) {
    const QPoint end(x, y);
    const QPolygon pixels = LinePixels(position_, end);
    position_ = end;
    if (pixels.isEmpty()) return;
    QPainter painter(&image_);
    painter.setPen(QPen(pen_, 1));
    painter.drawPoints(pixels);
}

// An aliased QPainter outline of the rectangle (l, t, w, h) covers w + 1 by h + 1 pixels, so
// the box of a GDI ellipse, whose right column and bottom row stay outside, is one smaller.
void RasterCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (right - left < 2 || bottom - top < 2) return;
    QPainter painter(&image_);
    painter.setPen(QPen(pen_, 1));
    painter.setBrush(brushStyle_ == BrushStyle::Solid ? QBrush(brush_) : QBrush(Qt::NoBrush));
    painter.drawEllipse(QRect(QPoint(left, top), QPoint(right - 2, bottom - 2)));
}

void RasterCanvas::Polygon(const std::vector<PixelPoint>& points) {
    if (points.size() < 2) return;
    QPolygon polygon;
    for (const PixelPoint& p : points) polygon << QPoint(p.X, p.Y);
    QPainter painter(&image_);
    painter.setPen(QPen(pen_, 1));
    painter.setBrush(brushStyle_ == BrushStyle::Solid ? QBrush(brush_) : QBrush(Qt::NoBrush));
    painter.drawPolygon(polygon, Qt::OddEvenFill);
}

// Surface mode: the 4-connected area of `surfaceColor` around (x, y) takes the brush colour.
void RasterCanvas::FloodFill(int x, int y, Rgb surfaceColor) {
    const QRgb surface = ToQColor(surfaceColor).rgb();
    const QRgb fill = brush_.rgb();
    if (!image_.valid(x, y) || fill == surface || image_.pixel(x, y) != surface) return;
    QPolygon stack;
    stack << QPoint(x, y);
    while (!stack.isEmpty()) {
        const QPoint p = stack.takeLast();
        if (!image_.valid(p) || image_.pixel(p) != surface) continue;
        image_.setPixel(p, fill);
        stack << QPoint(p.x() + 1, p.y()) << QPoint(p.x() - 1, p.y()) << QPoint(p.x(), p.y() + 1)
              << QPoint(p.x(), p.y() - 1);
    }
}

void RasterCanvas::Text(int x, int y, const std::string& text, TextAlign align, int pixelHeight) {
    if (text.empty() || pixelHeight <= 0 || !TextSupport::Available()) return;
    const TextLayout layout = LayOutText(text, pixelHeight);
    QPainter painter(&image_);
    painter.setFont(PlotTextFont(pixelHeight));
    painter.setPen(QPen(pen_, 1));
    painter.drawText(QPoint(TextLeft(x, layout.width, align), y + layout.ascent), layout.text);
}

}  // namespace varnel::plot
