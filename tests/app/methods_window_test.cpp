#include "app/methods_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTableWidget>
#include <functional>

#include "app/rfphi_view.h"
#include "app/window_placement.h"
#include "core/confidence_region.h"
#include "core/messages.h"
#include "plot/picture_export.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/wait_for_events.h"

namespace varnel::app {
namespace {

using testing_support::kBlue;
using testing_support::MainWindowTest;

using testing_support::WaitFor;

class MethodsWindowTest : public MainWindowTest {
protected:
    std::string Quartzite() const {
        return std::string(VARNEL_EXAMPLES_DIR) + "/quartzite_tab.txt";
    }
    TFormMethods* Methods() const {
        return form->findChild<TFormMethods*>(QStringLiteral("FormMethods"));
    }
    template <typename Widget>
    Widget* Part(const char* name) const {
        return Methods()->findChild<Widget*>(QString::fromLatin1(name));
    }
    std::string Cell(const char* grid, int row, int column) const {
        const QTableWidgetItem* item = Part<QTableWidget>(grid)->item(row, column);
        return item == nullptr ? std::string("(none)") : item->text().toStdString();
    }
    std::string Status() const { return Part<QLabel>("StatusText")->text().toStdString(); }
    /// The report line that starts with `start`, without it.
    std::string ReportValue(const std::string& start) const {
        const QStringList lines = QString::fromStdString(MemoText()).split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            if (line.startsWith(QString::fromStdString(start))) {
                return line.mid(static_cast<int>(start.size())).trimmed().toStdString();
            }
        }
        return "(no line)";
    }
    void Select(const char* button) {
        form->findChild<QRadioButton*>(QString::fromLatin1(button))->click();
    }
    void Bootstrap(int resamples) {
        Part<QSpinBox>("ResampleCount")->setValue(resamples);
        Part<QPushButton>("ButtonBootstrap")->click();
    }
};

TEST_F(MethodsWindowTest, AnalysisMenuComesBeforeHelpAndLeavesTheOtherMenusAsTheyWere) {
    QStringList menus;
    for (QAction* action : form->menuBar()->actions()) menus << action->objectName();
    EXPECT_EQ(menus, (QStringList{"File1", "Edit1", "View1", "Analysis1", "Help1"}));
    auto* methods = form->findChild<QAction*>(QStringLiteral("MenuMethods"));
    ASSERT_NE(methods, nullptr);
    EXPECT_EQ(methods->text(), QStringLiteral("&Methods"));
    EXPECT_EQ(form->findChild<QAction*>(QStringLiteral("Analysis1"))->text(),
              QStringLiteral("&Analysis"));
}

TEST_F(MethodsWindowTest, OpensOnceWithoutBlockingAndWaitsForData) {
    EXPECT_EQ(Methods(), nullptr);  // created when first asked for
    Trigger("MenuMethods");
    Trigger("MenuMethods");
    EXPECT_EQ(form->findChildren<QWidget*>(QStringLiteral("FormMethods")).size(), 1);
    ASSERT_TRUE(Methods()->isVisible());
    EXPECT_TRUE(Methods()->isWindow());
    EXPECT_EQ(Methods()->windowModality(), Qt::NonModal);
    EXPECT_EQ(Methods()->windowTitle(), QString::fromUtf8("Varnel – Methods"));
    EXPECT_EQ(Status(), "No analysis: open a data file of three ellipses or more.");
    EXPECT_EQ(Part<QTableWidget>("EstimatorGrid")->rowCount(), 0);
    EXPECT_FALSE(Part<QPushButton>("ButtonBootstrap")->isEnabled());
    EXPECT_FALSE(Part<QPushButton>("ButtonSavePlot")->isEnabled());
}

TEST_F(MethodsWindowTest, ComesBackWhereItWasLeft) {
    Trigger("MenuMethods");
    Methods()->setGeometry(40, 50, 900, 600);
    Methods()->hide();
    const TFormMethods next(ui);
    EXPECT_EQ(next.size(), QSize(900, 600));
}

// The main window as it opens (left 290, top 155, 722 × 576) and a 540 × 700 Methods window.
TEST(PlaceBeside, PutsTheSecondWindowWhereTheScreenHasRoomForBoth) {
    const QSize methods(540, 700);
    const struct {
        QRect main, screen, second;
        QPoint mainTopLeft;
    } cases[] = {
        // Room on the right.
        {{290, 155, 722, 576}, {0, 0, 1920, 1080}, {1012, 155, 540, 700}, {290, 155}},
        // Room on neither side but for both: the main window goes to the left edge, and the
        // other rises so that its lower edge stays on the screen.
        {{290, 155, 722, 576}, {0, 0, 1280, 800}, {722, 100, 540, 700}, {0, 155}},
        // Room on the left only.
        {{700, 0, 722, 576}, {0, 0, 1920, 1080}, {160, 0, 540, 700}, {700, 0}},
        // No room for both: over the main window, raised so that its lower edge stays on the
        // screen.
        {{290, 155, 722, 576}, {0, 0, 1024, 768}, {290, 68, 540, 700}, {290, 155}},
        // A screen lower than the window (large fonts scale the pixels): no taller than it.
        {{290, 155, 722, 576}, {0, 0, 853, 533}, {290, 0, 540, 533}, {290, 155}},
    };
    for (const auto& c : cases) {
        const SideBySide placed = PlaceBeside(c.main, methods, c.screen);
        EXPECT_EQ(placed.second, c.second) << c.screen.width();
        EXPECT_EQ(placed.mainTopLeft, c.mainTopLeft) << c.screen.width();
    }
}

TEST_F(MethodsWindowTest, ShowsTheEstimateWithTheReportsRangesAndFollowsTheLevel) {
    Trigger("MenuMethods");
    Open(Quartzite());
    ASSERT_EQ(Part<QTableWidget>("EstimatorGrid")->rowCount(), 4);
    EXPECT_EQ(Cell("EstimatorGrid", 0, 0), "T²");
    EXPECT_EQ(Cell("EstimatorGrid", 0, 1), ReportValue("R_s    = "));
    EXPECT_EQ(Cell("EstimatorGrid", 0, 3), "1.656 – 2.052");  // the report's min and max
    EXPECT_NE(Status().find("quartzite_tab.txt   N = 40   ranges and intervals at 95 %"),
              std::string::npos);
    form->findChild<QRadioButton*>(QStringLiteral("RadioButton39"))->click();
    const std::string range39 = Cell("EstimatorGrid", 0, 3);
    EXPECT_NE(range39, "1.656 – 2.052");
    EXPECT_EQ(range39.substr(0, 5), ReportValue("   min = ").substr(0, 5));
    EXPECT_NE(Status().find("at 39 %"), std::string::npos);
    EXPECT_EQ(Part<QTableWidget>("EstimatorGrid")->horizontalHeaderItem(3)->text(),
              QStringLiteral("R range\n(39 %)"));
    EXPECT_EQ(Status().find('\n'), std::string::npos);
    // Three ellipses at 95 %: the report's ranges are NAN, and the status says why below its
    // line.
    form->findChild<QRadioButton*>(QStringLiteral("RadioButton95"))->click();
    Open(std::string(VARNEL_EXAMPLES_DIR) + "/three_ellipses.csv");
    const std::string status = Status(), reason = RangesUnavailableReason(form->State());
    EXPECT_NE(reason, "");
    EXPECT_EQ(status.substr(status.find('\n') + 1), reason);
    EXPECT_NE(status.find("N = 3"), std::string::npos);
    // Its NAN ranges are narrower than their titles, which still show whole, a margin each side.
    const QTableWidget& grid = *Part<QTableWidget>("EstimatorGrid");
    const QFontMetrics titles = grid.horizontalHeader()->fontMetrics();
    for (int c = 0; c + 1 < grid.columnCount(); ++c) {
        for (const QString& line : grid.horizontalHeaderItem(c)->text().split(QChar('\n'))) {
            EXPECT_GE(grid.columnWidth(c), titles.horizontalAdvance(line) + 4)
                << line.toStdString();
        }
    }
}

TEST_F(MethodsWindowTest, ListsTheThreeTestsWithPValuesAndVerdicts) {
    Open(Quartzite());
    Trigger("MenuMethods");
    const auto* tests = Part<QTableWidget>("TestGrid");
    ASSERT_EQ(tests->rowCount(), 3);
    const char* names[] = {"No strain", "Symmetry χ²", "Symmetry index"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Cell("TestGrid", row, 0), names[row]);
        const std::string p = Cell("TestGrid", row, 2);
        EXPECT_TRUE(p == "< 0.001" || (std::stod(p) >= 0.0 && std::stod(p) <= 1.0)) << p;
        EXPECT_GT(Cell("TestGrid", row, 3).size(), 20u);
    }
    const std::string note = Part<QLabel>("FabricTestNote")->text().toStdString();
    EXPECT_NE(note.find("aligned with the strain"), std::string::npos);
    // 40 ellipses strained to R ≈ 1.8 leave no doubt about the strain.
    EXPECT_EQ(Cell("TestGrid", 0, 2), "< 0.001");
    EXPECT_EQ(Cell("TestGrid", 0, 3),
              "Strained: the ellipses are not an unstrained isotropic set.");
}

