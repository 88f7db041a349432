#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <opencv2/core/utils/logger.hpp>
#include <opencv2/imgcodecs.hpp>
#include <sstream>

#include "core/varnel_error.h"
#include "image/image_objects.h"

namespace varnel::image {

namespace {

std::string NameOf(const std::string& path) {
    return path.substr(std::min(path.size(), path.find_last_of('/') + 1));
}

// OpenCV's decoders read their pixel limit from the environment once, at the first decode,
// and refuse a larger image from its header before allocating it; their own warnings go
// nowhere, since the messages below say what went wrong.
void PrepareDecoders() {
    static const bool prepared = [] {
        setenv("OPENCV_IO_MAX_IMAGE_PIXELS", std::to_string(kLargestImagePixels).c_str(), 1);
        cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
        return true;
    }();
    (void)prepared;
}

std::uint32_t BigEndian32(const std::vector<uchar>& b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
           std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

std::int32_t LittleEndian32(const std::vector<uchar>& b, std::size_t at) {
    return static_cast<std::int32_t>(std::uint32_t{b[at + 3]} << 24 |
                                     std::uint32_t{b[at + 2]} << 16 |
                                     std::uint32_t{b[at + 1]} << 8 | b[at]);
}

// The pixels the header of a PNG, BMP or PGM/PPM file claims (0 when it cannot tell: TIFF and
// JPEG are left to the decoders' own limit). A decoder reports such an image only as a
// failure, so the claim is read here to say why.
long double ClaimedPixels(const std::vector<uchar>& b) {
    if (b.size() >= 24 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') {
        return static_cast<long double>(BigEndian32(b, 16)) * BigEndian32(b, 20);
    }
    if (b.size() >= 26 && b[0] == 'B' && b[1] == 'M') {
        return std::abs(static_cast<long double>(LittleEndian32(b, 18))) *
               std::abs(static_cast<long double>(LittleEndian32(b, 22)));
    }
    if (b.size() >= 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6') {
        std::istringstream header(
            std::string(b.begin() + 2, b.begin() + std::min<std::size_t>(b.size(), 4096)));
        long double width = 0, height = 0;
        for (long double* value : {&width, &height}) {
            while (header >> std::ws && header.peek() == '#') header.ignore(4096, '\n');
            header >> *value;
        }
        return header ? width * height : 0;
    }
    return 0;
}

}  // namespace

cv::Mat ReadImageFile(const std::string& path) {
    PrepareDecoders();
    const std::string name = "\"" + NameOf(path) + "\"";
    std::ifstream file(path, std::ios::binary);
    if (!file) throw VarnelError("The image " + name + " cannot be opened.");
    const std::vector<uchar> bytes{std::istreambuf_iterator<char>(file), {}};
    if (file.bad()) throw VarnelError("The image " + name + " cannot be read.");
    if (ClaimedPixels(bytes) > kLargestImagePixels) {
        throw VarnelError("The image " + name + " has more than 400 megapixels, more than " +
                          "the program reads.");
    }
    cv::Mat image;
    try {
        if (!bytes.empty()) image = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
    } catch (const cv::Exception& error) {
        if (error.err.find("OPENCV_IO_MAX_IMAGE") != std::string::npos ||
            error.err.find("pixels") != std::string::npos) {
            throw VarnelError("The image " + name + " has more than 400 megapixels, more than " +
                              "the program reads.");
        }
    }
    if (image.empty()) {
        throw VarnelError("The image " + name + " cannot be decoded: the file is damaged or " +
                          "not a PNG, TIFF, BMP, JPEG or PGM image.");
    }
    if (image.depth() != CV_8U && image.depth() != CV_16U) {
        throw VarnelError("The image " + name + " is not of 8 or 16 bits a channel, which " +
                          "the program reads.");
    }
    return image;
}

}  // namespace varnel::image
