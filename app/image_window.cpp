#include "app/image_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <algorithm>
#include <exception>

#include "app/command_runner.h"
#include "app/desktop_settings.h"
#include "app/image_canvas.h"
#include "app/save_refusal.h"
#include "core/replacing_file.h"
#include "core/report.h"
#include "core/varnel_error.h"
#include "image/object_export.h"
#include "image/object_overlay.h"
#include "plot/picture_export.h"

namespace varnel::app {
namespace {

constexpr const char* kOverlayFilter =
    "PNG image (*.png)|*.png|Scalable Vector Graphics (*.svg)|*.svg";
constexpr const char* kObjectsFilter =
    "Comma-separated values (*.csv)|*.csv|GeoJSON outlines (*.geojson)|*.geojson";

bool EndsWith(std::string name, const char* extension) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.ends_with(extension);
}

QImage PictureOf(const cv::Mat& grey) {
    QImage picture(grey.cols, grey.rows, QImage::Format_Grayscale8);
    for (int r = 0; r < grey.rows; ++r) {
        std::copy_n(grey.ptr<uchar>(r), grey.cols, picture.scanLine(r));
    }
    return picture;
}

}  // namespace

/// One update of the objects: its own handle on the decoded image and the options, and what it
/// made (read only after the thread has finished).
struct TFormImage::MapJob {
    cv::Mat image;
    image::ImageOptions options;
    std::string path;
    std::shared_ptr<const std::atomic<bool>> stop;
    std::shared_ptr<const image::ObjectMap> map;
    std::string error;

    void Execute() {
        try {
            map = std::make_shared<const image::ObjectMap>(
                image::MapObjects(image, options, path, stop.get()));
        } catch (const std::exception& e) {
            error = UserMessageOf(e);
        }
    }
};

TFormImage::~TFormImage() {
    if (mapThread_ == nullptr) return;
    mapThread_->disconnect(this);
    mapThread_->wait();
    delete mapThread_;
}

void TFormImage::closeEvent(QCloseEvent* event) {
    // An update running stops at its next object's outlines (its result, of an image no longer
    // shown, dropped), and no waiting update starts.
    pending_.reset();
    *stop_ = true;
    image_.release();
    map_.reset();
    path_.clear();
    ObjectView->SetMap(nullptr);
    EnableCommands();
    QWidget::closeEvent(event);
}

void TFormImage::Run(void (TFormImage::*command)()) {
    RunCommand(ui_, [this, command] { (this->*command)(); });
}

void TFormImage::ButtonOpenImageClick() {
    const std::optional<std::string> path = ui_.AskOpenFileName({kImageFilter, LastUsedFolder()});
    if (!path) return;
    RememberFolderOf(*path);
    OpenImage(*path);
}

void TFormImage::OpenImage(const std::string& path) {
    // Kept even when the decode fails: a damaged file may still be the user's only copy.
    triedPath_ = path;
    cv::Mat decoded;
    {
        const BusyCursor busy;
        decoded = image::ReadImageFile(path);
    }
    path_ = path;
    image_ = decoded;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    picked_.clear();
    map_.reset();
    setWindowTitle(
        QString::fromStdString("Varnel – Image  [ " + FileNameWithoutFolder(path) + " ]"));
    pictureOfLabels_ = CheckLabels->isChecked();
    ObjectView->SetPicture(PictureOf(image::OverlayUnderlay(image_, CurrentOptions())));
    CountsText->setText(QStringLiteral("Finding the objects…"));
    RequestMap();
    EnableCommands();
}

image::ImageOptions TFormImage::CurrentOptions() const {
    image::ImageOptions options;
    if (!CheckOtsu->isChecked()) options.threshold = EditThreshold->value();
    options.invert = CheckInvert->isChecked();
    options.labels = CheckLabels->isChecked();
    options.minimumArea = EditMinimumArea->value();
    options.keepEdge = CheckKeepEdge->isChecked();
    options.split = CheckSplit->isChecked();
    options.excludedByHand = picked_;
    return options;
}

void TFormImage::RequestMap() {
    if (image_.empty()) return;
    pending_ = CurrentOptions();
    if (mapThread_ == nullptr) StartMapping();
}

