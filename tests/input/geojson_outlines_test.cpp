#include "input/geojson_outlines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "tests/input/outline_shapes.h"
#include "tests/support/error_text.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

using testing_support::EllipseGon;
using testing_support::ErrorTextOf;
using testing_support::Point;
using testing_support::Rectangle;

// A GeoJSON document of features, each given as its geometry's JSON.
std::string Collection(const std::vector<std::string>& geometries) {
    std::string text = "{\"type\": \"FeatureCollection\", \"features\": [";
    for (std::size_t i = 0; i < geometries.size(); ++i) {
        text += (i ? ",\n" : "\n") + std::string("{\"type\": \"Feature\", \"properties\": ") +
                "{\"id\": " + std::to_string(i + 1) +
                ", \"tags\": [[1, 2]]}, \"geometry\": " + geometries[i] + "}";
    }
    return text + "\n]}\n";
}

std::string Ring(const std::vector<Point>& points) {
    std::ostringstream text;
    text.precision(17);
    text << '[';
    for (const Point& p : points)
        text << '[' << static_cast<double>(p.x) << ", " << static_cast<double>(p.y) << "], ";
    text << '[' << static_cast<double>(points[0].x) << ", " << static_cast<double>(points[0].y)
         << "]]";
    return text.str();
}

std::string Polygon(const std::string& rings) {
    return "{\"type\": \"Polygon\", \"coordinates\": [" + rings + "]}";
}

class GeoJsonTest : public ::testing::Test {
protected:
    GeoJsonOutlines Read(const std::string& text, int maxEllipses = 10000) {
        return ReadGeoJsonOutlines(folder.Write("outlines.geojson", text), maxEllipses, '.');
    }
    std::string ErrorOf(const std::string& text) {
        return ErrorTextOf([&] { Read(text); });
    }
    testing_support::TestFolder folder;
};

TEST_F(GeoJsonTest, EveryPolygonBecomesItsEllipseInFileOrder) {
    const std::string square = Ring(Rectangle(1, 1, 0, 10, 10));
    const GeoJsonOutlines outlines = Read(Collection({
        Polygon(Ring(Rectangle(4, 1, 30, 512345.5, 4123456.25))),  // map coordinates
        "{\"coordinates\": [" + Ring(EllipseGon(3600, 3, 1, -40)) + "], \"type\": \"Polygon\"}",
        "{\"type\": \"Point\", \"coordinates\": [1, 2]}",
        "{\"type\": \"MultiPolygon\", \"coordinates\": [[" + Ring(Rectangle(4, 2, 0)) + ", " +
            Ring(Rectangle(2, 1, 0)) + "], [" + Ring(Rectangle(3, 1, 100, 5, 5)) + "]]}",
        "null", "{\"type\": \"LineString\", \"coordinates\": " + square + "}",
        "{\"type\": \"MultiLineString\", \"coordinates\": [" + square + "]}",
        "{\"type\": \"GeometryCollection\", \"geometries\": [" + Polygon(square) + "]}",
        "{\"type\": \"Polygon\", \"coordinates\": []}",
        Polygon(Ring(Rectangle(100, 1, 33))),  // the largest ratio, to the moments' rounding
    }));
    ASSERT_EQ(outlines.ellipses.size(), 5u);
    const double expected[][3] = {
        {4, 30, 1e-7}, {3, -40, 1e-8}, {2, 0, 1e-12}, {3, -80, 1e-12}, {100, 33, 1e-12}};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(outlines.ellipses[i].R, expected[i][0], expected[i][2]) << i;
        EXPECT_NEAR(outlines.ellipses[i].phiDegrees, expected[i][1], expected[i][2] * 100) << i;
    }
    EXPECT_EQ(outlines.features, 10);
    EXPECT_EQ(outlines.skipped, 6);
    EXPECT_FALSE(outlines.tooMany);
}

TEST_F(GeoJsonTest, TheKnownAnswersHoldToTheirPrintedDigits) {
    const GeoJsonOutlines outlines = Read(Collection({Polygon(Ring(EllipseGon(3600, 3, 1, -40)))}));
    char text[64];
    std::snprintf(text, sizeof text, "%.7f, %.4f", outlines.ellipses[0].R,
                  outlines.ellipses[0].phiDegrees);
    EXPECT_STREQ(text, "3.0000000, -40.0000");
}

