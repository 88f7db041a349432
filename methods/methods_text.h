#pragma once

#include <string>
#include <vector>

#include "methods/bootstrap.h"
#include "methods/methods.h"

namespace varnel::methods {

/// The estimators and fabric tests of `result`, then the bootstrap's resamples, seed, level and
/// intervals of `bootstrap`, as plain English lines that start with an empty one; either may be
/// null and is then left out. Numbers as the report writes them, with `decimalSeparator`.
std::vector<std::string> MethodsTextLines(const MethodsResult* result,
                                          const BootstrapResult* bootstrap, char decimalSeparator);

}  // namespace varnel::methods
