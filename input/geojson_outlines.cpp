#include "input/geojson_outlines.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/io_error.h"
#include "core/varnel_error.h"
#include "input/data_file.h"
#include "input/geojson_terms.h"
#include "input/json_input.h"
#include "input/outline_moments.h"
#include "input/outline_shape.h"
#include "input/regular_file.h"

namespace varnel {

namespace {

using Json = nlohmann::json;
using geojson::Key;
using geojson::Role;

// What the elements of a coordinates array are, and so what the array is.
enum class Nesting { None, Number, Position, Ring, Polygon, MultiPolygon };

// Arrays a MultiPolygon's coordinates nest: polygons, rings, positions, numbers.
constexpr int kDeepestCoordinates = 4;

struct Frame {
    Role role;
    Nesting elements = Nesting::None;
    int numbers = 0;    // of a position
    int depth = 0;      // of a coordinates array: 1 for the geometry's own
    unsigned keys = 0;  // the keys the reader follows met so far in this object
};

// A polygon as read: its moments and whether its rings bound a region.
struct PolygonRead {
    AreaMoments moments;
    OutlineFault fault = OutlineFault::None;
};

Nesting Enclosing(Nesting elements) { return static_cast<Nesting>(static_cast<int>(elements) + 1); }

// Follows a FeatureCollection through the parser's events, keeping for each polygon only the
// running sums of its rings: memory stays small whatever the size of the outlines.
class OutlineReader : public nlohmann::json_sax<Json> {
public:
    OutlineReader(int maxEllipses, char decimalSeparator)
        : maxEllipses_(maxEllipses), decimalSeparator_(decimalSeparator) {}

    GeoJsonOutlines outlines;
    std::string error;  // set when the reader stopped the parse
    bool collection = false;

    bool null() override { return Scalar(); }
    bool boolean(bool) override { return Scalar(); }
    bool number_integer(number_integer_t value) override {
        if (Labelling()) Label(std::to_string(value), false);
        return Number(static_cast<double>(value));
    }
    bool number_unsigned(number_unsigned_t value) override {
        if (Labelling()) Label(std::to_string(value), false);
        return Number(static_cast<double>(value));
    }
    bool number_float(number_float_t value, const string_t& text) override {
        Label(text, false);
        return Number(value);
    }
    bool string(string_t& value) override;
    bool binary(binary_t&) override { return Scalar(); }
    bool start_object(std::size_t) override;
    bool key(string_t& name) override;
    bool end_object() override;
    bool start_array(std::size_t) override;
    bool end_array() override;
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& exception) override {
        error = geojson::JsonErrorText(exception.what(), position);
        return false;
    }

private:
    bool Fail(const std::string& what) {
        error = what;
        return false;
    }
    bool FailInFeature(const std::string& what) {
        return Fail("Feature #" + std::to_string(outlines.features) + ": " + what);
    }
    std::string FeatureName() const;
    bool Labelling() const {
        return skippedDepth_ == 0 && ((Top(Role::Feature) && key_ == Key::Id) ||
                                      (Top(Role::Properties) && property_.empty()));
    }
    void Label(const std::string& text, bool quoted);
    bool Top(Role role) const { return !frames_.empty() && frames_.back().role == role; }
    bool Scalar();
    bool Number(double value);
    bool EndCoordinates(Frame array);
    bool EndGeometry();
    void AddPoint(long double x, long double y);
    void EndPolygon();

