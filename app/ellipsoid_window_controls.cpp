#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "app/bootstrap_runner.h"
#include "app/drawing_view.h"
#include "app/ellipsoid_window.h"
#include "app/window_style.h"
#include "methods/bootstrap.h"

namespace varnel::app {
namespace {

// Fits a 1280 × 800 screen with its title bar and panel.
constexpr int kEllipsoidWindowWidth = 1180;
constexpr int kEllipsoidWindowHeight = 700;
// The most resamples offered; the fewest are the command line's for the level.
constexpr int kMostSectionResamples = 100000;
constexpr int kDefaultSeed = 1;  // the command line's default
// The levels the command line's --level takes.
constexpr int kLevelPercents[] = {39, 50, 95};
constexpr int kDefaultLevelPercent = 95;

QTableWidget* CreateSectionsGrid(const char* name) {
    auto* grid = Named(new QTableWidget, name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

}  // namespace

TFormEllipsoid::TFormEllipsoid(UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(ui) {
    setObjectName(QStringLiteral("FormEllipsoid"));
    setWindowTitle(QString::fromUtf8("Varnel – Ellipsoid"));
    setFont(ProgramFont());
    bootstrap_ = new BootstrapRunner(this);
    CreateControls();
    SetFewestResamples();
    BindEvents();
    resize(kEllipsoidWindowWidth, kEllipsoidWindowHeight);
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
    SectionsGrid = CreateSectionsGrid("SectionsGrid");
    layout->addWidget(SectionsGrid, 1);
    auto* sampleRow = new QHBoxLayout;
    sampleRow->addWidget(Heading("Ellipsoid of sample"));
    SampleChoice = Named(new QComboBox, "SampleChoice");
    sampleRow->addWidget(SampleChoice, 1);
    layout->addLayout(sampleRow);
    EllipsoidGrid = CreateSectionsGrid("EllipsoidGrid");
    layout->addWidget(EllipsoidGrid, 1);
    layout->addWidget(CreateCommandRow());
    layout->addWidget(CreateBootstrapRow());
    return column;
}

// Resamples, seed and level on one row, Save Plot at its end; the run and its count below.
QWidget* TFormEllipsoid::CreateCommandRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Resamples")));
    ResampleCount = Named(new QSpinBox, "ResampleCount");
    ResampleCount->setRange(methods::FewestResamples(95), kMostSectionResamples);
    ResampleCount->setSingleStep(kResampleStep);
    ResampleCount->setValue(kDefaultResamples);
    layout->addWidget(ResampleCount);
    layout->addWidget(new QLabel(QStringLiteral("Seed")));
    // A line edit: a spin box stops at the largest int, the command line's seed at 2³² − 1.
    SeedValue = Named(new QLineEdit(QString::number(kDefaultSeed)), "SeedValue");
    SeedValue->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{1,10}")), SeedValue));
    SeedValue->setMaximumWidth(SeedValue->fontMetrics().horizontalAdvance(QStringLiteral("0")) *
                               12);
    layout->addWidget(SeedValue);
    layout->addWidget(new QLabel(QStringLiteral("Level")));
    LevelChoice = Named(new QComboBox, "LevelChoice");
    for (int percent : kLevelPercents) {
        LevelChoice->addItem(QString::number(percent) + QStringLiteral(" %"), percent);
    }
    LevelChoice->setCurrentIndex(LevelChoice->findData(kDefaultLevelPercent));
    layout->addWidget(LevelChoice);
    layout->addStretch(1);
    ButtonSavePlot = Named(new QPushButton(QStringLiteral("Save &Plot…")), "ButtonSavePlot");
    layout->addWidget(ButtonSavePlot);
    return row;
}

QWidget* TFormEllipsoid::CreateBootstrapRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    ButtonBootstrap = Named(new QPushButton(QStringLiteral("&Bootstrap")), "ButtonBootstrap");
    layout->addWidget(ButtonBootstrap);
    ButtonCancel = Named(new QPushButton(QStringLiteral("&Cancel")), "ButtonCancel");
    layout->addWidget(ButtonCancel);
    BootstrapProgress = Named(new QProgressBar, "BootstrapProgress");
    BootstrapProgress->setRange(0, 1);
    BootstrapProgress->setValue(0);
    // The count of resamples finished, shown once a bootstrap has started.
    BootstrapProgress->setFormat(QStringLiteral("%v of %m resamples"));
    BootstrapProgress->setTextVisible(false);
    layout->addWidget(BootstrapProgress, 1);
    return row;
}

int TFormEllipsoid::ChosenLevelPercent() const { return LevelChoice->currentData().toInt(); }

// Fewer resamples give intervals whose ends are the extremes of the resamples at the level;
// the command line refuses them as well.
void TFormEllipsoid::SetFewestResamples() {
    ResampleCount->setMinimum(methods::FewestResamples(ChosenLevelPercent()));
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
    connect(ButtonCancel, &QPushButton::clicked, this,
            [this] { Run(&TFormEllipsoid::ButtonCancelClick); });
    connect(LevelChoice, &QComboBox::currentIndexChanged, this, [this] { SetFewestResamples(); });
    connect(ButtonSavePlot, &QPushButton::clicked, this,
            [this] { Run(&TFormEllipsoid::ButtonSavePlotClick); });
    connect(SampleChoice, &QComboBox::currentIndexChanged, this, [this] { ShowSample(); });
}

}  // namespace varnel::app
