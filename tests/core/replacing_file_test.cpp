#include "core/replacing_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "core/io_error.h"
#include "core/varnel_error.h"
#include "tests/support/error_text.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

struct ReplacingFileTest : testing::Test {
    testing_support::TestFolder testFolder;
    const fs::path& folder = testFolder.Path();
    std::string Read(const fs::path& path) const { return testing_support::ReadWholeFile(path); }
    void Write(const fs::path& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }
    // The folder holds exactly these names: no temporary file is left behind.
    void ExpectOnly(std::vector<std::string> names) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder))
            found.push_back(entry.path().filename());
        std::sort(found.begin(), found.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(found, names);
    }
    void ExpectError(const std::string& path, const std::string& message) const {
        EXPECT_EQ(testing_support::ErrorTextOf([&] { ReplaceFile(path, "new"); }), message) << path;
    }
};

TEST_F(ReplacingFileTest, CreatesAndReplacesWholeFiles) {
    const fs::path target = folder / "grid.txt";
    ReplaceFile(target, "first\r\n");
    EXPECT_EQ(Read(target), "first\r\n");
    ::chmod(target.c_str(), 0640);
    ReplaceFile(target, "second");
    EXPECT_EQ(Read(target), "second");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ExpectOnly({"grid.txt"});
}

TEST_F(ReplacingFileTest, FailuresLeaveTheEarlierFileAndNoTemporary) {
    ExpectError((folder / "missing" / "grid.txt").string(), "ファイルが見つかりません");
    try {
        ReplaceFile(folder / "missing" / "grid.txt", "new");
        ADD_FAILURE() << "no error";
    } catch (const VarnelError& error) {
        EXPECT_EQ(error.Detail(), CreateFailureDetail(ENOENT, folder / "missing" / "grid.txt"));
    }
    fs::create_directory(folder / "a folder");
    ExpectError((folder / "a folder").string(), "ファイルへのアクセスが拒否されました");
    ExpectOnly({"a folder"});
    EXPECT_TRUE(fs::is_empty(folder / "a folder"));
}

TEST_F(ReplacingFileTest, AWritableFileInAReadOnlyFolderIsRewrittenInPlace) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may add files to any folder; see cli_tests";
    const fs::path target = folder / "grid.txt";
    Write(target, "the earlier, longer contents");
    struct stat earlier {};
    ASSERT_EQ(::stat(target.c_str(), &earlier), 0);
    ::chmod(folder.c_str(), 0555);
    ReplaceFile(target, "new");
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(Read(target), "new");
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, earlier.st_ino);
    ExpectOnly({"grid.txt"});
}

TEST_F(ReplacingFileTest, AWriteProtectedFileIsRefusedUnlessTheShellWouldWriteIt) {
    const fs::path target = folder / "grid.txt";
    Write(target, "earlier");
    ::chmod(target.c_str(), 0444);
    if (::geteuid() == 0) {
        // Root's `>` writes a file whatever its mode, so does root's save; the mode stays.
        ReplaceFile(target, "new");
        EXPECT_EQ(Read(target), "new");
    } else {
        ExpectError(target.string(), "ファイルへのアクセスが拒否されました");
        EXPECT_EQ(Read(target), "earlier");
    }
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ExpectOnly({"grid.txt"});
}

