#pragma once

#include <QColor>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <string>

#include "plot/canvas.h"

namespace varnel::plot {

/// A canvas that draws as vectors through a QPainter on any device (an SVG generator, a PDF
/// writer), one device unit a pixel. Outlines run through the pixel centres; lines drawn one
/// from the other's end become one polyline. Flood fill has no vector form and is ignored.
/// Without a painter (SetPainter(nullptr)) it draws nothing.
class PainterCanvas : public Canvas {
public:
    /// `painter` is not owned and must outlive its use; `cosmeticPens` draws outlines one device
    /// pixel wide at any zoom (as SVG viewers expect), otherwise one unit wide.
    PainterCanvas(QPainter* painter, bool cosmeticPens);

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

    /// Draws the lines still held back for a polyline; call before ending the painter.
    void FlushLines();

protected:
    void SetPainter(QPainter* painter) { painter_ = painter; }

private:
    void ApplyPenAndBrush();

    QPainter* painter_;
    bool cosmeticPens_;
    QColor pen_{0, 0, 0};
    QColor brush_{255, 255, 255};
    BrushStyle brushStyle_ = BrushStyle::Solid;
    QPoint position_;
    QPolygon pendingLines_;
};

}  // namespace varnel::plot
