#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <functional>

#include "core/messages.h"
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
    EXPECT_EQ(ui.saveRequests[0].filter.rfind("Enhanced metafile (*.emf)|*.emf|", 0), 0u);
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "emf");
    EXPECT_TRUE(ui.saveRequests[0].confirmOverwrite);
    Trigger(c.action);  // the dialog offers the last chosen name again
    EXPECT_EQ(ui.saveRequests.at(1).initialPath, Path(c.file));
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureExportTest,
                         ::testing::Values(PictureCase{"MenuSavePst", "post.emf", 40, " EMF"},
                                           PictureCase{"MenuSavePre", "pre.emf", 40, " EMF"},
                                           PictureCase{"MenuSavePst", "post.svg", 0, "<?xml"},
                                           PictureCase{"MenuSavePre", "pre.png", 1, "PNG"}),
                         [](const auto& info) {
                             return QFileInfo(QString::fromLatin1(info.param.file))
                                 .fileName()
                                 .replace(QLatin1Char('.'), QLatin1Char('_'))
                                 .toStdString();
                         });

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
        // The frames and regions are the earlier file's: no picture of a mixture.
        {"two data after an analysis", {"1.5,30\n2,10\n1.2,80\n", two}, {kTooFewDataMessage}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        for (const std::string& data : c.opened) Open(WriteFile("data.txt", data));
        for (const char* action : {"MenuSavePst", "MenuSavePre"}) Trigger(action);
        std::vector<std::string> expected = c.openMessages;
        expected.insert(expected.end(), 2, kNoDataForPictureMessage);
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

// Every save of both windows, sent to the data file of the analysis they hold: after a failed
// Open that is still the earlier file, and the failed one may be written over.
TEST_F(MainWindowTest, EverySaveOfBothWindowsRefusesTheDataFileWithAMessage) {
    const std::string data = WriteSample("good.txt", 15);
    const QByteArray contents = ReadAll(data);
    Open(data);
    Trigger("MenuMethods");
    Open(WriteFile("bad.txt", "1.5,30\nabc,10\n1.2,80\n"));
    ASSERT_TRUE(
        QFile::link(QString::fromStdString(data), QString::fromStdString(Path("link.txt"))));
    const auto methodsButton = [this](const char* name) {
        return [this, name] {
            form->findChild<QWidget*>(QStringLiteral("FormMethods"))
                ->findChild<QPushButton*>(QString::fromLatin1(name))
                ->click();
        };
    };
    const struct {
        const char* save;
        std::function<void()> press;
        std::string path;
        bool picture;  // the main window's picture saves redraw both plots after the dialog
    } cases[] = {
        {"Save Picture > Post-strain", [this] { Trigger("MenuSavePst"); }, data, true},
        {"Save Picture > Pre-strain", [this] { Trigger("MenuSavePre"); }, Path("./good.txt"), true},
        {"Save T^2 values", [this] { Trigger("SaveT2values1"); }, Path("link.txt"), false},
        {"Methods: Save Plot", methodsButton("ButtonSavePlot"), data, false},
        {"Methods: Save Table", methodsButton("ButtonSaveTable"), Path("link.txt"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.save) + " " + c.path);
        ui.messages.clear();
        ui.errors.clear();
        Blank("ImageF");
        Blank("ImageI");
        ui.saveAnswers.push_back(c.path);
        c.press();
        EXPECT_EQ(ui.messages,
                  std::vector<std::string>{"Cannot save over the data file \"good.txt\"."});
        EXPECT_TRUE(ui.errors.empty());
        EXPECT_EQ(ReadAll(data), contents);
        EXPECT_EQ(CountPixels("ImageF", kBlue) > 0, c.picture);
        EXPECT_EQ(CountPixels("ImageI", kBlue) > 0, c.picture);
        ui.saveAnswers.push_back(Path("bad.txt"));
        c.press();
        EXPECT_TRUE(ui.errors.empty());
        EXPECT_NE(ReadAll(Path("bad.txt")).left(8), QByteArray("1.5,30\na"));
        WriteFile("bad.txt", "1.5,30\nabc,10\n1.2,80\n");
    }
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("link.txt"))).isSymLink());
}

}  // namespace
}  // namespace varnel::app
