#include "app/ellipsoid_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>

#include "app/drawing_view.h"
#include "input/locale_separator.h"
#include "plot/shape_plots.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/wait_for_events.h"

namespace varnel::app {
namespace {

using testing_support::MainWindowTest;
using testing_support::WaitFor;

// The window shows four decimals.
constexpr double kShownDigits = 5e-5;

class EllipsoidWindowTest : public MainWindowTest {
protected:
    std::string Study() const { return std::string(VARNEL_EXAMPLES_DIR) + "/sections/study.csv"; }
    TFormEllipsoid* Window() const {
        return form->findChild<TFormEllipsoid*>(QStringLiteral("FormEllipsoid"));
    }
    template <typename Widget>
    Widget* Part(const char* name) const {
        return Window()->findChild<Widget*>(QString::fromLatin1(name));
    }
    std::string Status() const { return Part<QLabel>("StatusText")->text().toStdString(); }
    double Value(int row) const {
        QString text = Part<QTableWidget>("EllipsoidGrid")->item(row, 1)->text();
        // An axis's "trend/plunge" gives its trend.
        return text.section(QLatin1Char('/'), 0, 0)
            .replace(QLatin1Char(','), QLatin1Char('.'))
            .toDouble();
    }
    void OpenTable(const std::string& path) {
        Trigger("MenuEllipsoid");
        ui.openAnswers.push_back(path);
        Part<QPushButton>("ButtonOpenTable")->click();
    }
};

TEST_F(EllipsoidWindowTest, ComesAfterMethodsAndOpensOneWindow) {
    const QList<QAction*> items = form->findChild<QMenu*>(QStringLiteral("Analysis1"))->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[1]->objectName(), QStringLiteral("MenuEllipsoid"));
    Trigger("MenuEllipsoid");
    Trigger("MenuEllipsoid");
    EXPECT_EQ(form->findChildren<QWidget*>(QStringLiteral("FormEllipsoid")).size(), 1);
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_EQ(Status(), "No sections: open a sections table of three sections or more.");
}

TEST_F(EllipsoidWindowTest, ShowsTheSectionsAndTheEllipsoidOfTheChosenSample) {
    OpenTable(Study());
    const auto studies = ellipsoid::StudySections(Study(), UserDecimalSeparator());
    ASSERT_EQ(Part<QTableWidget>("SectionsGrid")->rowCount(), 10);
    for (int chosen : {0, 2}) {
        Part<QComboBox>("SampleChoice")->setCurrentIndex(chosen);
        const ellipsoid::EllipsoidFit& fit = *studies[std::size_t(chosen)].fit;
        const double X = fit.axes[0].length, Y = fit.axes[1].length, Z = fit.axes[2].length;
        EXPECT_NEAR(Value(1), X / Y, kShownDigits);
        EXPECT_NEAR(Value(2), Y / Z, kShownDigits);
        EXPECT_NEAR(Value(7), fit.shape.k, kShownDigits);
        EXPECT_NEAR(Value(8), fit.shape.nu, kShownDigits);
        EXPECT_NEAR(Value(9), fit.shape.epsS, kShownDigits);
        EXPECT_NEAR(Value(10), fit.incompatibility, kShownDigits);
        EXPECT_NEAR(Value(4), fit.axes[0].line.trendDegrees, 0.05);
    }
}

TEST_F(EllipsoidWindowTest, ShowsWhyATableIsRefused) {
    const std::string table = WriteFile("lost.csv", "name,strike,dip,file\na,0,0,gone.txt\n");
    std::string message;
    try {
        ellipsoid::StudySections(table, '.');
    } catch (const std::exception& error) {
        message = error.what();
    }
    OpenTable(table);
    EXPECT_EQ(Status(), "lost.csv: " + message);
    EXPECT_EQ(Part<QTableWidget>("SectionsGrid")->rowCount(), 0);
    EXPECT_TRUE(ui.errors.empty());
    // A sphere: its k and axes undefined, no net to save, nothing to resample.
    OpenTable(
        WriteFile("sphere.csv", "name,strike,dip,R,phi\na,0,0,1,0\nb,0,90,1,0\nc,90,90,1,0\n"));
    EXPECT_EQ(Part<QTableWidget>("EllipsoidGrid")->item(7, 1)->text(), QStringLiteral("undefined"));
    EXPECT_EQ(Part<QTableWidget>("EllipsoidGrid")->item(4, 1)->text(), QStringLiteral("undefined"));
    EXPECT_FALSE(Part<QPushButton>("ButtonBootstrap")->isEnabled());
    for (int tab : {2, 1}) {
        Part<QTabWidget>("PlotTabs")->setCurrentIndex(tab);
        Part<QPushButton>("ButtonSavePlot")->click();
    }
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{"No data loaded.", plot::kNoHsuSampleMessage}));
    // A file of many faults: the status keeps its first lines and counts the rest.
    std::string bad;
    for (int i = 0; i < 50; ++i) bad += "0.5,10\n";
    WriteFile("bad.txt", bad);
    OpenTable(WriteFile("bad.csv", "name,strike,dip,file\na,0,0,bad.txt\n"));
    const std::string status = Status();
    EXPECT_EQ(std::count(status.begin(), status.end(), '\n'), 8) << status;
    EXPECT_NE(status.find(" more lines"), std::string::npos);
}

