#include "app/about.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/jpeg_decoder.h"
#include "app/logo_data.h"

namespace varnel::app {
namespace {

constexpr int kAboutClientWidth = 238;
constexpr int kClientHeight = 150;

QFont ArialOfHeight(int pixels) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    return font;
}

QLabel* CreateText(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

}  // namespace

QImage ProgramLogo() { return DecodeJpeg(kLogoJpeg, kLogoJpegSize); }

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("Korvath"));
    setModal(false);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(ArialOfHeight(12));
    setFixedSize(kAboutClientWidth, kClientHeight);
    CreateControls();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(kAboutClientWidth / 2, kClientHeight / 2));
    }
}

void TFormAbout::CreateControls() {
    Image1 = CreateText(this, "Image1", QString(), QRect(8, 8, 50, 50));
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap::fromImage(ProgramLogo()));
    StaticText1 = CreateText(this, "StaticText1", QStringLiteral("Varnel"), QRect(72, 16, 94, 31));
    StaticText1->setFont(ArialOfHeight(24));
    StaticText2 =
        CreateText(this, "StaticText2", QStringLiteral("Version 1.0"), QRect(73, 48, 66, 19));
    StaticText3 = CreateText(this, "StaticText3", QStringLiteral("by the Varnel authors"),
                             QRect(73, 72, 126, 19));
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(152, 104, 75, 33);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TFormAbout::Button1Click() { hide(); }

void TFormAbout::StaticText1Click() {}

}  // namespace varnel::app
