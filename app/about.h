#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

namespace varnel::app {

/// The program's logo, 96 × 96 pixels, decoded with libjpeg from the JPEG compiled into it.
QImage ProgramLogo();

/// The About window: logo, program name, version and author. Created hidden, shown without
/// being modal, hidden again by OK or its close button, never destroyed before the end.
class TFormAbout : public QDialog {
public:
    explicit TFormAbout(QWidget* parent = nullptr);

    /// OK: hides the window.
    void Button1Click();
    /// A click on the big title text: nothing.
    void StaticText1Click();

private:
    void CreateControls();

    QLabel* Image1 = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* StaticText2 = nullptr;
    QLabel* StaticText3 = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace varnel::app
