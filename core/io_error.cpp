#include "core/io_error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace varnel {

std::string FileNameOf(const std::string& path) {
    return path.substr(std::min(path.size(), path.find_last_of('/') + 1));
}

std::string IoErrorMessage(int code) {
    switch (code) {
        case kIoFileNotFound:
            return "ファイルが見つかりません";
        case kIoInvalidFileName:
            return "ファイル名の指定が間違っています";
        case kIoTooManyOpenFiles:
            return "オープンしたファイルが多すぎます";
        case kIoAccessDenied:
            return "ファイルへのアクセスが拒否されました";
        case kIoReadBeyondEnd:
            return "ファイルの末尾以降を読み込みました";
        case kIoDiskFull:
            return "ディスクがいっぱいです";
        case kIoInvalidNumericInput:
            return "入力値が数値ではありません";
        default:
            return "I/O エラー (" + std::to_string(code) + ")";
    }
}

int IoErrorCodeFromErrno(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
            return kIoFileNotFound;
        // The name cannot name a file: too long, a folder in the path that is a file, bytes or
        // characters the file system refuses in a name.
        case ENAMETOOLONG:
        case ENOTDIR:
        case EILSEQ:
        case ELOOP:  // a path whose symbolic links never end names no file
        case EINVAL:
            return kIoInvalidFileName;
        case EMFILE:
        case ENFILE:
            return kIoTooManyOpenFiles;
        // The file may not be read or written here: no permission, a file system mounted
        // read-only, a folder where a file was asked for (the runtime cannot open one as a file).
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return kIoAccessDenied;
        // No room left for the user: the disk or the user's quota is full. EFBIG (a file
        // larger than the file system or the process may write) is not a full disk.
        case ENOSPC:
        case EDQUOT:
            return kIoDiskFull;
        default:
            return kIoSystemErrorBase + errorNumber;
    }
}

std::string IoErrorDetail(int errorNumber, const std::string& path) {
    const char* what = "cannot read or write";
    switch (errorNumber) {
        case ENOENT:
            what = "file not found";
            break;
        case EACCES:
        case EPERM:
            what = "no permission for";
            break;
        case EROFS:
            what = "read-only file system holds";
            break;
        case EISDIR:
            what = "a folder, not a file";
            break;
        case ENOSPC:
        case EDQUOT:
            what = "no room left on the disk for";
            break;
        default:
            break;
    }
    // The system's own English description, whatever language the locale's messages are in.
    const char* reason = ::strerrordesc_np(errorNumber);
    const std::string because = reason ? reason : "error " + std::to_string(errorNumber);
    return std::string(what) + ": " + path + " (" + because + ")";
}

std::string CreateFailureDetail(int errorNumber, const std::string& path) {
    const std::filesystem::path file(path);
    const char* reason = ::strerrordesc_np(errorNumber);
    const std::string because = reason ? reason : "error " + std::to_string(errorNumber);
    if (!path.empty() && path.back() == '/') {
        return "cannot create " + path + ": a name ending in \"/\" names a folder, not a file (" +
               because + ")";
    }
    const std::string folder =
        file.has_parent_path() ? file.parent_path().string() : std::string("the current folder");
    const char* why = "the file cannot be created there";
    switch (errorNumber) {
        case EISDIR:
            why = "a folder of that name is there";
            break;
        case ENOENT:
        case ENOTDIR:
            why = "the folder does not exist";
            break;
        case EACCES:
        case EPERM: {
            std::error_code ignored;
            why = std::filesystem::exists(file, ignored)
                      ? "the file is write-protected"
                      : "the folder cannot be written; choose another";
            break;
        }
        case EROFS:
            why = "the folder is on a read-only file system";
            break;
        case ELOOP:
            why = "its symbolic links form a loop";
            break;
        case ENXIO:
            why = "no program reads from it";
            break;
        default:
            break;
    }
    return "cannot create " + file.filename().string() + " in " + folder + ": " + why + " (" +
           because + ")";
}

void ThrowIoErrorFromErrno(int errorNumber, const std::string& path) {
    throw VarnelError(IoErrorMessage(IoErrorCodeFromErrno(errorNumber)),
                      IoErrorDetail(errorNumber, path));
}

}  // namespace varnel
