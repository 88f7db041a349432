#include "core/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/io_error.h"

namespace varnel {
namespace {

using Stage = FileSaveFailure::Stage;

constexpr int kMaxLinkHops = 40;  // the kernel's own limit for the links of one path

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

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The text of the symbolic link at `path`; nothing, with errno set, when it cannot be read.
std::optional<std::string> ReadLink(const std::string& path) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0) return std::nullopt;
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The file a save to `path` writes: the links at the end of the path followed one by one, a
// dangling one to the name it holds, so that the save creates that file. Returns 0 or errno,
// ELOOP for a loop. Links inside the folders of the path are the kernel's to follow.
int FollowLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
        if (hops == kMaxLinkHops) return ELOOP;
        const std::optional<std::string> next = ReadLink(target);
        if (!next) return errno;
        target = next->front() == '/' ? *next : InFolder(FolderOf(target), *next);
    }
}

// A device or FIFO cannot be replaced by renaming; it is opened and written where it is.
// A FIFO without a reader fails at once (non-blocking open) instead of hanging the program.
std::optional<FileSaveFailure> WriteInPlace(const std::string& path, std::string_view contents,
                                            int extraFlags = 0) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | extraFlags);
    if (fd < 0) return Failure(Stage::Create, errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const int writeError = WriteAll(fd, contents);
    const int closeError = ::close(fd) != 0 ? errno : 0;
    if (writeError != 0) return Failure(Stage::Write, writeError);
    if (closeError != 0) return Failure(Stage::Write, closeError);
    return std::nullopt;
}

// A regular file whose folder takes no temporary file is rewritten where it is, as the shell's
// `>` would, so it keeps its owner and mode. Its space is reserved before the first byte
// changes: a full disk fails with the earlier contents intact (a later failure cannot be undone).
std::optional<FileSaveFailure> RewriteInPlace(const std::string& path, std::string_view contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Failure(Stage::Create, errno);
    const auto size = static_cast<off_t>(contents.size());
    int error = 0;
    if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS) {
        error = errno;
    }
    if (error == 0) error = WriteAll(fd, contents);
    if (error == 0 && ::ftruncate(fd, size) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) return Failure(Stage::Write, error);
    return std::nullopt;
}

// The descriptor of this process that a name stands for: /dev/stdin, /dev/stdout, /dev/stderr,
// /dev/fd/N and /proc/self/fd/N (or /proc/<this process>/fd/N), when that descriptor is open.
// Such a name leads to whatever the shell opened, often a file it appends to.
std::optional<int> InheritedDescriptor(const std::string& name) {
    static const std::string kStandard[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
    int fd = -1;
    for (int i = 0; i < 3; ++i)
        if (name == kStandard[i]) fd = i;
    const std::string ownProcess = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (const std::string& prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                      std::string("/proc/thread-self/fd/"), ownProcess}) {
        if (fd >= 0 || name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        fd = std::stoi(digits);
    }
    if (fd < 0 || ::fcntl(fd, F_GETFD) < 0) return std::nullopt;
    return fd;
}

// True when the name, or a link on the way from it, names a descriptor of a process
// (/proc/*/fd/*): the file behind it is the shell's to truncate or append to, never ours to
// replace by renaming.
bool NamesADescriptor(const std::string& name) {
    if (name.rfind("/dev/std", 0) == 0 || name.rfind("/dev/fd/", 0) == 0) return true;
    if (name.rfind("/proc/", 0) != 0) return false;
    const auto fd = name.find("/fd/", 6);
    return fd != std::string::npos && name.find('/', fd + 4) == std::string::npos;
}

// Writes to an inherited descriptor as the program's own output would: at its offset, appending
// when the shell opened it to append, after what the program's streams still hold.
std::optional<FileSaveFailure> WriteToDescriptor(int fd, std::string_view contents) {
    std::fflush(nullptr);
    if (const int error = WriteAll(fd, contents); error != 0) return Failure(Stage::Write, error);
    return std::nullopt;
}

// A descriptor of another process: its file is opened anew and added to, never replaced.
std::optional<FileSaveFailure> AppendInPlace(const std::string& path, std::string_view contents) {
    return WriteInPlace(path, contents, O_APPEND);
}

// Follows the links from `path` until one names a descriptor; writes there if one does.
std::optional<std::optional<FileSaveFailure>> WriteThroughDescriptor(const std::string& path,
                                                                     std::string_view contents) {
    std::string name = path;
    for (int hops = 0; hops <= kMaxLinkHops; ++hops) {
        if (const std::optional<int> fd = InheritedDescriptor(name))
            return WriteToDescriptor(*fd, contents);
        if (NamesADescriptor(name)) return AppendInPlace(name, contents);
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return std::nullopt;
        const std::optional<std::string> next = ReadLink(name);
        if (!next) return std::nullopt;
        name = next->front() == '/' ? *next : InFolder(FolderOf(name), *next);
    }
    return std::nullopt;
}

mode_t DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Gives the new file the owner, group and mode of the file it replaces, as far as this process
// may set them (only root gives a file away; a user may keep a group of theirs), or the mode the
// umask allows for a new file. Returns 0 or the errno of the mode change.
int TakeOverAttributes(int fd, const struct stat* earlier) {
    if (earlier == nullptr) return ::fchmod(fd, DefaultMode()) == 0 ? 0 : errno;
    if (::fchown(fd, earlier->st_uid, earlier->st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), earlier->st_gid) != 0) {
        // Neither may be kept: the file becomes the saver's, as a file of their own would.
    }
    // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
    return ::fchmod(fd, earlier->st_mode & 07777) == 0 ? 0 : errno;
}

