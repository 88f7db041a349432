#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QSvgGenerator>
#include <memory>

#include "plot/painter_canvas.h"

namespace varnel::plot {

/// A canvas that records the drawing as an SVG document of `width` × `height` pixels (a square
/// of `size`) in memory, outlines one pixel wide at any zoom. Flood fill has no vector form and
/// is ignored.
class SvgCanvas : public PainterCanvas {
public:
    explicit SvgCanvas(int size);
    SvgCanvas(int width, int height);
    ~SvgCanvas() override;

    /// Ends the recording (no drawing after it) and returns the SVG document.
    QByteArray Finish();

private:
    QByteArray bytes_;
    QBuffer buffer_;
    QSvgGenerator generator_;
    std::unique_ptr<QPainter> painter_;
};

}  // namespace varnel::plot
