#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "analysis/open_pipeline.h"
#include "app/command_runner.h"
#include "app/data_window.h"
#include "app/desktop_settings.h"
#include "app/ellipsoid_window.h"
#include "app/help_window.h"
#include "app/image_window.h"
#include "app/korvath_main.h"
#include "app/methods_window.h"
#include "app/picture_save.h"
#include "app/plot_picture.h"
#include "app/progress_bar_sink.h"
#include "app/save_refusal.h"
#include "app/window_placement.h"
#include "core/grid_export.h"
#include "core/messages.h"
#include "core/varnel_error.h"
#include "input/locale_separator.h"
#include "methods/bootstrap.h"
#include "methods/methods_text.h"
#include "plot/picture_export.h"
#include "plot/plot_drawing.h"
#include "plot/plot_frames.h"
#include "plot/report_pdf.h"

namespace varnel::app {
namespace {

constexpr const char* kOpenFilter =
    "All supported files (*.prn, *.txt, *.csv, *.tsv, *.geojson, *.json, images)|"
    "*.prn;*.txt;*.csv;*.tsv;*.geojson;*.json;*.png;*.tif;*.tiff;*.bmp;*.jpg;*.jpeg;*.pgm|"
    "Text files (*.prn, *.txt, *.csv)|*.prn;*.txt;*.csv|All files (*,*)|*.*|"
    "Measurement tables (*.csv, *.tsv, *.txt)|*.csv;*.tsv;*.txt|"
    "GeoJSON outlines (*.geojson, *.json)|*.geojson;*.json|"
    "Grain maps and section images (*.png, *.tif, *.tiff, *.bmp, *.jpg, *.jpeg, *.pgm)|"
    "*.png;*.tif;*.tiff;*.bmp;*.jpg;*.jpeg;*.pgm";
constexpr const char* kGridFilter = "Text File|*.txt";
constexpr const char* kReportFilter = "PDF document (*.pdf)|*.pdf";

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return text;
}

}  // namespace

void TFormMain::MenuOpenClick() {
    BusyCursor busy;
    // Cancelling the dialog ends the command: nothing is read, changed or shown.
    const std::optional<std::string> chosen = ui_.AskOpenFileName({kOpenFilter, LastUsedFolder()});
    if (!chosen) return;
    OpenFile(*chosen);
}

void TFormMain::OpenFile(const std::string& path, const ImportOptions& import) {
    BusyCursor busy;
    lastChosenFile_ = path;
    RememberFolderOf(path);
    ProgressBarSink progress(*ProgressBar);
    // Two data leave an estimate but no report or plots: the window keeps the earlier analysis
    // whole (report, plots, saves, level buttons, Data and Methods windows) as after any other
    // failed Open, so the Open runs on a copy that replaces the state only with a report.
    auto opened = std::make_unique<AnalysisState>(*state_);
    const analysis::CommandResult result = analysis::RunOpenCommand(
        *opened, path, SelectedLevel(), UserDecimalSeparator(), &progress, import);
    if (std::ranges::any_of(result.notices, [](const analysis::Notice& notice) {
            return notice.kind == analysis::Notice::Kind::Caption;
        })) {
        captionFile_ = path;
    }
    // Recent Files lists every file whose data were read, whatever the analysis then gave.
    if (result.read) {
        AddRecentFile(QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString());
        RebuildRecentMenu();
    }
    if (result.outcome == analysis::Outcome::Reported) {
        // A save of another data file offers that file's names, not the names chosen for it.
        if (opened->DataFileName != state_->DataFileName) {
            lastPicturePath_.clear();
            lastReportPath_.clear();
        }
        state_ = std::move(opened);
        NoteAnalysisChanged(result.outcome);
    }
    ShowCommandResult(result);
}

void TFormMain::MenuOpenImageClick() {
    if (image_ == nullptr) {
        image_ =
            new TFormImage(ui_,
                           {[this](const std::string& path, const image::ImageOptions& options) {
                                AnalyseImage(path, options);
                            },
                            [this] { return DataFiles(); }},
                           this);
    }
    const std::optional<std::string> chosen = ui_.AskOpenFileName({kImageFilter, LastUsedFolder()});
    if (!chosen) return;
    RememberFolderOf(*chosen);
    image_->show();
    image_->raise();
    image_->activateWindow();
    image_->OpenImage(*chosen);
}

// The image window's Analyse: the Open of a data file, with the window's options, and the
// main window in front with the report.
void TFormMain::AnalyseImage(const std::string& path, const image::ImageOptions& options) {
    ImportOptions import;
    import.image = options;
    RunCommand(ui_, [&] { OpenFile(path, import); });
    Run(&TFormMain::UpdateMethodsWindow);
    raise();
    activateWindow();
}

