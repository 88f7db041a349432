#pragma once

#include <string>

namespace varnel {

/// The folder of the running executable, with a trailing "/": the quantile table and the image
/// codecs are found beside the program.
std::string ExecutableFolder();

}  // namespace varnel
