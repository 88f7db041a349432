#include "core/varnel_error.h"

#include <new>

namespace varnel {

std::string UserMessageOf(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) return kOutOfMemoryMessage;
    return error.what();
}

std::string UserDetailOf(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        return "the computer has not enough free memory for this command";
    }
    if (const auto* varnelError = dynamic_cast<const VarnelError*>(&error)) {
        return varnelError->Detail();
    }
    return {};
}

std::string ErrorBoxText(const std::string& message, const std::string& detail) {
    // Compared as bytes, as the runtime compares its single-byte text; the multi-byte
    // Japanese endings sort after "." and get their full stop too.
    const bool fullStop = !message.empty() && static_cast<unsigned char>(message.back()) > '.';
    const std::string text = fullStop ? message + "." : message;
    return detail.empty() ? text : text + "\n" + detail;
}

}  // namespace varnel
