#include "core/io_error.h"

#include <cerrno>

namespace varnel {

std::string IoErrorMessage(int code) {
    switch (code) {
        case kIoFileNotFound: return "ファイルが見つかりません";
        case kIoInvalidFileName: return "ファイル名の指定が間違っています";
        case kIoTooManyOpenFiles: return "オープンしたファイルが多すぎます";
        case kIoAccessDenied: return "ファイルへのアクセスが拒否されました";
        case kIoReadBeyondEnd: return "ファイルの末尾以降を読み込みました";
        case kIoDiskFull: return "ディスクがいっぱいです";
        case kIoInvalidNumericInput: return "入力値が数値ではありません";
        default: return "I/O エラー (" + std::to_string(code) + ")";
    }
}

int IoErrorCodeFromErrno(int errorNumber) {
    switch (errorNumber) {
        case ENOENT: return kIoFileNotFound;
        case ENAMETOOLONG:
        case ELOOP:  // a path whose symbolic links never end names no file
        case EINVAL: return kIoInvalidFileName;
        case EMFILE:
        case ENFILE: return kIoTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return kIoAccessDenied;  // the runtime cannot open a folder as a file
        case ENOSPC:
        case EFBIG:
        case EDQUOT: return kIoDiskFull;
        default: return errorNumber;
    }
}

void ThrowIoErrorFromErrno(int errorNumber) {
    throw VarnelError(IoErrorMessage(IoErrorCodeFromErrno(errorNumber)));
}

}  // namespace varnel