TEST_F(GeoJsonTest, SaysWhatIsWrongAndWhere) {
    const std::string triangle = "[[0, 0], [1, 0], [0, 1], [0, 0]]";
    const std::string square = "[[0, 0], [4, 0], [4, 4], [0, 4], [0, 0]]";
    const std::string deep = "{\"type\": \"FeatureCollection\", \"features\": [{\"properties\": ";
    // An a × b rectangle has the central second moments a²/12 and b²/12 per unit area along its
    // sides, so its ellipse has R = √(a²/b²) = a / b.
    const double thinRatio = std::sqrt((1000.0 * 1000.0 / 12) / (1.0 * 1.0 / 12));
    char thinText[32];
    std::snprintf(thinText, sizeof thinText, "%.4g", thinRatio);
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"{\"type\": \"FeatureCollection\",\n \"features\": [}",
         "Invalid JSON: parse error at line 2, column 15: syntax error while parsing value - "
         "unexpected '}'; expected '[', '{', or a literal"},
        {"{\"type\": \"FeatureCollection\", \"features\": [{\"a\": 1e400}]}",
         "Invalid JSON: number overflow parsing '1e400' (at byte 54)"},
        {"[1, 2]", "The JSON file is not a GeoJSON FeatureCollection."},
        {"{\"type\": \"Feature\", \"geometry\": " + Polygon(triangle) + "}",
         "The JSON file is not a GeoJSON FeatureCollection."},
        {Collection({}), "None of the file's 0 features is a Polygon or MultiPolygon."},
        {Collection({"{\"type\": \"Point\", \"coordinates\": [0, 0]}"}),
         "None of the file's 1 features is a Polygon or MultiPolygon."},
        {Collection({Polygon(triangle), Polygon("[[0, 0], [1], [0, 1]]")}),
         "Feature #2: a position has fewer than two numbers."},
        {Collection({Polygon("[[0, 0], [1, \"x\"], [0, 1]]")}),
         "Feature #1: coordinates hold a value that is not a number."},
        {Collection({Polygon("[[0, 0], {\"x\": 1}]")}), "Feature #1: coordinates hold an object."},
        {Collection({Polygon("[[0, 0], 1]")}), "Feature #1: coordinates mix numbers and arrays."},
        {Collection({Polygon(triangle + ", [[0, 0], [[1, 0]]]")}),
         "Feature #1: coordinates mix arrays of different depths."},
        {Collection({"{\"type\": \"Polygon\", \"coordinates\": " + triangle + "}"}),
         "Feature #1: the coordinates of a Polygon are not rings of positions."},
        {Collection({"{\"type\": \"MultiPolygon\", \"coordinates\": [" + triangle + "]}"}),
         "Feature #1: the coordinates of a MultiPolygon are not polygons of rings of positions."},
        {Collection({Polygon("[[0, 0], [1, 1], [2, 2], [0, 0]]")}),
         "Feature #1: polygon #1 encloses no area."},
        {Collection({Polygon(triangle), Polygon("[[0, 0], [2, 2], [2, 0], [0, 2], [0, 0]]")}),
         "Feature #2 (id 2): polygon #1 crosses itself, so it bounds no region."},
        {"{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"geometry\": " +
             Polygon(square + ", [[1, 1], [5, 1], [5, 3], [1, 3], [1, 1]]") +
             ", \"id\": \"grain 7\", \"properties\": {\"area\": 4}}]}",
         "Feature #1 (id \"grain 7\"): polygon #1 has rings that cross each other."},
        {"{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"geometry\": " +
             Polygon(square + ", [[1, 1], [5, 1], [5, 3], [1, 3], [1, 1]]") +
             ", \"id\": \"a\\u0000b\\nFeature #9 \\\"c\"}]}",
         "Feature #1 (id \"a\\u0000b\\u000aFeature #9 \\\"c\"): polygon #1 has rings that cross "
         "each other."},
        {"{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"properties\": "
         "{\"tags\": [1], \"name\": \"g3\"}, \"geometry\": {\"type\": \"MultiPolygon\", "
         "\"coordinates\": [[" +
             triangle + "], [" + square + ", [[5, 5], [6, 5], [6, 6], [5, 5]]]]}}]}",
         "Feature #1 (name \"g3\"): polygon #2 has a hole outside its outer ring."},
        {"{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"id\": \"g1\", "
         "\"geometry\": " +
             Polygon(square +
                     ", [[1, 1], [2, 1], [2, 2], [1, 1]], [[2, 1], [2, 2], [1, 1], [2, 1]]") +
             "}]}",
         "Feature #1 (id \"g1\"): polygon #1 has holes that overlap."},
        {Collection({Polygon("[[1, 1], [0, 0], [2, 0], [1, 1], [0, 3], [2, 3], [1, 1]]")}),
         "Feature #1 (id 1): polygon #1 crosses itself, so it bounds no region."},
        {"{\"type\": \"FeatureCollection\", \"features\": [{\"geometry\": " + Polygon(triangle) +
             ", \"geometry\": " + Polygon(triangle) + "}]}",
         "Feature #1: the key \"geometry\" occurs twice in one object."},
        {Collection({"{\"type\": \"Polygon\", \"coordinates\": [" + triangle +
                     "], \"coordinates\": [" + triangle + "]}"}),
         "Feature #1: the key \"coordinates\" occurs twice in one object."},
        {"{\"features\": [], \"type\": \"FeatureCollection\", \"features\": []}",
         "The FeatureCollection: the key \"features\" occurs twice."},
        {Collection({Polygon("[[[[0, 0]]]]")}), "Feature #1: coordinates are nested too deeply."},
        {deep + std::string(3 << 20, '['),
         "Invalid JSON: more than 1 MiB without a string or number (at byte " +
             std::to_string(deep.size() - 2 + (1 << 20) + 1) + ")"},
        {"{\"type\": \"FeatureCollection\", \"features\": [1]}", "Feature #1 is not an object."},
        {Collection({Polygon(triangle),
                     "{\"type\": \"MultiPolygon\", \"coordinates\": [[" + triangle + "], [" +
                         Ring(Rectangle(1000, 1, 30, 512345.5, 4123456.25)) + "]]}"}),
         "Feature #2 (id 2): polygon #2 is an ellipse of axial ratio " + std::string(thinText) +
             ", above the largest the program analyses (100)."},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text.substr(0, 300);
}