void TFormMain::OpenRecentFile(const std::string& path) {
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        RemoveRecentFile(path);
        RebuildRecentMenu();
        ui_.ShowMessage("The file \"" + path +
                        "\" no longer exists; it has been taken off Recent Files.");
        return;
    }
    OpenFile(path);
}

void TFormMain::CopyReportClick() {
    if (!analysisReady_) return;
    const std::string level = SelectedLevel() == ConfidenceLevel::Level39   ? "39%"
                              : SelectedLevel() == ConfidenceLevel::Level50 ? "50%"
                                                                            : "95%";
    const QString header =
        QStringLiteral("File: %1\tN = %2\tConfidence level: %3\n\n")
            .arg(QFileInfo(QString::fromStdString(state_->DataFileName)).fileName())
            .arg(state_->DataCount)
            .arg(QString::fromStdString(level));
    // The report as written, without the memo lines a later failed Open appended below it.
    QGuiApplication::clipboard()->setText(header + QString::fromStdString(reportText_) +
                                          QLatin1Char('\n'));
}

void TFormMain::NextPlotPageClick() {
    PageControl1->setCurrentIndex((PageControl1->currentIndex() + 1) % PageControl1->count());
}

void TFormMain::AnyRaioButtonClicked() {
    const analysis::CommandResult result =
        analysis::RunLevelChange(*state_, SelectedLevel(), UserDecimalSeparator());
    NoteAnalysisChanged(result.outcome);
    ShowCommandResult(result);
}

void TFormMain::NoteAnalysisChanged(analysis::Outcome outcome) {
    ++analysisVersion_;
    analysisReady_ = outcome == analysis::Outcome::Reported;
}

ConfidenceLevel TFormMain::SelectedLevel() const {
    if (RadioButton39->isChecked()) return ConfidenceLevel::Level39;
    if (RadioButton50->isChecked()) return ConfidenceLevel::Level50;
    return ConfidenceLevel::Level95;
}

void TFormMain::ShowCommandResult(const analysis::CommandResult& result) {
    using Kind = analysis::Notice::Kind;
    for (const analysis::Notice& notice : result.notices) {
        switch (notice.kind) {
            case Kind::Caption:
                setWindowTitle(QString::fromStdString(" Varnel  [ " + notice.text + " ]"));
                break;
            case Kind::Message:
                // The detail below the message's own lines, after a line feed of its own.
                ui_.ShowMessage(notice.detail.empty() ? notice.text
                                                      : notice.text + "\n" + notice.detail);
                break;
            case Kind::MemoLine:
                Memo->appendPlainText(QString::fromStdString(notice.text));
                break;
            case Kind::Report:
                reportText_ = JoinLines(result.report);
                Memo->setPlainText(QString::fromStdString(reportText_));
                break;
            case Kind::Error:
                // The command's one handler shows it in the error box.
                throw VarnelError(notice.text, notice.detail);
        }
    }
    if (result.outcome == analysis::Outcome::Reported) RedrawPlots();
}

void TFormMain::MenuMethodsClick() {
    if (methods_ == nullptr) {
        methods_ = new TFormMethods(ui_, this);
        // Its remembered place goes only while it leaves this window uncovered: this window
        // opens at its own place each session, which may lie under the other's.
        if (!methods_->CameBackToItsPlace() || methods_->geometry().intersects(frameGeometry())) {
            PlaceMethodsWindow();
        }
    }
    UpdateMethodsWindow();
    methods_->show();
    methods_->raise();
    methods_->activateWindow();
}

// The first time, the Methods window stands beside this one where the screen has room.
void TFormMain::PlaceMethodsWindow() {
    const QScreen* shown = screen();
    if (shown == nullptr) return;
    // The window manager's frame, as this window has it, is added to the other's size.
    const QSize frame = frameGeometry().size() - geometry().size();
    const SideBySide placed =
        PlaceBeside(frameGeometry(), methods_->size() + frame, shown->availableGeometry());
    if (placed.mainTopLeft != frameGeometry().topLeft()) move(placed.mainTopLeft);
    methods_->resize(placed.second.size() - frame);
    methods_->move(placed.second.topLeft());
}

void TFormMain::MenuEllipsoidClick() {
    if (ellipsoid_ == nullptr) ellipsoid_ = new TFormEllipsoid(ui_, this);
    ellipsoid_->show();
    ellipsoid_->raise();
    ellipsoid_->activateWindow();
}

std::vector<std::string> TFormMain::DataFiles() const {
    return {state_->DataFileName, captionFile_, lastChosenFile_};
}

void TFormMain::MenuDataClick() {
    if (data_ == nullptr) data_ = new TFormData(this);
    data_->ShowData(state_.get(), UserDecimalSeparator());
    data_->show();
    data_->raise();
    data_->activateWindow();
}

