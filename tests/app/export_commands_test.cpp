#include <QDir>
#include <QFile>
#include <QFileInfo>

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
        std::string data;  // empty: nothing opened
        std::vector<std::string> openMessages;
    };
    const Case cases[] = {
        {"nothing opened", "", {}},
        {"two data, estimated only", "1.5,30\n2,10\n", {kTooFewDataMessage}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        if (!c.data.empty()) Open(WriteFile("two.txt", c.data));
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

TEST_F(MainWindowTest, SavingOverTheDataFileIsRefusedWithAMessage) {
    const std::string data = WriteSample("good.txt", 15);
    const QByteArray contents = ReadAll(data);
    Open(data);
    const QString link = QString::fromStdString(Path("link.txt"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(data), link));
    const struct {
        const char* action;
        std::string path;
    } cases[] = {
        {"SaveT2values1", data},
        {"SaveT2values1", Path("link.txt")},
        {"MenuSavePst", data},
        {"MenuSavePre", Path("./good.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + c.path);
        ui.messages.clear();
        Blank("ImageF");
        Blank("ImageI");
        ui.saveAnswers.push_back(c.path);
        Trigger(c.action);
        EXPECT_EQ(ui.messages,
                  std::vector<std::string>{"Cannot save over the data file \"good.txt\"."});
        EXPECT_TRUE(ui.errors.empty());
        EXPECT_EQ(ReadAll(data), contents);
        // A picture command still redraws both plots after its dialog; the grid draws nothing.
        const bool picture = std::string(c.action) != "SaveT2values1";
        EXPECT_EQ(CountPixels("ImageF", kBlue) > 0, picture);
        EXPECT_EQ(CountPixels("ImageI", kBlue) > 0, picture);
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    ui.saveAnswers.push_back(Path("grid.txt"));
    Trigger("SaveT2values1");
    EXPECT_EQ(ReadAll(Path("grid.txt")).count("\r\n"), 103);
}

}  // namespace
}  // namespace varnel::app
