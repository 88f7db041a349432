#pragma once

#include <cstddef>
#include <string>

#include "input/byte_reader.h"

namespace varnel {

/// Reads the lines of a text file with a bound on what one line may hold, for the imported
/// table formats. Lines end as in a data file: at LF, a CR directly before it ending the line
/// too; a lone CR is dropped; a Ctrl-Z byte (26) ends the file. Owns the file; only a regular
/// file opens (ByteReader reads it). Throws VarnelError with the runtime's I/O error text on
/// open or read failure.
class TextLines {
public:
    explicit TextLines(const std::string& path) : reader_(path) {}

    /// Reads the next line into `line`, at most `maxLength` bytes of it: of a longer line `cut`
    /// is set and the rest stays unread (bounded time and memory for any line). False at the
    /// end of the file.
    bool ReadLine(std::string& line, std::size_t maxLength, bool& cut);
    /// Skips the next line; false at the end of the file.
    bool SkipLine() { return reader_.SkipLine(); }
    /// True once a CR that ends no line (one followed by more than LF) has been read.
    bool LoneCarriageReturnSeen() const { return loneCarriageReturn_; }

private:
    ByteReader reader_;
    bool loneCarriageReturn_ = false;
    bool afterCarriageReturn_ = false;  // the last byte read was a CR
};

}  // namespace varnel