TEST_F(EllipsoidWindowTest, BootstrapAddsIntervalsAndSavePlotWritesTheTabInFront) {
    OpenTable(Study());
    // B, seed and level as chosen give the command line's numbers.
    Part<QComboBox>("LevelChoice")->setCurrentIndex(1);  // 50 %
    Part<QSpinBox>("ResampleCount")->setValue(100);
    Part<QLineEdit>("SeedValue")->setText("7");
    Part<QPushButton>("ButtonBootstrap")->click();
    ASSERT_TRUE(WaitFor([this] { return !Window()->BootstrapRunning(); }));
    auto expected = ellipsoid::StudySections(Study(), UserDecimalSeparator());
    ASSERT_TRUE(ellipsoid::BootstrapStudies(expected, 100, 7, 50));
    const ellipsoid::EllipsoidBootstrap& shown = *Window()->Studies()[0].bootstrap;
    EXPECT_EQ(shown.XY.lo, expected[0].bootstrap->XY.lo);
    EXPECT_EQ(shown.levelPercent, 50);
    EXPECT_EQ(Part<QProgressBar>("BootstrapProgress")->text(),
              QStringLiteral("100 of 100 resamples"));
    EXPECT_NE(Part<QTableWidget>("EllipsoidGrid")->item(1, 2)->text(), QStringLiteral("—"));
    // Cancel stops a long run and keeps what was shown.
    Part<QSpinBox>("ResampleCount")->setValue(100000);
    Part<QPushButton>("ButtonBootstrap")->click();
    Part<QPushButton>("ButtonCancel")->click();
    ASSERT_TRUE(WaitFor([this] { return !Window()->BootstrapRunning(); }));
    EXPECT_NE(Status().find("\nBootstrap cancelled."), std::string::npos);
    EXPECT_EQ(Window()->Studies()[0].bootstrap->XY.lo, shown.XY.lo);
    // So does closing the window.
    Part<QPushButton>("ButtonBootstrap")->click();
    Window()->close();
    ASSERT_TRUE(WaitFor([this] { return !Window()->BootstrapRunning(); }));
    Trigger("MenuEllipsoid");
    for (int tab : {0, 1, 2}) {
        Part<QTabWidget>("PlotTabs")->setCurrentIndex(tab);
        const std::string path = Path("plot" + std::to_string(tab) + ".svg");
        ui.saveAnswers.push_back(path);
        Part<QPushButton>("ButtonSavePlot")->click();
        EXPECT_TRUE(std::filesystem::exists(path)) << tab;
    }
    ui.saveAnswers.push_back(Study());
    Part<QPushButton>("ButtonSavePlot")->click();
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"Cannot save over the sections table \"study.csv\"."});
}

}  // namespace
}  // namespace varnel::app
