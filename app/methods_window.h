#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/methods_table.h"
#include "app/user_interface.h"
#include "core/analysis_state.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace varnel::app {

class BootstrapRunner;
struct BootstrapOutcome;
class RfPhiView;

/// The Methods window, "Varnel – Methods": the estimators of the strain with the T² ranges at
/// the chosen level, the fabric tests with their verdicts, the bootstrap intervals on request,
/// and the Rf/φ plot; the plot and the tables can be saved, never over the data file. Not modal.
/// It works on its own copy of the analysis, which the main window hands it after every Open
/// that stores one and every level change.
class TFormMethods : public QWidget {
public:
    /// Messages and dialogs go through `ui`; `parent` owns the window.
    explicit TFormMethods(UserInterface& ui, QWidget* parent = nullptr);
    /// Stops a running bootstrap and waits for it.
    ~TFormMethods() override;

    /// Shows the methods of an analysed state (copied, three data or more) at `level`, or an
    /// empty window for none. For the same data at another level the bootstrap's resamples are
    /// kept (a running one goes on) and its intervals restated; other data drop them.
    void ShowAnalysis(const AnalysisState* state, ConfidenceLevel level);

    /// The files File > Open was last given (the one the main window's caption names, the last
    /// one chosen), which no save of this window writes over, whichever analysis it shows.
    void SetOpenedFiles(std::vector<std::string> openedFiles);

    /// Bootstrap: resamples the data on a worker thread; the intervals join the table.
    void ButtonBootstrapClick();
    /// Cancel: stops the running bootstrap; the table stays without intervals.
    void ButtonCancelClick();
    /// Save Plot: the Rf/φ plot as EMF, SVG or PNG by the chosen name, at the plot's size.
    void ButtonSavePlotClick();
    /// Save Table: both tables as CSV.
    void ButtonSaveTableClick();

    bool BootstrapRunning() const;
    /// True when the window came back to where it was left at an earlier run.
    bool CameBackToItsPlace() const { return restoredPlace_; }

protected:
    /// Keeps the window's place and size for the next start.
    void hideEvent(QHideEvent* event) override;

public:
    /// The finished bootstrap as the table states it at the level in force; none without one.
    std::optional<methods::BootstrapResult> ShownBootstrap() const {
        return summary_ ? summary_->bootstrap : std::nullopt;
    }

private:
    void CreateControls();
    QWidget* CreateEstimatorsPage();
    QWidget* CreateTestsPage();
    QWidget* CreateBootstrapRow();
    QWidget* CreateSaveRow();
    void BindEvents();
    void Run(void (TFormMethods::*command)());

    std::string AnalysisStatus() const;
    std::vector<std::string> DataFiles() const;
    void ShowSummary();
    void ShowNoAnalysis(const std::string& status);
    void EnableCommands();
    void BootstrapFinished(const BootstrapOutcome& outcome);
    // The last finished bootstrap stated at level_; none without one, or with too few
    // resamples for that level.
    std::optional<methods::BootstrapResult> BootstrapAtLevel() const;

    UserInterface& ui_;
    bool restoredPlace_ = false;
    std::unique_ptr<AnalysisState> state_;
    ConfidenceLevel level_ = ConfidenceLevel::Level95;
    std::optional<MethodsSummary> summary_;
    std::string dataFileName_;  // of the analysis shown, which no save may write over
    std::vector<std::string> openedFiles_;
    // The name a save offers: the last one chosen, else one made from the data file's name.
    std::string OfferedName(const std::string& lastChosen, const std::string& suffix) const;
    std::string lastPlotPath_;
    std::string lastTablePath_;
    BootstrapRunner* bootstrap_ = nullptr;
    std::optional<methods::BootstrapResult> resamples_;  // the last finished run, as it ran

    QLabel* StatusText = nullptr;
    QTableWidget* EstimatorGrid = nullptr;
    QTableWidget* TestGrid = nullptr;
    QSpinBox* ResampleCount = nullptr;
    QPushButton* ButtonBootstrap = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QProgressBar* BootstrapProgress = nullptr;
    QPushButton* ButtonSavePlot = nullptr;
    QPushButton* ButtonSaveTable = nullptr;
    RfPhiView* PlotView = nullptr;
};

}  // namespace varnel::app
