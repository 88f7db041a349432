// varnel-cli's saves and output as a user's script meets them: run as a process from a shell.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"
#include "tests/support/test_folder.h"

namespace varnel::cli {
namespace {

namespace fs = std::filesystem;

using testing_support::CliRun;
using testing_support::RunCli;
using testing_support::ShellWord;
using testing_support::TestFolder;

constexpr const char* kData = "2 10\n3 40\n1.5 -20\n1.8 75\n";
constexpr const char* kEarlier = "the earlier file\n";
constexpr uid_t kNobody = 65534;

int LineCount(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

class CliSaveTest : public ::testing::Test {
protected:
    void SetUp() override { folder.Write("data.txt", kData); }
    void TearDown() override { fs::remove_all(bin_); }
    std::string Write(const std::string& name, const std::string& bytes) {
        return folder.Write(name, bytes);
    }
    std::string Read(const std::string& name) const { return folder.Read(name); }
    CliRun Cli(const std::string& arguments, const std::string& stdoutRedirection = "") {
        return RunCli({arguments, folder_, VARNEL_CLI_PATH, "", stdoutRedirection});
    }
    // Runs varnel-cli as a user whom permissions bind, owner of the folder and all in it: the
    // test's own user, or nobody (through setpriv, from a copy of the program it may run) when
    // the tests run as root.
    CliRun CliWithoutPrivileges(const std::string& arguments) {
        if (::geteuid() != 0) return Cli(arguments);
        fs::create_directories(bin_);
        fs::copy_file(VARNEL_CLI_PATH, bin_ / "varnel-cli", fs::copy_options::overwrite_existing);
        fs::copy_file(fs::path(VARNEL_CLI_PATH).parent_path() / "finv.dat", bin_ / "finv.dat",
                      fs::copy_options::overwrite_existing);
        EXPECT_EQ(::lchown(folder_.c_str(), kNobody, kNobody), 0);
        for (const auto& item : fs::recursive_directory_iterator(folder_)) {
            EXPECT_EQ(::lchown(item.path().c_str(), kNobody, kNobody), 0);
        }
        return RunCli({arguments, folder_, (bin_ / "varnel-cli").string(),
                       "setpriv --reuid=65534 --regid=65534 --clear-groups"});
    }

    TestFolder folder;
    const fs::path& folder_ = folder.Path();
    const fs::path bin_ = folder_.string() + "-bin";
};

TEST_F(CliSaveTest, RefusesEveryExportOverTheDataFileAndWritesNothing) {
    fs::create_directory(folder_ / "sub");
    fs::create_hard_link(folder_ / "data.txt", folder_ / "hard.txt");
    fs::create_symlink("data.txt", folder_ / "link.txt");
    // Every save option, each to the data file by another spelling or link.
    const struct {
        const char* option;
        const char* path;
    } cases[] = {
        {"--t2-grid", "data.txt"},        {"--post-emf", "./data.txt"},
        {"--pre-emf", "hard.txt"},        {"--post-svg", "link.txt"},
        {"--pre-svg", "hard.txt"},        {"--post-png", "link.txt"},
        {"--pre-png", "sub/../data.txt"}, {"--t2-grid", "link.txt"},
        {"--rfphi-svg", "data.txt"},      {"--rfphi-png", "link.txt"},
        {"--rfphi-emf", "hard.txt"},      {"--export-data", "link.txt"},
        {"--report-pdf", "./data.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.path);
        // An export to another file, asked for first, is not written either.
        const std::string other = std::string(c.option) == "--pre-emf" ? "--post-emf" : "--pre-emf";
        const CliRun run =
            Cli("data.txt " + other + " other.emf " + std::string(c.option) + " " + c.path);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "data.txt: Cannot save over the data file \"data.txt\".\n");
        EXPECT_EQ(LineCount(run.out), 27);
        EXPECT_EQ(Read("data.txt"), kData);
        EXPECT_TRUE(fs::is_symlink(folder_ / "link.txt"));
        EXPECT_FALSE(fs::exists(folder_ / "other.emf"));
    }
}

TEST_F(CliSaveTest, TwoExportsToOneFileAreAUsageError) {
    fs::create_directory(folder_ / "sub");
    Write("e.emf", kEarlier);
    fs::create_hard_link(folder_ / "e.emf", folder_ / "hard.emf");
    fs::create_symlink("target.svg", folder_ / "dangling.svg");
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--t2-grid a.txt --post-svg a.txt",
         "--t2-grid and --post-svg name the same file \"a.txt\"."},
        {"--post-png out.png --pre-png ./sub/../out.png",
         "--post-png and --pre-png name the same file \"out.png\"."},
        {"--post-emf e.emf --pre-emf hard.emf",
         "--post-emf and --pre-emf name the same file \"e.emf\"."},
        {"--pre-svg target.svg --post-svg dangling.svg",
         "--post-svg and --pre-svg name the same file \"dangling.svg\"."},
        {"--post-picture r.pdf --report-pdf ./r.pdf",
         "--post-picture and --report-pdf name the same file \"r.pdf\"."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = Cli("data.txt " + std::string(c.arguments));
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.message);
        EXPECT_NE(run.err.find("--t2-grid"), std::string::npos) << "the usage follows";
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(Read("e.emf"), kEarlier);
    for (const char* name : {"a.txt", "out.png", "target.svg", "r.pdf"})
        EXPECT_FALSE(fs::exists(folder_ / name));
}

TEST_F(CliSaveTest, PictureSizeIsCappedAt8192) {
    for (const char* size : {"8193", "20000"}) {
        const CliRun run = Cli(std::string("data.txt --post-png p.png --size ") + size);
        EXPECT_EQ(run.status, 2) << size;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')),
                  "--size: Value " + std::string(size) + " not in range 16 to 8192");
        EXPECT_FALSE(fs::exists(folder_ / "p.png"));
    }
    EXPECT_EQ(Cli("data.txt --size 8192").status, 0);
}

TEST_F(CliSaveTest, LinksAreFollowedToTheFileTheyNameAndALoopIsAnError) {
    fs::create_symlink("target.txt", folder_ / "dangling.txt");
    const CliRun dangling = Cli("data.txt --t2-grid dangling.txt");
    EXPECT_EQ(dangling.status, 0) << dangling.err;
    EXPECT_TRUE(fs::is_symlink(folder_ / "dangling.txt"));
    EXPECT_EQ(LineCount(Read("target.txt")), 103);

    fs::create_symlink("loop.txt", folder_ / "loop.txt");
    const CliRun grid = Cli("data.txt --t2-grid loop.txt");
    EXPECT_EQ(grid.status, 1);
    EXPECT_EQ(grid.err,
              "data.txt: ファイル名の指定が間違っています\ncannot create loop.txt in the current "
              "folder: its symbolic links form a loop (Too many levels of symbolic links)\n");
    const CliRun picture = Cli("data.txt --post-svg loop.txt");
    EXPECT_EQ(picture.status, 1);
    EXPECT_EQ(
        picture.err,
        "data.txt: ファイル \"loop.txt\". Too many levels of symbolic links "
        "を作成できません\ncannot "
        "create loop.txt in the current folder: its symbolic links form a loop (Too many levels "
        "of symbolic links)\n");
    EXPECT_TRUE(fs::is_symlink(folder_ / "loop.txt"));
}

TEST_F(CliSaveTest, PermissionsBindAsTheShellsRedirectionWould) {
    const struct {
        const char* name;
        mode_t fileMode, folderMode;
        const char* option;
        int status;
        const char* err;  // nullptr: the file holds the new save
    } cases[] = {
        {"write-protected file, grid", 0444, 0755, "--t2-grid", 1,
         "data.txt: ファイルへのアクセスが拒否されました\ncannot create saved in the current "
         "folder: the file is write-protected (Permission denied)\n"},
        {"write-protected file, picture", 0444, 0755, "--pre-svg", 1,
         "data.txt: ファイル \"saved\". Permission denied を作成できません\ncannot create saved in "
         "the current folder: the file is write-protected (Permission denied)\n"},
        {"writable file, write-protected folder", 0640, 0555, "--t2-grid", 0, nullptr},
        {"writable file, write-protected folder, picture", 0604, 0555, "--post-emf", 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(folder_ / "saved");
        const std::string saved = Write("saved", kEarlier);
        ASSERT_EQ(::chmod(saved.c_str(), c.fileMode), 0);
        struct stat earlier {};
        ASSERT_EQ(::stat(saved.c_str(), &earlier), 0);
        ASSERT_EQ(::chmod(folder_.c_str(), c.folderMode), 0);
        const CliRun run = CliWithoutPrivileges("data.txt " + std::string(c.option) + " saved");
        ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, c.err ? c.err : "");
        EXPECT_EQ(Read("saved") == kEarlier, c.err != nullptr);
        struct stat after {};
        ASSERT_EQ(::stat(saved.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, c.fileMode);
        EXPECT_EQ(after.st_ino, earlier.st_ino) << "rewritten in place, never replaced";
        EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(folder_), {}).size(), 2u)
            << "no temporary file is left";
    }
}

