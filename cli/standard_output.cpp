#include "cli/standard_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace varnel::cli {

void StandardOutput::Write(std::string_view text) {
    while (!failure_ && !text.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            failure_ = std::string("Cannot write to standard output: ") + std::strerror(error);
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

void ReserveClosedStandardStreams() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", O_RDONLY);
        // open() takes the lowest free number, which is this one while the lower ones are open.
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

}  // namespace varnel::cli