TEST_F(MethodsWindowTest, AFailedOpenKeepsTheEarlierAnalysisAndTheNextOneReplacesIt) {
    Trigger("MenuMethods");
    Open(Quartzite());
    const std::string status = Status();
    Open(WriteFile("bad.txt", "2,10\n0.5,40\n1.5,3\n"));
    EXPECT_EQ(Status(), status);
    EXPECT_EQ(Part<QTableWidget>("EstimatorGrid")->rowCount(), 4);
    EXPECT_EQ(Part<RfPhiView>("PlotView")->Data()->ellipses.size(), 40u);
    Open(WriteSample("fifteen.txt", 15));
    EXPECT_EQ(Part<QTableWidget>("EstimatorGrid")->rowCount(), 4);
    EXPECT_EQ(Part<RfPhiView>("PlotView")->Data()->ellipses.size(), 15u);
}

TEST_F(MethodsWindowTest, ACancelledOpenKeepsTheBootstrapIntervals) {
    Open(Quartzite());
    Trigger("MenuMethods");
    Bootstrap(100);
    ASSERT_TRUE(WaitFor([&] { return !Methods()->BootstrapRunning(); }));
    const std::string intervals = Cell("EstimatorGrid", 0, 5);
    Trigger("MenuOpen");  // no answer queued: the dialog is cancelled
    EXPECT_EQ(Cell("EstimatorGrid", 0, 5), intervals);
}

