#include "core/varnel_error.h"

namespace varnel {

std::string ErrorBoxText(const std::string& message) {
    // Compared as bytes, as the runtime compares its single-byte text; the multi-byte
    // Japanese endings sort after "." and get their full stop too.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace varnel
