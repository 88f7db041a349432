#pragma once

#include <string>

#include "plot/emf_canvas.h"
#include "plot/equal_area_net.h"
#include "plot/picture_export.h"
#include "plot/shape_plots.h"

namespace varnel::plot {

/// The two plots of a strain study's samples.
enum class ShapePlotKind { Flinn, Hsu };

/// Saves the Flinn or Hsu plot of the samples as a picture file of width × height pixels in
/// `format` (EMF framed by `display`, SVG, PDF, PNG, JPEG, TIFF). Throws VarnelError("No data
/// loaded.") without samples, kNoHsuSampleMessage for a Hsu plot of spheres only, the creation
/// message when the file cannot be made; an earlier
/// file is replaced only by a complete picture.
void ExportShapePlotPicture(const ShapePlotData& data, ShapePlotKind kind, const std::string& path,
                            PictureFormat format, int width, int height,
                            const DisplayGeometry& display = {});

/// Saves the equal-area net of the principal axes as ExportShapePlotPicture saves its plots.
void ExportEqualAreaNetPicture(const NetData& data, const std::string& path, PictureFormat format,
                               int width, int height, const DisplayGeometry& display = {});

}  // namespace varnel::plot
