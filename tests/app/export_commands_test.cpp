#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <functional>
#include <map>

#include "core/messages.h"
#include "plot/picture_export.h"
#include "tests/app/main_window_fixture.h"

namespace varnel::app {
namespace {

using testing_support::kBlue;
using testing_support::MainWindowTest;

QByteArray ReadAll(const std::string& path) {
    return QByteArray::fromStdString(testing_support::ReadWholeFile(path));
}

struct PictureCase {
    const char* action;
    const char* file;
    int signatureOffset;
    const char* signature;
    const char* suggested;
};

// Test names show the menu action and the file, not the case's bytes.
void PrintTo(const PictureCase& c, std::ostream* out) { *out << c.action << " " << c.file; }

class PictureExportTest : public MainWindowTest,
                          public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PictureExportTest, WritesThePictureInTheFormatOfItsNameAndRedrawsBothPlots) {
    const PictureCase& c = GetParam();
    Open(WriteSample("good.txt", 15));
    ui.saveAnswers.push_back(Path(c.file));
    Trigger(c.action);
    EXPECT_TRUE(ui.errors.empty());
    const QByteArray bytes = ReadAll(Path(c.file));
    EXPECT_EQ(bytes.mid(c.signatureOffset, qstrlen(c.signature)), QByteArray(c.signature));
    EXPECT_GT(CountPixels("ImageF", kBlue), 0);
    EXPECT_GT(CountPixels("ImageI", kBlue), 0);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].initialPath, Path(c.suggested));  // from the data file's name
    EXPECT_EQ(ui.saveRequests[0].filter.rfind("Enhanced metafile (*.emf)|*.emf|", 0), 0u);
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "emf");
    EXPECT_TRUE(ui.saveRequests[0].confirmOverwrite);
    Trigger(c.action);  // the dialog offers the last chosen name again
    EXPECT_EQ(ui.saveRequests.at(1).initialPath, Path(c.file));
    Open(WriteSample("q.txt", 15));
    Trigger(c.action);  // another data file: a name of its own
    EXPECT_EQ(ui.saveRequests.at(2).initialPath, Path("q" + std::string(c.suggested).substr(4)));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PictureExportTest,
    ::testing::Values(PictureCase{"MenuSavePst", "post.emf", 40, " EMF", "good_post.emf"},
                      PictureCase{"MenuSavePre", "pre.emf", 40, " EMF", "good_pre.emf"},
                      PictureCase{"MenuSavePst", "post.svg", 0, "<?xml", "good_post.emf"},
                      PictureCase{"MenuSavePre", "pre.png", 1, "PNG", "good_pre.emf"},
                      PictureCase{"MenuSavePst", "post.pdf", 0, "%PDF-", "good_post.emf"},
                      PictureCase{"MenuSavePre", "pre.jpg", 0, "\xff\xd8\xff", "good_pre.emf"}),
    [](const auto& info) {
        return QFileInfo(QString::fromLatin1(info.param.file))
            .fileName()
            .replace(QLatin1Char('.'), QLatin1Char('_'))
            .toStdString();
    });

TEST_F(MainWindowTest, PictureExportRefusesANameOfNoPictureFormatAndWritesNothing) {
    Open(WriteSample("good.txt", 15));
    ui.saveAnswers.push_back(Path("post.jpx"));
    Trigger("MenuSavePst");
    EXPECT_EQ(ui.messages, std::vector<std::string>{plot::UnsupportedPictureMessage("post.jpx")});
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("post.jpx"))));
    EXPECT_GT(CountPixels("ImageF", kBlue), 0);
}

