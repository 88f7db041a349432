#include "app/rfphi_view.h"

#include <QPainter>

#include "plot/raster_canvas.h"

namespace varnel::app {

RfPhiView::RfPhiView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 320);
}

void RfPhiView::SetData(std::optional<plot::RfPhiPlotData> data) {
    data_ = std::move(data);
    picture_ = QImage();
    update();
}

void RfPhiView::Redraw() {
    picture_ = QImage(size(), QImage::Format_RGB32);
    picture_.fill(Qt::white);
    if (!data_) return;
    plot::RasterCanvas canvas(picture_);
    plot::DrawRfPhiPlot(*data_, canvas, width(), height());
}

// The picture is drawn once per size and data, not at every repaint of the window.
void RfPhiView::paintEvent(QPaintEvent*) {
    if (picture_.size() != size()) Redraw();
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

}  // namespace varnel::app
