#include "app/drawing_view.h"

#include <QPainter>

#include "plot/raster_canvas.h"

namespace varnel::app {

DrawingView::DrawingView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 320);
}

void DrawingView::SetDrawing(Drawing drawing) {
    drawing_ = std::move(drawing);
    picture_ = QImage();
    update();
}

// The picture is drawn once per size and drawing, not at every repaint of the window.
void DrawingView::paintEvent(QPaintEvent*) {
    if (picture_.size() != size()) {
        picture_ = QImage(size(), QImage::Format_RGB32);
        picture_.fill(Qt::white);
        if (drawing_) {
            plot::RasterCanvas canvas(picture_);
            drawing_(canvas, width(), height());
        }
    }
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

}  // namespace varnel::app
