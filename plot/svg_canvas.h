#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <QSvgGenerator>
#include <memory>
#include <string>

#include "plot/canvas.h"

namespace varnel::plot {

/// A canvas that records the drawing as an SVG document of `width` × `height` pixels (a square
/// of `size`) in memory. Flood fill has no vector form and is ignored.
class SvgCanvas : public Canvas {
public:
    explicit SvgCanvas(int size);
    SvgCanvas(int width, int height);
    ~SvgCanvas() override;

    void SetPenColor(Rgb color) override;
    void SetBrushColor(Rgb color) override;
    void SetBrushStyle(BrushStyle style) override;
    void FillRect(int left, int top, int right, int bottom) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void Polygon(const std::vector<PixelPoint>& points) override;
    void FloodFill(int x, int y, Rgb surfaceColor) override;
    /// Antialiased, as the desktop draws text; nothing without a QGuiApplication.
    void Text(int x, int y, const std::string& text, TextAlign align, int pixelHeight) override;

    /// Ends the recording (no drawing after it) and returns the SVG document.
    QByteArray Finish();

private:
    void ApplyPenAndBrush();
    void FlushLines();

    QByteArray bytes_;
    QBuffer buffer_;
    QSvgGenerator generator_;
    std::unique_ptr<QPainter> painter_;
    QColor pen_{0, 0, 0};
    QColor brush_{255, 255, 255};
    BrushStyle brushStyle_ = BrushStyle::Solid;
    QPoint position_;
    QPolygon pendingLines_;
};

}  // namespace varnel::plot
