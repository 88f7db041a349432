#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include "app/about.h"
#include "core/messages.h"
#include "tests/app/main_window_fixture.h"

namespace varnel::app {
namespace {

using testing_support::kBlue;
using testing_support::MainWindowTest;
using testing_support::ScriptedUserInterface;

struct ControlCase {
    const char* name;
    QRect geometry;
    const char* caption;
};

TEST(MainWindowLayout, ControlsAndMenusHaveTheirNamesPlacesCaptionsAndStates) {
    ScriptedUserInterface ui;
    TFormMain form(ui);
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" Varnel"));
    EXPECT_EQ(form.pos(), QPoint(290, 155));
    EXPECT_EQ(form.width(), 714);
    for (const ControlCase& c :
         {ControlCase{"PageControl1", {0, 0, 509, 522}, ""},
          ControlCase{"ImageF", {0, 0, 501, 492}, ""}, ControlCase{"ImageI", {0, 0, 500, 500}, ""},
          ControlCase{"Memo", {512, 62, 201, 457}, ""},
          ControlCase{"ProgressBar", {398, 4, 110, 12}, ""},
          ControlCase{"PanelRadButtons", {512, 0, 201, 58}, ""},
          ControlCase{"StaticText1", {16, 16, 67, 19}, "Confidence"},
          ControlCase{"StaticText2", {33, 32, 29, 19}, "level"},
          ControlCase{"RadioButton39", {130, 8, 57, 17}, "&39%"},
          ControlCase{"RadioButton50", {130, 24, 57, 17}, "&50%"},
          ControlCase{"RadioButton95", {130, 37, 57, 17}, "&95%"}}) {
        const auto* widget = form.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
        if (*c.caption != '\0') {
            EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(c.caption)) << c.name;
        }
    }
    EXPECT_TRUE(form.findChild<QRadioButton*>(QStringLiteral("RadioButton95"))->isChecked());
    const auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Post-strain"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Pre-strain"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(form.findChild<QPlainTextEdit*>(QStringLiteral("Memo"))->font().family(),
              QStringLiteral("Courier New"));
    for (const auto& [name, caption, enabled] : {std::tuple{"MenuOpen", "&Open", true},
                                                 {"MenuOpenImage", "Open &Image…", true},
                                                 {"MenuSave", "Save &Picture", true},
                                                 {"MenuSavePst", "P&ost-strain", true},
                                                 {"MenuSavePre", "Pr&e-strain", true},
                                                 {"SaveT2values1", "Save &T^2 values", true},
                                                 {"MenuExit", "E&xit", true},
                                                 {"Edit1", "&Edit", false},
                                                 {"MenuExportReport", "Export &Report…", true},
                                                 {"MenuContents", "&Contents", true},
                                                 {"MenuPDF", "Korvath &Help", false},
                                                 {"MenuVersion", "&Version", true},
                                                 {"View1", "&View", true},
                                                 {"MenuData", "&Data", true}}) {
        const auto* action = form.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption)) << name;
        EXPECT_EQ(action->isEnabled(), enabled) << name;
    }
}

TEST_F(MainWindowTest, ShowingGivesBothPlotsABlankWhiteSurfaceOfTheirSize) {
    EXPECT_EQ(Image("ImageF")->Surface().size(), QSize(501, 492));
    EXPECT_EQ(Image("ImageI")->Surface().size(), QSize(500, 500));
    EXPECT_EQ(CountPixels("ImageF", 0xffffffff), 501 * 492);
}

TEST_F(MainWindowTest, ResizeMovesTheRightColumnAndSquaresThePlotsFromFourData) {
    form->resize(900, 600);
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("Memo"))->x(), 900 + 8 - 201 - 13);
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("PanelRadButtons"))->x(), 900 + 8 - 213);
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("PageControl1"))->width(), 900 + 8 - 218);
    EXPECT_EQ(Image("ImageF")->size(), QSize(501, 492));
    Open(WriteSample("three.txt", 3));
    form->resize(850, 600);
    EXPECT_EQ(Image("ImageF")->size(), QSize(501, 492));
    Open(WriteSample("four.txt", 4));
    form->resize(800, 650);
    const QWidget* page = form->findChild<QWidget*>(QStringLiteral("TabSheetPst"));
    const int side = std::min(page->width(), page->height());
    for (const char* image : {"ImageF", "ImageI"}) {
        EXPECT_EQ(Image(image)->size(), QSize(side, side)) << image;
        EXPECT_EQ(Image(image)->Surface().size(), QSize(side, side)) << image;
        EXPECT_GT(CountPixels(image, kBlue), 0) << image;
    }
}

