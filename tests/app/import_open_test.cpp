// File > Open on the tables and outlines other programs write.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTableWidget>

#include "core/analysis_state.h"
#include "core/messages.h"
#include "image/image_objects.h"
#include "tests/app/main_window_fixture.h"

namespace varnel::app {
namespace {

using testing_support::kBlue;
using testing_support::MainWindowTest;

const std::string kExamples = VARNEL_EXAMPLES_DIR;

// The memo's report without its first line, the file's name.
QStringList ReportBody(const std::string& memo) {
    QStringList lines = QString::fromStdString(memo).split(QLatin1Char('\n'));
    lines.removeFirst();
    return lines;
}

TEST_F(MainWindowTest, EveryExampleShowsTheEstimateOfThePlainFile) {
    Open(kExamples + "/calcite_grains.csv");
    const QStringList plain = ReportBody(MemoText());
    ASSERT_EQ(plain.size(), 26);
    for (const char* name : {"calcite_grains_imagej.csv", "calcite_grains_ellipses.csv",
                             "calcite_grains_spreadsheet.csv", "calcite_grains.geojson"}) {
        Blank("ImageF");
        Open(kExamples + "/" + name);
        EXPECT_EQ(form->windowTitle().toStdString(), " Varnel  [ " + std::string(name) + " ]");
        EXPECT_EQ(MemoText().substr(0, MemoText().find('\n')), name);
        EXPECT_EQ(ReportBody(MemoText()), plain) << name;
        EXPECT_GT(CountPixels("ImageF", kBlue), 15 * 8) << name;  // the data redrawn
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, SkippedFeaturesAreToldOnceAndThePolygonsAnalysed) {
    const std::string triangle =
        "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Polygon\", \"coordinates\": "
        "[[[0, 0], [%a, 0], [0, 1], [0, 0]]]}}";
    std::string features;
    for (const char* a : {"2", "3", "1.5", "0.7"}) {
        std::string feature = triangle;
        for (std::size_t at; (at = feature.find("%a")) != std::string::npos;)
            feature.replace(at, 2, a);
        features += feature + ",";
    }
    features +=
        "{\"type\": \"Feature\", \"geometry\": null},"
        "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Point\", \"coordinates\": [1, 1]}}";
    Open(WriteFile("grains.json",
                   "{\"type\": \"FeatureCollection\", \"features\": [" + features + "]}"));
    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "Skipped 2 of 6 features: they hold no Polygon or MultiPolygon."});
    ASSERT_TRUE(ui.errors.empty()) << ui.errors[0];
    EXPECT_NE(MemoText().find("\nN = 4\n"), std::string::npos);
}

TEST_F(MainWindowTest, ImportFailuresKeepTheEarlierAnalysis) {
    Open(WriteSample("good.txt", 12));
    const std::string report = MemoText();
    std::string tooMany = "Major,Minor,Angle\n";
    for (int k = 0; k <= kMaxData; ++k) tooMany += "3,2,45\n";
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> messages, errors;
        const char* caption;
        std::string memo;
    };
    const Case cases[] = {
        {"odd.csv",
         "Ratio,Orientation\n2,30\n",
         {},
         {"The table's header names none of the accepted column sets: Major, Minor and Angle "
          "(ImageJ's fitted ellipses); R or Rf with phi, φ or angle; Max and Min, or a and b, "
          "with phi, φ or angle."},
         " Varnel  [ good.txt ]",
         report},
        {"many.csv", tooMany, {kTooManyDataMessage}, {}, " Varnel  [ good.txt ]", report},
        {"gap.csv",
         "R;phi\n1,5;30\n;40\n",
         {"Invalid data at line #3"},
         {},
         " Varnel  [ gap.csv ]",
         report},
        {"low.csv",
         "R,phi\n2,30\n0.5,40\n1.5,-20\n",
         {},
         {},
         " Varnel  [ low.csv ]",
         report + "\nInvalid R at line #3"},
        {"broken.geojson",
         "{\"type\": \"FeatureCollection\", \"features\": [",
         {},
         {"Invalid JSON: parse error at line 1, column 44: syntax error while parsing value - "
          "unexpected end of input; expected '[', '{', or a literal."},
         " Varnel  [ low.csv ]",
         report + "\nInvalid R at line #3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        ui.errors.clear();
        Open(WriteFile(c.name, c.content));
        EXPECT_EQ(ui.messages, c.messages);
        EXPECT_EQ(ui.errors, c.errors);
        EXPECT_EQ(form->windowTitle().toStdString(), c.caption);
        EXPECT_EQ(MemoText(), c.memo);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// View > Data lists the ellipses as read: the table's lines from 2 with their text, GeoJSON
// outlines and an image's kept objects by number, and follows each Open.
TEST_F(MainWindowTest, ViewDataListsTheEllipsesAsReadAndFollowsEachOpen) {
    Open(std::string(VARNEL_EXAMPLES_DIR) + "/calcite_grains_ellipses.csv");
    Trigger("MenuData");
    auto* window = form->findChild<QDialog*>(QStringLiteral("FormData"));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    const auto* grid = window->findChild<QTableWidget*>(QStringLiteral("DataGrid"));
    const auto cell = [grid](int row, int column) {
        return grid->item(row, column)->text().toStdString();
    };
    EXPECT_EQ(grid->rowCount(), form->State().DataCount);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Line"));
    EXPECT_EQ(cell(0, 0), "2");
    EXPECT_EQ(cell(0, 1), "1.964");
    EXPECT_EQ(cell(0, 2), "20.9");
    EXPECT_EQ(cell(0, 3), "1,24.91,7.72,1.7446,0.8883,1.2171,1.964,20.9");
    Open(std::string(VARNEL_EXAMPLES_DIR) + "/calcite_grains.geojson");
    EXPECT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Outline"));
    EXPECT_EQ(cell(1, 0), "2");
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("DataStatus"))->text().toStdString(),
              "calcite_grains.geojson   N = " + std::to_string(form->State().DataCount));
    Open(std::string(VARNEL_EXAMPLES_DIR) + "/strained_grains.png");
    EXPECT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Kept object"));
    // Each row the object's own number, as in the overlay, gaps where objects are excluded.
    int row = 0;
    for (const image::ImageObject& o :
         image::ReadImageObjects(std::string(VARNEL_EXAMPLES_DIR) + "/strained_grains.png", {})
             .objects) {
        if (o.exclusion == image::Exclusion::None) {
            EXPECT_EQ(cell(row++, 0), std::to_string(o.number));
        }
    }
    EXPECT_EQ(row, grid->rowCount());
}

}  // namespace
}  // namespace varnel::app
