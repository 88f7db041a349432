#include "input/ellipse_import.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "core/io_error.h"
#include "core/varnel_error.h"
#include "image/image_objects.h"
#include "input/byte_reader.h"
#include "input/geojson_outlines.h"
#include "input/table_file.h"
#include "input/text_lines.h"

namespace varnel {

namespace {

constexpr std::size_t kLongestFirstLine = 1 << 20;
constexpr const char* kUtf16Message =
    "The file is UTF-16 text, which is not read: save it as UTF-8 or plain text.";
constexpr const char* kUtf32Message =
    "The file is UTF-32 text, which is not read: save it as UTF-8 or plain text.";
constexpr const char* kUnusedColumnsMessage =
    "The chosen columns are not used: the file is not a table with a header line.";
constexpr const char* kUnusedImageOptionsMessage =
    "The image options are not used: the file is not an image.";

// The refusal of a file that starts with the byte-order mark of UTF-32 or UTF-16, either byte
// order (a spreadsheet's "Unicode text"), or nothing; a data file never starts so. UTF-32's
// little-endian mark begins with UTF-16's, so it is looked for first.
const char* WideTextMessage(const std::string& path) {
    try {
        TextLines lines(path);
        std::string start;
        bool cut = false;
        lines.ReadLine(start, 4, cut);
        using namespace std::string_view_literals;
        if (start == "\xFF\xFE\0\0"sv || start == "\0\0\xFE\xFF"sv) return kUtf32Message;
        start.resize(std::min<std::size_t>(start.size(), 2));
        if (start == "\xFF\xFE" || start == "\xFE\xFF") return kUtf16Message;
    } catch (const VarnelError&) {
        // Unreadable: the data reader's count says so.
    }
    return nullptr;
}

bool HasJsonName(const std::string& path) {
    std::string name = FileNameOf(path);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.ends_with(".json") || name.ends_with(".geojson");
}

// The line without leading characters of codes 0 to 32 and a byte-order mark.
std::string_view LeadingText(std::string_view line) {
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 32) line.remove_prefix(1);
    if (line.starts_with(kUtf8ByteOrderMark)) line.remove_prefix(kUtf8ByteOrderMark.size());
    return line;
}

// A JSON document starts with "{" after blank lines; the data reader refuses such a first line.
bool StartsLikeJson(TextLines& lines, std::string_view firstLine) {
    std::string line(firstLine);
    bool cut = false;
    for (int k = 0; k < 1000; ++k) {
        const std::string_view text = LeadingText(line);
        if (!text.empty()) return text.front() == '{';
        if (!lines.ReadLine(line, 4096, cut)) return false;
    }
    return false;
}

DataFileReading ReadDataLines(AnalysisState& state, const std::string& path,
                              char decimalSeparator) {
    DataFileReading reading;
    reading.count = ChooseAndCountDataFile(state, path, &reading.detail);
    if (reading.count == CountOutcome::Counted)
        reading.parse = ParseDataFile(state, decimalSeparator);
    return reading;
}

DataFileReading ReadTable(AnalysisState& state, const std::string& path,
                          const ImportOptions& options) {
    DataFileReading reading;
    TableColumns columns;
    reading.count = CountTableFile(state, path, options.columns, columns, &reading.detail);
    if (reading.count == CountOutcome::Counted) reading.parse = ParseTableFile(state, columns);
    return reading;
}

DataFileReading ReadGeoJson(AnalysisState& state, const std::string& path, char decimalSeparator) {
    DataFileReading reading;
    const GeoJsonOutlines outlines = ReadGeoJsonOutlines(path, kMaxData, decimalSeparator);
    if (outlines.tooMany) {
        reading.count = CountOutcome::TooManyData;
        reading.detail = TooManyDataDetail(path, -1, "polygons");
        return reading;
    }
    const int count = static_cast<int>(outlines.ellipses.size());
    state.DataCount = count;
    state.DataFileName = path;
    state.DataFirstLine = 1;
    for (int k = 1; k <= count; ++k) {
        state.RPost[k] = outlines.ellipses[k - 1].R;
        state.PhiPost[k] = DegreesToStoredRadians(outlines.ellipses[k - 1].phiDegrees);
    }
    if (outlines.skipped > 0) {
        reading.notices.push_back("Skipped " + std::to_string(outlines.skipped) + " of " +
                                  std::to_string(outlines.features) +
                                  " features: they hold no Polygon or MultiPolygon.");
    }
    reading.count = CountOutcome::Counted;
    reading.parse = {true, 0, {}};
    return reading;
}

static_assert(image::kLargestObjectRatio == kLargestAxialRatio);

std::string NoObjectMessage(const std::string& path, const image::ImageObjects& found,
                            const image::ImageOptions& options) {
    const std::string name = FileNameOf(path);
    if (found.objects.empty()) return "The image \"" + name + "\" holds no object.";
    int edge = 0, small = 0, elongated = 0, hand = 0;
    for (const image::ImageObject& object : found.objects) {
        edge += object.exclusion == image::Exclusion::Edge;
        small += object.exclusion == image::Exclusion::Small;
        elongated += object.exclusion == image::Exclusion::Elongated;
        hand += object.exclusion == image::Exclusion::Hand;
    }
    const auto count = [](int n, const char* one, const char* more) {
        return std::to_string(n) + (n == 1 ? one : more);
    };
    const std::string longer =
        elongated > 0 ? ", " + count(elongated, " has", " have") + " R > 100" : "";
    const std::string byHand = hand > 0 ? ", " + std::to_string(hand) + " excluded by hand" : "";
    return "The image \"" + name + "\" keeps none of its " +
           count(static_cast<int>(found.objects.size()), " object", " objects") + ": " +
           count(edge, " touches", " touch") + " the edge, " + count(small, " is", " are") +
           " smaller than " + std::to_string(options.minimumArea) + " pixels" + longer + byHand +
           ".";
}

// The kept objects of an image in their order, as a GeoJSON file's polygons are stored.
DataFileReading ReadImage(AnalysisState& state, const std::string& path,
                          const ImportOptions& import) {
    const image::ImageOptions& options = import.image;
    DataFileReading reading;
    // Without an export that needs them, the pixels are thresholded in place and no labels kept.
    cv::Mat decoded = image::ReadImageFile(path);
    image::ImageObjects measured;
    if (import.imageReading) {
        import.imageReading->found = image::FindObjects(decoded, options, path, true);
        import.imageReading->image = decoded;
    } else {
        measured = image::FindObjects(std::move(decoded), options, path, false);
    }
    const image::ImageObjects& found = import.imageReading ? import.imageReading->found : measured;
    if (found.kept > kMaxData) {
        reading.count = CountOutcome::TooManyData;
        reading.detail = TooManyDataDetail(path, found.kept, "objects");
        return reading;
    }
    if (found.kept == 0) throw VarnelError(NoObjectMessage(path, found, options));
    state.DataCount = found.kept;
    state.DataFileName = path;
    state.DataFirstLine = 1;
    state.ObjectNumbers.clear();
    int k = 0;
    for (const image::ImageObject& object : found.objects) {
        if (object.exclusion != image::Exclusion::None) continue;
        ++k;
        state.ObjectNumbers.push_back(object.number);
        state.RPost[k] = object.ratio;
        state.PhiPost[k] = DegreesToStoredRadians(object.degrees);
    }
    reading.count = CountOutcome::Counted;
    reading.parse = {true, 0, {}};
    return reading;
}

}  // namespace

