#include "app/image_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <cmath>

#include "image/object_overlay.h"

namespace varnel::app {
namespace {

// A press that moves farther than this (view pixels) is a drag, not a click.
constexpr int kClickSlack = 4;
// An object's number is written once it spans this many view pixels.
constexpr double kCaptionSpan = 24;

QColor Colour(const char* hex) { return QColor(QString::fromLatin1(hex)); }

}  // namespace

ImageCanvas::ImageCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(false);
    setMinimumSize(200, 200);
}

void ImageCanvas::SetPicture(QImage picture) {
    picture_ = std::move(picture);
    map_.reset();
    FitToView();
}

void ImageCanvas::SetMap(std::shared_ptr<const image::ObjectMap> map) {
    map_ = std::move(map);
    update();
}

void ImageCanvas::FitToView() {
    fitted_ = true;
    zoom_ = ImageZoom::Fit(picture_.width(), picture_.height(), width(), height());
    update();
}

void ImageCanvas::ZoomAbout(double factor, double x, double y) {
    fitted_ = false;
    zoom_ = zoom_.ZoomedAbout(factor, x, y);
    update();
}

void ImageCanvas::resizeEvent(QResizeEvent*) {
    if (fitted_) FitToView();
}

void ImageCanvas::wheelEvent(QWheelEvent* event) {
    // One notch (120 eighths of a degree) zooms by 1.25.
    const QPointF at = event->position();
    ZoomAbout(std::pow(1.25, event->angleDelta().y() / 120.0), at.x(), at.y());
    event->accept();
}

void ImageCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    dragging_ = false;
    pressedAt_ = lastAt_ = event->position().toPoint();
}

void ImageCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) return;
    const QPoint at = event->position().toPoint();
    if (!dragging_ && (at - pressedAt_).manhattanLength() <= kClickSlack) return;
    dragging_ = true;
    fitted_ = false;
    zoom_ = zoom_.Panned(at.x() - lastAt_.x(), at.y() - lastAt_.y());
    lastAt_ = at;
    update();
}

void ImageCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (dragging_ || !onPick) return;
    const QPointF at = event->position();
    onPick(zoom_.PixelAt(at.x(), at.y()));
}

void ImageCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(96, 96, 96));
    if (picture_.isNull()) return;
    painter.save();
    painter.translate(zoom_.left, zoom_.top);
    painter.scale(zoom_.scale, zoom_.scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom_.scale < 1);
    painter.drawImage(QPointF(0, 0), picture_);
    if (map_) PaintObjects(painter);
    painter.restore();
    if (map_) PaintCaptions(painter);
}

// Outlines and ellipses in image pixels (y down) under the zoom, of the objects in view.
void ImageCanvas::PaintObjects(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF visible = painter.transform().inverted().mapRect(QRectF(rect()));
    const int h = map_->found.height;
    for (std::size_t k = 0; k < map_->found.objects.size(); ++k) {
        const image::ImageObject& o = map_->found.objects[k];
        if (!visible.intersects(QRectF(o.left, o.top, o.right - o.left + 1, o.bottom - o.top + 1)))
            continue;
        const image::OverlayColours colours = image::OverlayColoursOf(o.exclusion);
        QPen pen(Colour(colours.ellipse), 1.5);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.save();
        painter.translate(o.x, h - o.y);
        painter.rotate(-o.degrees);  // anticlockwise with y up is clockwise on the screen
        painter.drawEllipse(QPointF(0, 0), o.major, o.minor);
        painter.restore();
        QPainterPath outline;
        for (const image::PixelRing& ring : map_->rings[k]) {
            QPolygonF polygon;
            for (const cv::Point& p : ring) polygon << QPointF(p.x, h - p.y);
            outline.addPolygon(polygon);
            outline.closeSubpath();
        }
        pen.setColor(Colour(colours.outline));
        painter.setPen(pen);
        painter.drawPath(outline);
    }
}

// Each object's number, and why it is left out, at its centroid once it is large enough.
void ImageCanvas::PaintCaptions(QPainter& painter) const {
    const int h = map_->found.height;
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    for (const image::ImageObject& o : map_->found.objects) {
        if (2 * o.minor * zoom_.scale < kCaptionSpan) continue;
        const QPointF at(zoom_.left + zoom_.scale * o.x, zoom_.top + zoom_.scale * (h - o.y));
        if (!rect().contains(at.toPoint())) continue;
        QString text = QString::number(o.number);
        if (o.exclusion != image::Exclusion::None) {
            text += QLatin1Char(' ') + QString::fromUtf8(image::ExclusionName(o.exclusion));
        }
        painter.setPen(Colour(image::OverlayColoursOf(o.exclusion).caption));
        painter.drawText(QRectF(at.x() - 60, at.y() - 10, 120, 20), Qt::AlignCenter, text);
    }
}

}  // namespace varnel::app
