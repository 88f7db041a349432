#include "core/executable_folder.h"

#include <filesystem>

namespace varnel {

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "./";
    return executable.parent_path().string() + "/";
}

}  // namespace varnel
