#include "app/window_placement.h"

#include <algorithm>

namespace varnel::app {

SideBySide PlaceBeside(const QRect& main, const QSize& wanted, const QRect& screen) {
    // No taller than the screen: its lower rows hold the Bootstrap and Save buttons.
    const QSize size(wanted.width(), std::min(wanted.height(), screen.height()));
    // The highest top that keeps the window's lower edge on the screen, never above its top.
    const int top =
        std::max(screen.top(), std::min(main.top(), screen.bottom() + 1 - size.height()));
    // Without room for both: over the main window, moved onto the screen as far as it needs.
    const int left =
        std::max(screen.left(), std::min(main.left(), screen.right() + 1 - size.width()));
    SideBySide placed{QRect(QPoint(left, top), size), main.topLeft()};
    if (screen.right() - main.right() >= size.width()) {
        placed.second = QRect(QPoint(main.right() + 1, top), size);
    } else if (main.left() - screen.left() >= size.width()) {
        placed.second = QRect(QPoint(main.left() - size.width(), top), size);
    } else if (screen.width() >= main.width() + size.width()) {
        placed.mainTopLeft = QPoint(screen.left(), main.top());
        placed.second = QRect(QPoint(screen.left() + main.width(), top), size);
    }
    return placed;
}

}  // namespace varnel::app
