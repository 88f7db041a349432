#include "app/qt_user_interface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextLayout>
#include <QTimer>
#include <functional>

#include "app/picture_save.h"
#include "core/io_error.h"
#include "core/varnel_error.h"
#include "tests/support/test_folder.h"

namespace varnel::app {
namespace {

/// Polls until a modal dialog of type Dialog is open, then hands it to `act` (which must close
/// it); gives up after five seconds by closing whatever is modal.
template <typename Dialog>
void WhenModalOpens(std::function<void(Dialog&)> act,
                    QDeadlineTimer deadline = QDeadlineTimer(5000)) {
    QTimer::singleShot(10, [act, deadline] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            act(*dialog);
        } else if (deadline.hasExpired()) {
            ADD_FAILURE() << "no modal dialog opened";
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        } else {
            WhenModalOpens<Dialog>(act, deadline);
        }
    });
}

TEST(QtUserInterface, MessagesShowTwoLinesUnderTheApplicationTitle) {
    QtUserInterface ui;
    for (const bool isError : {false, true}) {
        QString text;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        WhenModalOpens<QMessageBox>([&](QMessageBox& box) {
            text = box.text();
            title = box.windowTitle();
            icon = box.icon();
            box.accept();
        });
        if (isError) {
            ui.ShowError("Number of data < 3.\r\nError not estimated.");
        } else {
            ui.ShowMessage("Number of data < 3.\r\nError not estimated.");
        }
        EXPECT_EQ(text, QStringLiteral("Number of data < 3.\nError not estimated."));
        EXPECT_EQ(title, QStringLiteral("Varnel"));
        EXPECT_EQ(icon, isError ? QMessageBox::Critical : QMessageBox::NoIcon);
    }
}

/// The characters of `text` that no installed font gives a glyph to in `font`, fallbacks
/// included: Qt draws each of them as an empty box.
std::string CharactersWithoutGlyph(const std::string& text, const QFont& font) {
    QString missing;
    for (const QChar character : QString::fromStdString(text)) {
        if (character.isSpace()) continue;
        QTextLayout layout(QString(character), font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            if (run.glyphIndexes().contains(0)) missing += character;
        }
    }
    return missing.toStdString();
}

TEST(QtUserInterface, TheErrorBoxHasAGlyphForEveryCharacterOfTheRuntimesTexts) {
    const std::string texts[] = {
        kInvalidOperationMessage,
        kDivisionByZeroMessage,
        kOverflowMessage,
        kOutOfMemoryMessage,
        "'abc' は浮動小数点数ではありません",
        "ファイル \"a.emf\". Permission denied を作成できません",
        IoErrorMessage(kIoFileNotFound),
        IoErrorMessage(kIoInvalidFileName),
        IoErrorMessage(kIoTooManyOpenFiles),
        IoErrorMessage(kIoAccessDenied),
        IoErrorMessage(kIoReadBeyondEnd),
        IoErrorMessage(kIoDiskFull),
        IoErrorMessage(kIoInvalidNumericInput),
        IoErrorMessage(999),
    };
    std::string allTexts;
    for (const std::string& text : texts) allTexts += ErrorBoxText(text) + "\r\n";
    QtUserInterface ui;
    QFont labelFont;
    WhenModalOpens<QMessageBox>([&](QMessageBox& box) {
        labelFont = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->font();
        box.grab().save(QDir(QString::fromLatin1(VARNEL_TEST_OUTPUT_DIR))
                            .filePath(QStringLiteral("error_box.png")));
        box.accept();
    });
    ui.ShowError(allTexts);
    for (const std::string& text : texts) {
        EXPECT_EQ(CharactersWithoutGlyph(text, labelFont), "") << text;
    }
}

TEST(QtUserInterface, SaveDialogAddsTheDefaultExtensionAndCancelGivesNothing) {
    const testing_support::TestFolder folder;
    QtUserInterface ui;
    const SaveDialogRequest request{
        "Enhanced metafile (*.emf)|*.emf|PNG image (*.png)|*.png", "emf", true, {}};
    WhenModalOpens<QFileDialog>([&](QFileDialog& dialog) {
        // The user goes to the folder and types a name without extension (one that names
        // nothing in the working folder either: Qt's dialog looks for the typed name there
        // before it adds the extension).
        dialog.setDirectory(QString::fromStdString(folder.Path().string()));
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("strain-plot"));
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    EXPECT_EQ(ui.AskSaveFileName(request), folder.PathOf("strain-plot.emf"));
    WhenModalOpens<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(ui.AskSaveFileName(request), std::nullopt);
}

TEST(NameFiltersFromFilter, TurnsEachDescriptionAndPatternListIntoAQtFilter) {
    EXPECT_EQ(NameFiltersFromFilter(
                  "Text files (*.prn, *.txt, *.csv)|*.prn;*.txt;*.csv|All files (*,*)|*.*"),
              (QStringList{QStringLiteral("Text files (*.prn, *.txt, *.csv) (*.prn *.txt *.csv)"),
                           QStringLiteral("All files (*,*) (*)")}));
    EXPECT_EQ(NameFiltersFromFilter("Text File|*.txt"),
              QStringList{QStringLiteral("Text File (*.txt)")});
    const QStringList pictures = NameFiltersFromFilter(kPictureFilter);
    EXPECT_EQ(NameFilterOfName(pictures, QStringLiteral("/d/q_post.emf")), 0);
    EXPECT_EQ(NameFilterOfName(pictures, QStringLiteral("/d/p4.PDF")), 3);
    EXPECT_EQ(NameFilterOfName(pictures, QStringLiteral("/d/p.jpeg")), 4);
    EXPECT_EQ(NameFilterOfName(pictures, QStringLiteral("/d.x/p")), -1);
}

}  // namespace
}  // namespace varnel::app
