#include "app/ellipsoid_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <exception>
#include <limits>

#include "app/bootstrap_runner.h"
#include "app/command_runner.h"
#include "app/desktop_settings.h"
#include "app/drawing_view.h"
#include "app/ellipsoid_table.h"
#include "app/picture_save.h"
#include "app/save_refusal.h"
#include "core/data_file_guard.h"
#include "core/messages.h"
#include "core/report.h"
#include "core/varnel_error.h"
#include "ellipsoid/shape_plot_data.h"
#include "input/locale_separator.h"
#include "plot/shape_plot_export.h"

namespace varnel::app {
namespace {

constexpr const char* kSectionsTableFilter = "Sections table (*.csv)|*.csv|All files (*.*)|*.*";
constexpr const char* kNoTableStatus =
    "No sections: open a sections table of three sections or more.";
constexpr const char* kPlotSuffixes[] = {"_flinn.emf", "_hsu.emf", "_net.emf"};
// The status shows this many lines at most; a table of many faults would grow the window.
constexpr int kMostStatusLines = 8;

// The first lines of `text`, then "… and N more lines" for the rest.
std::string FirstLines(const std::string& text, int most) {
    std::size_t end = 0;
    for (int n = 0; n < most; ++n) {
        end = text.find('\n', end);
        if (end == std::string::npos) return text;
        ++end;
    }
    const auto more = std::count(text.begin() + std::ptrdiff_t(end), text.end(), '\n') + 1;
    return text.substr(0, end) + "… and " + std::to_string(more) + " more lines";
}

void FillSectionsGrid(QTableWidget& grid, const TextTable& table) {
    grid.clear();
    grid.setColumnCount(static_cast<int>(table.header.size()));
    grid.setRowCount(static_cast<int>(table.rows.size()));
    QStringList header;
    for (const std::string& h : table.header) header << QString::fromStdString(h);
    grid.setHorizontalHeaderLabels(header);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
            grid.setItem(static_cast<int>(r), static_cast<int>(c),
                         new QTableWidgetItem(QString::fromStdString(table.rows[r][c])));
        }
    }
    grid.resizeRowsToContents();
}

plot::NetData NetDataOf(const ellipsoid::SampleStudy& study) {
    plot::NetData data;
    auto net = [](const ellipsoid::Line& l) {
        return plot::NetLine{l.trendDegrees, l.plungeDegrees};
    };
    for (std::size_t i = 0; i < 3; ++i) {
        data.axes[i] = net(study.fit->axes[i].line);
        data.defined[i] = study.fit->axes[i].defined;
    }
    if (study.bootstrap) {
        for (const auto& axes : study.bootstrap->resampleAxes) {
            data.resampleAxes.push_back({net(axes[0]), net(axes[1]), net(axes[2])});
        }
    }
    return data;
}

// A net shows the sample's axes where one has a direction: a sphere has none to show.
bool HasNet(const ellipsoid::SampleStudy* study) {
    return study != nullptr && study->fit &&
           std::any_of(study->fit->axes.begin(), study->fit->axes.end(),
                       [](const ellipsoid::PrincipalAxis& axis) { return axis.defined; });
}

}  // namespace

/// What the worker thread reads and writes: its own copy of the studies, the bootstrap's
/// settings and whether it ran to the end (read only after the thread has finished).
struct TFormEllipsoid::BootstrapRun {
    std::vector<ellipsoid::SampleStudy> studies;
    int B = 0;
    std::uint32_t seed = 1;
    int levelPercent = 95;
    bool completed = false;
};

TFormEllipsoid::~TFormEllipsoid() { AbandonBootstrap(); }

bool TFormEllipsoid::BootstrapRunning() const { return bootstrap_->Running(); }

void TFormEllipsoid::Run(void (TFormEllipsoid::*command)()) {
    RunCommand(ui_, [this, command] { (this->*command)(); });
}

void TFormEllipsoid::ButtonOpenTableClick() {
    const std::optional<std::string> path =
        ui_.AskOpenFileName({kSectionsTableFilter, LastUsedFolder()});
    if (!path) return;
    RememberFolderOf(*path);
    OpenTable(*path);
}

void TFormEllipsoid::OpenTable(const std::string& path) {
    AbandonBootstrap();
    // The count of an earlier table's bootstrap says nothing of this one.
    BootstrapProgress->setValue(0);
    BootstrapProgress->setTextVisible(false);
    studies_.clear();
    tablePath_ = path;
    try {
        const BusyCursor busy;
        studies_ = ellipsoid::StudySections(path, UserDecimalSeparator());
    } catch (const std::exception& error) {
        ShowStudies();
        SetStatus(FileNameWithoutFolder(path) + ": " + UserMessageOf(error));
        return;
    }
    ShowStudies();
}