    int maxEllipses_;
    char decimalSeparator_;
    std::vector<Frame> frames_;
    int skippedDepth_ = 0;  // containers opened inside one the reader does not follow
    Key key_ = Key::Other;
    std::string keyName_;  // cut to kLongestLabel bytes
    // The feature being read: its "id", its first property, and why its outline is refused.
    std::string id_, property_, outlineFault_;
    // The geometry being read.
    std::string geometryType_;
    Nesting coordinates_ = Nesting::None;
    std::vector<PolygonRead> polygons_;
    PolygonMoments polygon_;
    std::vector<OutlineVertex> vertices_;  // of the polygon being read, to check its shape
    std::vector<std::size_t> ringEnds_;
    RingMoments ring_;
    long double originX_ = 0, originY_ = 0, x_ = 0, y_ = 0;
    bool originSet_ = false;
    std::size_t featureEllipses_ = 0;
};

bool OutlineReader::Scalar() {
    if (skippedDepth_ > 0) return true;
    if (frames_.empty()) return Fail("The JSON file is not a GeoJSON FeatureCollection.");
    if (Top(Role::Coordinates))
        return FailInFeature("coordinates hold a value that is not a number.");
    if (Top(Role::Features))
        return Fail("Feature #" + std::to_string(++outlines.features) + " is not an object.");
    return true;
}

bool OutlineReader::key(string_t& name) {
    key_ = geojson::KeyOf(name);
    keyName_ = name.substr(0, geojson::kLongestLabel);
    if (skippedDepth_ > 0 || frames_.empty() || !geojson::Followed(frames_.back().role, key_))
        return true;
    Frame& object = frames_.back();
    const unsigned bit = 1u << static_cast<unsigned>(key_);
    if ((object.keys & bit) == 0) {
        object.keys |= bit;
        return true;
    }
    const std::string repeated = "the key \"" + keyName_ + "\" occurs twice";
    if (object.role == Role::Root) return Fail("The FeatureCollection: " + repeated + ".");
    return FailInFeature(repeated + " in one object.");
}

// Keeps the feature's "id", or its first property, to name it in a message.
void OutlineReader::Label(const std::string& text, bool quoted) {
    if (!Labelling()) return;
    if (Top(Role::Feature)) {
        id_ = geojson::LabelText(text, quoted);
    } else {
        property_ = keyName_ + " " + geojson::LabelText(text, quoted);
    }
}

// "Feature #k", with its "id" or its first property when it has one.
std::string OutlineReader::FeatureName() const {
    std::string name = "Feature #" + std::to_string(outlines.features);
    if (!id_.empty()) return name + " (id " + id_ + ")";
    if (!property_.empty()) return name + " (" + property_ + ")";
    return name;
}

bool OutlineReader::Number(double value) {
    if (skippedDepth_ > 0 || !Top(Role::Coordinates)) return Scalar();
    Frame& position = frames_.back();
    if (position.elements != Nesting::None && position.elements != Nesting::Number) {
        return FailInFeature("coordinates mix numbers and arrays.");
    }
    if (!std::isfinite(value)) return FailInFeature("a coordinate is not a finite number.");
    position.elements = Nesting::Number;
    if (++position.numbers == 1) x_ = value;
    if (position.numbers == 2) y_ = value;
    return true;
}

bool OutlineReader::string(string_t& value) {
    Label(value, true);
    if (skippedDepth_ == 0 && key_ == Key::Type && Top(Role::Root)) {
        collection = value == "FeatureCollection";
        return true;
    }
    if (skippedDepth_ == 0 && key_ == Key::Type && Top(Role::Geometry)) {
        geometryType_ = value.substr(0, 32);
        return true;
    }
    return Scalar();
}

bool OutlineReader::start_object(std::size_t) {
    if (skippedDepth_ > 0) {
        ++skippedDepth_;
    } else if (frames_.empty()) {
        frames_.push_back({Role::Root});
    } else if (Top(Role::Features)) {
        ++outlines.features;
        featureEllipses_ = outlines.ellipses.size();
        id_.clear();
        property_.clear();
        outlineFault_.clear();
        frames_.push_back({Role::Feature});
    } else if (Top(Role::Feature) && key_ == Key::Properties) {
        frames_.push_back({Role::Properties});
    } else if (Top(Role::Feature) && key_ == Key::Geometry) {
        geometryType_.clear();
        coordinates_ = Nesting::None;
        polygons_.clear();
        polygon_.Clear();
        ring_ = RingMoments();
        vertices_.clear();
        ringEnds_.clear();
        originSet_ = false;
        frames_.push_back({Role::Geometry});
    } else if (Top(Role::Coordinates)) {
        return FailInFeature("coordinates hold an object.");
    } else {
        skippedDepth_ = 1;
    }
    key_ = Key::Other;
    return true;
}

bool OutlineReader::end_object() {
    if (skippedDepth_ > 0) {
        --skippedDepth_;
        return true;
    }
    const Role role = frames_.back().role;
    frames_.pop_back();
    if (role == Role::Geometry) return EndGeometry();
    if (role != Role::Feature) return true;
    if (!outlineFault_.empty()) return Fail(FeatureName() + ": " + outlineFault_);
    if (outlines.ellipses.size() == featureEllipses_) ++outlines.skipped;
    return true;
}

bool OutlineReader::start_array(std::size_t) {
    if (skippedDepth_ > 0) {
        ++skippedDepth_;
    } else if (frames_.empty()) {
        return Fail("The JSON file is not a GeoJSON FeatureCollection.");
    } else if (Top(Role::Root) && key_ == Key::Features) {
        frames_.push_back({Role::Features});
    } else if (Top(Role::Geometry) && key_ == Key::Coordinates) {
        frames_.push_back({Role::Coordinates, Nesting::None, 0, 1});
    } else if (Top(Role::Coordinates)) {
        if (frames_.back().elements == Nesting::Number) {
            return FailInFeature("coordinates mix numbers and arrays.");
        }
        // Refused as soon as it opens: a file of brackets must not become a stack of frames.
        const int depth = frames_.back().depth + 1;
        if (depth > kDeepestCoordinates) return FailInFeature("coordinates are nested too deeply.");
        frames_.push_back({Role::Coordinates, Nesting::None, 0, depth});
    } else if (Top(Role::Features)) {
        return Fail("Feature #" + std::to_string(++outlines.features) + " is not an object.");
    } else {
        skippedDepth_ = 1;
    }
    return true;
}

bool OutlineReader::end_array() {
    if (skippedDepth_ > 0) {
        --skippedDepth_;
        return true;
    }
    const Frame array = frames_.back();
    frames_.pop_back();
    return array.role == Role::Coordinates ? EndCoordinates(array) : true;
}

void OutlineReader::AddPoint(long double x, long double y) {
    // Each polygon's moments are taken about its first vertex: map coordinates (metres from a
    // far origin) would otherwise cancel every digit of the central moments.
    if (!originSet_) {
        originX_ = x;
        originY_ = y;
        originSet_ = true;
    }
    ring_.Add(x - originX_, y - originY_);
    if (vertices_.size() <= kMostCheckedOutlineVertices) {
        vertices_.push_back({static_cast<double>(x - originX_), static_cast<double>(y - originY_)});
    }
}

// Keeps the moments of the polygon read and whether its rings bound a region.
void OutlineReader::EndPolygon() {
    // Beyond the capacity only the fact is kept: the geometry's type, perhaps still to come,
    // says whether these were polygons.
    if (polygons_.size() <= static_cast<std::size_t>(maxEllipses_)) {
        polygons_.push_back({polygon_.Total(), CheckOutline(vertices_, ringEnds_)});
    }
    polygon_.Clear();
    vertices_.clear();
    ringEnds_.clear();
    originSet_ = false;
}

// An array of numbers is a position, of positions a ring, of rings a polygon, of polygons a
// MultiPolygon's coordinates; an empty array says nothing.
bool OutlineReader::EndCoordinates(Frame array) {
    if (array.elements == Nesting::None) return true;
    const Nesting kind = Enclosing(array.elements);
    if (kind == Nesting::Position) {
        if (array.numbers < 2) return FailInFeature("a position has fewer than two numbers.");
        AddPoint(x_, y_);
    } else if (kind == Nesting::Ring) {
        polygon_.AddRing(ring_.Close());
        ringEnds_.push_back(vertices_.size());
    } else if (kind == Nesting::Polygon) {
        EndPolygon();
    }
    if (Top(Role::Geometry)) {
        coordinates_ = kind;
        return true;
    }
    if (kind == Nesting::MultiPolygon) return FailInFeature("coordinates are nested too deeply.");
    Frame& parent = frames_.back();
    if (parent.elements != Nesting::None && parent.elements != kind) {
        return FailInFeature("coordinates mix arrays of different depths.");
    }
    parent.elements = kind;
    return true;
}

bool OutlineReader::EndGeometry() {
    const bool polygon = geometryType_ == "Polygon", multi = geometryType_ == "MultiPolygon";
    if (!polygon && !multi) return true;
    if (coordinates_ == Nesting::None) return true;  // an empty geometry
    if (coordinates_ != (polygon ? Nesting::Polygon : Nesting::MultiPolygon)) {
        return FailInFeature("the coordinates of a " + geometryType_ + " are not " +
                             (polygon ? "rings of positions." : "polygons of rings of positions."));
    }
    for (std::size_t p = 0; p < polygons_.size(); ++p) {
        if (outlines.ellipses.size() >= static_cast<std::size_t>(maxEllipses_)) {
            outlines.tooMany = true;
            return false;
        }
        // Told once the feature ends, when its "id" or properties may have been read.
        if (polygons_[p].fault != OutlineFault::None) {
            outlineFault_ =
                "polygon #" + std::to_string(p + 1) + " " + geojson::FaultText(polygons_[p].fault);
            return true;
        }
        const MomentEllipse ellipse = EquivalentEllipse(polygons_[p].moments);
        if (!ellipse.valid) {
            return FailInFeature("polygon #" + std::to_string(p + 1) + " encloses no area.");
        }
        // The same test as the validation of every datum's R, on the R stored; refused here
        // so that the message names the outline, not its place among the ellipses. A ratio
        // from the moments carries their rounding (a 100 × 1 rectangle turned 33° gives
        // 100.0000000000004), so one within 1e-12 of the limit is the limit.
        double ratio = static_cast<double>(ellipse.ratio);
        if (ratio > kLargestAxialRatio && ratio <= kLargestAxialRatio * (1.0 + 1e-12)) {
            ratio = kLargestAxialRatio;
        }
        if (ratio > kLargestAxialRatio) {
            outlineFault_ = "polygon #" + std::to_string(p + 1) + " " +
                            geojson::RatioAboveLimitText(ellipse.ratio, decimalSeparator_);
            return true;
        }
        outlines.ellipses.push_back({ratio, static_cast<double>(ellipse.degrees)});
    }
    return true;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

GeoJsonOutlines ReadGeoJsonOutlines(const std::string& path, int maxEllipses,
                                    char decimalSeparator) {
    const int fd = OpenRegularFile(path);
    std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "rb"));
    if (!file) {
        const int error = errno;
        ::close(fd);
        ThrowIoErrorFromErrno(error, path);
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && static_cast<std::uint64_t>(info.st_size) > kLargestGeoJsonFile) {
        throw VarnelError("GeoJSON files over " + std::to_string(kLargestGeoJsonFile >> 20) +
                          " MiB are not read; this one has " +
                          std::to_string(static_cast<std::uint64_t>(info.st_size) >> 20) + " MiB.");
    }
    OutlineReader reader(maxEllipses, decimalSeparator);
    JsonInput input(file.get());
    const bool parsed = Json::sax_parse(input.begin(), input.end(), &reader);
    if (std::ferror(file.get())) ThrowIoErrorFromErrno(EIO, path);
    if (reader.outlines.tooMany) return std::move(reader.outlines);
    if (input.Overlong()) {
        throw VarnelError(
            "Invalid JSON: more than " + std::to_string(kLongestJsonRunWithoutValue >> 20) +
            " MiB without a string or number (at byte " + std::to_string(input.BytesRead()) + ")");
    }
    if (!parsed) throw VarnelError(reader.error);
    if (!reader.collection) throw VarnelError("The JSON file is not a GeoJSON FeatureCollection.");
    if (reader.outlines.ellipses.empty()) {
        throw VarnelError("None of the file's " + std::to_string(reader.outlines.features) +
                          " features is a Polygon or MultiPolygon.");
    }
    return std::move(reader.outlines);
}

}  // namespace varnel
