#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// Reads a single-byte text file sequentially through a buffer. A Ctrl-Z byte (26) ends the
/// file. Owns the file and closes it on every way out. Throws VarnelError with the I/O error
/// text when the file cannot be opened or read; anything but a regular file (a folder, a FIFO,
/// a device) is refused as access denied.
class ByteReader {
public:
    explicit ByteReader(const std::string& path);
    ~ByteReader();
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    /// True at the end of the file or at a Ctrl-Z byte.
    bool AtEnd();
    /// The bytes read ahead from the current position (at most the buffer's size), reading
    /// more when none are left; empty only at the end of the file.
    std::string_view Buffered();
    /// Moves past `count` bytes of Buffered().
    void Skip(std::size_t count) { position_ += count; }

    /// Reads one line: up to a LF (consumed), a CR directly before it ending the line too; a
    /// lone CR is dropped. False when the file is at its end. With `text` null, only skips.
    bool ReadLine(std::string* text);

private:
    bool Refill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t size_ = 0;
    bool endOfText_ = false;  // a Ctrl-Z was read: nothing after it is
};

}  // namespace varnel
