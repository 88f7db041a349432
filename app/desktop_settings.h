#pragma once

#include <string>
#include <vector>

namespace varnel::app {

/// How many files File > Recent Files lists.
inline constexpr int kMaxRecentFiles = 8;

/// The files opened last, newest first, at most kMaxRecentFiles, as the application's
/// QSettings keep them.
std::vector<std::string> RecentFiles();
/// Puts `path` first in the recent files, once, dropping the oldest beyond kMaxRecentFiles.
void AddRecentFile(const std::string& path);
/// Takes `path` out of the recent files.
void RemoveRecentFile(const std::string& path);

/// The folder of the file last opened or saved; empty before the first.
std::string LastUsedFolder();
/// Remembers the folder of `path` as the one the dialogs start in.
void RememberFolderOf(const std::string& path);

/// The name a save dialog offers: the data file's name without its extension, then `suffix`,
/// in `folder` ("/d", "/x/quartzite_tab.txt", "_post.emf" gives "/d/quartzite_tab_post.emf");
/// empty when no data file is known. An empty folder is the data file's own.
std::string SuggestedSaveName(const std::string& folder, const std::string& dataFile,
                              const std::string& suffix);

}  // namespace varnel::app
