#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel::cli {

/// Standard output for the reports and JSON lines, written straight to its descriptor so that
/// a failure (a full disk, a closed output) is seen, with the system's reason.
class StandardOutput {
public:
    /// Writes `text` whole; after a failure nothing more is written.
    void Write(std::string_view text);
    /// "Cannot write to standard output: " and the system's reason of the first failed write,
    /// or nothing while every write succeeded.
    const std::optional<std::string>& Failure() const { return failure_; }

private:
    std::optional<std::string> failure_;
};

/// Puts /dev/null, opened for reading only, on standard input, output or error where one is
/// closed, so that no file the program opens takes its number (a report would land in it);
/// writing to such a stream then fails as writing to the closed one would.
void ReserveClosedStandardStreams();

}  // namespace varnel::cli
