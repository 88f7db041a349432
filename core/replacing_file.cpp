#include "core/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "core/io_error.h"

namespace varnel {
namespace {

using Stage = FileSaveFailure::Stage;

FileSaveFailure Failure(Stage stage, int errorNumber) { return {stage, errorNumber}; }

// Writes everything, retrying short writes and interrupted calls; returns 0 or errno.
int WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The file a symbolic link leads to; the path itself when it is no link or leads nowhere yet.
std::string FollowLinks(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

// A device or FIFO cannot be replaced by renaming; it is opened and written where it is.
// A FIFO without a reader fails at once (non-blocking open) instead of hanging the program.
std::optional<FileSaveFailure> WriteInPlace(const std::string& path, std::string_view contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Failure(Stage::Create, errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const int writeError = WriteAll(fd, contents);
    const int closeError = ::close(fd) != 0 ? errno : 0;
    if (writeError != 0) return Failure(Stage::Write, writeError);
    if (closeError != 0) return Failure(Stage::Write, closeError);
    return std::nullopt;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Permissions for the new file: those of the file it replaces, else what the umask allows.
mode_t ModeFor(bool exists, const struct stat& info) {
    if (exists) return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::optional<FileSaveFailure> WriteThroughTemporary(const std::string& target,
                                                     std::string_view contents, mode_t mode) {
    std::string pattern = FolderOf(target) + "/.varnel-save-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return Failure(Stage::Create, errno);
    int error = WriteAll(fd, contents);
    if (error == 0 && ::fchmod(fd, mode) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(name.data(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(name.data());
        return Failure(Stage::Create, renameError);
    }
    if (error != 0) {
        ::unlink(name.data());
        return Failure(Stage::Write, error);
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileSaveFailure> TryReplaceFile(const std::string& path, std::string_view contents) {
    if (path.empty()) return Failure(Stage::Create, ENOENT);
    const std::string target = FollowLinks(path);
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return Failure(Stage::Create, EISDIR);
    if (exists && !S_ISREG(info.st_mode)) return WriteInPlace(target, contents);
    return WriteThroughTemporary(target, contents, ModeFor(exists, info));
}

void ReplaceFile(const std::string& path, std::string_view contents) {
    if (const auto failure = TryReplaceFile(path, contents)) ThrowIoErrorFromErrno(failure->errorNumber);
}

}  // namespace varnel
