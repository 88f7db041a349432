#include "app/desktop_settings.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace varnel::app {
namespace {

constexpr const char* kRecentFilesKey = "recentFiles";
constexpr const char* kLastFolderKey = "lastFolder";

QStringList StoredRecentFiles() {
    return QSettings().value(QString::fromLatin1(kRecentFilesKey)).toStringList();
}

void StoreRecentFiles(const QStringList& files) {
    QSettings().setValue(QString::fromLatin1(kRecentFilesKey), files);
}

}  // namespace

std::vector<std::string> RecentFiles() {
    std::vector<std::string> files;
    for (const QString& file : StoredRecentFiles()) {
        if (static_cast<int>(files.size()) == kMaxRecentFiles) break;
        files.push_back(file.toStdString());
    }
    return files;
}

void AddRecentFile(const std::string& path) {
    const QString file = QString::fromStdString(path);
    QStringList files = StoredRecentFiles();
    files.removeAll(file);
    files.prepend(file);
    while (files.size() > kMaxRecentFiles) files.removeLast();
    StoreRecentFiles(files);
}

void RemoveRecentFile(const std::string& path) {
    QStringList files = StoredRecentFiles();
    files.removeAll(QString::fromStdString(path));
    StoreRecentFiles(files);
}

std::string LastUsedFolder() {
    return QSettings().value(QString::fromLatin1(kLastFolderKey)).toString().toStdString();
}

void RememberFolderOf(const std::string& path) {
    QSettings().setValue(QString::fromLatin1(kLastFolderKey),
                         QFileInfo(QString::fromStdString(path)).absolutePath());
}

std::string SuggestedSaveName(const std::string& folder, const std::string& dataFile,
                              const std::string& suffix) {
    if (dataFile.empty()) return {};
    const QFileInfo data(QString::fromStdString(dataFile));
    const QString base = folder.empty() ? data.absolutePath() : QString::fromStdString(folder);
    return (base + QLatin1Char('/') + data.completeBaseName() + QString::fromStdString(suffix))
        .toStdString();
}

}  // namespace varnel::app