std::optional<FileSaveFailure> WriteThroughTemporary(const std::string& target,
                                                     std::string_view contents,
                                                     const struct stat* earlier) {
    const std::string pattern = InFolder(FolderOf(target), ".varnel-save-XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return Failure(Stage::Create, errno);
    int error = WriteAll(fd, contents);
    if (error == 0) error = TakeOverAttributes(fd, earlier);
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

// The folder refused the temporary file or the rename over the target (a folder without write
// permission, a sticky folder and another user's file).
bool FolderRefused(const FileSaveFailure& failure) {
    return failure.stage == Stage::Create &&
           (failure.errorNumber == EACCES || failure.errorNumber == EPERM);
}

// The absolute, normalised form of a path whose last parts may not exist yet.
std::string AbsoluteForm(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return std::filesystem::weakly_canonical(absolute, error).lexically_normal().string();
}

}  // namespace

std::optional<FileSaveFailure> TryReplaceFile(const std::string& path, std::string_view contents) {
    if (path.empty()) return Failure(Stage::Create, ENOENT);
    if (auto written = WriteThroughDescriptor(path, contents)) return *written;
    std::string target;
    if (const int error = FollowLinks(path, target); error != 0) {
        return Failure(Stage::Create, error);
    }
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return WriteThroughTemporary(target, contents, nullptr);
    if (S_ISDIR(info.st_mode)) return Failure(Stage::Create, EISDIR);
    if (!S_ISREG(info.st_mode)) return WriteInPlace(target, contents);
    // Renaming over a file asks only the folder; writing it asks the file's own permissions.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return Failure(Stage::Create, errno);
    }
    const std::optional<FileSaveFailure> failure = WriteThroughTemporary(target, contents, &info);
    if (failure && FolderRefused(*failure)) return RewriteInPlace(target, contents);
    return failure;
}

void ReplaceFile(const std::string& path, std::string_view contents) {
    const auto failure = TryReplaceFile(path, contents);
    if (!failure) return;
    if (failure->stage == Stage::Write) ThrowIoErrorFromErrno(failure->errorNumber, path);
    throw VarnelError(IoErrorMessage(IoErrorCodeFromErrno(failure->errorNumber)),
                      CreateFailureDetail(failure->errorNumber, path));
}

bool SameExistingFile(const std::string& first, const std::string& second) {
    struct stat a {
    }, b{};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool SameSaveTarget(const std::string& first, const std::string& second) {
    struct stat info {};
    const bool firstExists = ::stat(first.c_str(), &info) == 0;
    const bool secondExists = ::stat(second.c_str(), &info) == 0;
    if (firstExists || secondExists) return SameExistingFile(first, second);
    std::string firstTarget, secondTarget;
    if (FollowLinks(first, firstTarget) != 0 || FollowLinks(second, secondTarget) != 0) {
        return false;
    }
    return AbsoluteForm(firstTarget) == AbsoluteForm(secondTarget);
}

}  // namespace varnel