TEST_F(CliSaveTest, AReplacedFileKeepsItsOwnerAndMode) {
    const std::string saved = Write("saved.txt", kEarlier);
    ASSERT_EQ(::chmod(saved.c_str(), 0604), 0);
    // Only root may give a file away; anyone else finds their own files.
    const uid_t owner = ::geteuid() == 0 ? kNobody : ::geteuid();
    const gid_t group = ::geteuid() == 0 ? kNobody : ::getegid();
    ASSERT_EQ(::chown(saved.c_str(), owner, group), 0);
    const CliRun run = Cli("data.txt --t2-grid saved.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    struct stat after {};
    ASSERT_EQ(::stat(saved.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0604u);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, group);
    EXPECT_EQ(LineCount(Read("saved.txt")), 103);
}

TEST_F(CliSaveTest, JsonNamesEveryFileWhateverBytesItsNameHolds) {
    const std::vector<std::string> names = {"caf\xE9.txt", "\xFF\xFE.txt", "caf\xC3\xA9.txt",
                                            "bad \xC3.txt"};
    std::string arguments = "--json";
    for (const std::string& name : names) {
        Write(name, kData);
        arguments += " " + ShellWord(name);
    }
    const CliRun run = Cli(arguments + " missing\xE9.txt data.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "missing\xE9.txt: Invalid data file\nExecution terminated\nfile not found: "
              "missing\xE9.txt (No such file or directory)\n");
    std::istringstream lines(run.out);
    std::vector<std::string> files;
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json object = nlohmann::json::parse(line);
        EXPECT_EQ(object["N"], 4);
        files.push_back(object["file"]);
    }
    EXPECT_EQ(files, (std::vector<std::string>{"caf\uFFFD.txt", "\uFFFD\uFFFD.txt", "caf\u00E9.txt",
                                               "bad \uFFFD.txt", "data.txt"}));
}

TEST_F(CliSaveTest, OutputThatCannotBeWrittenIsAFailure) {
    const struct {
        const char* arguments;
        const char* redirection;
        const char* reason;
    } cases[] = {
        {"data.txt", ">/dev/full", "No space left on device"},
        {"--json data.txt", ">/dev/full", "No space left on device"},
        {"--help", ">/dev/full", "No space left on device"},
        {"data.txt", ">&-", "Bad file descriptor"},
        {"data.txt --t2-grid grid.txt", ">&-", "Bad file descriptor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.arguments) + " " + c.redirection);
        const CliRun run = Cli(c.arguments, c.redirection);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "Cannot write to standard output: " + std::string(c.reason) + "\n");
    }
    // With standard output closed, no report finds its way into a file the program opens.
    const std::string grid = Read("grid.txt");
    EXPECT_EQ(LineCount(grid), 103);
    EXPECT_EQ(grid.rfind("p = [ ", 0), 0u);
    EXPECT_EQ(Cli("data.txt", ">/dev/null").status, 0);
}

}  // namespace
}  // namespace varnel::cli
