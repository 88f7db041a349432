#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QStringList>
#include <QUrl>
#include <filesystem>

#include "core/io_error.h"
#include "core/messages.h"
#include "core/varnel_error.h"
#include "tests/app/main_window_fixture.h"

namespace varnel::app {
namespace {

using testing_support::kBlue;
using testing_support::kRed;
using testing_support::MainWindowTest;

QStringList Lines(const std::string& text) {
    return QString::fromStdString(text).split(QLatin1Char('\n'));
}

void Select(TFormMain& form, const char* button) {
    form.findChild<QRadioButton*>(QString::fromLatin1(button))->click();
}

TEST_F(MainWindowTest, OpeningAFileShowsCaptionReportAndBothPlots) {
    auto* progress = form->findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
    std::vector<int> positions;
    QObject::connect(progress, &QProgressBar::valueChanged,
                     [&positions](int value) { positions.push_back(value); });
    Open(WriteSample("thirty.txt", 30));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(form->windowTitle().toStdString(), " Varnel  [ thirty.txt ]");
    const QStringList report = Lines(MemoText());
    ASSERT_EQ(report.size(), 27);
    EXPECT_EQ(report[0], QStringLiteral("thirty.txt"));
    EXPECT_EQ(report[2], QStringLiteral("N = 30"));
    EXPECT_TRUE(report[4].startsWith(QStringLiteral("R_s    = ")));
    for (const char* image : {"ImageF", "ImageI"}) {
        EXPECT_GT(CountPixels(image, kBlue), 30 * 8) << image;  // one blue ring per datum
        EXPECT_GT(CountPixels(image, kRed), 60) << image;       // the estimate cross
    }
    EXPECT_EQ(progress->maximum(), 11);
    ASSERT_GE(positions.size(), 2u);  // a step per attempt, then back to 0
    EXPECT_EQ(positions.front(), 1);
    EXPECT_EQ(positions.back(), 0);
    EXPECT_TRUE(ui.busyCursorAtLastDialog);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

struct FailedOpen {
    const char* name;
    std::string content;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    const char* caption;
};

// Test names show the case, not its bytes.
void PrintTo(const FailedOpen& c, std::ostream* out) { *out << c.name; }

class FailedOpenTest : public MainWindowTest, public ::testing::WithParamInterface<FailedOpen> {};

TEST_P(FailedOpenTest, ReportsTheFailureAndKeepsTheEarlierResults) {
    Open(WriteSample("good.txt", 12));
    const std::string earlierReport = MemoText();
    const FailedOpen& c = GetParam();
    Open(WriteFile(c.name, c.content));
    EXPECT_EQ(ui.messages, c.messages);
    EXPECT_EQ(ui.errors, c.errors);
    EXPECT_EQ(form->windowTitle().toStdString(), c.caption);
    EXPECT_EQ(MemoText(), earlierReport);
    EXPECT_EQ(form->State().DataCount, 12);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FailedOpenTest,
    ::testing::Values(
        FailedOpen{"noseparator.txt",
                   "1.5,30\n2,10\n2.5\n1.2,80\n",
                   {"Invalid data at line #3"},
                   {},
                   " Varnel  [ noseparator.txt ]"},
        FailedOpen{"trailing.txt",
                   "1.5,30\n2,10\n1.2,80\n\n",
                   {"Invalid data at line #4"},
                   {},
                   " Varnel  [ trailing.txt ]"},
        FailedOpen{"two.txt", "1.5,30\n2,10\n", {kTooFewDataMessage}, {}, " Varnel  [ two.txt ]"},
        FailedOpen{"empty.txt", "", {}, {"不正な浮動小数点数演算命令."}, " Varnel  [ empty.txt ]"},
        FailedOpen{
            "one.txt", "1.5,30\n", {}, {"0 による浮動小数点数除算."}, " Varnel  [ one.txt ]"},
        FailedOpen{"text.txt",
                   "1.5,30\nabc,10\n1.2,80\n",
                   {},
                   {"'abc' は浮動小数点数ではありません."},
                   " Varnel  [ good.txt ]"}),
    [](const auto& info) {
        const std::string name = info.param.name;
        return name.substr(0, name.find('.'));
    });

TEST_F(MainWindowTest, AfterAFailedOpenALevelChangeShowsTheEarlierAnalysis) {
    Open(WriteSample("good.txt", 12));
    Select(*form, "RadioButton50");
    const std::string report50 = MemoText();
    const int rings = CountPixels("ImageF", kBlue);
    Select(*form, "RadioButton95");
    Open(WriteFile("text.txt", "1.5,30\nabc,10\n1.2,80\n"));
    Blank("ImageF");
    Select(*form, "RadioButton50");
    EXPECT_EQ(MemoText(), report50);
    EXPECT_EQ(CountPixels("ImageF", kBlue), rings);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, TheCaptionNamesTheNewFileBeforeItsMessageShows) {
    struct Case {
        const char* file;
        std::string content;
        std::string message;
    };
    const Case cases[] = {
        {"line.txt", "1.5,30\n2\n1.2,80\n", "Invalid data at line #2"},
        {"two.txt", "1.5,30\n2,10\n", kTooFewDataMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Open(WriteSample("good.txt", 12));
        ui.messages.clear();
        std::vector<std::string> captions;
        ui.whileMessageShows = [&] { captions.push_back(form->windowTitle().toStdString()); };
        Open(WriteFile(c.file, c.content));
        ui.whileMessageShows = nullptr;
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
        EXPECT_EQ(captions, std::vector<std::string>{" Varnel  [ " + std::string(c.file) + " ]"});
    }
}

TEST_F(MainWindowTest, AFileThatCannotBeReadIsAnInvalidDataFile) {
    Open(Path("missing.txt"));
    EXPECT_EQ(ui.messages, std::vector<std::string>{kInvalidDataFileMessage});
    EXPECT_EQ(ui.messageDetails,
              std::vector<std::string>{IoErrorDetail(ENOENT, Path("missing.txt"))});
    EXPECT_EQ(form->windowTitle().toStdString(), " Varnel");
    EXPECT_EQ(form->State().DataCount, 0);
}

TEST_F(MainWindowTest, MoreThanTenThousandLinesAreRefused) {
    Open(WriteSample("huge.txt", kMaxData + 1));
    EXPECT_EQ(ui.messages, std::vector<std::string>{kTooManyDataMessage});
    EXPECT_EQ(form->State().DataCount, 0);
}

TEST_F(MainWindowTest, BadRatiosAppendOneMemoLineEachBelowTheReport) {
    Open(WriteSample("good.txt", 12));
    const std::string report = MemoText();
    Open(WriteFile("bad.txt", "1.5,30\n0.999,10\n1,80\n0.5,20\n"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(MemoText(), report + "\nInvalid R at line #2\nInvalid R at line #4");
}

TEST_F(MainWindowTest, CancellingTheOpenDialogChangesNothing) {
    Trigger("MenuOpen");
    EXPECT_EQ(form->windowTitle().toStdString(), " Varnel");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.errors.empty());
    Open(WriteSample("good.txt", 12));
    const std::string report = MemoText();
    Blank("ImageF");
    Trigger("MenuOpen");
    EXPECT_EQ(ui.openRequests.size(), 3u);
    EXPECT_EQ(MemoText(), report);
    EXPECT_EQ(CountPixels("ImageF", kBlue), 0);  // nothing was redrawn
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(
        ui.openRequests[0].filter,
        "All supported files (*.prn, *.txt, *.csv, *.tsv, *.geojson, *.json, images)|"
        "*.prn;*.txt;*.csv;*.tsv;*.geojson;*.json;*.png;*.tif;*.tiff;*.bmp;*.jpg;*.jpeg;*.pgm|"
        "Text files (*.prn, *.txt, *.csv)|*.prn;*.txt;*.csv|All files (*,*)|*.*|"
        "Measurement tables (*.csv, *.tsv, *.txt)|*.csv;*.tsv;*.txt|"
        "GeoJSON outlines (*.geojson, *.json)|*.geojson;*.json|"
        "Grain maps and section images (*.png, *.tif, *.tiff, *.bmp, *.jpg, *.jpeg, *.pgm)|"
        "*.png;*.tif;*.tiff;*.bmp;*.jpg;*.jpeg;*.pgm");
}

TEST_F(MainWindowTest, RecentFilesKeepTheLastEightNewestFirstAndReopenThem) {
    Open(WriteFile("unread.txt", "2,30\n3\n"));  // not read: never listed
    ui.messages.clear();
    for (int k = 1; k <= 8; ++k) Open(WriteSample("s" + std::to_string(k) + ".txt", 5));
    Open(WriteSample("s9 & co.txt", 5));
    const auto item = [this](int number) {
        return form->findChild<QAction*>(QStringLiteral("MenuRecent%1").arg(number));
    };
    ASSERT_NE(item(8), nullptr);
    EXPECT_EQ(item(9), nullptr);
    EXPECT_EQ(item(1)->text(),
              QStringLiteral("&1 ") + QString::fromStdString(Path("s9 && co.txt")));
    item(8)->trigger();
    EXPECT_EQ(form->windowTitle().toStdString(), " Varnel  [ s2.txt ]");
    EXPECT_EQ(ui.openRequests.size(), 10u);  // no dialog
    EXPECT_EQ(item(1)->text(), QStringLiteral("&1 ") + QString::fromStdString(Path("s2.txt")));
    std::filesystem::remove(Path("s5.txt"));
    item(6)->trigger();
    EXPECT_EQ(ui.messages, std::vector<std::string>{"The file \"" + Path("s5.txt") +
                                                    "\" no longer exists; it has been taken "
                                                    "off Recent Files."});
    EXPECT_EQ(form->windowTitle().toStdString(), " Varnel  [ s2.txt ]");
    EXPECT_EQ(item(8), nullptr);
    EXPECT_EQ(ui.openRequests.back().initialFolder, folder.Path().string());
}

TEST_F(MainWindowTest, AFileDroppedOnTheWindowOpensAsFileOpenWould) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(WriteSample("dropped.txt", 6)))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(form->windowTitle().toStdString(), " Varnel  [ dropped.txt ]");
    EXPECT_EQ(MemoText().substr(0, 12), "dropped.txt\n");
    EXPECT_TRUE(ui.openRequests.empty());
}

TEST_F(MainWindowTest, LevelChangeRewritesTheReportFromTheStoredEstimate) {
    Open(WriteSample("good.txt", 20));
    Select(*form, "RadioButton39");
    const std::string report39 = MemoText();
    Select(*form, "RadioButton95");
    const std::string report95 = MemoText();
    Select(*form, "RadioButton39");
    EXPECT_NE(report39, report95);
    EXPECT_EQ(MemoText(), report39);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, LevelChangeWithoutDataSaysSoAndChangesNothing) {
    Select(*form, "RadioButton50");
    EXPECT_EQ(ui.messages, std::vector<std::string>{kTooFewDataMessage});
    EXPECT_EQ(MemoText(), "");
    EXPECT_EQ(CountPixels("ImageF", kBlue), 0);
}

}  // namespace
}  // namespace varnel::app
