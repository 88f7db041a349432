#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/bootstrap_runner.h"
#include "app/methods_window.h"
#include "app/rfphi_view.h"
#include "app/window_style.h"
#include "methods/bootstrap.h"

namespace varnel::app {
namespace {

// Beside the main window (722 pixels across) on a 1280 × 800 screen, with a title bar and panel.
constexpr int kMethodsWindowWidth = 540;
constexpr int kMethodsWindowHeight = 700;
// Below this the tables' numbers and the plot's axis labels no longer fit.
constexpr int kMinimumWidth = 420;
constexpr int kMinimumHeight = 480;
constexpr const char* kGeometryKey = "methods/geometry";

QTableWidget* CreateEstimatesGrid(const char* name) {
    auto* grid = Named(new QTableWidget, name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->verticalHeader()->hide();
    // The columns fit their numbers; the last one, of words, wraps (see Fill).
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A narrow window scrolls the notes into view rather than squeezing the numbers.
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->setWordWrap(true);
    grid->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Without scroll bars a grid squeezed below its rows would hide them: it keeps its height.
    grid->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    // Wrapped notes take as many lines as the width the layout finally gives their column.
    QObject::connect(grid->horizontalHeader(), &QHeaderView::sectionResized, grid,
                     &QTableView::resizeRowsToContents);
    return grid;
}

// What the ranges and intervals of the estimator table say, and what they cannot see.
QLabel* StatementsNote() {
    auto* note = new QLabel(QString::fromUtf8(
        "Ranges are the least and greatest R and φ over a confidence region of both at once, so "
        "each covers its quantity more often than the level (at 39 % the region is the "
        "one-standard-error ellipse, about 68 % for each quantity); a region holding zero strain "
        "gives R from 1 and no φ. Bootstrap intervals are about one quantity alone, at the "
        "level. The analytic region takes its size from the F distribution, the bootstrap's from "
        "the resamples, so the two differ most for few data. Neither sees an initial fabric, "
        "ellipses that are not independent or strain that varies across the sample."));
    note->setObjectName(QStringLiteral("StatementsNote"));
    note->setWordWrap(true);
    return note;
}

}  // namespace

TFormMethods::TFormMethods(UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(ui) {
    setObjectName(QStringLiteral("FormMethods"));
    setWindowTitle(QString::fromUtf8("Varnel – Methods"));
    setFont(ProgramFont());
    bootstrap_ = new BootstrapRunner(this);
    CreateControls();
    BindEvents();
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kMethodsWindowWidth, kMethodsWindowHeight);
    // Where the user left it last time, if anywhere.
    const QByteArray geometry = QSettings().value(QString::fromLatin1(kGeometryKey)).toByteArray();
    restoredPlace_ = !geometry.isEmpty() && restoreGeometry(geometry);
    ShowAnalysis(nullptr, ConfidenceLevel::Level95);
}

void TFormMethods::hideEvent(QHideEvent* event) {
    QSettings().setValue(QString::fromLatin1(kGeometryKey), saveGeometry());
    QWidget::hideEvent(event);
}

TFormMethods::~TFormMethods() { bootstrap_->Abandon(); }

// The window is narrow enough to stand beside the main window: the tables and the plot are
// pages of their own, the commands below them stay in view.
void TFormMethods::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    StatusText = Named(new QLabel, "StatusText");
    StatusText->setWordWrap(true);
    layout->addWidget(StatusText);
    auto* pages = Named(new QTabWidget, "MethodsPages");
    pages->addTab(CreateEstimatorsPage(), QStringLiteral("&Estimators"));
    pages->addTab(CreateTestsPage(), QStringLiteral("&Fabric tests"));
    PlotView = Named(new RfPhiView, "PlotView");
    pages->addTab(PlotView, QString::fromUtf8("R&f/φ plot"));
    layout->addWidget(pages, 1);
    layout->addWidget(CreateBootstrapRow());
    layout->addWidget(CreateSaveRow());
}

namespace {

// A page of tables and notes that scrolls when the window is lower than they are.
QScrollArea* ScrollingPage(QWidget* content) {
    auto* page = new QScrollArea;
    page->setWidgetResizable(true);
    page->setFrameShape(QFrame::NoFrame);
    page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page->setWidget(content);
    return page;
}

}  // namespace

QWidget* TFormMethods::CreateEstimatorsPage() {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(Heading("Estimators of the strain"));
    EstimatorGrid = CreateEstimatesGrid("EstimatorGrid");
    layout->addWidget(EstimatorGrid);
    layout->addWidget(StatementsNote());
    layout->addStretch(1);
    return ScrollingPage(content);
}

QWidget* TFormMethods::CreateTestsPage() {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(Heading("Fabric tests"));
    TestGrid = CreateEstimatesGrid("TestGrid");
    layout->addWidget(TestGrid);
    auto* note = Named(new QLabel(QString::fromUtf8(kFabricTestNote)), "FabricTestNote");
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
    return ScrollingPage(content);
}

QWidget* TFormMethods::CreateBootstrapRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Resamples")));
    ResampleCount = Named(new QSpinBox, "ResampleCount");
    // Any count the box takes as typed; one too few for the level is refused with a message
    // when the bootstrap starts, so a level change never alters it.
    ResampleCount->setRange(1, methods::kMostResamples);
    ResampleCount->setSingleStep(kResampleStep);
    ResampleCount->setValue(kDefaultResamples);
    layout->addWidget(ResampleCount);
    ButtonBootstrap = Named(new QPushButton(QStringLiteral("&Bootstrap")), "ButtonBootstrap");
    layout->addWidget(ButtonBootstrap);
    ButtonCancel = Named(new QPushButton(QStringLiteral("&Cancel")), "ButtonCancel");
    layout->addWidget(ButtonCancel);
    BootstrapProgress = Named(new QProgressBar, "BootstrapProgress");
    BootstrapProgress->setRange(0, 1);
    BootstrapProgress->setValue(0);
    layout->addWidget(BootstrapProgress, 1);
    return row;
}

QWidget* TFormMethods::CreateSaveRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    ButtonSaveTable = Named(new QPushButton(QStringLiteral("Save &Table…")), "ButtonSaveTable");
    layout->addWidget(ButtonSaveTable);
    ButtonSavePlot = Named(new QPushButton(QStringLiteral("Save &Plot…")), "ButtonSavePlot");
    layout->addWidget(ButtonSavePlot);
    layout->addStretch(1);
    return row;
}

void TFormMethods::BindEvents() {
    connect(ButtonBootstrap, &QPushButton::clicked, this,
            [this] { Run(&TFormMethods::ButtonBootstrapClick); });
    connect(ButtonCancel, &QPushButton::clicked, this,
            [this] { Run(&TFormMethods::ButtonCancelClick); });
    connect(ButtonSavePlot, &QPushButton::clicked, this,
            [this] { Run(&TFormMethods::ButtonSavePlotClick); });
    connect(ButtonSaveTable, &QPushButton::clicked, this,
            [this] { Run(&TFormMethods::ButtonSaveTableClick); });
}

}  // namespace varnel::app
