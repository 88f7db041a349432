#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel {

/// Why a save failed: the file could not be created, or its contents could not be written;
/// `errorNumber` is the system's errno.
struct FileSaveFailure {
    enum class Stage { Create, Write };
    Stage stage = Stage::Create;
    int errorNumber = 0;
};

/// Replaces the file at `path` by `contents`. A regular file (or a new one) is written to a new
/// temporary file in the same folder, which is renamed over the target only when complete, so a
/// failure leaves the earlier file intact and no temporary file behind. A target that exists but
/// is not a regular file (a device, a FIFO) is written in place; a symbolic link is followed.
std::optional<FileSaveFailure> TryReplaceFile(const std::string& path, std::string_view contents);

/// TryReplaceFile that throws VarnelError with the runtime's I/O error text on failure.
void ReplaceFile(const std::string& path, std::string_view contents);

}  // namespace varnel
