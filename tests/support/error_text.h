#pragma once

#include <string>

#include "core/varnel_error.h"

namespace varnel::testing_support {

/// The message of the VarnelError that `call` throws, or "(no error)".
template <typename Call>
std::string ErrorTextOf(Call&& call) {
    try {
        call();
    } catch (const VarnelError& error) {
        return error.what();
    }
    return "(no error)";
}

}  // namespace varnel::testing_support
