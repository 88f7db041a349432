#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <opencv2/core/utils/logger.hpp>
#include <sstream>

#include "core/io_error.h"
#include "core/varnel_error.h"
#include "image/image_codecs.h"
#include "image/image_objects.h"

namespace varnel::image {

namespace {

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

// What the header of a PNG, BMP or PGM/PPM file claims: its pixels and the bytes they take
// decoded ({0, 0} when it cannot tell: TIFF and JPEG are left to the decoders' own limit). A
// decoder reports too large an image only as a failure, so the claim is read here to say why.
struct Claim {
    long double pixels = 0, bytes = 0;
};

Claim ClaimOf(const std::vector<uchar>& b) {
    if (b.size() >= 26 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') {
        const long double pixels =
            static_cast<long double>(BigEndian32(b, 16)) * BigEndian32(b, 20);
        // Colour types 0 grey, 2 colour, 3 palette (decoded as colour), 4 grey and alpha
        // (decoded with colour), 6 colour and alpha.
        const int channels = b[25] == 0 ? 1 : b[25] == 2 || b[25] == 3 ? 3 : 4;
        return {pixels, pixels * channels * (b[24] == 16 ? 2 : 1)};
    }
    if (b.size() >= 30 && b[0] == 'B' && b[1] == 'M') {
        const long double pixels = std::abs(static_cast<long double>(LittleEndian32(b, 18))) *
                                   std::abs(static_cast<long double>(LittleEndian32(b, 22)));
        const int bits = b[28] | b[29] << 8;
        return {pixels, pixels * (bits > 24 ? 4 : bits > 8 ? 3 : 1)};
    }
    if (b.size() >= 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6') {
        std::istringstream header(
            std::string(b.begin() + 2, b.begin() + std::min<std::size_t>(b.size(), 4096)));
        long double width = 0, height = 0, largest = 1;
        const bool bitmap = b[1] == '1' || b[1] == '4';
        for (long double* value : {&width, &height, &largest}) {
            if (bitmap && value == &largest) break;
            while (header >> std::ws && header.peek() == '#') header.ignore(4096, '\n');
            header >> *value;
        }
        if (!header) return {};
        const int channels = b[1] == '3' || b[1] == '6' ? 3 : 1;
        return {width * height, width * height * channels * (largest > 255 ? 2 : 1)};
    }
    return {};
}

// True for a JPEG whose last scan runs to the end of the file with no end-of-image marker
// after it: a cut file, which the decoder would still fill out with streaks. Inside a scan a
// 0xFF byte is always followed by 0x00 or a restart marker, so the markers are found by bytes.
bool CutJpeg(const std::vector<uchar>& b) {
    if (b.size() < 2 || b[0] != 0xFF || b[1] != 0xD8) return false;
    bool ended = false;
    for (std::size_t i = 0; i + 1 < b.size(); ++i) {
        if (b[i] != 0xFF) continue;
        if (b[i + 1] == 0xDA) ended = false;  // a scan starts
        if (b[i + 1] == 0xD9) ended = true;
    }
    return !ended;
}

// True for a PNG whose chunks run past the end of the file or stop before its end chunk: a
// cut file, refused before libpng sees it (it would print its own error on standard error).
bool CutPng(const std::vector<uchar>& b) {
    if (b.size() < 8 || b[0] != 0x89 || b[1] != 'P' || b[2] != 'N' || b[3] != 'G') return false;
    std::size_t at = 8;
    while (at + 12 <= b.size()) {
        const std::size_t length = BigEndian32(b, at);
        if (std::string(b.begin() + at + 4, b.begin() + at + 8) == "IEND") return false;
        if (length > b.size() - at - 12) return true;
        at += 12 + length;
    }
    return true;
}

}  // namespace

cv::Mat ReadImageFile(const std::string& path) {
    PrepareDecoders();
    const std::string name = "\"" + FileNameOf(path) + "\"";
    // A folder opens as a file but fails at the first read: say what it is instead.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw VarnelError("The image " + name + " cannot be opened.", IoErrorDetail(EISDIR, path));
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw VarnelError("The image " + name + " cannot be opened.", IoErrorDetail(errno, path));
    }
    const std::vector<uchar> bytes{std::istreambuf_iterator<char>(file), {}};
    if (file.bad()) throw VarnelError("The image " + name + " cannot be read.");
    const Claim claim = ClaimOf(bytes);
    if (claim.pixels > kLargestImagePixels) {
        throw VarnelError("The image " + name + " has more than 400 megapixels, more than " +
                          "the program reads.");
    }
    if (claim.bytes > kLargestImageBytes) {
        throw VarnelError("The image " + name + " takes more than 1 GiB of memory decoded, " +
                          "more than the program reads.");
    }
    cv::Mat image;
    if (!bytes.empty() && !CutPng(bytes)) {
        DecodedImage decoded = DecodeImage(bytes, "The image " + name + " cannot be decoded");
        if (decoded.refusal.find("OPENCV_IO_MAX_IMAGE") != std::string::npos ||
            decoded.refusal.find("pixels") != std::string::npos) {
            throw VarnelError("The image " + name + " has more than 400 megapixels, more than " +
                              "the program reads.");
        }
        image = decoded.image;
    }
    if (image.empty() || CutJpeg(bytes)) {
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
