#pragma once

#include <cstddef>

namespace varnel::app {

/// The program's logo, a 96 × 96 colour JPEG, compiled in from app/resources/logo.jpg.
extern const unsigned char kLogoJpeg[];
/// Its size in bytes.
extern const std::size_t kLogoJpegSize;

}  // namespace varnel::app
