#pragma once

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "image/object_picking.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QThread;

namespace varnel::app {

/// The filter of the dialogs that open an image: the grain maps and section images read.
inline constexpr const char* kImageFilter =
    "Grain maps and section images (*.png, *.tif, *.tiff, *.bmp, *.jpg, *.jpeg, *.pgm)|"
    "*.png;*.tif;*.tiff;*.bmp;*.jpg;*.jpeg;*.pgm|All files (*.*)|*.*";

class ImageCanvas;

/// What the image window asks of the main window: an Open of the image with these options, as
/// File > Open of a data file runs, and the files no save may write over.
struct ImageWindowHost {
    std::function<void(const std::string& path, const image::ImageOptions& options)> analyse;
    std::function<std::vector<std::string>()> dataFiles;
};

/// The image window, "Varnel – Image": an image with its objects' outlines, ellipses and
/// numbers, the options that make the objects (the view follows each change, worked out off
/// the window's thread), a click on an object to exclude it by hand or take it back, and
/// Analyse, Save Overlay and Export Objects. Not modal.
class TFormImage : public QWidget {
public:
    TFormImage(UserInterface& ui, ImageWindowHost host, QWidget* parent = nullptr);
    /// Waits for a running update of the objects.
    ~TFormImage() override;

    /// Open Image: decodes the chosen image and shows it with its objects.
    void ButtonOpenImageClick();
    /// Decodes the image at `path` (VarnelError naming it when it cannot) and shows it with
    /// its objects for the options as they stand; the hand exclusions start empty.
    void OpenImage(const std::string& path);
    /// Analyse: hands the image and the options, the hand exclusions among them, to the host.
    void ButtonAnalyseClick();
    /// Save Overlay: the view's objects over the image as PNG or SVG by the chosen name.
    void ButtonSaveOverlayClick();
    /// Export Objects: every object as CSV or GeoJSON by the chosen name.
    void ButtonExportObjectsClick();
    /// A click on image pixel `at`: toggles the hand exclusion of the object there.
    void PickObject(image::PixelPosition at);

    /// The options the controls and the clicks say.
    image::ImageOptions CurrentOptions() const;
    /// The objects shown (null before the first update ends or after one failed).
    const image::ObjectMap* ShownMap() const { return map_.get(); }
    /// True while the objects are being worked out.
    bool Updating() const { return mapThread_ != nullptr; }

protected:
    /// Drops the image and any update waiting, so that a closed window holds no work.
    void closeEvent(QCloseEvent* event) override;

private:
    struct MapJob;

    void CreateControls();
    QWidget* CreateOptionsColumn();
    void BindEvents();
    void Run(void (TFormImage::*command)());
    void RequestMap();
    void StartMapping();
    void MappingFinished(const MapJob& job);
    void EnableCommands();
    std::vector<std::string> DataFiles() const;

    UserInterface& ui_;
    ImageWindowHost host_;
    std::string path_;
    std::string triedPath_;  // the file the last Open Image was given
    cv::Mat image_;
    std::vector<image::PixelPosition> picked_;
    bool pictureOfLabels_ = false;
    std::shared_ptr<const image::ObjectMap> map_;
    // At most one update runs; a change meanwhile waits here, the latest replacing any earlier.
    std::optional<image::ImageOptions> pending_;
    QThread* mapThread_ = nullptr;
    // Set when the window closes: the updates of its image stop.
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    std::string lastOverlayPath_, lastObjectsPath_;

    QPushButton* ButtonOpenImage = nullptr;
    QCheckBox* CheckOtsu = nullptr;
    QSlider* SliderThreshold = nullptr;
    QSpinBox* EditThreshold = nullptr;
    QCheckBox* CheckInvert = nullptr;
    QCheckBox* CheckLabels = nullptr;
    QSpinBox* EditMinimumArea = nullptr;
    QCheckBox* CheckKeepEdge = nullptr;
    QCheckBox* CheckSplit = nullptr;
    QPushButton* ButtonFit = nullptr;
    QPushButton* ButtonAnalyse = nullptr;
    QPushButton* ButtonSaveOverlay = nullptr;
    QPushButton* ButtonExportObjects = nullptr;
    ImageCanvas* ObjectView = nullptr;
    QLabel* CountsText = nullptr;
};

}  // namespace varnel::app
