#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

#include "plot/canvas.h"

namespace varnel::plot {

/// A canvas over a QImage, drawn with QPainter without antialiasing and with the pixel rules of
/// the desktop's GDI: fills leave the right column and bottom row, lines leave their end pixel,
/// ellipses lie inside their box. The image must outlive the canvas.
class RasterCanvas : public Canvas {
public:
    explicit RasterCanvas(QImage& image);

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

private:
    QImage& image_;
    QColor pen_{0, 0, 0};
    QColor brush_{255, 255, 255};
    BrushStyle brushStyle_ = BrushStyle::Solid;
    QPoint position_;
};

}  // namespace varnel::plot
