#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

/// The UTF-8 byte-order mark, which some editors put before a text file's first line.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

/// How ReadTrimmedLine ended.
enum class TrimmedLine {
    End,    ///< the file was at its end: no line
    Whole,  ///< the line's text, trimmed
    Cut,    ///< the trimmed text is longer than the limit: its first `limit` characters
};

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

    /// Moves past one line: up to and including its LF (a CR directly before it ending the line
    /// too), or to the end of the file. False when the file is at its end.
    bool SkipLine();

    /// Reads one line, without its leading and trailing characters of codes 0
    /// to 32 and with every CR dropped (a CR LF or LF ends it), keeping at most `limit`
    /// characters in `text`: a longer line is Cut, and the rest of it is skipped without being
    /// kept. Memory stays within `limit` whatever the line.
    TrimmedLine ReadTrimmedLine(std::string& text, std::size_t limit);
    /// True once a line read held a CR that did not end it: a file whose lines end in CR
    /// alone (classic Mac OS) reads as one line.
    bool LoneCarriageReturnSeen() const { return loneCarriageReturn_; }

private:
    bool Refill();

    std::string path_;  // for the detail of a read error
    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t size_ = 0;
    bool loneCarriageReturn_ = false;
    bool endOfText_ = false;  // a Ctrl-Z was read: nothing after it is
};

}  // namespace varnel
