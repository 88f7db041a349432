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

/// Replaces the file at `path` by `contents`, as the shell's `>` would but never half-written:
/// - symbolic links are followed, a dangling one too (its target is created); a loop fails
///   with ELOOP;
/// - a file this process may not write (its permissions, a read-only file system) is refused
///   with EACCES or EROFS, although the folder would allow renaming over it;
/// - a regular file (or a new one) is written to a temporary file in its folder, which takes
///   the owner (where the process may set it) and mode of the earlier file and is renamed over
///   it only when complete, so a failure leaves the earlier file and no temporary behind;
/// - where the folder takes no new file or forbids the rename, an existing writable file is
///   rewritten in place, its space reserved first so a full disk leaves it untouched;
/// - a device or FIFO is written in place, a folder fails with EISDIR.
std::optional<FileSaveFailure> TryReplaceFile(const std::string& path, std::string_view contents);

/// TryReplaceFile that throws VarnelError with the runtime's I/O error text on failure.
void ReplaceFile(const std::string& path, std::string_view contents);

/// True when both paths, links followed, name one existing file (same device and inode), so
/// also through a hard link or another spelling of the path.
bool SameExistingFile(const std::string& first, const std::string& second);

/// True when saving to either path would write the same file: SameExistingFile, or neither
/// exists yet and both lead, links followed, to the same absolute path.
bool SameSaveTarget(const std::string& first, const std::string& second);

}  // namespace varnel