// Brings the Methods and Data windows, where open, to the analysis as it now stands.
void TFormMain::UpdateMethodsWindow() {
    if (data_ != nullptr) data_->ShowData(state_.get(), UserDecimalSeparator());
    if (methods_ == nullptr) return;
    methods_->SetOpenedFiles({captionFile_, lastChosenFile_});
    if (methodsVersion_ == analysisVersion_) return;
    methodsVersion_ = analysisVersion_;
    methods_->ShowAnalysis(analysisReady_ ? state_.get() : nullptr, SelectedLevel());
}

void TFormMain::RedrawPlots() {
    if (!plot::PlotFramesExist(*state_)) return;
    plot::Canvas& post = ImageF->Canvas();
    plot::DrawPostStrainPlot(*state_, post, post, ImageF->width());
    ImageF->update();
    plot::Canvas& pre = ImageI->Canvas();
    plot::DrawPreStrainPlot(*state_, pre, pre, ImageI->width());
    ImageI->update();
}

void TFormMain::MenuSavePstClick() { ExportPicture(true); }

void TFormMain::MenuSavePreClick() { ExportPicture(false); }

void TFormMain::ExportPicture(bool postStrain) {
    // Without frames (nothing analysed yet) there is no plot to save; after an Open of two data
    // the frames and regions are the earlier analysis's, which the new data do not belong to.
    if (state_->DataCount < 3 || !plot::PlotFramesExist(*state_)) {
        ui_.ShowMessage(kNoDataForPictureMessage);
        return;
    }
    const std::optional<std::string> path = ui_.AskSaveFileName(
        {kPictureFilter, "emf", true,
         lastPicturePath_.empty() ? SuggestedSaveName(LastUsedFolder(), state_->DataFileName,
                                                      postStrain ? "_post.emf" : "_pre.emf")
                                  : lastPicturePath_});
    if (path) {
        lastPicturePath_ = *path;
        RememberFolderOf(*path);
    }
    if (path && !RefusedAsDataFile(ui_, DataFiles(), *path) && !RefusedAsPicture(ui_, *path)) {
        const plot::PictureFormat format = plot::PictureFormatOfPath(*path);
        try {
            if (postStrain) {
                plot::ExportPostStrainPicture(*state_, *path, format, ImageF->width(),
                                              ImageF->Canvas(), DisplayOf(*this));
            } else {
                plot::ExportPreStrainPicture(*state_, *path, format, ImageI->width(),
                                             ImageI->Canvas(), DisplayOf(*this));
            }
        } catch (...) {
            // The export's clear has wiped the on-screen picture; give both plots back.
            RedrawPlots();
            throw;
        }
    }
    RedrawPlots();
}

void TFormMain::SaveT2values1Click() {
    if (state_->DataCount < 3) {
        ui_.ShowMessage(kNoDataForGridMessage);
        return;
    }
    const std::optional<std::string> path =
        ui_.AskSaveFileName({kGridFilter, "txt", false,
                             SuggestedSaveName(LastUsedFolder(), state_->DataFileName, "_t2.txt")});
    if (!path) return;
    RememberFolderOf(*path);
    if (RefusedAsDataFile(ui_, DataFiles(), *path)) return;
    ExportTSquaredGrid(*state_, *path, UserDecimalSeparator());
}

void TFormMain::MenuExportReportClick() {
    if (!analysisReady_ || !plot::PlotFramesExist(*state_)) {
        ui_.ShowMessage(kNoDataForPictureMessage);
        return;
    }
    const std::string offered =
        lastReportPath_.empty()
            ? SuggestedSaveName(LastUsedFolder(), state_->DataFileName, "_report.pdf")
            : lastReportPath_;
    const std::optional<std::string> path =
        ui_.AskSaveFileName({kReportFilter, "pdf", true, offered});
    if (!path) return;
    lastReportPath_ = *path;
    RememberFolderOf(*path);
    if (RefusedAsDataFile(ui_, DataFiles(), *path)) return;
    const char separator = UserDecimalSeparator();
    const methods::MethodsResult result = methods::ComputeMethods(*state_);
    // The Methods window follows every Open and level change, so its bootstrap is of this
    // analysis, stated at the level in force.
    const std::optional<methods::BootstrapResult> bootstrap =
        methods_ != nullptr ? methods_->ShownBootstrap() : std::nullopt;
    const int level = methods::LevelPercentOf(SelectedLevel());
    plot::ExportReportPdf(
        *state_,
        plot::ReportContentOf(
            *state_, level,
            methods::MethodsTextLines(&result, bootstrap ? &*bootstrap : nullptr, separator),
            separator, plot::TodaysDate()),
        *path, separator);
}

void TFormMain::MenuContentsClick() {
    if (help_ == nullptr) help_ = new TFormHelp(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

}  // namespace varnel::app