EllipseFileKind DetectEllipseFileKind(const std::string& path, char decimalSeparator) {
    if (image::HasImageName(path)) return EllipseFileKind::Image;
    try {
        TextLines lines(path);
        std::string first;
        bool cut = false;
        if (!lines.ReadLine(first, kLongestFirstLine, cut)) return EllipseFileKind::DataLines;
        if (StartsLikeJson(lines, first)) return EllipseFileKind::GeoJson;
        if (cut || IsDataLine(first, decimalSeparator)) return EllipseFileKind::DataLines;
        if (HasJsonName(path)) return EllipseFileKind::GeoJson;
        if (IsHeaderLine(first)) return EllipseFileKind::Table;
    } catch (const VarnelError&) {
        // Unreadable: the data reader's count says so in its own words.
    }
    return EllipseFileKind::DataLines;
}

DataFileReading CountAndParseDataFile(AnalysisState& state, const std::string& path,
                                      char decimalSeparator, const ImportOptions& options) {
    const EllipseFileKind kind = DetectEllipseFileKind(path, decimalSeparator);
    if (kind != EllipseFileKind::Image) {
        // The detail names the file, which the error box does not otherwise show.
        if (const char* message = WideTextMessage(path))
            throw VarnelError(
                message, path + ": the file starts with the byte-order mark of " +
                             (std::string_view(message).find("UTF-16") != std::string_view::npos
                                  ? "UTF-16"
                                  : "UTF-32"));
    }
    DataFileReading reading =
        kind == EllipseFileKind::Table     ? ReadTable(state, path, options)
        : kind == EllipseFileKind::GeoJson ? ReadGeoJson(state, path, decimalSeparator)
        : kind == EllipseFileKind::Image   ? ReadImage(state, path, options)
                                           : ReadDataLines(state, path, decimalSeparator);
    if (kind != EllipseFileKind::Image && !(options.image == image::ImageOptions{})) {
        reading.notices.insert(reading.notices.begin(), kUnusedImageOptionsMessage);
    }
    if (options.columns && kind != EllipseFileKind::Table) {
        reading.notices.insert(reading.notices.begin(), kUnusedColumnsMessage);
    }
    return reading;
}

}  // namespace varnel
