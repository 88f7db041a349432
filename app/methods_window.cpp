#include "app/methods_window.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>

#include "app/bootstrap_runner.h"
#include "app/command_runner.h"
#include "app/desktop_settings.h"
#include "app/picture_save.h"
#include "app/rfphi_view.h"
#include "app/save_refusal.h"
#include "core/confidence_region.h"
#include "core/messages.h"
#include "core/replacing_file.h"
#include "core/report.h"
#include "core/varnel_error.h"
#include "input/locale_separator.h"
#include "methods/bootstrap.h"
#include "plot/rfphi_plot.h"

namespace varnel::app {
namespace {

constexpr const char* kMethodsTableFilter = "CSV file (*.csv)|*.csv";
constexpr const char* kNoAnalysisStatus =
    "No analysis: open a data file of three ellipses or more.";
// The bootstrap draws from one fixed seed, so a data set always gives the same intervals.
constexpr std::uint32_t kBootstrapSeed = 1;
constexpr int kWordsColumnWidth = 230;

// A column title on screen, broken into short lines ("Bootstrap\nR interval\n(95 %)") so that
// the columns are as narrow as their numbers and the table fits beside the plot.
QString ScreenHeader(const std::string& title) {
    QString text = QString::fromStdString(title);
    text.replace(QStringLiteral("Bootstrap "), QStringLiteral("Bootstrap\n"));
    text.replace(QStringLiteral(" ("), QStringLiteral("\n("));
    return text;
}

// The width of a column title's longest line (the header breaks a title only at its newlines),
// plus the header's margins.
int TitleWidth(const QFontMetrics& metrics, const QString& title) {
    constexpr int kHeaderMargins = 6;
    int widest = 0;
    for (const QString& line : title.split(QChar('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest + kHeaderMargins;
}

// The narrowest width at which `text` breaks only between words, a range's dash kept with its
// first number ("1.656 –" over "2.052"), plus the cell's margins.
int WrappedWidth(const QFontMetrics& metrics, QString text) {
    constexpr int kCellMargins = 8;
    text.replace(QStringLiteral(" –"), QString::fromUtf8("\u00A0–"));
    int widest = 0;
    for (const QString& part : text.split(QRegularExpression(QStringLiteral("[ \n]")))) {
        widest = std::max(widest, metrics.horizontalAdvance(part));
    }
    return widest + kCellMargins;
}

// Columns of numbers as narrow as their words: ranges stand on two lines, so that the
// bootstrap's columns stay in a window beside the main one. A title keeps its lines whole
// (the header breaks them only at its newlines), whatever the numbers below it.
void NarrowColumns(QTableWidget& grid) {
    for (int c = 0; c + 1 < grid.columnCount(); ++c) {
        int width = TitleWidth(grid.horizontalHeader()->fontMetrics(),
                               grid.horizontalHeaderItem(c)->text());
        for (int r = 0; r < grid.rowCount(); ++r) {
            if (const QTableWidgetItem* item = grid.item(r, c)) {
                width = std::max(width, WrappedWidth(grid.fontMetrics(), item->text()));
            }
        }
        grid.horizontalHeader()->setSectionResizeMode(c, QHeaderView::Fixed);
        grid.setColumnWidth(c, width);
    }
}

void FillEstimatesGrid(QTableWidget& grid, const TextTable& table, bool narrow = false) {
    grid.clear();
    grid.setColumnCount(static_cast<int>(table.header.size()));
    grid.setRowCount(static_cast<int>(table.rows.size()));
    QStringList header;
    for (const std::string& h : table.header) header << ScreenHeader(h);
    grid.setHorizontalHeaderLabels(header);
    // The last column, of words, wraps them at a width of its own: stretched into what the
    // numbers leave of a narrow window it would stand one word a line.
    const int notes = grid.columnCount() - 1;
    if (notes > 0) {
        grid.horizontalHeader()->setSectionResizeMode(notes, QHeaderView::Fixed);
        grid.setColumnWidth(notes, kWordsColumnWidth);
    }
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(table.rows[r][c]));
            item->setToolTip(item->text());  // a long note may be cut at the window's edge
            grid.setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    if (narrow) NarrowColumns(grid);
    grid.resizeRowsToContents();
}

}  // namespace

void TFormMethods::Run(void (TFormMethods::*command)()) {
    RunCommand(ui_, [this, command] { (this->*command)(); });
}

bool TFormMethods::BootstrapRunning() const { return bootstrap_->Running(); }

namespace {

/// True when both analyses are of the same ellipses, so that a bootstrap of one holds for the
/// other: a level change, or the same file opened again unchanged.
bool SameData(const AnalysisState& a, const AnalysisState& b) {
    if (a.DataFileName != b.DataFileName || a.DataCount != b.DataCount) return false;
    for (int i = 1; i <= a.DataCount; ++i) {
        if (a.RPost[i] != b.RPost[i] || a.PhiPost[i] != b.PhiPost[i]) return false;
    }
    return true;
}

}  // namespace

void TFormMethods::ShowAnalysis(const AnalysisState* state, ConfidenceLevel level) {
    // The resamples do not depend on the level: a run on the same data goes on, and a finished
    // one is stated again at the new level.
    if (state == nullptr || !state_ || !SameData(*state_, *state)) {
        bootstrap_->Abandon();
        BootstrapProgress->setValue(0);
        resamples_.reset();
    }
    level_ = level;
    if (state == nullptr || state->DataCount < 3) {
        dataFileName_.clear();
        PlotView->SetData(std::nullopt);
        ShowNoAnalysis(kNoAnalysisStatus);
        return;
    }
    state_ = std::make_unique<AnalysisState>(*state);
    // Names chosen for another data file's saves are not offered for this one's.
    if (dataFileName_ != state_->DataFileName) {
        lastPlotPath_.clear();
        lastTablePath_.clear();
    }
    dataFileName_ = state_->DataFileName;
    PlotView->SetData(plot::RfPhiDataOf(*state_, UserDecimalSeparator()));
    try {
        summary_ = MethodsSummary{methods::ComputeMethods(*state_), state_->RRange,
                                  state_->PhiRange, methods::LevelPercentOf(level), std::nullopt};
    } catch (const std::exception& error) {
        // The plot still shows the data; the methods' failure is this window's news.
        ShowNoAnalysis("The methods failed: " + UserMessageOf(error));
        return;
    }
    summary_->bootstrap = BootstrapAtLevel();
    ShowSummary();
    StatusText->setText(QString::fromStdString(AnalysisStatus()));
}

std::optional<methods::BootstrapResult> TFormMethods::BootstrapAtLevel() const {
    const int percent = methods::LevelPercentOf(level_);
    if (!resamples_ || resamples_->B < methods::FewestResamples(percent)) return std::nullopt;
    methods::BootstrapResult result = *resamples_;
    result.levelPercent = percent;
    methods::StateAtLevel(result.t2, result.B, percent);
    methods::StateAtLevel(result.hyperbolicMean, result.B, percent);
    return result;
}

std::string TFormMethods::AnalysisStatus() const {
    const std::string status = FileNameWithoutFolder(state_->DataFileName) +
                               "   N = " + std::to_string(state_->DataCount) +
                               "   ranges and intervals at " +
                               std::to_string(summary_->levelPercent) + " %";
    // Where the report shows NAN, a second line says why.
    std::string text = status;
    const std::string reason = RangesUnavailableReason(*state_);
    if (!reason.empty()) text += "\n" + reason;
    const int percent = methods::LevelPercentOf(level_);
    if (resamples_ && resamples_->B < methods::FewestResamples(percent)) {
        text += "\nThe bootstrap's " + std::to_string(resamples_->B) +
                " resamples are too few at " + std::to_string(percent) + " %: run it again with " +
                std::to_string(methods::FewestResamples(percent)) + " or more.";
    }
    return text;
}

void TFormMethods::SetOpenedFiles(std::vector<std::string> openedFiles) {
    openedFiles_ = std::move(openedFiles);
}

std::vector<std::string> TFormMethods::DataFiles() const {
    std::vector<std::string> files{dataFileName_};
    files.insert(files.end(), openedFiles_.begin(), openedFiles_.end());
    return files;
}

void TFormMethods::ShowNoAnalysis(const std::string& status) {
    state_.reset();
    summary_.reset();
    EstimatorGrid->clear();
    EstimatorGrid->setRowCount(0);
    TestGrid->clear();
    TestGrid->setRowCount(0);
    StatusText->setText(QString::fromStdString(status));
    EnableCommands();
}

void TFormMethods::ShowSummary() {
    FillEstimatesGrid(*EstimatorGrid, EstimatorTable(*summary_, UserDecimalSeparator()), true);
    FillEstimatesGrid(*TestGrid, FabricTestTable(summary_->result, UserDecimalSeparator()));
    EnableCommands();
}

void TFormMethods::EnableCommands() {
    const bool running = bootstrap_->Running();
    ButtonBootstrap->setEnabled(summary_.has_value() && !running);
    ResampleCount->setEnabled(!running);
    ButtonCancel->setEnabled(running);
    ButtonSaveTable->setEnabled(summary_.has_value());
    ButtonSavePlot->setEnabled(PlotView->Data().has_value());
}

void TFormMethods::ButtonBootstrapClick() {
    if (!summary_ || bootstrap_->Running()) return;
    const int percent = methods::LevelPercentOf(level_);
    if (ResampleCount->value() < methods::FewestResamples(percent)) {
        ui_.ShowMessage("A bootstrap at " + std::to_string(percent) + " % needs " +
                        std::to_string(methods::FewestResamples(percent)) +
                        " resamples or more, so that each tail beyond an interval holds " +
                        std::to_string(methods::kFewestTailResamples) + ".");
        return;
    }
    BootstrapProgress->setRange(0, ResampleCount->value());
    BootstrapProgress->setValue(0);
    bootstrap_->Start(
        *state_, ResampleCount->value(), kBootstrapSeed, level_,
        [this](int maximum, int position) {
            BootstrapProgress->setRange(0, std::max(maximum, 1));
            BootstrapProgress->setValue(position);
        },
        [this](const BootstrapOutcome& outcome) {
            RunCommand(ui_, [this, &outcome] { BootstrapFinished(outcome); });
        });
    // An earlier run's end ("Bootstrap cancelled.") says nothing of this one.
    StatusText->setText(QString::fromStdString(AnalysisStatus()));
    EnableCommands();
}

void TFormMethods::BootstrapFinished(const BootstrapOutcome& outcome) {
    EnableCommands();
    if (!outcome.error.empty()) throw VarnelError(outcome.error);
    if (!summary_) return;
    if (!outcome.result) {
        BootstrapProgress->setValue(0);
        StatusText->setText(QString::fromStdString(AnalysisStatus() + "\nBootstrap cancelled."));
        return;
    }
    // Stated at the level in force now, which may have changed while it ran.
    resamples_ = outcome.result;
    summary_->bootstrap = BootstrapAtLevel();
    ShowSummary();
    StatusText->setText(QString::fromStdString(AnalysisStatus()));
}

void TFormMethods::ButtonCancelClick() { bootstrap_->Cancel(); }

std::string TFormMethods::OfferedName(const std::string& lastChosen,
                                      const std::string& suffix) const {
    if (!lastChosen.empty()) return lastChosen;
    return SuggestedSaveName(LastUsedFolder(), dataFileName_, suffix);
}

void TFormMethods::ButtonSavePlotClick() {
    if (!PlotView->Data()) {
        ui_.ShowMessage(kNoDataForPictureMessage);
        return;
    }
    // The picture has the size shown, so the plot comes to the front, laid out, first.
    if (auto* pages = findChild<QTabWidget*>(QStringLiteral("MethodsPages"))) {
        pages->setCurrentWidget(PlotView);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
    const std::optional<std::string> path = ui_.AskSaveFileName(
        {kPictureFilter, "emf", true, OfferedName(lastPlotPath_, "_rfphi.emf")});
    if (!path) return;
    lastPlotPath_ = *path;
    RememberFolderOf(*path);
    if (RefusedAsDataFile(ui_, DataFiles(), *path) || RefusedAsPicture(ui_, *path)) return;
    plot::ExportRfPhiPicture(*PlotView->Data(), *path, plot::PictureFormatOfPath(*path),
                             PlotView->width(), PlotView->height(), DisplayOf(*this));
}

void TFormMethods::ButtonSaveTableClick() {
    if (!summary_) {
        ui_.ShowMessage(kNoDataForPictureMessage);
        return;
    }
    const std::optional<std::string> path = ui_.AskSaveFileName(
        {kMethodsTableFilter, "csv", true, OfferedName(lastTablePath_, "_methods.csv")});
    if (!path) return;
    lastTablePath_ = *path;
    RememberFolderOf(*path);
    if (RefusedAsDataFile(ui_, DataFiles(), *path)) return;
    ReplaceFile(*path, MethodsCsv(*summary_, UserDecimalSeparator()));
}

}  // namespace varnel::app
