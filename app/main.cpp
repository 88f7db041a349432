#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "app/about.h"
#include "app/korvath_main.h"
#include "app/qt_user_interface.h"
#include "core/messages.h"
#include "core/varnel_error.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(varnel::kApplicationTitle));
    QApplication::setOrganizationName(QString::fromUtf8(varnel::kApplicationTitle));
    try {
        varnel::app::QtUserInterface ui;
        varnel::app::TFormMain formMain(ui);
        ui.SetParentWindow(&formMain);
        varnel::app::TFormAbout formAbout;
        formMain.SetAboutWindow(&formAbout);
        formMain.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        const std::string detail = varnel::UserDetailOf(error);
        QMessageBox::critical(
            nullptr, QString::fromUtf8(varnel::kApplicationTitle),
            QString::fromStdString(detail.empty() ? error.what() : error.what() + ("\n" + detail)));
        return 1;
    }
}
