#include "core/io_error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "tests/support/error_text.h"

namespace varnel {
namespace {

TEST(IoErrorFromErrno, GivesTheRuntimeTextOnlyToErrorsOfTheSameMeaning) {
    struct Case {
        int errorNumber;
        const char* message;
    };
    const Case cases[] = {
        {ENOENT, "ファイルが見つかりません"},
        {ENAMETOOLONG, "ファイル名の指定が間違っています"},
        {ENOTDIR, "ファイル名の指定が間違っています"},
        {ELOOP, "ファイル名の指定が間違っています"},  // symbolic links that never end
        {EILSEQ, "ファイル名の指定が間違っています"},
        {EINVAL, "ファイル名の指定が間違っています"},
        {EMFILE, "オープンしたファイルが多すぎます"},
        {ENFILE, "オープンしたファイルが多すぎます"},
        {EACCES, "ファイルへのアクセスが拒否されました"},
        {EPERM, "ファイルへのアクセスが拒否されました"},
        {EROFS, "ファイルへのアクセスが拒否されました"},
        {EISDIR, "ファイルへのアクセスが拒否されました"},
        {ENOSPC, "ディスクがいっぱいです"},
        {EDQUOT, "ディスクがいっぱいです"},
        // Errors whose numbers are those of other runtime errors (EIO = 5, EINTR = 4,
        // ENXIO = 6 …) or that mean something else get the general text, numbered apart.
        {EIO, "I/O エラー (1005)"},
        {EINTR, "I/O エラー (1004)"},
        {ENXIO, "I/O エラー (1006)"},
        {EBADF, "I/O エラー (1009)"},
        {EFBIG, "I/O エラー (1027)"},
        {ENETDOWN, "I/O エラー (1100)"},
        {EHOSTUNREACH, "I/O エラー (1113)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(testing_support::ErrorTextOf([&] { ThrowIoErrorFromErrno(c.errorNumber, "a"); }),
                  c.message)
            << "errno " << c.errorNumber;
    }
}

// Below the runtime's text, in English whatever the locale: what happened, the path, and
// the system's description.
TEST(IoErrorDetail, SaysWhatHappenedToWhichPath) {
    EXPECT_EQ(IoErrorDetail(ENOENT, "/d/a.txt"),
              "file not found: /d/a.txt (No such file or directory)");
    EXPECT_EQ(IoErrorDetail(EISDIR, "/d"), "a folder, not a file: /d (Is a directory)");
    EXPECT_EQ(IoErrorDetail(EIO, "/d/a.txt"),
              "cannot read or write: /d/a.txt (Input/output error)");
    EXPECT_EQ(CreateFailureDetail(ENOENT, "/no/such/a.png"),
              "cannot create a.png in /no/such: the folder does not exist (No such file or "
              "directory)");
    EXPECT_EQ(CreateFailureDetail(EACCES, "a.png"),
              "cannot create a.png in the current folder: the folder cannot be written; choose "
              "another (Permission denied)");
    EXPECT_EQ(CreateFailureDetail(ENOENT, "x.emf/"),
              "cannot create x.emf/: a name ending in \"/\" names a folder, not a file (No such "
              "file or directory)");
    try {
        ThrowIoErrorFromErrno(ENOSPC, "/d/b.png");
    } catch (const VarnelError& error) {
        EXPECT_STREQ(error.what(), "ディスクがいっぱいです");
        EXPECT_EQ(error.Detail(),
                  "no room left on the disk for: /d/b.png (No space left on device)");
    }
}

TEST(IoErrorFromErrno, NeverNumbersAnUnmappedErrorLikeARuntimeError) {
    const int runtimeNumbers[] = {kIoFileNotFound,       kIoInvalidFileName, kIoTooManyOpenFiles,
                                  kIoAccessDenied,       kIoReadBeyondEnd,   kIoDiskFull,
                                  kIoInvalidNumericInput};
    for (int errorNumber = 1; errorNumber < 134; ++errorNumber) {
        const int code = IoErrorCodeFromErrno(errorNumber);
        if (code >= kIoSystemErrorBase) {
            EXPECT_EQ(code, kIoSystemErrorBase + errorNumber);
            continue;
        }
        EXPECT_NE(std::find(std::begin(runtimeNumbers), std::end(runtimeNumbers), code),
                  std::end(runtimeNumbers))
            << "errno " << errorNumber << " became " << code;
    }
}

}  // namespace
}  // namespace varnel
