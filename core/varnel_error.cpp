#include "core/varnel_error.h"

#include <new>

namespace varnel {

std::string UserMessageOf(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) return kOutOfMemoryMessage;
    return error.what();
}

std::string ErrorBoxText(const std::string& message) {
    // Compared as bytes, as the runtime compares its single-byte text; the multi-byte
    // Japanese endings sort after "." and get their full stop too.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace varnel
