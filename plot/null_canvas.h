#pragma once

#include "plot/canvas.h"

namespace varnel::plot {

/// A canvas that draws nothing: the on-screen picture where there is no screen (the command
/// line, tests), which receives the white clear of an exported plot.
class NullCanvas : public Canvas {
public:
    void SetPenColor(Rgb) override {}
    void SetBrushColor(Rgb) override {}
    void SetBrushStyle(BrushStyle) override {}
    void FillRect(int, int, int, int) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Ellipse(int, int, int, int) override {}
    void Polygon(const std::vector<PixelPoint>&) override {}
    void FloodFill(int, int, Rgb) override {}
    void Text(int, int, const std::string&, TextAlign, int) override {}
};

}  // namespace varnel::plot