void TFormImage::StartMapping() {
    auto job = std::make_shared<MapJob>();
    job->image = image_;
    job->options = *pending_;
    job->path = path_;
    job->stop = stop_;
    pending_.reset();
    mapThread_ = QThread::create([job] { job->Execute(); });
    connect(mapThread_, &QThread::finished, this, [this, job] {
        mapThread_->deleteLater();
        mapThread_ = nullptr;
        MappingFinished(*job);
        if (pending_) StartMapping();
    });
    mapThread_->start();
}

void TFormImage::MappingFinished(const MapJob& job) {
    if (job.path != path_ || *job.stop) return;  // of an image since replaced or closed
    map_ = job.map;
    if (map_ && map_->options.labels != pictureOfLabels_) {
        // A label image's objects show white on black, a grain map's grey levels as they are.
        pictureOfLabels_ = map_->options.labels;
        ObjectView->ReplacePicture(PictureOf(image::OverlayUnderlay(image_, map_->options)));
    }
    ObjectView->SetMap(map_);
    CountsText->setText(
        QString::fromStdString(map_ ? image::ObjectCountsLine(map_->found)
                                    : FileNameWithoutFolder(path_) + ": " + job.error));
    EnableCommands();
}

void TFormImage::PickObject(image::PixelPosition at) {
    if (!map_) return;
    std::vector<image::PixelPosition> picked =
        image::ToggleExcludedByHand(map_->found, picked_, at);
    if (picked == picked_) return;
    picked_ = std::move(picked);
    RequestMap();
}

void TFormImage::ButtonAnalyseClick() {
    if (image_.empty()) return;
    host_.analyse(path_, CurrentOptions());
}

std::vector<std::string> TFormImage::DataFiles() const {
    std::vector<std::string> files{path_, triedPath_};
    if (host_.dataFiles) {
        for (std::string& file : host_.dataFiles()) files.push_back(std::move(file));
    }
    return files;
}

void TFormImage::ButtonSaveOverlayClick() {
    if (!map_) return;
    const std::optional<std::string> path = ui_.AskSaveFileName(
        {kOverlayFilter, "png", true,
         lastOverlayPath_.empty() ? SuggestedSaveName(LastUsedFolder(), path_, "_overlay.png")
                                  : lastOverlayPath_});
    if (!path) return;
    lastOverlayPath_ = *path;
    RememberFolderOf(*path);
    if (RefusedAsDataFile(ui_, DataFiles(), *path)) return;
    if (!EndsWith(*path, ".png") && !EndsWith(*path, ".svg")) {
        ui_.ShowMessage("Cannot save an overlay as \"" + FileNameWithoutFolder(*path) +
                        "\": its name must end in .png or .svg.");
        return;
    }
    const BusyCursor busy;
    plot::SavePictureFile(*path, EndsWith(*path, ".svg")
                                     ? image::OverlaySvg(image_, map_->found, map_->options)
                                     : image::OverlayPng(image_, map_->found, map_->options));
}

void TFormImage::ButtonExportObjectsClick() {
    if (!map_) return;
    const std::optional<std::string> path = ui_.AskSaveFileName(
        {kObjectsFilter, "csv", true,
         lastObjectsPath_.empty() ? SuggestedSaveName(LastUsedFolder(), path_, "_objects.csv")
                                  : lastObjectsPath_});
    if (!path) return;
    lastObjectsPath_ = *path;
    RememberFolderOf(*path);
    if (RefusedAsDataFile(ui_, DataFiles(), *path)) return;
    if (!EndsWith(*path, ".csv") && !EndsWith(*path, ".geojson")) {
        ui_.ShowMessage("Cannot export the objects as \"" + FileNameWithoutFolder(*path) +
                        "\": its name must end in .csv or .geojson.");
        return;
    }
    ReplaceFile(*path, EndsWith(*path, ".csv") ? image::ObjectsCsv(map_->found)
                                               : image::ObjectsGeoJson(map_->found));
}

void TFormImage::EnableCommands() {
    ButtonAnalyse->setEnabled(!image_.empty());
    ButtonSaveOverlay->setEnabled(map_ != nullptr);
    ButtonExportObjects->setEnabled(map_ != nullptr);
}

}  // namespace varnel::app
