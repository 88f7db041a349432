#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace varnel {

/// The one error the program reports to its user: what() is exactly the text the user reads
/// (the program's own messages and the runtime's Japanese ones alike). Its detail, when it has
/// one, is one English line shown below that text: what happened, where, and what to do.
class VarnelError : public std::runtime_error {
public:
    explicit VarnelError(const std::string& message, std::string detail = {})
        : std::runtime_error(message), detail_(std::move(detail)) {}

    /// The English line below the message; empty when the message says all.
    const std::string& Detail() const noexcept { return detail_; }

private:
    std::string detail_;
};

/// Texts of the runtime's floating-point faults.
inline constexpr const char* kInvalidOperationMessage = "不正な浮動小数点数演算命令";
inline constexpr const char* kDivisionByZeroMessage = "0 による浮動小数点数除算";
inline constexpr const char* kOverflowMessage = "浮動小数点数のオーバーフロー";

/// The text of the runtime's out-of-memory error.
inline constexpr const char* kOutOfMemoryMessage = "メモリが不足しています";

/// The message a user reads for any error a command did not handle: a VarnelError's own text,
/// the out-of-memory text for a failed allocation, the library's text otherwise.
std::string UserMessageOf(const std::exception& error);

/// The English line below that message: a VarnelError's detail, a word on memory for a failed
/// allocation, empty otherwise.
std::string UserDetailOf(const std::exception& error);

/// The text shown in the error box: a full stop is appended when the message's last
/// character sorts after "." (so a message ending in ")" keeps its ending), then the detail,
/// when there is one, on a line of its own.
std::string ErrorBoxText(const std::string& message, const std::string& detail = {});

}  // namespace varnel
