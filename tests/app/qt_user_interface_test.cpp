#include "app/qt_user_interface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

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

TEST(QtUserInterface, SaveDialogAddsTheDefaultExtensionAndCancelGivesNothing) {
    QTemporaryDir dir;
    QtUserInterface ui;
    const SaveDialogRequest request{
        "Enhanced metafile (*.emf)|*.emf|PNG image (*.png)|*.png", "emf", true, {}};
    WhenModalOpens<QFileDialog>([&](QFileDialog& dialog) {
        // The user goes to the folder and types a name without extension.
        dialog.setDirectory(dir.path());
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("plot"));
        QMetaObject::invokeMethod(&dialog, "accept");
    });
    EXPECT_EQ(ui.AskSaveFileName(request), dir.filePath(QStringLiteral("plot.emf")).toStdString());
    WhenModalOpens<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(ui.AskSaveFileName(request), std::nullopt);
}

}  // namespace
}  // namespace varnel::app
