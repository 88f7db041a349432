#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <filesystem>

#include "core/io_error.h"
#include "core/messages.h"
#include "core/varnel_error.h"
#include "tests/app/main_window_fixture.h"

namespace varnel::app {
namespace {

using testing_support::kBlue;
using testing_support::MainWindowTest;

namespace fs = std::filesystem;

// After a failed command the cursor is the normal one, the window is still up and the memo
// still shows the earlier report; a new Open then works as always.
class FailureCommandsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Open(WriteFile("good.txt", "2,30\n3,40\n1.5,-20\n2.5,10\n"));
        earlierReport = MemoText();
        ASSERT_FALSE(earlierReport.empty());
    }
    void ExpectTheWindowGoesOn() {
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(MemoText(), earlierReport);
        ui.messages.clear();
        ui.errors.clear();
        Open(WriteFile("again.txt", "1.8,10\n2.2,-50\n1.4,70\n"));
        EXPECT_TRUE(ui.messages.empty() && ui.errors.empty());
        EXPECT_EQ(form->State().DataCount, 3);
        EXPECT_NE(MemoText(), earlierReport);
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        const auto filter = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
        for (const QString& name :
             QDir(QString::fromStdString(folder.Path().string())).entryList(filter)) {
            names.push_back(name.toStdString());
        }
        return names;
    }

    std::string earlierReport;
};

TEST_F(FailureCommandsTest, OpeningSomethingThatIsNoDataFileIsRefused) {
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {folder.Path().string(), fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        ui.messages.clear();
        Open(path);
        EXPECT_EQ(ui.messages, std::vector<std::string>{kInvalidDataFileMessage});
        EXPECT_EQ(form->State().DataCount, 4);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    ExpectTheWindowGoesOn();
}

TEST_F(FailureCommandsTest, AHostileFileEndsTheOpenInTheErrorBox) {
    struct Case {
        const char* name;
        std::string content;
        std::string error;
        std::string detail;  // the English line below
    };
    const Case cases[] = {
        {"letters.txt", std::string(10'000'000, 'x') + ",30\n2,10\n1.2,80\n",
         "'" + std::string(200, 'x') + "...' は浮動小数点数ではありません.",
         "line 1 of letters.txt is longer than 1 MiB"},
        {"identical.txt", "2,30\n2,30\n2,30\n", std::string(kDivisionByZeroMessage) + ".",
         "the 3 ellipses of identical.txt determine no strain: their log-strain vectors lie on "
         "one line"},
        {"unit.txt", "1,0\n1,30\n1,-60\n", std::string(kInvalidOperationMessage) + ".",
         "the 3 ellipses of unit.txt are all circles (R = 1): circles have no orientation and "
         "determine no strain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.errors.clear();
        ui.errorDetails.clear();
        Open(WriteFile(c.name, c.content));
        EXPECT_EQ(ui.errors, std::vector<std::string>{c.error});
        EXPECT_EQ(ui.errorDetails, std::vector<std::string>{c.detail});
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(MemoText(), earlierReport);
    }
    ExpectTheWindowGoesOn();
}

TEST_F(FailureCommandsTest, AFailedGridSaveShowsTheErrorAndLeavesNoFile) {
    const std::string folder = Path("a folder");
    ASSERT_TRUE(fs::create_directory(folder));
    struct Case {
        std::string path;
        std::string error;
    };
    const Case cases[] = {
        {Path("no such folder/grid.txt"), IoErrorMessage(kIoFileNotFound) + "."},
        {folder, IoErrorMessage(kIoAccessDenied) + "."},
        {"/dev/full", IoErrorMessage(kIoDiskFull) + "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ui.errors.clear();
        ui.saveAnswers.push_back(c.path);
        Trigger("SaveT2values1");
        EXPECT_EQ(ui.errors, std::vector<std::string>{c.error});
    }
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(Files(), (std::vector<std::string>{"a folder", "good.txt"}));
    ExpectTheWindowGoesOn();
}

TEST_F(FailureCommandsTest, APictureSavedOnAFullDiskShowsTheErrorAndRedraws) {
    Blank("ImageF");
    ui.saveAnswers.push_back("/dev/full");
    Trigger("MenuSavePst");
    EXPECT_EQ(ui.errors, std::vector<std::string>{IoErrorMessage(kIoDiskFull) + "."});
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_GT(CountPixels("ImageF", kBlue), 0);
    EXPECT_EQ(Files(), std::vector<std::string>{"good.txt"});
    ExpectTheWindowGoesOn();
}

}  // namespace
}  // namespace varnel::app
