#include "input/geojson_outlines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <sstream>

#include "input/outline_moments.h"
#include "tests/support/error_text.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

using testing_support::ErrorTextOf;

struct Point {
    long double x, y;
};

// The corners of an a × b rectangle centred on (cx, cy), its side a turned `degrees`
// anticlockwise from the x axis.
std::vector<Point> Rectangle(long double a, long double b, long double degrees, long double cx = 0,
                             long double cy = 0) {
    const long double t = degrees * std::numbers::pi_v<long double> / 180;
    std::vector<Point> ring;
    for (const auto& [u, v] : {std::pair{-a, -b}, {a, -b}, {a, b}, {-a, b}}) {
        ring.push_back({cx + u / 2 * std::cos(t) - v / 2 * std::sin(t),
                        cy + u / 2 * std::sin(t) + v / 2 * std::cos(t)});
    }
    return ring;
}

// n vertices on the ellipse of semi-axes a, b turned `degrees`: an affine image of a regular
// n-gon, whose second moments are isotropic, so its moment ellipse has the ratio a / b exactly.
std::vector<Point> EllipseGon(int n, long double a, long double b, long double degrees) {
    const long double t = degrees * std::numbers::pi_v<long double> / 180;
    std::vector<Point> ring;
    for (int k = 0; k < n; ++k) {
        const long double u = 2 * std::numbers::pi_v<long double> * k / n;
        const long double x = a * std::cos(u), y = b * std::sin(u);
        ring.push_back({x * std::cos(t) - y * std::sin(t), x * std::sin(t) + y * std::cos(t)});
    }
    return ring;
}

AreaMoments MomentsOf(const std::vector<Point>& ring) {
    RingMoments moments;
    for (const Point& p : ring) moments.Add(p.x, p.y);
    return moments.Close();
}

MomentEllipse EllipseOf(std::initializer_list<std::vector<Point>> rings) {
    PolygonMoments polygon;
    for (const std::vector<Point>& ring : rings) polygon.AddRing(MomentsOf(ring));
    return EquivalentEllipse(polygon.Total());
}

TEST(OutlineMoments, AUnitSquareHasItsTextbookMoments) {
    const AreaMoments square = MomentsOf({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}});
    EXPECT_EQ(square.area, 1);
    EXPECT_EQ(square.x, 0.5L);
    EXPECT_EQ(square.y, 0.5L);
    EXPECT_NEAR(static_cast<double>(square.xx), 1.0 / 3, 1e-18);
    EXPECT_NEAR(static_cast<double>(square.yy), 1.0 / 3, 1e-18);
    EXPECT_EQ(square.xy, 0.25L);
    EXPECT_EQ(MomentsOf({{0, 0}, {0, 1}, {1, 1}, {1, 0}}).area, -1);  // clockwise
}

