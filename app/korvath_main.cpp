#include "app/korvath_main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QUrl>
#include <algorithm>

#include "app/about.h"
#include "app/command_runner.h"
#include "app/plot_picture.h"
#include "app/window_style.h"
#include "core/executable_folder.h"
#include "core/messages.h"
#include "input/quantile_table.h"

namespace varnel::app {
namespace {

constexpr int kLeft = 290;
constexpr int kTop = 155;
// The layout was drawn for a 722 × 576 window whose 4-pixel borders and caption leave a
// client area of 714 pixels across and 522 below the menu bar; Qt sizes the client area.
constexpr int kMainClientWidth = 714;
constexpr int kClientHeightBelowMenu = 522;
constexpr int kBorderAllowance = 8;
// The extent over which the plots clear their background and draw their axes.
constexpr int kLargestPlotSide = 1000;

/// The first local file among dropped URLs, or empty.
QString LocalFileOf(const QMimeData* data) {
    if (data == nullptr) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return {};
}

}  // namespace

TFormMain::TFormMain(UserInterface& ui, const std::string& quantileFolder)
    : ui_(ui), state_(std::make_unique<AnalysisState>()), quantileFolder_(quantileFolder) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral(" Varnel"));
    setFont(ProgramFont());
    setWindowIcon(QIcon(QPixmap::fromImage(
        ProgramLogo().scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))));
    CreateMenus();
    CreateControls();
    BindEvents();
    CreateShortcuts();
    RebuildRecentMenu();
    setAcceptDrops(true);
    move(kLeft, kTop);
    // The progress bar keeps its place and the memo its height while the right column follows
    // the right edge: a window smaller than the layout was drawn for would lay them over each
    // other, so it grows from there and shrinks back to it at most.
    const QSize drawnFor(kMainClientWidth, kClientHeightBelowMenu + menuBar()->sizeHint().height());
    setMinimumSize(drawnFor);
    resize(drawnFor);
    Run(&TFormMain::FormCreate);
}

TFormMain::~TFormMain() = default;

void TFormMain::Run(void (TFormMain::*command)()) {
    RunCommand(ui_, [this, command] { (this->*command)(); });
}

void TFormMain::FormCreate() {
    std::string folder = quantileFolder_;
    if (folder.empty()) folder = ExecutableFolder();
    if (const auto message = LoadAndCheckFQuantileTable(*state_, folder)) {
        // The message's own lines, then where the table was looked for and what is wrong.
        const std::string detail = FQuantileTableDetail(*state_, folder);
        ui_.ShowMessage(detail.empty() ? *message : *message + "\n" + detail);
    }
}

void TFormMain::FormShow() {
    for (PlotPicture* image : {ImageF, ImageI}) {
        plot::Canvas& canvas = image->Canvas();
        canvas.SetBrushColor({255, 255, 255});
        canvas.FloodFill(2, 2, {255, 255, 255});
        image->update();
    }
}

void TFormMain::FormResize() {
    const int W = width() + kBorderAllowance;
    Memo->move(W - Memo->width() - 13, Memo->y());
    PanelRadButtons->move(W - PanelRadButtons->width() - 12, PanelRadButtons->y());
    PageControl1->setGeometry(0, 0, W - Memo->width() - 17, centralWidget()->height());
    if (state_->DataCount <= 3) return;
    // The tab control lays out only the page in front; a page behind keeps the size it had when
    // it was last shown, so the square is taken from the shown page. The drawing clears and
    // draws its axes over 0 … kLargestPlotSide pixels, so a larger picture would hold a strip
    // the plot never reaches, on screen and in a saved file alike.
    const QWidget* page = PageControl1->currentWidget();
    const int s = std::min({page->height(), page->width(), kLargestPlotSide});
    ImageF->resize(s, s);
    ImageI->resize(s, s);
    ImageF->FitSurfaceToControl();
    ImageI->FitSurfaceToControl();
    RedrawPlots();
}

void TFormMain::MenuExitClick() { QCoreApplication::quit(); }

void TFormMain::MenuVersionClick() {
    if (about_ != nullptr) about_->show();
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Run(&TFormMain::FormShow);
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Run(&TFormMain::FormResize);
}

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFileOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* event) {
    const QString path = LocalFileOf(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    RunCommand(ui_, [this, &path] { OpenFile(path.toStdString()); });
    Run(&TFormMain::UpdateMethodsWindow);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::quit();
}

}  // namespace varnel::app
