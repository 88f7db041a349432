#include "app/picture_save.h"

#include <QScreen>

namespace varnel::app {

plot::DisplayGeometry DisplayOf(const QWidget& window) {
    plot::DisplayGeometry display;
    const QScreen* screen = window.screen();
    if (screen == nullptr || screen->physicalSize().isEmpty()) return display;
    const QSize pixels = screen->geometry().size() * screen->devicePixelRatio();
    display.widthPixels = pixels.width();
    display.heightPixels = pixels.height();
    display.widthMillimetres = screen->physicalSize().width();
    display.heightMillimetres = screen->physicalSize().height();
    return display;
}

}  // namespace varnel::app
