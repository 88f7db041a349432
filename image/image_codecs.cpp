#include "image/image_codecs.h"

#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <fstream>
#include <mutex>

#include "core/executable_folder.h"
#include "core/varnel_error.h"
#include "image/image_codecs_entry.h"

namespace varnel::image {

namespace {

struct Codecs {
    VarnelDecodeImageFunction decode = nullptr;
    VarnelEncodeImageFunction encode = nullptr;
};

// Whether the file at `path` holds every segment its ELF header lists. The loader maps the
// segments without checking: one cut short by a damaged install would fault (SIGBUS) when
// touched, where the program should say what is wrong.
bool SegmentsComplete(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return true;  // dlopen says why it cannot open it
    const auto size = static_cast<std::uint64_t>(file.tellg());
    Elf64_Ehdr header{};
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(&header), sizeof header)) return true;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        return true;  // not a 64-bit ELF file: dlopen refuses it
    }
    for (int i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment{};
        file.seekg(
            static_cast<std::streamoff>(header.e_phoff + std::uint64_t(i) * header.e_phentsize));
        if (!file.read(reinterpret_cast<char*>(&segment), sizeof segment)) return false;
        if (segment.p_offset > size || segment.p_filesz > size - segment.p_offset) return false;
    }
    return true;
}

// Loaded once and never unloaded (OpenCV's codecs keep state for the life of the process). A
// failed load is tried again at the next image, so a module put back works without a restart.
const Codecs& LoadedCodecs(const std::string& what) {
    static std::mutex loading;
    static Codecs codecs;
    const std::lock_guard<std::mutex> lock(loading);
    if (codecs.decode != nullptr) return codecs;
    const std::string path = ExecutableFolder() + kCodecsModuleName;
    if (!SegmentsComplete(path)) {
        throw VarnelError(
            what + ": the image codecs cannot be loaded.",
            path + " is damaged or cut short; reinstall the program to bring it back");
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        throw VarnelError(what + ": the image codecs cannot be loaded.",
                          std::string(dlerror()) + "; reinstall the program to bring it back");
    }
    const auto decode =
        reinterpret_cast<VarnelDecodeImageFunction>(dlsym(module, "VarnelDecodeImage"));
    const auto encode =
        reinterpret_cast<VarnelEncodeImageFunction>(dlsym(module, "VarnelEncodeImage"));
    if (decode == nullptr || encode == nullptr) {
        dlclose(module);
        throw VarnelError(
            what + ": the image codecs cannot be loaded.",
            path + " is not the program's image codecs module; reinstall the program");
    }
    codecs = {decode, encode};
    return codecs;
}

}  // namespace

DecodedImage DecodeImage(const std::vector<uchar>& bytes, const std::string& what) {
    DecodedImage decoded;
    if (!LoadedCodecs(what).decode(&bytes, &decoded.image, &decoded.refusal))
        decoded.image.release();
    return decoded;
}

std::vector<uchar> EncodeImage(const std::string& extension, const cv::Mat& image,
                               const std::string& what) {
    std::vector<uchar> bytes;
    std::string refusal;
    if (!LoadedCodecs(what).encode(extension.c_str(), &image, &bytes, &refusal)) {
        throw VarnelError(what + ".", refusal);
    }
    return bytes;
}

}  // namespace varnel::image