TEST_F(MainWindowTest, PictureExportWithoutPlotsSaysNoDataBeforeAnyDialog) {
    struct Case {
        const char* name;
        std::vector<std::string> opened;  // the files opened, in order
        std::vector<std::string> openMessages;
    };
    const std::string two = "1.5,30\n2,10\n";
    const Case cases[] = {
        {"nothing opened", {}, {}},
        {"two data, estimated only", {two}, {kTooFewDataMessage}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        for (const std::string& data : c.opened) Open(WriteFile("data.txt", data));
        for (const char* action : {"MenuSavePst", "MenuSavePre", "MenuExportReport"})
            Trigger(action);
        std::vector<std::string> expected = c.openMessages;
        expected.insert(expected.end(), 3, kNoDataForPictureMessage);
        EXPECT_EQ(ui.messages, expected);
        EXPECT_TRUE(ui.errors.empty());
        EXPECT_TRUE(ui.saveRequests.empty());
    }
}

TEST_F(MainWindowTest, CancelledPictureExportWritesNothingAndRedrawsBothPlots) {
    Open(WriteSample("good.txt", 15));
    Blank("ImageF");
    Blank("ImageI");
    Trigger("MenuSavePst");
    EXPECT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_TRUE(QDir(QString::fromStdString(folder.Path().string()))
                    .entryList({QStringLiteral("*.emf")})
                    .isEmpty());
    EXPECT_GT(CountPixels("ImageF", kBlue), 0);
    EXPECT_GT(CountPixels("ImageI", kBlue), 0);
}

TEST_F(MainWindowTest, FailedPictureSaveShowsTheErrorAndStillRedrawsBothPlots) {
    Open(WriteSample("good.txt", 15));
    Blank("ImageI");
    const std::string path = Path("no/such/folder/pre.emf");
    ui.saveAnswers.push_back(path);
    Trigger("MenuSavePre");
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0],
              "ファイル \"" + path + "\". No such file or directory を作成できません.");
    EXPECT_EQ(ui.errorDetails[0], "cannot create pre.emf in " + Path("no/such/folder") +
                                      ": the folder does not exist (No such file or directory)");
    EXPECT_GT(CountPixels("ImageF", kBlue), 0);
    EXPECT_GT(CountPixels("ImageI", kBlue), 0);
}

TEST_F(MainWindowTest, GridExportNeedsThreeDataBeforeAnyDialog) {
    Trigger("SaveT2values1");
    Open(WriteFile("two.txt", "1.5,30\n2,10\n"));
    Trigger("SaveT2values1");
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kNoDataForGridMessage, kTooFewDataMessage,
                                                     kNoDataForGridMessage}));
    EXPECT_TRUE(ui.saveRequests.empty());
}

TEST_F(MainWindowTest, GridExportWritesTheTableAndCancelWritesNothing) {
    Open(WriteSample("good.txt", 15));
    Trigger("SaveT2values1");
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].filter, "Text File|*.txt");
    EXPECT_EQ(ui.saveRequests[0].initialPath, Path("good_t2.txt"));
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "txt");
    EXPECT_FALSE(ui.saveRequests[0].confirmOverwrite);
    EXPECT_TRUE(QDir(QString::fromStdString(folder.Path().string()))
                    .entryList({QStringLiteral("*.dat")})
                    .isEmpty());
    ui.saveAnswers.push_back(Path("grid.dat"));
    Trigger("SaveT2values1");
    EXPECT_TRUE(ui.errors.empty());
    const QByteArray grid = ReadAll(Path("grid.dat"));
    EXPECT_EQ(grid.count("\r\n"), 103);
    EXPECT_TRUE(grid.startsWith("p = [ "));
}

TEST_F(MainWindowTest, ReportExportWritesTheDocumentUnderANameFromTheDataFile) {
    Open(WriteSample("good.txt", 15));
    ui.saveAnswers.push_back(Path("doc.pdf"));
    Trigger("MenuExportReport");
    EXPECT_TRUE(ui.errors.empty());
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].filter, "PDF document (*.pdf)|*.pdf");
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "pdf");
    EXPECT_TRUE(ui.saveRequests[0].confirmOverwrite);
    EXPECT_EQ(ui.saveRequests[0].initialPath, Path("good_report.pdf"));
    EXPECT_TRUE(ReadAll(Path("doc.pdf")).startsWith("%PDF-"));
}

