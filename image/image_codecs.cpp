#include "image/image_codecs.h"

#include <dlfcn.h>

#include "core/executable_folder.h"
#include "core/varnel_error.h"
#include "image/image_codecs_entry.h"

namespace varnel::image {

namespace {

struct Codecs {
    VarnelDecodeImageFunction decode = nullptr;
    VarnelEncodeImageFunction encode = nullptr;
    std::string failure;  // why the module could not be loaded
};

// Loaded once and never unloaded: OpenCV's codecs keep state for the life of the process.
const Codecs& LoadedCodecs() {
    static const Codecs codecs = [] {
        Codecs loaded;
        const std::string path = ExecutableFolder() + kCodecsModuleName;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            loaded.failure = dlerror();
            return loaded;
        }
        loaded.decode =
            reinterpret_cast<VarnelDecodeImageFunction>(dlsym(module, "VarnelDecodeImage"));
        loaded.encode =
            reinterpret_cast<VarnelEncodeImageFunction>(dlsym(module, "VarnelEncodeImage"));
        if (loaded.decode == nullptr || loaded.encode == nullptr) {
            loaded.failure = path + " lacks the codec entry points";
        }
        return loaded;
    }();
    if (!codecs.failure.empty()) {
        throw VarnelError("The image codecs cannot be loaded.", codecs.failure);
    }
    return codecs;
}

}  // namespace

DecodedImage DecodeImage(const std::vector<uchar>& bytes) {
    DecodedImage decoded;
    if (!LoadedCodecs().decode(&bytes, &decoded.image, &decoded.refusal)) decoded.image.release();
    return decoded;
}

std::vector<uchar> EncodeImage(const std::string& extension, const cv::Mat& image) {
    std::vector<uchar> bytes;
    std::string refusal;
    if (!LoadedCodecs().encode(extension.c_str(), &image, &bytes, &refusal)) {
        throw VarnelError("The image cannot be written as " + extension + ".", refusal);
    }
    return bytes;
}

}  // namespace varnel::image