TEST(OutlineMoments, KnownShapesGiveTheirEllipses) {
    struct Case {
        const char* name;
        MomentEllipse ellipse;
        double R, degrees, tolerance;
    };
    std::vector<Point> clockwise = Rectangle(4, 1, 30);
    std::reverse(clockwise.begin(), clockwise.end());
    std::vector<Point> clockwiseHole = Rectangle(2, 1, 0);
    std::reverse(clockwiseHole.begin(), clockwiseHole.end());
    const Case cases[] = {
        {"4 × 1 rectangle at 30°", EllipseOf({Rectangle(4, 1, 30)}), 4, 30, 1e-15},
        {"the same, clockwise", EllipseOf({clockwise}), 4, 30, 1e-15},
        {"3600-gon of a 3:1 ellipse at −40°", EllipseOf({EllipseGon(3600, 3, 1, -40)}), 3, -40,
         1e-12},
        {"rectangle along y", EllipseOf({Rectangle(2, 1, 90)}), 2, 90, 1e-15},
        {"rectangle at −90° reads as 90°", EllipseOf({Rectangle(2, 1, -90)}), 2, 90, 1e-15},
        // A 4 × 2 plate with a 2 × 1 hole: Ixx : Iyy = (4²·8 − 2²·2) : (2²·8 − 1²·2) = 4, R = 2.
        {"hollow rectangle", EllipseOf({Rectangle(4, 2, 0), Rectangle(2, 1, 0)}), 2, 0, 1e-15},
        {"hole running the other way", EllipseOf({Rectangle(4, 2, 0), clockwiseHole}), 2, 0, 1e-15},
        // About its centroid a right isosceles triangle has μxx = μyy = L²/18, μxy = −L²/36.
        {"right triangle", EllipseOf({{{0, 0}, {1, 0}, {0, 1}}}), std::sqrt(3.0), -45, 1e-15},
        {"right triangle of legs 1e308", EllipseOf({{{0, 0}, {1e308, 0}, {0, 1e308}}}),
         std::sqrt(3.0), -45, 1e-15},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.ellipse.valid) << c.name;
        EXPECT_NEAR(static_cast<double>(c.ellipse.ratio), c.R, c.tolerance) << c.name;
        EXPECT_NEAR(static_cast<double>(c.ellipse.degrees), c.degrees, c.tolerance * 100) << c.name;
    }
}

TEST(OutlineMoments, ARegionWithoutAreaHasNoEllipse) {
    EXPECT_FALSE(EllipseOf({{{0, 0}, {1, 1}, {2, 2}}}).valid);
    EXPECT_FALSE(EllipseOf({}).valid);
    EXPECT_FALSE(EllipseOf({Rectangle(2, 1, 0), Rectangle(2, 1, 0)}).valid);  // hole fills it
}

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
        return ReadGeoJsonOutlines(folder.Write("outlines.geojson", text), maxEllipses);
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
        "null",
        "{\"type\": \"LineString\", \"coordinates\": " + square + "}",
        "{\"type\": \"MultiLineString\", \"coordinates\": [" + square + "]}",
        "{\"type\": \"GeometryCollection\", \"geometries\": [" + Polygon(square) + "]}",
        "{\"type\": \"Polygon\", \"coordinates\": []}",
    }));
    ASSERT_EQ(outlines.ellipses.size(), 4u);
    const double expected[][3] = {{4, 30, 1e-7}, {3, -40, 1e-8}, {2, 0, 1e-12}, {3, -80, 1e-12}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(outlines.ellipses[i].ratio, expected[i][0], expected[i][2]) << i;
        EXPECT_NEAR(outlines.ellipses[i].degrees, expected[i][1], expected[i][2] * 100) << i;
    }
    EXPECT_EQ(outlines.features, 9);
    EXPECT_EQ(outlines.skipped, 6);
    EXPECT_FALSE(outlines.tooMany);
}

TEST_F(GeoJsonTest, TheKnownAnswersHoldToTheirPrintedDigits) {
    const GeoJsonOutlines outlines = Read(Collection({Polygon(Ring(EllipseGon(3600, 3, 1, -40)))}));
    char text[64];
    std::snprintf(text, sizeof text, "%.7f, %.4f", outlines.ellipses[0].ratio,
                  outlines.ellipses[0].degrees);
    EXPECT_STREQ(text, "3.0000000, -40.0000");
}

TEST_F(GeoJsonTest, SaysWhatIsWrongAndWhere) {
    const std::string triangle = "[[0, 0], [1, 0], [0, 1], [0, 0]]";
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
        {"{\"type\": \"FeatureCollection\", \"features\": [1]}", "Feature #1 is not an object."},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
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
    EXPECT_EQ(ErrorTextOf([&] { ReadGeoJsonOutlines(path, 10000); }),
              "GeoJSON files over 128 MiB are not read; this one has 1024 MiB.");
    EXPECT_EQ(ErrorTextOf([&] { ReadGeoJsonOutlines((folder.Path() / "none.json").string(), 1); }),
              "ファイルが見つかりません");
}

}  // namespace
}  // namespace varnel
