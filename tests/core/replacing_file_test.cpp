#include "core/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/varnel_error.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

struct ReplacingFileTest : testing::Test {
    fs::path folder;
    void SetUp() override {
        char pattern[] = "/tmp/varnel-replace-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string Read(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void Write(const fs::path& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }
    // The folder holds exactly these names: no temporary file is left behind.
    void ExpectOnly(std::vector<std::string> names) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) found.push_back(entry.path().filename());
        std::sort(found.begin(), found.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(found, names);
    }
    void ExpectError(const std::string& path, const std::string& message) const {
        try {
            ReplaceFile(path, "new");
            ADD_FAILURE() << "no error for " << path;
        } catch (const VarnelError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
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
    fs::create_directory(folder / "a folder");
    ExpectError((folder / "a folder").string(), "ファイルへのアクセスが拒否されました");
    ExpectOnly({"a folder"});
    EXPECT_TRUE(fs::is_empty(folder / "a folder"));
}

TEST_F(ReplacingFileTest, ReadOnlyFolderKeepsTheEarlierFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    const fs::path target = folder / "grid.txt";
    Write(target, "earlier");
    ::chmod(folder.c_str(), 0555);
    ExpectError(target.string(), "ファイルへのアクセスが拒否されました");
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(Read(target), "earlier");
    ExpectOnly({"grid.txt"});
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

}  // namespace
}  // namespace varnel
