#include "input/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/io_error.h"

namespace varnel {

int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) ThrowIoErrorFromErrno(errno, path);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        // The runtime cannot open anything but a file: access denied, "a folder" for a folder.
        const bool folder = S_ISDIR(info.st_mode);
        throw VarnelError(IoErrorMessage(kIoAccessDenied),
                          folder ? IoErrorDetail(EISDIR, path) : "not a regular file: " + path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace varnel
