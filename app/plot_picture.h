#pragma once

#include <QImage>
#include <QWidget>

#include "plot/raster_canvas.h"

namespace varnel::app {

/// A picture control: a bitmap drawing surface shown stretched to the control. The surface is
/// created white, at the control's size, by the first use of its canvas.
class PlotPicture : public QWidget {
public:
    explicit PlotPicture(QWidget* parent = nullptr);

    /// The canvas over the drawing surface; it keeps its pen and brush between drawings.
    plot::Canvas& Canvas();
    /// The drawing surface as it stands (null before the first use of the canvas).
    const QImage& Surface() const { return surface_; }
    /// Replaces the surface by a white one of the control's size, so a plot drawn for the
    /// control's width is shown unscaled and sharp.
    void FitSurfaceToControl();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateSurface();

    QImage surface_;
    plot::RasterCanvas canvas_{surface_};
};

}  // namespace varnel::app
