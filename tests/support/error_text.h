#pragma once

#include <exception>
#include <string>

#include "core/varnel_error.h"

namespace varnel::testing_support {

/// The message a user reads for the error that `call` throws (UserMessageOf: a VarnelError's
/// text, the runtime's out-of-memory text for a failed allocation), or "(no error)".
template <typename Call>
std::string ErrorTextOf(Call&& call) {
    try {
        call();
    } catch (const std::exception& error) {
        return UserMessageOf(error);
    }
    return "(no error)";
}

}  // namespace varnel::testing_support