// Every save of both windows, sent to a file the user chose to open: the data file of the
// analysis they hold, and after failed Opens the file the caption names and the last one tried.
TEST_F(MainWindowTest, EverySaveOfBothWindowsRefusesTheDataFilesWithAMessage) {
    const std::string data = WriteSample("good.txt", 15);
    Open(data);
    Trigger("MenuMethods");
    // Twice the same two ellipses: the estimation fails once the caption names the file.
    Open(WriteFile("bad.txt", "2,10\n3,40\n2,10\n3,40\n"));
    // A field that is not a number ends the Open before the caption changes.
    Open(WriteFile("notnum.txt", "1.5,30\nabc,10\n1.2,80\n"));
    ASSERT_EQ(form->windowTitle(), QStringLiteral(" Varnel  [ bad.txt ]"));
    ASSERT_TRUE(
        QFile::link(QString::fromStdString(data), QString::fromStdString(Path("link.txt"))));
    std::map<std::string, QByteArray> contents;
    for (const char* name : {"good.txt", "bad.txt", "notnum.txt"})
        contents[name] = ReadAll(Path(name));
    const auto methodsButton = [this](const char* name) {
        return [this, name] {
            form->findChild<QWidget*>(QStringLiteral("FormMethods"))
                ->findChild<QPushButton*>(QString::fromLatin1(name))
                ->click();
        };
    };
    const std::function<void()> post = [this] { Trigger("MenuSavePst"); };
    const std::function<void()> pre = [this] { Trigger("MenuSavePre"); };
    const std::function<void()> grid = [this] { Trigger("SaveT2values1"); };
    const std::function<void()> report = [this] { Trigger("MenuExportReport"); };
    const std::function<void()> plot = methodsButton("ButtonSavePlot");
    const std::function<void()> table = methodsButton("ButtonSaveTable");
    const struct {
        const char* save;
        std::function<void()> press;
        std::string path;
        const char* refused;  // the file the message names
        bool picture;         // the main window's picture saves redraw both plots after the dialog
    } cases[] = {
        {"Save Picture > Post-strain", post, data, "good.txt", true},
        {"Save Picture > Pre-strain", pre, Path("./good.txt"), "good.txt", true},
        {"Save T^2 values", grid, Path("link.txt"), "good.txt", false},
        {"Export Report", report, data, "good.txt", false},
        {"Methods: Save Plot", plot, data, "good.txt", false},
        {"Methods: Save Table", table, Path("link.txt"), "good.txt", false},
        // After a failed Open, the file it tried.
        {"Save Picture > Post-strain", post, Path("bad.txt"), "bad.txt", true},
        {"Save Picture > Pre-strain", pre, Path("notnum.txt"), "notnum.txt", true},
        {"Save T^2 values", grid, Path("bad.txt"), "bad.txt", false},
        {"Export Report", report, Path("./bad.txt"), "bad.txt", false},
        {"Methods: Save Plot", plot, Path("./notnum.txt"), "notnum.txt", false},
        {"Methods: Save Table", table, Path("bad.txt"), "bad.txt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.save) + " " + c.path);
        ui.messages.clear();
        ui.errors.clear();
        Blank("ImageF");
        Blank("ImageI");
        ui.saveAnswers.push_back(c.path);
        c.press();
        EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot save over the data file \"" +
                                                        std::string(c.refused) + "\"."});
        EXPECT_TRUE(ui.errors.empty());
        for (const auto& [name, bytes] : contents) EXPECT_EQ(ReadAll(Path(name)), bytes) << name;
        EXPECT_EQ(CountPixels("ImageF", kBlue) > 0, c.picture);
        EXPECT_EQ(CountPixels("ImageI", kBlue) > 0, c.picture);
    }
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("link.txt"))).isSymLink());
}

}  // namespace
}  // namespace varnel::app
