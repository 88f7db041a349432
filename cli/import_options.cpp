#include "cli/import_options.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/data_file_guard.h"
#include "core/replacing_file.h"
#include "core/varnel_error.h"
#include "image/object_export.h"
#include "image/object_overlay.h"
#include "input/column_table.h"
#include "input/data_file_text.h"
#include "plot/picture_export.h"

namespace varnel::cli {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// True when two column choices name one column: equal numbers, or names that match alike.
bool SameColumn(const std::string& a, const std::string& b) {
    const auto number = [](const std::string& text) {
        const std::size_t digits = text.find_first_not_of('0');
        const bool numeric = text.find_first_not_of("0123456789") == std::string::npos;
        return numeric ? std::optional(text.substr(std::min(digits, text.size()))) : std::nullopt;
    };
    if (number(a) || number(b)) return number(a) == number(b);
    return ColumnName(a) == ColumnName(b);
}

}  // namespace

ColumnChoice ParseColumnChoice(const std::string& text) {
    const std::string usage = "--columns takes R=COLUMN,phi=COLUMN (a name or a 1-based number)";
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) {
        throw std::invalid_argument(usage);
    }
    ColumnChoice choice;
    for (const std::string& pair : {text.substr(0, comma), text.substr(comma + 1)}) {
        const std::size_t equals = pair.find('=');
        const std::string key = Lower(pair.substr(0, equals));
        const std::string column = equals == std::string::npos ? "" : pair.substr(equals + 1);
        if (key != "r" && key != "phi") throw std::invalid_argument(usage);
        std::string& slot = key == "r" ? choice.ratio : choice.angle;
        if (column.empty() || !slot.empty()) throw std::invalid_argument(usage);
        slot = column;
    }
    if (SameColumn(choice.ratio, choice.angle)) {
        throw std::invalid_argument("--columns names one column for both R and phi");
    }
    return choice;
}

std::optional<int> ParseThreshold(const std::string& text) {
    if (Lower(text) == "otsu") return std::nullopt;
    const std::size_t digits = text.find_first_not_of("0123456789");
    if (text.empty() || digits != std::string::npos || text.size() > 3 || std::stoi(text) > 255) {
        throw std::invalid_argument("--threshold takes otsu or a grey level 0-255");
    }
    return std::stoi(text);
}

int ParseMinimumArea(const std::string& text) {
    const bool digits = !text.empty() && text.size() <= 10 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    const long long area = digits ? std::stoll(text) : 0;
    if (area < 1 || area > 1LL << 30) {
        throw std::invalid_argument("--min-area takes a whole number of pixels from 1 to " +
                                    std::to_string(1LL << 30));
    }
    return static_cast<int>(area);
}

std::string DataExportConflict(const ImportRequest& request, const ExportRequest& exports) {
    const std::string objects = Lower(request.exportObjects);
    if (!objects.empty() && !objects.ends_with(".csv") && !objects.ends_with(".geojson")) {
        return "--export-objects takes a name ending in .csv or .geojson";
    }
    if (!request.overlayPng.empty() && !Lower(request.overlayPng).ends_with(".png")) {
        return "--overlay-png takes a name ending in .png";
    }
    if (!request.overlaySvg.empty() && !Lower(request.overlaySvg).ends_with(".svg")) {
        return "--overlay-svg takes a name ending in .svg";
    }
    std::vector<RequestedExport> saves = RequestedExports(exports);
    const RequestedExport own[] = {{"--export-data", request.exportData},
                                   {"--overlay-png", request.overlayPng},
                                   {"--overlay-svg", request.overlaySvg},
                                   {"--export-objects", request.exportObjects}};
    for (const RequestedExport& item : own) {
        if (item.path.empty()) continue;
        for (const RequestedExport& other : saves) {
            if (SameSaveTarget(item.path, other.path)) {
                return std::string(item.option) + " and " + other.option +
                       " name the same file \"" + item.path + "\".";
            }
        }
        saves.push_back(item);
    }
    return {};
}

namespace {

// A file the Open could not read leaves every output of what it holds unwritten: the Open has
// said why, so this names the outputs instead of repeating it.
VarnelError NotReadError(const ImportRequest& request) {
    std::string line;
    for (const auto& [option, target] : {std::pair{"--export-data", request.exportData},
                                         {"--overlay-png", request.overlayPng},
                                         {"--overlay-svg", request.overlaySvg},
                                         {"--export-objects", request.exportObjects}}) {
        if (target.empty()) continue;
        line += line.empty() ? "not written, as the file could not be read: " : ", ";
        line += std::string(option) + " " + target;
    }
    return VarnelError(line);
}

}  // namespace

void ExportReadData(const AnalysisState& state, const std::string& path,
                    const ImportRequest& request, analysis::Outcome outcome, char decimalSeparator,
                    const ImportOptions& import) {
    if (request.exportData.empty()) return;
    if (outcome != analysis::Outcome::Ended) {
        RefuseSaveOverDataFile(state, request.exportData);
        ReplaceFile(request.exportData, DataFileText(state));
        return;
    }
    // A failed Open leaves `state` as it was; the data it read are read again to be checked.
    auto read = std::make_unique<AnalysisState>(state);
    DataFileReading reading;
    try {
        reading = CountAndParseDataFile(*read, path, decimalSeparator, import);
    } catch (const VarnelError&) {
        throw NotReadError(request);
    }
    if (reading.count != CountOutcome::Counted || !reading.parse.ok) return;
    RefuseSaveOverDataFile(*read, request.exportData);
    ReplaceFile(request.exportData, DataFileText(*read));
}

void ExportImageObjects(const ImportRequest& request, const std::string& path,
                        const image::ImageReading* reading) {
    if (!request.AnyImageOutput()) return;
    const image::ImageOptions& options = request.options.image;
    // An image the Open could not label is read again: its overlay shows what was found.
    image::ImageReading again;
    if (reading == nullptr || reading->image.empty()) {
        try {
            again.image = image::ReadImageFile(path);
        } catch (const VarnelError&) {
            throw NotReadError(request);
        }
        again.found = image::FindObjects(again.image, options, path, true);
        reading = &again;
    }
    const cv::Mat& picture = reading->image;
    const image::ImageObjects& found = reading->found;
    if (!request.overlayPng.empty()) {
        RefuseSaveOverDataFile(path, request.overlayPng);
        plot::SavePictureFile(request.overlayPng, image::OverlayPng(picture, found, options));
    }
    if (!request.overlaySvg.empty()) {
        RefuseSaveOverDataFile(path, request.overlaySvg);
        plot::SavePictureFile(request.overlaySvg, image::OverlaySvg(picture, found, options));
    }
    if (!request.exportObjects.empty()) {
        RefuseSaveOverDataFile(path, request.exportObjects);
        ReplaceFile(request.exportObjects, Lower(request.exportObjects).ends_with(".csv")
                                               ? image::ObjectsCsv(found)
                                               : image::ObjectsGeoJson(found));
    }
}

}  // namespace varnel::cli