// The page behind is not laid out, so the square follows the page in front; the plots' axes
// span 1000 pixels, and neither the screen nor a saved picture grows beyond them.
TEST_F(MainWindowTest, PlotsFitThePageInFrontAfterGrowingAndShrinkingAndSavesAgree) {
    Open(WriteSample("four.txt", 4));
    auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    form->resize(1500, 1200);
    EXPECT_EQ(Image("ImageF")->size(), QSize(1000, 1000));
    tabs->setCurrentIndex(1);
    form->resize(500, 400);  // no smaller than the layout was drawn for
    EXPECT_GT(form->findChild<QWidget*>(QStringLiteral("PanelRadButtons"))->x(),
              form->findChild<QWidget*>(QStringLiteral("ProgressBar"))->geometry().right());
    form->resize(760, 560);
    const int side = std::min(tabs->currentWidget()->width(), tabs->currentWidget()->height());
    EXPECT_LT(side, 520);
    for (const char* image : {"ImageF", "ImageI"}) {
        EXPECT_EQ(Image(image)->size(), QSize(side, side)) << image;
        EXPECT_EQ(Image(image)->Surface().size(), QSize(side, side)) << image;
    }
    ui.saveAnswers.push_back(Path("post.png"));
    Trigger("MenuSavePst");
    EXPECT_EQ(QImage(QString::fromStdString(Path("post.png"))).size(), QSize(side, side));
}

TEST(MainWindowStart, AMissingQuantileTableIsReportedBeforeTheWindowShows) {
    const testing_support::TestFolder empty;
    ScriptedUserInterface ui;
    TFormMain form(ui, empty.Path().string() + "/");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ui.messages, std::vector<std::string>{kMissingQuantileTableMessage});
    EXPECT_EQ(form.State().FQuantile95[10], 0.0);
}

TEST(MainWindowStart, AMalformedQuantileTableGoesToTheErrorBoxAndTheWindowOpens) {
    const testing_support::TestFolder folder;
    folder.Write("finv.dat", "3 x 1 2\n");
    ScriptedUserInterface ui;
    TFormMain form(ui, folder.Path().string() + "/");
    form.show();
    EXPECT_EQ(ui.errors, std::vector<std::string>{"入力値が数値ではありません."});
    EXPECT_TRUE(form.isVisible());
}

// Without a quantile for N every range reads NAN, never a zero-width range; the user is told
// once, at start.
TEST(MainWindowStart, ADamagedOrMissingQuantileTableLeavesTheRangesUnavailable) {
    struct Case {
        const char* name;
        const char* finv;
        const char* message;
    };
    const Case cases[] = {
        {"missing", nullptr, kMissingQuantileTableMessage},
        {"empty", "", kDamagedQuantileTableMessage},
        {"cut after N = 3", "3 0.859 1.5 199.5\n", kDamagedQuantileTableMessage},
        {"negative values", "3 -1 -2 -3\n4 -1 -2 -3\n", kDamagedQuantileTableMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing_support::TestFolder folder;
        if (c.finv) folder.Write("finv.dat", c.finv);
        ScriptedUserInterface ui;
        TFormMain form(ui, folder.Path().string() + "/");
        form.show();
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
        const std::string data = folder.Write("four.txt", "2,10\n3,40\n1.5,-20\n1.8,75\n");
        for (int open = 0; open < 2; ++open) {
            ui.openAnswers.push_back(data);
            form.findChild<QAction*>(QStringLiteral("MenuOpen"))->trigger();
        }
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(ui.errors.empty());
        const QStringList report = form.findChild<QPlainTextEdit*>(QStringLiteral("Memo"))
                                       ->toPlainText()
                                       .split(QLatin1Char('\n'));
        ASSERT_EQ(report.size(), 27);
        EXPECT_TRUE(report[4].startsWith(QStringLiteral("R_s    = "))) << report[4].toStdString();
        for (int line : {6, 7, 8, 9, 12, 13, 14, 15, 18, 19, 20, 21, 24, 25, 26, 27}) {
            EXPECT_TRUE(report[line - 1].endsWith(QStringLiteral(" NAN")))
                << report[line - 1].toStdString();
        }
    }
}

TEST(MainWindowStart, TheQuantileTableBesideTheExecutableIsRead) {
    ScriptedUserInterface ui;
    TFormMain form(ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_GT(form.State().FQuantile95[10], 0.0);
}

TEST_F(MainWindowTest, VersionShowsTheAboutWindowWithoutBlockingAndOkHidesIt) {
    TFormAbout about;
    form->SetAboutWindow(&about);
    Trigger("MenuVersion");
    Trigger("MenuVersion");
    EXPECT_TRUE(about.isVisible());
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Korvath"));
    EXPECT_EQ(about.size(), QSize(238, 150));
    const auto* logo = about.findChild<QLabel*>(QStringLiteral("Image1"));
    EXPECT_EQ(logo->pixmap().size(), QSize(96, 96));
    EXPECT_EQ(logo->size(), QSize(50, 50));
    about.grab().save(QDir(QString::fromLatin1(VARNEL_TEST_OUTPUT_DIR))
                          .filePath(QStringLiteral("about_window.png")));
    about.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    EXPECT_FALSE(about.isVisible());
    Trigger("MenuVersion");
    EXPECT_TRUE(about.isVisible());
}

TEST_F(MainWindowTest, ExitEndsTheEventLoopAlsoWhileAboutIsOpen) {
    TFormAbout about;
    form->SetAboutWindow(&about);
    Trigger("MenuVersion");
    bool exitReached = false;
    QTimer::singleShot(0, form.get(), [&] {
        exitReached = true;
        Trigger("MenuExit");
    });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });  // a hung loop fails the test
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(exitReached);
}

