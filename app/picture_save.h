#pragma once

#include <QWidget>

#include "plot/emf_canvas.h"

namespace varnel::app {

/// The filter of every picture save dialog: EMF first (the default), then SVG, PNG, PDF, JPEG
/// and TIFF.
inline constexpr const char* kPictureFilter =
    "Enhanced metafile (*.emf)|*.emf|Scalable Vector Graphics (*.svg)|*.svg|"
    "PNG image (*.png)|*.png|PDF document (*.pdf)|*.pdf|JPEG image (*.jpg)|*.jpg;*.jpeg|"
    "TIFF image (*.tif)|*.tif;*.tiff";

/// The display the window is on, as a metafile's reference device; the default display when
/// it reports no physical size.
plot::DisplayGeometry DisplayOf(const QWidget& window);

}  // namespace varnel::app