TEST_F(MethodsWindowTest, BootstrapAddsIntervalsAroundTheEstimateAndLeavesTheMainWindowAlone) {
    Open(Quartzite());
    Trigger("MenuMethods");
    const std::string report = MemoText();
    const StrainVector estimate = form->State().StrainEstimate;
    EXPECT_EQ(Cell("EstimatorGrid", 0, 5), "—");
    Bootstrap(400);
    EXPECT_TRUE(Methods()->BootstrapRunning());
    EXPECT_FALSE(Part<QPushButton>("ButtonBootstrap")->isEnabled());
    EXPECT_TRUE(Part<QPushButton>("ButtonCancel")->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !Methods()->BootstrapRunning(); }));
    EXPECT_TRUE(ui.errors.empty());
    const double Rs = std::stod(Cell("EstimatorGrid", 0, 1));
    const std::string interval = Cell("EstimatorGrid", 0, 5);
    const std::size_t dash = interval.find(" – ");
    ASSERT_NE(dash, std::string::npos) << interval;
    EXPECT_LT(std::stod(interval.substr(0, dash)), Rs);
    EXPECT_GT(std::stod(interval.substr(dash + 5)), Rs);
    EXPECT_NE(Cell("EstimatorGrid", 1, 6), "—");  // the hyperbolic mean's φ interval
    EXPECT_EQ(Part<QProgressBar>("BootstrapProgress")->value(), 400);
    Methods()->grab().save(QDir(QString::fromLatin1(VARNEL_TEST_OUTPUT_DIR))
                               .filePath(QStringLiteral("methods_window_bootstrap.png")));
    EXPECT_EQ(MemoText(), report);
    EXPECT_EQ(form->State().StrainEstimate, estimate);
}

