#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "core/analysis_state.h"
#include "input/ellipse_import.h"

class QAction;
class QPlainTextEdit;
class QProgressBar;
class QRadioButton;
class QTabWidget;
class QFrame;
class QLabel;
class QMenu;

namespace varnel::analysis {
struct CommandResult;
enum class Outcome;
}  // namespace varnel::analysis

namespace varnel::app {

class PlotPicture;
class TFormAbout;
class TFormMethods;
class TFormEllipsoid;
class TFormData;
class TFormHelp;
class TFormImage;

/// The main window: menus, the two plot pages, the report memo, the progress bar and the
/// confidence-level buttons. It holds the one analysis state for the whole run and runs every
/// command over it through RunCommand, so an error ends the command, not the program.
class TFormMain : public QMainWindow {
public:
    /// Builds the controls, then runs FormCreate, which reads finv.dat from `quantileFolder`
    /// (the executable's folder when empty). Messages and dialogs go through `ui`.
    explicit TFormMain(UserInterface& ui, const std::string& quantileFolder = std::string());
    ~TFormMain() override;

    /// The window Help > Version shows.
    void SetAboutWindow(TFormAbout* about) { about_ = about; }
    /// The analysis state, for reading.
    const AnalysisState& State() const { return *state_; }

    /// Loads the F-quantile tables; a missing finv.dat gives its message.
    void FormCreate();
    /// Gives both plot pictures a blank white drawing surface.
    void FormShow();
    /// Keeps the memo and the level panel at the right edge and fits the tabs into the rest;
    /// from four data on, makes both plots squares and redraws them.
    void FormResize();

    /// File > Open: reads, validates and analyses a data file under the busy cursor; the
    /// result stage follows from three data on. A failed Open keeps the earlier analysis.
    void MenuOpenClick();
    /// File > Open Image…: decodes the chosen image into the image window and shows it, not
    /// modal; its Analyse opens the image here as OpenFile does.
    void MenuOpenImageClick();
    /// The image window (null before the first File > Open Image…).
    TFormImage* ImageWindow() const { return image_; }
    /// A level button became the selected one: the result stage for the stored estimate.
    void AnyRaioButtonClicked();
    /// Save Picture > Post-strain: EMF, SVG or PNG by the chosen name; both plots redrawn.
    void MenuSavePstClick();
    /// Save Picture > Pre-strain, as MenuSavePstClick.
    void MenuSavePreClick();
    /// Save T^2 values: the 100 × 100 grid of T² over the Post-strain frame as text.
    void SaveT2values1Click();
    /// File > Exit: ends the event loop; nothing is saved or asked.
    void MenuExitClick();
    /// File > Export Report…: the report, the estimators and tests, the Methods window's bootstrap
    /// at the level in force when it has one, and the three plots as a PDF of A4 pages.
    void MenuExportReportClick();
    /// Help > Contents (F1): shows the help window, not modal.
    void MenuContentsClick();
    /// Help > Version: shows the About window, not modal.
    void MenuVersionClick();
    /// Analysis > Methods: shows the Methods window, not modal, with the current analysis.
    void MenuMethodsClick();
    /// Analysis > Ellipsoid…: shows the Ellipsoid window, not modal.
    void MenuEllipsoidClick();
    /// View > Data: shows the data window, not modal, with the ellipses as read.
    void MenuDataClick();
    /// Opens `path` as File > Open does with that file chosen, and lists it in Recent Files;
    /// `import` says how a table or an image is read.
    void OpenFile(const std::string& path, const ImportOptions& import = {});
    /// File > Recent Files > `path`: opens it, or, when it no longer exists, says so and takes
    /// it off the list.
    void OpenRecentFile(const std::string& path);
    /// Ctrl+C: the report as shown, below a line naming the file, N and the level.
    void CopyReportClick();
    /// Ctrl+Tab: brings the other plot page to the front.
    void NextPlotPageClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateControls();
    void CreatePlotPages();
    void CreateLevelPanel();
    void BindEvents();
    void CreateShortcuts();
    void RebuildRecentMenu();
    void Run(void (TFormMain::*command)());

    void NoteAnalysisChanged(analysis::Outcome outcome);
    void ShowCommandResult(const analysis::CommandResult& result);
    void RedrawPlots();
    void ExportPicture(bool postStrain);
    ConfidenceLevel SelectedLevel() const;
    void UpdateMethodsWindow();
    void PlaceMethodsWindow();
    void AnalyseImage(const std::string& path, const image::ImageOptions& options);
    std::vector<std::string> DataFiles() const;

    UserInterface& ui_;
    std::unique_ptr<AnalysisState> state_;
    std::string quantileFolder_;
    std::string lastPicturePath_;
    // Besides the analysis's data file, no save writes over the file the caption names or the
    // last file chosen in File > Open, though a failed Open left the analysis on another file.
    std::string captionFile_;
    std::string lastChosenFile_;
    TFormAbout* about_ = nullptr;
    TFormMethods* methods_ = nullptr;
    TFormEllipsoid* ellipsoid_ = nullptr;
    TFormData* data_ = nullptr;
    TFormHelp* help_ = nullptr;
    TFormImage* image_ = nullptr;
    std::string lastReportPath_;
    std::string reportText_;  // the memo's report, for Ctrl+C
    // Every change of the analysis counts up; the Methods window hears of each one once.
    bool analysisReady_ = false;
    int analysisVersion_ = 0;
    int methodsVersion_ = -1;

    QAction* MenuOpen = nullptr;
    QAction* MenuOpenImage = nullptr;
    QAction* MenuSavePst = nullptr;
    QAction* MenuSavePre = nullptr;
    QAction* SaveT2values1 = nullptr;
    QAction* MenuExportReport = nullptr;
    QAction* MenuContents = nullptr;
    QAction* MenuExit = nullptr;
    QAction* MenuPDF = nullptr;
    QAction* MenuVersion = nullptr;
    QAction* MenuMethods = nullptr;
    QAction* MenuEllipsoid = nullptr;
    QAction* MenuData = nullptr;
    QAction* MenuCopyReport = nullptr;
    QAction* MenuNextPlot = nullptr;
    QMenu* MenuRecent = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheetPst = nullptr;
    QWidget* TabSheetPre = nullptr;
    PlotPicture* ImageF = nullptr;
    PlotPicture* ImageI = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QFrame* PanelRadButtons = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* StaticText2 = nullptr;
    QRadioButton* RadioButton39 = nullptr;
    QRadioButton* RadioButton50 = nullptr;
    QRadioButton* RadioButton95 = nullptr;
};

}  // namespace varnel::app
