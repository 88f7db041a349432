#pragma once

#include <string>

#include "core/varnel_error.h"

namespace varnel {

/// The runtime's I/O error numbers the program reports.
enum IoErrorCode : int {
    kIoFileNotFound = 2,
    kIoInvalidFileName = 3,
    kIoTooManyOpenFiles = 4,
    kIoAccessDenied = 5,
    kIoReadBeyondEnd = 100,
    kIoDiskFull = 101,
    kIoInvalidNumericInput = 106,
};

/// The runtime's text for I/O error `code`: "ファイルが見つかりません" for 2 … "I/O エラー (n)".
std::string IoErrorMessage(int code);

/// The name of the file at `path`, as messages show it: what follows its last '/' (the report's
/// FileNameWithoutFolder cuts at '\\' and ':' too, as its name line is specified to).
std::string FileNameOf(const std::string& path);

/// Errors of the system without a runtime number of the same meaning are reported as
/// kIoSystemErrorBase + errno, above every number the runtime gives: EIO reads "I/O エラー (1005)".
inline constexpr int kIoSystemErrorBase = 1000;

/// The runtime's I/O error number for a failed system call's errno: the runtime's own number
/// where the error means the same (ENOENT is 2, EACCES 5, ENOSPC 101 …), otherwise
/// kIoSystemErrorBase + errno.
int IoErrorCodeFromErrno(int errorNumber);

/// The English line below an I/O error: what happened to `path` and the system's reason, e.g.
/// "file not found: /data/a.txt (No such file or directory)".
std::string IoErrorDetail(int errorNumber, const std::string& path);

/// The English line below a file that could not be created: its folder and the system's
/// reason, e.g. "cannot create a.png in /no/such: the folder does not exist (No such file or
/// directory)".
std::string CreateFailureDetail(int errorNumber, const std::string& path);

/// Throws VarnelError with the I/O error text for errno and, as its detail, IoErrorDetail.
[[noreturn]] void ThrowIoErrorFromErrno(int errorNumber, const std::string& path);

}  // namespace varnel