TEST_F(ReplacingFileTest, AReplacedFileKeepsItsModeAndOwner) {
    // Only root may give a file away; anyone else tests with their own files.
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 65534 : ::geteuid();
    const gid_t group = root ? 65534 : ::getegid();
    for (const mode_t mode : {0600, 0640, 0604, 0664, 0755, 02755}) {
        SCOPED_TRACE(mode);
        const fs::path target = folder / "grid.txt";
        Write(target, "earlier");
        ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        ReplaceFile(target, "new");
        struct stat after {};
        ASSERT_EQ(::stat(target.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(after.st_uid, owner);
        EXPECT_EQ(after.st_gid, group);
        EXPECT_EQ(Read(target), "new");
        ExpectOnly({"grid.txt"});
    }
}

TEST_F(ReplacingFileTest, FailedWriteKeepsTheEarlierFileAndNoTemporary) {
    const fs::path target = folder / "grid.txt";
    Write(target, "earlier");
    // A file size limit of 2 bytes makes the write of the new contents fail (EFBIG): not a
    // full disk, so the general I/O text with its own number.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 2;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ExpectError(target.string(), "I/O エラー (1027)");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(Read(target), "earlier");
    ExpectOnly({"grid.txt"});
}

TEST_F(ReplacingFileTest, DeviceIsWrittenInPlaceNeverReplaced) {
    ExpectError("/dev/full", "ディスクがいっぱいです");
    struct stat info {};
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ReplaceFile("/dev/null", "discarded");
}

TEST_F(ReplacingFileTest, ADescriptorsFileIsAddedToAsTheShellOpenedIt) {
    const fs::path log = folder / "log.txt";
    Write(log, "PRECIOUS\n");
    const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    fs::create_symlink("/proc/self/fd/" + std::to_string(fd), folder / "out.lnk");
    ReplaceFile("/dev/fd/" + std::to_string(fd), "a\n");
    ReplaceFile(folder / "out.lnk", "b\n");
    ::close(fd);
    EXPECT_EQ(Read(log), "PRECIOUS\na\nb\n");
}

TEST_F(ReplacingFileTest, FifoWithoutReaderFailsInsteadOfWaiting) {
    const fs::path fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectError(fifo.string(), "I/O エラー (1006)");  // ENXIO: no process reads the FIFO
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(ReplacingFileTest, SymbolicLinkIsFollowedToItsFile) {
    const fs::path target = folder / "real.txt";
    const fs::path link = folder / "link.txt";
    Write(target, "earlier");
    fs::create_symlink(target, link);
    ReplaceFile(link, "later");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(target), "later");
    ExpectOnly({"link.txt", "real.txt"});
}

TEST_F(ReplacingFileTest, DanglingLinksMakeTheFileTheyName) {
    fs::create_directory(folder / "sub");
    const struct {
        const char* name;
        std::string link;  // where the link points, from the folder
        const char* made;  // the file that the save creates, from the folder
    } cases[] = {
        {"relative", "made.txt", "made.txt"},
        {"absolute", (folder / "sub" / "made.txt").string(), "sub/made.txt"},
        {"into a folder", "sub/made.txt", "sub/made.txt"},
        {"a chain", "second.lnk", "made.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(folder / "made.txt");
        fs::remove(folder / "sub" / "made.txt");
        fs::remove(folder / "second.lnk");
        fs::remove(folder / "link.lnk");
        fs::create_symlink("made.txt", folder / "second.lnk");
        fs::create_symlink(c.link, folder / "link.lnk");
        ReplaceFile(folder / "link.lnk", "made");
        EXPECT_EQ(fs::read_symlink(folder / "link.lnk"), c.link);
        EXPECT_EQ(Read(folder / c.made), "made");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / c.made)));
    }
}

TEST_F(ReplacingFileTest, ALinkLoopOrALinkIntoNoFolderIsAnError) {
    fs::create_symlink("self.lnk", folder / "self.lnk");
    fs::create_symlink("b.lnk", folder / "a.lnk");
    fs::create_symlink("a.lnk", folder / "b.lnk");
    fs::create_symlink("gone/made.txt", folder / "nowhere.lnk");
    ExpectError((folder / "self.lnk").string(), "ファイル名の指定が間違っています");
    ExpectError((folder / "a.lnk").string(), "ファイル名の指定が間違っています");
    ExpectError((folder / "a.lnk" / "x.txt").string(), "ファイル名の指定が間違っています");
    ExpectError((folder / "nowhere.lnk").string(), "ファイルが見つかりません");
    ExpectOnly({"a.lnk", "b.lnk", "nowhere.lnk", "self.lnk"});
}

TEST_F(ReplacingFileTest, SameSaveTargetSeesThroughSpellingsAndLinks) {
    Write(folder / "a.txt", "a");
    Write(folder / "b.txt", "b");
    fs::create_directory(folder / "sub");
    fs::create_hard_link(folder / "a.txt", folder / "hard.txt");
    fs::create_symlink("a.txt", folder / "link.txt");
    fs::create_symlink("new.txt", folder / "dangling.txt");
    const fs::path f = folder;
    const struct {
        fs::path first, second;
        bool same;
    } cases[] = {
        {f / "a.txt", f / "a.txt", true},          {f / "a.txt", f / "sub/../a.txt", true},
        {f / "a.txt", f / "hard.txt", true},       {f / "link.txt", f / "a.txt", true},
        {f / "a.txt", f / "b.txt", false},         {f / "new.txt", f / "./new.txt", true},
        {f / "dangling.txt", f / "new.txt", true}, {f / "new.txt", f / "sub/new.txt", false},
        {f / "a.txt", f / "new.txt", false},       {f / "nosuch/../x", f / "nosuch/../x", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.string() + " and " + c.second.string());
        EXPECT_EQ(SameSaveTarget(c.first, c.second), c.same);
        EXPECT_EQ(SameSaveTarget(c.second, c.first), c.same);
        EXPECT_EQ(SameExistingFile(c.first, c.second), c.same && fs::exists(c.first));
    }
}

}  // namespace
}  // namespace varnel
