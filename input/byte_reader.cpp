#include "input/byte_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/io_error.h"

namespace varnel {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr unsigned char kEndOfText = 26;  // Ctrl-Z
}  // namespace

// Opens without blocking, so that a FIFO without a writer cannot hold the program, and takes
// only a regular file: a folder, a FIFO or a device (which may never end) cannot be read.
ByteReader::ByteReader(const std::string& path) : buffer_(kBufferSize) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) ThrowIoErrorFromErrno(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        ThrowIoErrorFromErrno(EACCES);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file_ = ::fdopen(fd, "rb");
    if (!file_) {
        const int error = errno;
        ::close(fd);
        ThrowIoErrorFromErrno(error);
    }
}

ByteReader::~ByteReader() { std::fclose(file_); }

bool ByteReader::Refill() {
    size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    position_ = 0;
    if (size_ == 0 && std::ferror(file_)) ThrowIoErrorFromErrno(errno);
    return size_ > 0;
}

bool ByteReader::AtEnd() {
    if (endOfText_) return true;
    if (position_ == size_ && !Refill()) {
        endOfText_ = true;
        return true;
    }
    if (buffer_[position_] == kEndOfText) endOfText_ = true;
    return endOfText_;
}

bool ByteReader::ReadLine(std::string* text) {
    if (AtEnd()) return false;
    if (text) text->clear();
    while (!AtEnd()) {
        const unsigned char c = Peek();
        Advance();
        if (c == '\n') break;
        if (c != '\r' && text) text->push_back(static_cast<char>(c));
    }
    return true;
}

}  // namespace varnel
