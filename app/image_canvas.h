#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/image_zoom.h"
#include "image/object_picking.h"

namespace varnel::app {

/// Shows an image with its objects' outlines, ellipses and numbers over it, coloured as the
/// overlay files are. The wheel zooms about the pointer, a drag pans, a click without a drag
/// picks the pixel under it; the image fits the view until the user zooms or pans.
class ImageCanvas : public QWidget {
public:
    explicit ImageCanvas(QWidget* parent = nullptr);

    /// A new picture (8-bit grey), fitted to the view; no objects until SetMap.
    void SetPicture(QImage picture);
    /// Another picture of the same size, the zoom and the objects kept.
    void ReplacePicture(QImage picture) {
        picture_ = std::move(picture);
        update();
    }
    /// The objects to draw over the picture.
    void SetMap(std::shared_ptr<const image::ObjectMap> map);
    /// Fits the whole picture into the view, centred, and keeps it fitted.
    void FitToView();
    /// Zooms by `factor` about the view point (x, y), as the wheel does there.
    void ZoomAbout(double factor, double x, double y);
    const ImageZoom& Zoom() const { return zoom_; }
    /// Called with the image pixel under a click.
    std::function<void(image::PixelPosition)> onPick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintObjects(QPainter& painter) const;
    void PaintCaptions(QPainter& painter) const;

    QImage picture_;
    std::shared_ptr<const image::ObjectMap> map_;
    ImageZoom zoom_;
    bool fitted_ = true;
    QPoint pressedAt_, lastAt_;
    bool dragging_ = false, pressed_ = false;
};

}  // namespace varnel::app
