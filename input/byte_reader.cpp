#include "input/byte_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/io_error.h"
#include "input/regular_file.h"

namespace varnel {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr char kEndOfText = 26;  // Ctrl-Z
}  // namespace

ByteReader::ByteReader(const std::string& path) : path_(path), buffer_(kBufferSize) {
    const int fd = OpenRegularFile(path);
    file_ = ::fdopen(fd, "rb");
    if (!file_) {
        const int error = errno;
        ::close(fd);
        ThrowIoErrorFromErrno(error, path);
    }
}

ByteReader::~ByteReader() { std::fclose(file_); }

bool ByteReader::Refill() {
    position_ = 0;
    size_ = 0;
    if (endOfText_) return false;
    size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (size_ == 0 && std::ferror(file_)) ThrowIoErrorFromErrno(errno, path_);
    if (const void* end = std::memchr(buffer_.data(), kEndOfText, size_)) {
        size_ = static_cast<std::size_t>(static_cast<const char*>(end) - buffer_.data());
        endOfText_ = true;
    }
    return size_ > 0;
}

bool ByteReader::AtEnd() { return position_ == size_ && !Refill(); }

std::string_view ByteReader::Buffered() {
    if (AtEnd()) return {};
    return {buffer_.data() + position_, size_ - position_};
}

bool ByteReader::SkipLine() {
    if (AtEnd()) return false;
    for (std::string_view bytes; !(bytes = Buffered()).empty();) {
        const std::size_t end = bytes.find('\n');
        if (end != std::string_view::npos) {
            Skip(end + 1);
            break;
        }
        Skip(bytes.size());
    }
    return true;
}

TrimmedLine ByteReader::ReadTrimmedLine(std::string& text, std::size_t limit) {
    text.clear();
    if (AtEnd()) return TrimmedLine::End;
    // `text` holds the line from its first character above 32, the characters up to 32 after
    // its last such character pending: they stay only when more text follows.
    std::size_t kept = 0;
    for (std::string_view bytes; !(bytes = Buffered()).empty();) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size());
        for (std::size_t i = 0; i < end; ++i) {
            const char c = bytes[i];
            if (c == '\r') {  // dropped, whether it ends the line or not
                loneCarriageReturn_ = loneCarriageReturn_ || i + 1 < end;
                continue;
            }
            if (static_cast<unsigned char>(c) > 32) {
                if (text.size() == limit) {
                    Skip(i);
                    SkipLine();
                    return TrimmedLine::Cut;
                }
                text.push_back(c);
                kept = text.size();
            } else if (kept > 0 && text.size() < limit) {
                text.push_back(c);
            }
        }
        Skip(std::min(end + 1, bytes.size()));
        if (end < bytes.size()) break;
    }
    text.resize(kept);
    return TrimmedLine::Whole;
}

}  // namespace varnel