TEST_F(MainWindowTest, ExampleFilesOfEachSeparatorAreAnalysed) {
    for (const auto& [file, count] : {std::pair{"three_ellipses.csv", 3},
                                      {"oolites_blank.prn", 20},
                                      {"quartzite_tab.txt", 40}}) {
        Open(std::string(VARNEL_EXAMPLES_DIR) + "/" + file);
        const QStringList report = QString::fromStdString(MemoText()).split(QLatin1Char('\n'));
        ASSERT_EQ(report.size(), 27) << file;
        EXPECT_EQ(report[0], QString::fromLatin1(file));
        EXPECT_EQ(report[2], QStringLiteral("N = %1").arg(count));
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.errors.empty());
}

// The memo holds the very report that varnel-cli prints, as in the reviewed golden files.
TEST_F(MainWindowTest, TheMemoShowsTheGoldenReportOfEachExample) {
    struct Case {
        const char* example;
        const char* button;
        const char* golden;
    };
    const Case cases[] = {{"three_ellipses.csv", "RadioButton95", "three_ellipses_95.txt"},
                          {"quartzite_tab.txt", "RadioButton39", "quartzite_tab_39.txt"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.example);
        form->findChild<QRadioButton*>(QString::fromLatin1(c.button))->click();
        Open(std::string(VARNEL_EXAMPLES_DIR) + "/" + c.example);
        const std::string golden = testing_support::ReadWholeFile(
            std::string(VARNEL_TEST_DATA_DIR) + "/report/" + c.golden);
        ASSERT_FALSE(golden.empty()) << c.golden;
        EXPECT_EQ(MemoText() + "\n", golden);
    }
}

TEST_F(MainWindowTest, KeysOpenQuitCopyTheReportAndSwitchThePlotPages) {
    for (const auto& [name, keys] : {std::pair{"MenuOpen", "Ctrl+O"},
                                     {"MenuExit", "Ctrl+Q"},
                                     {"MenuCopyReport", "Ctrl+C"},
                                     {"MenuNextPlot", "Ctrl+Tab"},
                                     {"MenuContents", "F1"}}) {
        const auto* action = form->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(keys))) << name;
    }
    Open(std::string(VARNEL_EXAMPLES_DIR) + "/quartzite_tab.txt");
    Trigger("MenuCopyReport");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "File: quartzite_tab.txt\tN = 40\tConfidence level: 95%\n\n" + MemoText() + "\n");
    // Failed Opens (a bad ratio's memo line, two data) leave the copy of the report shown.
    Open(WriteFile("bad.txt", "1.5,30\n0.5,10\n1.2,80\n"));
    Open(WriteFile("two.txt", "1.5,30\n2,10\n"));
    const QString copied = QGuiApplication::clipboard()->text();
    Trigger("MenuCopyReport");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);
    const auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    Trigger("MenuNextPlot");
    EXPECT_EQ(tabs->currentIndex(), 1);
    Trigger("MenuNextPlot");
    EXPECT_EQ(tabs->currentIndex(), 0);
}

// Every page the contents link to is compiled in and says something.
TEST_F(MainWindowTest, ContentsShowsTheHelpPagesWithoutBlocking) {
    Trigger("MenuContents");
    Trigger("MenuContents");
    const auto helps = form->findChildren<QDialog*>(QStringLiteral("FormHelp"));
    ASSERT_EQ(helps.size(), 1);
    EXPECT_TRUE(helps[0]->isVisible());
    EXPECT_FALSE(helps[0]->isModal());
    auto* browser = helps[0]->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Varnel Help"));
    for (const char* page : {"data.html", "methods.html", "messages.html", "command_line.html"}) {
        browser->setSource(QUrl(QStringLiteral("qrc:/help/") + QString::fromLatin1(page)));
        EXPECT_GT(browser->toPlainText().size(), 1000) << page;
        EXPECT_TRUE(browser->toHtml().contains(QStringLiteral("index.html"))) << page;
    }
}

TEST_F(MainWindowTest, ScreenshotAfterOpeningAnExample) {
    Open(std::string(VARNEL_EXAMPLES_DIR) + "/quartzite_tab.txt");
    const QDir output(QString::fromLatin1(VARNEL_TEST_OUTPUT_DIR));
    ASSERT_TRUE(form->grab().save(output.filePath(QStringLiteral("main_window.png"))));
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    ASSERT_TRUE(form->grab().save(output.filePath(QStringLiteral("main_window_pre.png"))));
}

}  // namespace
}  // namespace varnel::app
