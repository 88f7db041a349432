#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/drawing_view.h"
#include "app/ellipsoid_window.h"

namespace varnel::app {
namespace {

constexpr int kWidth = 1180;
constexpr int kHeight = 700;  // fits a 1280 × 800 screen with its title bar and panel
constexpr int kFewestResamples = 100;
constexpr int kMostResamples = 100000;
constexpr int kDefaultResamples = 1000;

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QTableWidget* CreateGrid(const char* name) {
    auto* grid = Named(new QTableWidget, name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

QLabel* Heading(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

TFormEllipsoid::TFormEllipsoid(UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(ui) {
    setObjectName(QStringLiteral("FormEllipsoid"));
    setWindowTitle(QString::fromUtf8("Varnel – Ellipsoid"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    setFont(font);
    CreateControls();
    BindEvents();
    resize(kWidth, kHeight);
    ShowStudies();
}

void TFormEllipsoid::CreateControls() {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(CreateTablesColumn(), 1);
    layout->addWidget(CreatePlotColumn(), 1);
}

QWidget* TFormEllipsoid::CreateTablesColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    ButtonOpenTable = Named(new QPushButton(QStringLiteral("&Open Table…")), "ButtonOpenTable");
    auto* openRow = new QHBoxLayout;
    openRow->addWidget(ButtonOpenTable);
    openRow->addStretch(1);
    layout->addLayout(openRow);
    StatusText = Named(new QLabel, "StatusText");
    StatusText->setWordWrap(true);
    layout->addWidget(StatusText);
    layout->addWidget(Heading("Sections"));
    SectionsGrid = CreateGrid("SectionsGrid");
    layout->addWidget(SectionsGrid, 1);
    auto* sampleRow = new QHBoxLayout;
    sampleRow->addWidget(Heading("Ellipsoid of sample"));
    SampleChoice = Named(new QComboBox, "SampleChoice");
    sampleRow->addWidget(SampleChoice, 1);
    layout->addLayout(sampleRow);
    EllipsoidGrid = CreateGrid("EllipsoidGrid");
    layout->addWidget(EllipsoidGrid, 1);
    layout->addWidget(CreateCommandRow());
    return column;
}

QWidget* TFormEllipsoid::CreateCommandRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Resamples")));
    ResampleCount = Named(new QSpinBox, "ResampleCount");
    ResampleCount->setRange(kFewestResamples, kMostResamples);
    ResampleCount->setSingleStep(kFewestResamples);
    ResampleCount->setValue(kDefaultResamples);
    layout->addWidget(ResampleCount);
    ButtonBootstrap = Named(new QPushButton(QStringLiteral("&Bootstrap")), "ButtonBootstrap");
    layout->addWidget(ButtonBootstrap);
    BootstrapProgress = Named(new QProgressBar, "BootstrapProgress");
    BootstrapProgress->setRange(0, 1);
    BootstrapProgress->setValue(0);
    BootstrapProgress->setTextVisible(false);
    layout->addWidget(BootstrapProgress, 1);
    ButtonSavePlot = Named(new QPushButton(QStringLiteral("Save &Plot…")), "ButtonSavePlot");
    layout->addWidget(ButtonSavePlot);
    return row;
}

QWidget* TFormEllipsoid::CreatePlotColumn() {
    PlotTabs = Named(new QTabWidget, "PlotTabs");
    FlinnView = Named(new DrawingView, "FlinnView");
    HsuView = Named(new DrawingView, "HsuView");
    NetView = Named(new DrawingView, "NetView");
    PlotTabs->addTab(FlinnView, QStringLiteral("Flinn"));
    PlotTabs->addTab(HsuView, QStringLiteral("Hsu"));
    PlotTabs->addTab(NetView, QStringLiteral("Axes (equal-area net)"));
    return PlotTabs;
}

void TFormEllipsoid::BindEvents() {
    connect(ButtonOpenTable, &QPushButton::clicked, this,
            [this] { Run(&TFormEllipsoid::ButtonOpenTableClick); });
    connect(ButtonBootstrap, &QPushButton::clicked, this,
            [this] { Run(&TFormEllipsoid::ButtonBootstrapClick); });
    connect(ButtonSavePlot, &QPushButton::clicked, this,
            [this] { Run(&TFormEllipsoid::ButtonSavePlotClick); });
    connect(SampleChoice, &QComboBox::currentIndexChanged, this, [this] { ShowSample(); });
}

}  // namespace varnel::app
