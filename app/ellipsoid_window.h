#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "ellipsoid/sections_study.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace varnel::app {

class BootstrapRunner;
class DrawingView;

/// The Ellipsoid window, "Varnel – Ellipsoid": a sections table opened from here (its data
/// files read from the table's folder), its sections with their 2-D estimates and misfits, the
/// ellipsoid of the chosen sample with its bootstrap intervals once run, and the Flinn plot,
/// the Hsu plot and the equal-area net of the principal axes, each saved as a picture. Not
/// modal.
class TFormEllipsoid : public QWidget {
public:
    /// Messages and dialogs go through `ui`; `parent` owns the window.
    explicit TFormEllipsoid(UserInterface& ui, QWidget* parent = nullptr);
    /// Waits for a running bootstrap.
    ~TFormEllipsoid() override;

    /// Open Table: studies the chosen sections table; a table that cannot be studied leaves
    /// the window empty with the reason in its status text.
    void ButtonOpenTableClick();
    /// Bootstrap: resamples the sections of every sample on a worker thread, B, seed and level
    /// as chosen in the window, counting the resamples on the progress bar.
    void ButtonBootstrapClick();
    /// Cancel: stops the running bootstrap soon; the results shown before it stay.
    void ButtonCancelClick();
    /// Save Plot: the plot of the tab in front as EMF, SVG, PNG or PDF by the chosen name.
    void ButtonSavePlotClick();

    /// Studies the sections table at `path` as Open Table does with it chosen.
    void OpenTable(const std::string& path);
    bool BootstrapRunning() const;
    const std::vector<ellipsoid::SampleStudy>& Studies() const { return studies_; }

protected:
    /// Closing the window cancels a running bootstrap.
    void closeEvent(QCloseEvent* event) override;

private:
    struct BootstrapRun;

    void CreateControls();
    QWidget* CreateTablesColumn();
    QWidget* CreateBootstrapRow();
    QWidget* CreateCommandRow();
    QWidget* CreatePlotColumn();
    void BindEvents();
    void Run(void (TFormEllipsoid::*command)());

    void ShowStudies();
    void ShowSample();
    void ShowPlots();
    void EnableCommands();
    std::string StudyStatus() const;
    /// The status text, its first lines only where it is long (all of it as the tooltip).
    void SetStatus(const std::string& text);
    const ellipsoid::SampleStudy* ChosenStudy() const;
    void AbandonBootstrap();
    void BootstrapFinished(const BootstrapRun& run, const std::string& error);
    int ChosenLevelPercent() const;
    void SetFewestResamples();
    std::vector<std::string> DataFiles() const;

    UserInterface& ui_;
    std::string tablePath_;
    std::vector<ellipsoid::SampleStudy> studies_;
    std::string lastPlotPath_;
    BootstrapRunner* bootstrap_ = nullptr;
    int shownLevelPercent_ = 95;  ///< the level of the intervals shown

    QPushButton* ButtonOpenTable = nullptr;
    QLabel* StatusText = nullptr;
    QTableWidget* SectionsGrid = nullptr;
    QComboBox* SampleChoice = nullptr;
    QTableWidget* EllipsoidGrid = nullptr;
    QSpinBox* ResampleCount = nullptr;
    QLineEdit* SeedValue = nullptr;
    QComboBox* LevelChoice = nullptr;
    QPushButton* ButtonBootstrap = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QProgressBar* BootstrapProgress = nullptr;
    QPushButton* ButtonSavePlot = nullptr;
    QTabWidget* PlotTabs = nullptr;
    DrawingView* FlinnView = nullptr;
    DrawingView* HsuView = nullptr;
    DrawingView* NetView = nullptr;
};

}  // namespace varnel::app
