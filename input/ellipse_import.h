#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "image/image_options.h"
#include "input/column_table.h"
#include "input/data_file.h"

namespace varnel::image {
struct ImageReading;
}

namespace varnel {

/// What the user may say about how a file is to be imported.
struct ImportOptions {
    std::optional<ColumnChoice> columns;  ///< R and φ columns of a table, instead of its header's
    image::ImageOptions image;            ///< how an image file becomes objects
    /// When set, an image's decoded pixels and its objects are left here once found, for the
    /// overlays and the objects' export, so that the image is decoded once.
    std::shared_ptr<image::ImageReading> imageReading;
};

/// The formats a chosen file is read in.
enum class EllipseFileKind {
    DataLines,  ///< the program's own R, φ lines: every file whose first line holds a datum
    Table,      ///< a table whose first line names its columns
    GeoJson,    ///< a GeoJSON FeatureCollection of polygon outlines
    Image,      ///< an image (by its name's extension) whose kept objects are the ellipses
};

/// The kind of the file at `path`: Image by its extension (HasImageName), else from its first line:
/// a file whose first line the data reader reads as a datum (or that cannot be opened, or whose
/// first line is over 1 MiB) is DataLines; one that starts with "{" or has a .json/.geojson name is
/// GeoJson; one whose first line is a header (IsHeaderLine) is Table; anything else DataLines.
EllipseFileKind DetectEllipseFileKind(const std::string& path, char decimalSeparator);

/// How the count and the parse of a chosen file ended.
struct DataFileReading {
    CountOutcome count = CountOutcome::Unreadable;
    ParseOutcome parse;                ///< when Counted
    std::vector<std::string> notices;  ///< for the user although the reading went on
    std::string detail;  ///< when Unreadable or TooManyData: why, for the line below the message
};

/// The count and parse steps of the Open command in one: a data file by ChooseAndCountDataFile
/// and ParseDataFile, unchanged; a table or GeoJSON file by its importer into the same fields
/// (DataFileName, DataCount, DataFirstLine, RPost, PhiPost in radians) with the same outcomes.
/// An image gives the second-moment ellipses of its kept objects (image/image_objects.h).
/// Columns chosen for a file that is not a table are not used, and a notice says so. Throws
/// what ParseDataFile throws, and VarnelError for a UTF-16 or UTF-32 file and a table header or
/// GeoJSON file the importers cannot read, an image that cannot be decoded or keeps no
/// object; nothing is stored before the count succeeds.
DataFileReading CountAndParseDataFile(AnalysisState& state, const std::string& path,
                                      char decimalSeparator, const ImportOptions& options = {});

}  // namespace varnel
