#include "input/byte_reader.h"

#include <cerrno>

#include "core/io_error.h"

namespace varnel {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr unsigned char kEndOfText = 26;  // Ctrl-Z
}  // namespace

ByteReader::ByteReader(const std::string& path) : buffer_(kBufferSize) {
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) ThrowIoErrorFromErrno(errno ? errno : ENOENT);
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
