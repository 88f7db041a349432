#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/analysis_state.h"
#include "plot/canvas.h"
#include "plot/emf_canvas.h"

namespace varnel::plot {

/// The file formats a plot can be saved in: vectors (EMF, SVG, PDF) or pixels (PNG, JPEG, TIFF).
enum class PictureFormat { Emf, Svg, Png, Pdf, Jpeg, Tiff };

/// The extensions picture files are saved under, as a message lists them.
inline constexpr const char* kPictureExtensions =
    ".emf, .svg, .png, .pdf, .jpg, .jpeg, .tif or .tiff";

/// Saves the Post-strain plot, laid out for the on-screen width `width` (pixels), as a picture
/// file: an Enhanced Metafile framed by `display`, an SVG or a PNG of width × width pixels. The
/// picture has no background; the plot's white clear falls on `screen`, the on-screen picture.
/// Throws VarnelError("No data loaded.") before frames exist, and the creation message when the
/// file cannot be made, SaveOverDataFileMessage when `path` is the data file; an earlier file of
/// that name is replaced only by a complete picture.
void ExportPostStrainPicture(const AnalysisState& state, const std::string& path,
                             PictureFormat format, int width, Canvas& screen,
                             const DisplayGeometry& display = {});

/// The Pre-strain twin of ExportPostStrainPicture.
void ExportPreStrainPicture(const AnalysisState& state, const std::string& path,
                            PictureFormat format, int width, Canvas& screen,
                            const DisplayGeometry& display = {});

/// The bytes of a picture file of width × height pixels in `format` (an EMF framed by
/// `display`, a PDF page of that size at 96 pixels an inch), drawn by `draw` on the canvas of
/// that format; a raster starts opaque white. Throws std::bad_alloc when the memory cannot hold
/// a raster's pixels.
std::string PictureBytes(PictureFormat format, int width, int height,
                         const std::function<void(Canvas&)>& draw, const DisplayGeometry& display);

/// The picture format a file name asks for by its extension (kPictureExtensions, any case), an
/// Enhanced Metafile for a name without one; none for any other extension.
std::optional<PictureFormat> PictureFormatOfName(const std::string& path);

/// PictureFormatOfName, or VarnelError(UnsupportedPictureMessage(path)) when it names none.
PictureFormat PictureFormatOfPath(const std::string& path);

/// "Cannot save a picture as \"NAME\": its name must end in .emf, .svg, … or .tiff.", NAME the
/// file's name without its folder.
std::string UnsupportedPictureMessage(const std::string& path);

/// Writes a picture file's bytes to `path` through a complete replacement. Throws VarnelError
/// "ファイル \"path\". reason を作成できません" when it cannot be created, the I/O error text when
/// a write fails.
void SavePictureFile(const std::string& path, std::string_view bytes);

}  // namespace varnel::plot
