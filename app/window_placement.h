#pragma once

#include <QPoint>
#include <QRect>

namespace varnel::app {

/// Where a second window of outer size `size` goes beside a main window whose frame is `main`,
/// on a screen whose free area is `screen` (all in screen pixels): right of it if there is
/// room, else left of it; where neither side has room but the screen is wide enough for both,
/// the main window moves to the screen's left edge (`mainTopLeft` says where) and the second
/// window goes right of it. Its top is the main window's, moved up as far as the screen needs,
/// and it is no taller than the screen. Without room for both it opens over the main window,
/// moved onto the screen as far as it needs.
struct SideBySide {
    QRect second;
    QPoint mainTopLeft;
};
SideBySide PlaceBeside(const QRect& main, const QSize& size, const QRect& screen);

}  // namespace varnel::app