void TFormEllipsoid::SetStatus(const std::string& text) {
    StatusText->setText(QString::fromStdString(FirstLines(text, kMostStatusLines)));
    StatusText->setToolTip(QString::fromStdString(text));
}

void TFormEllipsoid::closeEvent(QCloseEvent* event) {
    // A bootstrap nobody sees would keep both cores busy.
    bootstrap_->Cancel();
    QWidget::closeEvent(event);
}

std::string TFormEllipsoid::StudyStatus() const {
    if (studies_.empty()) return kNoTableStatus;
    std::size_t sections = 0;
    for (const auto& study : studies_) sections += study.sections.size();
    std::string status = FileNameWithoutFolder(tablePath_) + "   " +
                         std::to_string(studies_.size()) + " sample(s), " +
                         std::to_string(sections) + " sections";
    for (const auto& study : studies_) {
        if (!study.fit) status += "\n" + study.refusal;
        if (study.bootstrap && !study.bootstrap->estimated) {
            status += "\n" + ellipsoid::SampleNameOf(study, tablePath_) +
                      ": bootstrap not estimated, " + std::to_string(study.bootstrap->failed) +
                      " of " + std::to_string(study.bootstrap->B) + " resamples failed";
        }
    }
    return status;
}

void TFormEllipsoid::ShowStudies() {
    FillSectionsGrid(*SectionsGrid, SectionsTable(studies_, UserDecimalSeparator()));
    SampleChoice->blockSignals(true);
    SampleChoice->clear();
    for (const auto& study : studies_) {
        SampleChoice->addItem(QString::fromStdString(ellipsoid::SampleNameOf(study, tablePath_)));
    }
    SampleChoice->blockSignals(false);
    SetStatus(StudyStatus());
    ShowSample();
}

const ellipsoid::SampleStudy* TFormEllipsoid::ChosenStudy() const {
    const int chosen = SampleChoice->currentIndex();
    if (chosen < 0 || chosen >= static_cast<int>(studies_.size())) return nullptr;
    return &studies_[static_cast<std::size_t>(chosen)];
}

void TFormEllipsoid::ShowSample() {
    const ellipsoid::SampleStudy* study = ChosenStudy();
    if (study != nullptr && study->fit) {
        FillSectionsGrid(*EllipsoidGrid, EllipsoidTable(*study, UserDecimalSeparator()));
    } else {
        EllipsoidGrid->clear();
        EllipsoidGrid->setRowCount(0);
        EllipsoidGrid->setColumnCount(0);
    }
    ShowPlots();
    EnableCommands();
}

void TFormEllipsoid::ShowPlots() {
    const plot::ShapePlotData shapes = ellipsoid::ShapePlotDataOf(
        studies_, tablePath_, UserDecimalSeparator(), shownLevelPercent_);
    if (shapes.samples.empty()) {
        FlinnView->SetDrawing({});
        HsuView->SetDrawing({});
    } else {
        FlinnView->SetDrawing([shapes](plot::Canvas& canvas, int width, int height) {
            plot::DrawFlinnPlot(shapes, canvas, width, height);
        });
        HsuView->SetDrawing([shapes](plot::Canvas& canvas, int width, int height) {
            plot::DrawHsuPlot(shapes, canvas, width, height);
        });
    }
    const ellipsoid::SampleStudy* study = ChosenStudy();
    if (!HasNet(study)) {
        NetView->SetDrawing({});
        return;
    }
    NetView->SetDrawing([net = NetDataOf(*study)](plot::Canvas& canvas, int width, int height) {
        plot::DrawEqualAreaNet(net, canvas, width, height);
    });
}

void TFormEllipsoid::EnableCommands() {
    const bool anyFit = std::any_of(studies_.begin(), studies_.end(),
                                    [](const auto& study) { return study.fit.has_value(); });
    // Sections given as R and φ have nothing to resample.
    const bool anyData = std::any_of(studies_.begin(), studies_.end(), [](const auto& study) {
        return study.fit && ellipsoid::HasResampleData(study);
    });
    const bool running = BootstrapRunning();
    ButtonBootstrap->setEnabled(anyData && !running);
    ButtonCancel->setEnabled(running);
    ResampleCount->setEnabled(!running);
    SeedValue->setEnabled(!running);
    LevelChoice->setEnabled(!running);
    ButtonOpenTable->setEnabled(!running);
    ButtonSavePlot->setEnabled(anyFit);
}