TEST_F(MethodsWindowTest, CancelStopsTheBootstrapWithoutIntervals) {
    Open(Quartzite());
    Trigger("MenuMethods");
    Bootstrap(100000);
    Part<QPushButton>("ButtonCancel")->click();
    ASSERT_TRUE(WaitFor([&] { return !Methods()->BootstrapRunning(); }));
    EXPECT_EQ(Status(),
              "quartzite_tab.txt   N = 40   ranges and intervals at 95 %\nBootstrap cancelled.");
    EXPECT_EQ(Cell("EstimatorGrid", 0, 5), "—");
    EXPECT_TRUE(Part<QPushButton>("ButtonBootstrap")->isEnabled());
    Bootstrap(400);  // the next run's status is its own
    ASSERT_TRUE(WaitFor([&] { return !Methods()->BootstrapRunning(); }));
    EXPECT_EQ(Status(), "quartzite_tab.txt   N = 40   ranges and intervals at 95 %");
    Methods()->grab().save(QDir(QString::fromLatin1(VARNEL_TEST_OUTPUT_DIR))
                               .filePath(QStringLiteral("methods_window_after_cancel.png")));
}

// The resamples do not depend on the level: a run goes on through a level change and reports
// at the level in force; a finished one is stated again at once, and another file drops it.
TEST_F(MethodsWindowTest, TheBootstrapSurvivesALevelChange) {
    Open(Quartzite());
    Trigger("MenuMethods");
    // The fewest resamples follow the level: each tail beyond an interval holds 10 or more.
    Bootstrap(399);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"A bootstrap at 95 % needs 400 resamples or "
                                                    "more, so that each tail beyond an interval "
                                                    "holds 10."});
    EXPECT_FALSE(Methods()->BootstrapRunning());
    Bootstrap(400);
    Select("RadioButton50");
    EXPECT_EQ(Part<QSpinBox>("ResampleCount")->value(), 400);
    EXPECT_TRUE(Methods()->BootstrapRunning());
    ASSERT_TRUE(WaitFor([&] { return !Methods()->BootstrapRunning(); }));
    EXPECT_EQ(Part<QTableWidget>("EstimatorGrid")->horizontalHeaderItem(5)->text(),
              QStringLiteral("Bootstrap\nR interval\n(50 %)"));
    const std::string interval50 = Cell("EstimatorGrid", 0, 5);
    EXPECT_NE(interval50, "—");
    Select("RadioButton95");
    const std::string interval95 = Cell("EstimatorGrid", 0, 5);
    EXPECT_NE(interval95, "—");
    EXPECT_NE(interval95, interval50);
    EXPECT_FALSE(Methods()->BootstrapRunning());  // no new run
    Select("RadioButton50");
    EXPECT_EQ(Cell("EstimatorGrid", 0, 5), interval50);
    Open(WriteSample("other.txt", 12));
    EXPECT_EQ(Cell("EstimatorGrid", 0, 5), "—");
}

TEST_F(MethodsWindowTest, ABootstrapTooSmallForTheNewLevelSaysSoAndComesBack) {
    Open(Quartzite());
    Trigger("MenuMethods");
    Select("RadioButton50");
    Bootstrap(100);
    ASSERT_TRUE(WaitFor([&] { return !Methods()->BootstrapRunning(); }));
    const std::string interval50 = Cell("EstimatorGrid", 0, 5);
    Select("RadioButton95");
    EXPECT_EQ(Cell("EstimatorGrid", 0, 5), "—");
    EXPECT_EQ(Status(),
              "quartzite_tab.txt   N = 40   ranges and intervals at 95 %\nThe bootstrap's 100 "
              "resamples are too few at 95 %: run it again with 400 or more.");
    Select("RadioButton50");
    EXPECT_EQ(Cell("EstimatorGrid", 0, 5), interval50);
}

