#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

/// Reads the lines of a text file with a bound on what one line may hold, for the imported
/// table formats. Lines end as in a data file: at LF, a CR directly before it ending the line
/// too; a lone CR is dropped; a Ctrl-Z byte (26) ends the file. Owns the file; only a regular
/// file opens. Throws VarnelError with the runtime's I/O error text on open or read failure.
class TextLines {
public:
    explicit TextLines(const std::string& path);
    ~TextLines();
    TextLines(const TextLines&) = delete;
    TextLines& operator=(const TextLines&) = delete;

    /// Reads the next line into `line`, at most `maxLength` bytes of it: of a longer line `cut`
    /// is set and the rest stays unread (bounded time and memory for any line). False at the
    /// end of the file.
    bool ReadLine(std::string& line, std::size_t maxLength, bool& cut);
    /// Skips the next line; false at the end of the file.
    bool SkipLine();
    /// The file's size in bytes, as the system reports it at opening.
    std::uint64_t FileSize() const { return size_; }

private:
    bool Fill();
    bool AtEnd();

    std::string path_;  // for the detail of a read error
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    bool ended_ = false;
};

}  // namespace varnel