void TFormEllipsoid::ButtonBootstrapClick() {
    if (studies_.empty() || BootstrapRunning()) return;
    auto run = std::make_shared<BootstrapRun>();
    run->studies = studies_;
    run->B = ResampleCount->value();
    // Ten digits may pass 2³² − 1, the largest seed.
    const unsigned long long seed = SeedValue->text().toULongLong();
    if (seed > std::numeric_limits<std::uint32_t>::max()) {
        throw VarnelError("The seed is at most 4294967295.");
    }
    run->seed = static_cast<std::uint32_t>(seed);
    run->levelPercent = ChosenLevelPercent();
    BootstrapProgress->setRange(0, 1);
    BootstrapProgress->setValue(0);
    BootstrapProgress->setTextVisible(true);
    bootstrap_->StartJob(
        [run](ProgressSink& progress, const std::atomic<bool>& cancel) {
            run->completed = ellipsoid::BootstrapStudies(run->studies, run->B, run->seed,
                                                         run->levelPercent, &progress, &cancel);
        },
        [this](int maximum, int position) {
            BootstrapProgress->setRange(0, std::max(maximum, 1));
            BootstrapProgress->setValue(position);
        },
        [this, run](const std::string& error) {
            RunCommand(ui_, [this, &run, &error] { BootstrapFinished(*run, error); });
        });
    // An earlier run's end ("Bootstrap cancelled.") says nothing of this one.
    SetStatus(StudyStatus());
    EnableCommands();
}

void TFormEllipsoid::ButtonCancelClick() { bootstrap_->Cancel(); }

void TFormEllipsoid::AbandonBootstrap() {
    if (!BootstrapRunning()) return;
    bootstrap_->Abandon();
    BootstrapProgress->setRange(0, 1);
    BootstrapProgress->setValue(0);
    BootstrapProgress->setTextVisible(false);
}

void TFormEllipsoid::BootstrapFinished(const BootstrapRun& run, const std::string& error) {
    EnableCommands();
    if (!error.empty()) throw VarnelError(error);
    if (!run.completed) {
        SetStatus(StudyStatus() + "\nBootstrap cancelled.");
        return;
    }
    for (std::size_t i = 0; i < studies_.size(); ++i)
        studies_[i].bootstrap = run.studies[i].bootstrap;
    shownLevelPercent_ = run.levelPercent;
    SetStatus(StudyStatus());
    ShowSample();
}

std::vector<std::string> TFormEllipsoid::DataFiles() const {
    std::vector<std::string> files;
    for (const auto& study : studies_) {
        for (const auto& section : study.sections) {
            if (!section.file.empty()) files.push_back(section.file);
        }
    }
    return files;
}

void TFormEllipsoid::ButtonSavePlotClick() {
    const ellipsoid::SampleStudy* study = ChosenStudy();
    const int tab = PlotTabs->currentIndex();
    const plot::ShapePlotData shapes = ellipsoid::ShapePlotDataOf(
        studies_, tablePath_, UserDecimalSeparator(), shownLevelPercent_);
    if ((tab < 2 && shapes.samples.empty()) || (tab == 2 && !HasNet(study))) {
        ui_.ShowMessage(kNoDataForPictureMessage);
        return;
    }
    if (tab == 1 && !plot::AnyOnHsuPlot(shapes)) {
        ui_.ShowMessage(plot::kNoHsuSampleMessage);
        return;
    }
    const std::string offered =
        lastPlotPath_.empty() ? SuggestedSaveName(LastUsedFolder(), tablePath_, kPlotSuffixes[tab])
                              : lastPlotPath_;
    const std::optional<std::string> path =
        ui_.AskSaveFileName({kPictureFilter, "emf", true, offered});
    if (!path) return;
    lastPlotPath_ = *path;
    RememberFolderOf(*path);
    if (const auto refusal = SectionsSaveRefusal(tablePath_, DataFiles(), *path)) {
        ui_.ShowMessage(*refusal);
        return;
    }
    if (RefusedAsPicture(ui_, *path)) return;
    const QWidget* view = PlotTabs->currentWidget();
    const plot::PictureFormat format = plot::PictureFormatOfPath(*path);
    if (tab == 2) {
        plot::ExportEqualAreaNetPicture(NetDataOf(*study), *path, format, view->width(),
                                        view->height(), DisplayOf(*this));
    } else {
        plot::ExportShapePlotPicture(
            shapes, tab == 0 ? plot::ShapePlotKind::Flinn : plot::ShapePlotKind::Hsu, *path, format,
            view->width(), view->height(), DisplayOf(*this));
    }
}

}  // namespace varnel::app
