#pragma once

#include <cstddef>

namespace varnel::cli {

/// While a progress line of `shownLength` characters stands on standard error, Ctrl+C
/// (SIGINT) or SIGTERM erases it ("\r", blanks, "\r") before the process ends as the signal's
/// default action ends it. Arming again changes the length; 0 leaves the line alone.
void EraseOnInterrupt(std::size_t shownLength);

}  // namespace varnel::cli
