#pragma once

#include <QImage>
#include <cstddef>

namespace varnel::app {

/// Decodes a baseline or progressive JPEG held in memory with libjpeg into an RGB image;
/// a null image when the bytes are not a readable JPEG.
QImage DecodeJpeg(const unsigned char* bytes, std::size_t size);

}  // namespace varnel::app
