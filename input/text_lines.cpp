#include "input/text_lines.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/io_error.h"
#include "input/regular_file.h"

namespace varnel {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr char kEndOfText = 26;  // Ctrl-Z
}  // namespace

TextLines::TextLines(const std::string& path)
    : path_(path), fd_(OpenRegularFile(path)), buffer_(kBufferSize) {
    struct stat info {};
    if (::fstat(fd_, &info) == 0) size_ = static_cast<std::uint64_t>(info.st_size);
}

TextLines::~TextLines() { ::close(fd_); }

bool TextLines::Fill() {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ThrowIoErrorFromErrno(error, path_);
        }
        position_ = 0;
        filled_ = static_cast<std::size_t>(got);
        return got > 0;
    }
}

bool TextLines::AtEnd() {
    if (!ended_ && position_ == filled_ && !Fill()) ended_ = true;
    if (!ended_ && buffer_[position_] == kEndOfText) ended_ = true;
    return ended_;
}

bool TextLines::ReadLine(std::string& line, std::size_t maxLength, bool& cut) {
    line.clear();
    cut = false;
    if (AtEnd()) return false;
    while (!AtEnd()) {
        const char c = buffer_[position_];
        if (c != '\n' && c != '\r' && line.size() == maxLength) {
            cut = true;  // the rest of the line stays unread
            break;
        }
        ++position_;
        if (c == '\n') break;
        if (c != '\r') line.push_back(c);
    }
    return true;
}

bool TextLines::SkipLine() {
    if (AtEnd()) return false;
    while (!AtEnd()) {
        if (buffer_[position_++] == '\n') break;
    }
    return true;
}

}  // namespace varnel
