#include "app/jpeg_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace varnel::app {
namespace {

/// libjpeg's default error handler ends the process; this one jumps back to the decoder.
struct JumpingErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JumpOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JumpingErrorManager*>(info->err);
    std::longjmp(errors->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

/// Decodes into `pixels` as packed RGB rows; false on any libjpeg error. No object with a
/// destructor starts its life between setjmp and a possible longjmp.
bool DecodeToRgb(const unsigned char* bytes, std::size_t size, std::vector<unsigned char>& pixels,
                 int& width, int& height) {
    jpeg_decompress_struct info;
    JumpingErrorManager errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpOnError;
    errors.manager.output_message = IgnoreMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    pixels.resize(rowBytes * static_cast<std::size_t>(height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const unsigned char* bytes, std::size_t size) {
    std::vector<unsigned char> pixels;
    int width = 0;
    int height = 0;
    if (size == 0 || !DecodeToRgb(bytes, size, pixels, width, height)) return QImage();
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        std::copy_n(pixels.data() + static_cast<std::size_t>(y) * width * 3, width * 3,
                    image.scanLine(y));
    }
    return image;
}

}  // namespace varnel::app