TEST_F(MethodsWindowTest, SavesThePlotInTheFormatOfItsNameAtTheSizeShown) {
    Trigger("MenuMethods");
    Part<QPushButton>("ButtonSavePlot")->click();  // disabled without data: nothing happens
    EXPECT_TRUE(ui.saveRequests.empty());
    Open(Quartzite());
    ui.saveAnswers.push_back(Path("rfphi.svg"));
    Part<QPushButton>("ButtonSavePlot")->click();
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].filter.rfind("Enhanced metafile (*.emf)|*.emf|", 0), 0u);
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "emf");
    EXPECT_TRUE(ui.saveRequests[0].confirmOverwrite);
    QSvgRenderer svg(QString::fromStdString(Path("rfphi.svg")));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox().size(), Part<RfPhiView>("PlotView")->size());
    // The plot's page comes to the front, so the picture has the size the user sees.
    EXPECT_EQ(Part<QTabWidget>("MethodsPages")->currentWidget(), Part<RfPhiView>("PlotView"));
    ui.saveAnswers.push_back(Path("rfphi.emf"));
    Part<QPushButton>("ButtonSavePlot")->click();
    EXPECT_EQ(ui.saveRequests.at(1).initialPath, Path("rfphi.svg"));
    QFile emf(QString::fromStdString(Path("rfphi.emf")));
    ASSERT_TRUE(emf.open(QIODevice::ReadOnly));
    EXPECT_EQ(emf.readAll().mid(40, 4), QByteArray(" EMF"));
    EXPECT_TRUE(ui.errors.empty());
    ui.saveAnswers.push_back(Path("rfphi.jpx"));
    Part<QPushButton>("ButtonSavePlot")->click();
    EXPECT_EQ(ui.messages, std::vector<std::string>{plot::UnsupportedPictureMessage("rfphi.jpx")});
}

TEST_F(MethodsWindowTest, SavesTheTablesAsCsvAndReportsAFailedSave) {
    Open(Quartzite());
    Trigger("MenuMethods");
    ui.saveAnswers.push_back(Path("methods.csv"));
    Part<QPushButton>("ButtonSaveTable")->click();
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].filter, "CSV file (*.csv)|*.csv");
    QFile file(QString::fromStdString(Path("methods.csv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 11);  // 1 + 4 estimators, an empty line, 1 + 3 tests, the end
    const QStringList t2 = lines[1].split(QLatin1Char(','));
    EXPECT_EQ(t2[0], QString::fromUtf8("T²"));
    EXPECT_NEAR(t2[1].toDouble(), std::stod(ReportValue("R_s    = ")), 0.0005);
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("No strain,F,")));
    ui.saveAnswers.push_back(Path("no/such/folder/methods.csv"));
    Part<QPushButton>("ButtonSaveTable")->click();
    EXPECT_EQ(ui.errors, (std::vector<std::string>{"ファイルが見つかりません."}));
}

TEST_F(MethodsWindowTest, ShowsThePlotOfTheData) {
    Open(Quartzite());
    Trigger("MenuMethods");
    auto* pages = Part<QTabWidget>("MethodsPages");
    pages->setCurrentWidget(Part<RfPhiView>("PlotView"));  // the plot draws when in front
    const QImage window = Methods()->grab().toImage();
    const QDir output(QString::fromLatin1(VARNEL_TEST_OUTPUT_DIR));
    window.save(output.filePath(QStringLiteral("methods_window.png")));
    const QImage& plot = Part<RfPhiView>("PlotView")->Picture();
    ASSERT_EQ(plot.size(), Part<RfPhiView>("PlotView")->size());
    int blue = 0;
    for (int y = 0; y < plot.height(); ++y) {
        for (int x = 0; x < plot.width(); ++x) blue += plot.pixel(x, y) == kBlue ? 1 : 0;
    }
    EXPECT_GT(blue, 40 * 8);  // forty circles, some overlapping
}

}  // namespace
}  // namespace varnel::app
