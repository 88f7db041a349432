#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QPlainTextEdit>
#include <QSettings>
#include <memory>
#include <string>

#include "app/korvath_main.h"
#include "app/plot_picture.h"
#include "tests/app/scripted_user_interface.h"
#include "tests/support/test_folder.h"

namespace varnel::testing_support {

/// A shown main window driven through its menu actions, with a scripted user and a temporary
/// folder for data files and exports.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();  // no recent files or folders left by an earlier test
        form = std::make_unique<app::TFormMain>(ui);
        form->show();
    }

    /// Triggers the menu action of that objectName.
    void Trigger(const char* name) {
        QAction* action = form->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }

    /// Writes `content` to a file of the temporary folder and returns its path.
    std::string WriteFile(const std::string& name, const std::string& content);
    /// A data file of n ellipses spread in ratio and orientation.
    std::string WriteSample(const std::string& name, int n);
    /// Opens the file through File > Open.
    void Open(const std::string& path) {
        ui.openAnswers.push_back(path);
        Trigger("MenuOpen");
    }
    std::string Path(const std::string& name) const { return folder.PathOf(name); }
    std::string MemoText() const {
        return form->findChild<QPlainTextEdit*>(QStringLiteral("Memo"))
            ->toPlainText()
            .toStdString();
    }
    app::PlotPicture* Image(const char* name) const {
        return form->findChild<app::PlotPicture*>(QString::fromLatin1(name));
    }
    /// Pixels of exactly that colour on the drawing surface of the named picture.
    int CountPixels(const char* image, QRgb colour) const;
    /// Fills the named picture's surface white, as if nothing had been drawn.
    void Blank(const char* image);

    TestFolder folder;
    ScriptedUserInterface ui;
    std::unique_ptr<app::TFormMain> form;
};

constexpr QRgb kBlue = 0xff0000ff;
constexpr QRgb kRed = 0xffff0000;

}  // namespace varnel::testing_support
