#pragma once

#include <memory>
#include <string>

#include "plot/canvas.h"

namespace varnel::plot {

/// The display a metafile is recorded for: its size in pixels and in millimetres. The default,
/// for a display that reports no size, is 1920 × 1080 pixels at 96 dots per inch.
struct DisplayGeometry {
    int widthPixels = 1920;
    int heightPixels = 1080;
    double widthMillimetres = 508.0;
    double heightMillimetres = 285.75;
};

/// A canvas that records an Enhanced Metafile in memory, in the display's pixels, framed by the
/// whole display (in 0.01 mm). Pens and brushes are created, selected and deleted as the
/// drawing changes colours and styles; the recording starts with the black pen and white brush.
class EmfCanvas : public Canvas {
public:
    explicit EmfCanvas(const DisplayGeometry& display = {});
    ~EmfCanvas() override;
    EmfCanvas(const EmfCanvas&) = delete;
    EmfCanvas& operator=(const EmfCanvas&) = delete;

    void SetPenColor(Rgb color) override;
    void SetBrushColor(Rgb color) override;
    void SetBrushStyle(BrushStyle style) override;
    void FillRect(int left, int top, int right, int bottom) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void Polygon(const std::vector<PixelPoint>& points) override;
    void FloodFill(int x, int y, Rgb surfaceColor) override;

    /// Ends the recording (releases the objects, appends the end record) and returns the file's
    /// bytes; later calls return the same bytes and drawing after it is ignored.
    const std::string& Finish();

private:
    struct Recorder;
    std::unique_ptr<Recorder> recorder_;
};

}  // namespace varnel::plot
