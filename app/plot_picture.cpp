#include "app/plot_picture.h"

#include <QPainter>
#include <algorithm>

namespace varnel::app {

PlotPicture::PlotPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

plot::Canvas& PlotPicture::Canvas() {
    if (surface_.isNull()) CreateSurface();
    return canvas_;
}

void PlotPicture::FitSurfaceToControl() {
    CreateSurface();
    update();
}

void PlotPicture::CreateSurface() {
    surface_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
    surface_.fill(Qt::white);
}

void PlotPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (surface_.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawImage(rect(), surface_);
}

}  // namespace varnel::app