TEST_F(GeoJsonTest, WritesARatioAboveTheLimitWithTheDecimalSeparatorAndDigitsBeyondIt) {
    const std::string path =
        folder.Write("thin.geojson", Collection({Polygon(Ring(Rectangle(100.02, 1, 0)))}));
    EXPECT_EQ(
        ErrorTextOf([&] { ReadGeoJsonOutlines(path, 10000, ','); }),
        "Feature #1 (id 1): polygon #1 is an ellipse of axial ratio 100,02, above the largest "
        "the program analyses (100).");
}

TEST_F(GeoJsonTest, StopsPastTheCapacity) {
    const std::string triangle = Polygon("[[0, 0], [1, 0], [0, 1], [0, 0]]");
    EXPECT_FALSE(Read(Collection({triangle, triangle, triangle}), 3).tooMany);
    const GeoJsonOutlines over = Read(Collection({triangle, triangle, triangle, triangle}), 3);
    EXPECT_TRUE(over.tooMany);
    EXPECT_EQ(over.ellipses.size(), 3u);
    const std::string multi = "{\"type\": \"MultiPolygon\", \"coordinates\": [" +
                              std::string("[[[0, 0], [1, 0], [0, 1]]], ") +
                              "[[[0, 0], [1, 0], [0, 1]]], [[[0, 0], [1, 0], [0, 1]]]]}";
    EXPECT_TRUE(Read(Collection({multi}), 2).tooMany);
}

TEST_F(GeoJsonTest, RefusesAGigabyteFileWithoutReadingIt) {
    const std::string path = folder.Write("huge.geojson", "{\"type\": \"FeatureCollection\"");
    std::filesystem::resize_file(path, std::uintmax_t{1} << 30);  // sparse: no disk used
    EXPECT_EQ(ErrorTextOf([&] { ReadGeoJsonOutlines(path, 10000, '.'); }),
              "GeoJSON files over 128 MiB are not read; this one has 1024 MiB.");
    EXPECT_EQ(
        ErrorTextOf([&] { ReadGeoJsonOutlines((folder.Path() / "none.json").string(), 1, '.'); }),
        "ファイルが見つかりません");
}

}  // namespace
}  // namespace varnel
