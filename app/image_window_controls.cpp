#include <QCheckBox>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/image_canvas.h"
#include "app/image_window.h"
#include "app/window_style.h"
#include "image/image_options.h"

namespace varnel::app {
namespace {

constexpr int kImageWindowWidth = 1180;
constexpr int kImageWindowHeight = 700;  // fits a 1280 × 800 screen with its title bar and panel
constexpr int kLargestMinimumArea = 100'000'000;

QCheckBox* Check(const char* name, const char* caption) {
    return Named(new QCheckBox(QString::fromUtf8(caption)), name);
}

QPushButton* Button(const char* name, const char* caption) {
    return Named(new QPushButton(QString::fromUtf8(caption)), name);
}

}  // namespace

TFormImage::TFormImage(UserInterface& ui, ImageWindowHost host, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(ui), host_(std::move(host)) {
    setObjectName(QStringLiteral("FormImage"));
    setWindowTitle(QString::fromUtf8("Varnel – Image"));
    setFont(ProgramFont());
    CreateControls();
    BindEvents();
    EnableCommands();
    resize(kImageWindowWidth, kImageWindowHeight);
}

void TFormImage::CreateControls() {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(CreateOptionsColumn());
    auto* viewColumn = new QVBoxLayout;
    ObjectView = Named(new ImageCanvas, "ObjectView");
    viewColumn->addWidget(ObjectView, 1);
    CountsText = Named(new QLabel(QStringLiteral("No image: open a grain map or a label image.")),
                       "CountsText");
    CountsText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    viewColumn->addWidget(CountsText);
    layout->addLayout(viewColumn, 1);
}

QWidget* TFormImage::CreateOptionsColumn() {
    auto* column = new QWidget;
    column->setFixedWidth(250);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    ButtonOpenImage = Button("ButtonOpenImage", "Open Image…");
    layout->addWidget(ButtonOpenImage);
    auto* form = new QFormLayout;
    CheckOtsu = Check("CheckOtsu", "Otsu's threshold");
    CheckOtsu->setChecked(true);
    form->addRow(CheckOtsu);
    SliderThreshold = Named(new QSlider(Qt::Horizontal), "SliderThreshold");
    EditThreshold = Named(new QSpinBox, "EditThreshold");
    // Pixels above the level are objects: 255 would leave none.
    SliderThreshold->setRange(0, 254);
    SliderThreshold->setValue(127);
    EditThreshold->setRange(0, 254);
    EditThreshold->setValue(127);
    auto* threshold = new QHBoxLayout;
    threshold->addWidget(SliderThreshold, 1);
    threshold->addWidget(EditThreshold);
    form->addRow(QStringLiteral("Threshold"), threshold);
    CheckInvert = Check("CheckInvert", "Objects dark on light");
    CheckLabels = Check("CheckLabels", "Label image");
    form->addRow(CheckInvert);
    form->addRow(CheckLabels);
    EditMinimumArea = Named(new QSpinBox, "EditMinimumArea");
    EditMinimumArea->setRange(1, kLargestMinimumArea);
    EditMinimumArea->setValue(image::kDefaultMinimumArea);
    EditMinimumArea->setSuffix(QStringLiteral(" px"));
    form->addRow(QStringLiteral("Minimum area"), EditMinimumArea);
    CheckKeepEdge = Check("CheckKeepEdge", "Keep objects on the edge");
    CheckSplit = Check("CheckSplit", "Split touching objects");
    form->addRow(CheckKeepEdge);
    form->addRow(CheckSplit);
    layout->addLayout(form);
    ButtonFit = Button("ButtonFit", "Fit");
    layout->addWidget(ButtonFit);
    auto* hint = Named(new QLabel(QStringLiteral("Wheel: zoom. Drag: pan. Click an object to "
                                                 "exclude it by hand or to take it back.")),
                       "HintText");
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addStretch(1);
    ButtonAnalyse = Button("ButtonAnalyse", "Analyse");
    ButtonSaveOverlay = Button("ButtonSaveOverlay", "Save Overlay…");
    ButtonExportObjects = Button("ButtonExportObjects", "Export Objects…");
    for (QPushButton* button : {ButtonAnalyse, ButtonSaveOverlay, ButtonExportObjects}) {
        layout->addWidget(button);
    }
    return column;
}

void TFormImage::BindEvents() {
    connect(ButtonOpenImage, &QPushButton::clicked, this,
            [this] { Run(&TFormImage::ButtonOpenImageClick); });
    connect(ButtonAnalyse, &QPushButton::clicked, this,
            [this] { Run(&TFormImage::ButtonAnalyseClick); });
    connect(ButtonSaveOverlay, &QPushButton::clicked, this,
            [this] { Run(&TFormImage::ButtonSaveOverlayClick); });
    connect(ButtonExportObjects, &QPushButton::clicked, this,
            [this] { Run(&TFormImage::ButtonExportObjectsClick); });
    connect(ButtonFit, &QPushButton::clicked, ObjectView, &ImageCanvas::FitToView);
    // The slider and the number show one threshold; either change asks for one update.
    connect(SliderThreshold, &QSlider::valueChanged, EditThreshold, &QSpinBox::setValue);
    connect(EditThreshold, &QSpinBox::valueChanged, SliderThreshold, &QSlider::setValue);
    connect(EditThreshold, &QSpinBox::valueChanged, this, [this] { RequestMap(); });
    connect(EditMinimumArea, &QSpinBox::valueChanged, this, [this] { RequestMap(); });
    connect(CheckOtsu, &QCheckBox::toggled, this, [this](bool otsu) {
        SliderThreshold->setEnabled(!otsu);
        EditThreshold->setEnabled(!otsu);
        RequestMap();
    });
    for (QCheckBox* check : {CheckInvert, CheckLabels, CheckKeepEdge, CheckSplit}) {
        connect(check, &QCheckBox::toggled, this, [this] { RequestMap(); });
    }
    SliderThreshold->setEnabled(false);
    EditThreshold->setEnabled(false);
    ObjectView->onPick = [this](image::PixelPosition at) { PickObject(at); };
}

}  // namespace varnel::app
