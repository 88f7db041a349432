#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "plot/canvas.h"

namespace varnel::app {

/// Shows what a drawing routine draws at the control's size, redrawn when the routine or the
/// size change; a blank white area without one.
class DrawingView : public QWidget {
public:
    /// Draws on a canvas of width × height pixels.
    using Drawing = std::function<void(plot::Canvas& canvas, int width, int height)>;

    explicit DrawingView(QWidget* parent = nullptr);

    void SetDrawing(Drawing drawing);
    bool HasDrawing() const { return static_cast<bool>(drawing_); }
    /// The picture as last shown (null before the first paint).
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Drawing drawing_;
    QImage picture_;
};

}  // namespace varnel::app
