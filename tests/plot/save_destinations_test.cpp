// Every save, the T² grid and the pictures of both plots, sent to hostile destinations: each
// refuses or writes as the shell's redirection would, and leaves no temporary file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/grid_export.h"
#include "core/varnel_error.h"
#include "plot/picture_export.h"
#include "plot/report_pdf.h"
#include "tests/plot/plot_test_state.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/test_folder.h"

namespace varnel::plot {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEarlier = "the earlier file\n";
constexpr const char* kData = "2,30\n3,40\n1.5,-20\n2.5,10\n";
constexpr const char* kDataRefusal = "Cannot save over the data file \"data.txt\".";

using testing_support::ReadWholeFile;

std::string CreationError(const std::string& path, const char* reason) {
    return "ファイル \"" + path + "\". " + reason + " を作成できません";
}

// One save command: the grid or a picture of either plot, in any format.
struct Save {
    const char* name;
    std::function<void(AnalysisState&, const std::string&)> run;
    bool picture;  // pictures name their creation failures; the grid gives the I/O error
};

const Save kSaves[] = {
    {"grid", [](AnalysisState& s, const std::string& p) { ExportTSquaredGrid(s, p, '.'); }, false},
    {"post emf",
     [](AnalysisState& s, const std::string& p) {
         testing_support::RecordingCanvas screen;
         ExportPostStrainPicture(s, p, PictureFormat::Emf, 400, screen);
     },
     true},
    {"pre svg",
     [](AnalysisState& s, const std::string& p) {
         testing_support::RecordingCanvas screen;
         ExportPreStrainPicture(s, p, PictureFormat::Svg, 400, screen);
     },
     true},
    {"post png",
     [](AnalysisState& s, const std::string& p) {
         testing_support::RecordingCanvas screen;
         ExportPostStrainPicture(s, p, PictureFormat::Png, 400, screen);
     },
     true},
    {"pre pdf",
     [](AnalysisState& s, const std::string& p) {
         testing_support::RecordingCanvas screen;
         ExportPreStrainPicture(s, p, PictureFormat::Pdf, 400, screen);
     },
     true},
    {"report pdf",
     [](AnalysisState& s, const std::string& p) {
         ExportReportPdf(s, ReportContentOf(s, 95, {}, '.', "2026-01-02"), p, '.');
     },
     true},
};

// Where a save is sent. `make` prepares the case's own folder (the data file lies beside it as
// "../data.txt") and returns the path to save to.
struct Destination {
    const char* name;
    std::string (*make)(const fs::path& folder);
    const char* error;       // the grid's message (and the pictures'); nullptr: it is saved
    const char* reason;      // the system's reason in a picture's creation message, if any
    const char* savedIn;     // when saved: the file, in the case's folder, that holds it
    bool rootSaves = false;  // root may write it, as the shell's `>` would: saved as root
};

std::string Earlier(const fs::path& path) {
    std::ofstream(path, std::ios::binary) << kEarlier;
    return path.string();
}

const Destination kDestinations[] = {
    {"missing folder", [](const fs::path& f) { return (f / "no such folder" / "saved").string(); },
     "ファイルが見つかりません", "No such file or directory", nullptr},
    {"a folder",
     [](const fs::path& f) {
         fs::create_directory(f / "a folder");
         return (f / "a folder").string();
     },
     "ファイルへのアクセスが拒否されました", "Is a directory", nullptr},
    {"full device", [](const fs::path&) { return std::string("/dev/full"); },
     "ディスクがいっぱいです", nullptr, nullptr},
    {"the data file", [](const fs::path& f) { return (f.parent_path() / "data.txt").string(); },
     kDataRefusal, nullptr, nullptr},
    {"the data file spelt another way",
     [](const fs::path& f) { return (f / ".." / "." / "data.txt").string(); }, kDataRefusal,
     nullptr, nullptr},
    {"a hard link to the data file",
     [](const fs::path& f) {
         fs::create_hard_link(f.parent_path() / "data.txt", f / "hard.txt");
         return (f / "hard.txt").string();
     },
     kDataRefusal, nullptr, nullptr},
    {"a symbolic link to the data file",
     [](const fs::path& f) {
         fs::create_symlink("../data.txt", f / "link.txt");
         return (f / "link.txt").string();
     },
     kDataRefusal, nullptr, nullptr},
    {"a symbolic link loop",
     [](const fs::path& f) {
         fs::create_symlink("b.txt", f / "a.txt");
         fs::create_symlink("a.txt", f / "b.txt");
         return (f / "a.txt").string();
     },
     "ファイル名の指定が間違っています", "Too many levels of symbolic links", nullptr},
    {"a dangling link into a missing folder",
     [](const fs::path& f) {
         fs::create_symlink("gone/target.txt", f / "link.txt");
         return (f / "link.txt").string();
     },
     "ファイルが見つかりません", "No such file or directory", nullptr},
    {"a dangling link",
     [](const fs::path& f) {
         fs::create_symlink("target.txt", f / "link.txt");
         return (f / "link.txt").string();
     },
     nullptr, nullptr, "target.txt"},
    {"links ending in a dangling absolute one",
     [](const fs::path& f) {
         fs::create_directory(f / "sub");
         fs::create_symlink(f / "sub" / "target.txt", f / "last.txt");
         fs::create_symlink("last.txt", f / "first.txt");
         return (f / "first.txt").string();
     },
     nullptr, nullptr, "sub/target.txt"},
    {"a write-protected file",
     [](const fs::path& f) {
         const std::string path = Earlier(f / "protected.txt");
         ::chmod(path.c_str(), 0444);
         return path;
     },
     "ファイルへのアクセスが拒否されました", "Permission denied", "protected.txt", true},
    {"a writable file in a write-protected folder",
     [](const fs::path& f) {
         const std::string path = Earlier(f / "earlier.txt");
         ::chmod(f.c_str(), 0555);
         return path;
     },
     nullptr, nullptr, "earlier.txt"},
};

// What a folder holds: each file's bytes, each link's target, each folder's contents.
using Snapshot = std::map<std::string, std::string>;

Snapshot SnapshotOf(const fs::path& folder) {
    Snapshot found;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        const std::string name = item.path().lexically_relative(folder).string();
        if (item.is_symlink()) {
            found[name] = "-> " + fs::read_symlink(item.path()).string();
        } else if (item.is_directory()) {
            found[name] = "(folder)";
        } else {
            found[name] = ReadWholeFile(item.path());
        }
    }
    return found;
}

class SaveFailureTest : public ::testing::Test {
protected:
    // An analysis with both plot frames, read from data.txt in the test's folder.
    void SetUp() override { state_->DataFileName = folder.Write("data.txt", kData); }
    std::string ErrorOf(const Save& save, const std::string& path) {
        try {
            save.run(*state_, path);
        } catch (const VarnelError& error) {
            return error.what();
        }
        return "(saved)";
    }
    std::string Expected(const Save& save, const Destination& to, const std::string& path) {
        const bool saved = to.error == nullptr || (to.rootSaves && ::geteuid() == 0);
        if (saved) return "(saved)";
        return save.picture && to.reason != nullptr ? CreationError(path, to.reason) : to.error;
    }

    testing_support::TestFolder folder;
    const fs::path& folder_ = folder.Path();
    std::unique_ptr<AnalysisState> state_ = testing_support::AnalysedState();
};

TEST_F(SaveFailureTest, EverySaveRefusesOrWritesEachHostileDestinationAsAShellWould) {
    int number = 0;
    for (const Destination& to : kDestinations) {
        for (const Save& save : kSaves) {
            SCOPED_TRACE(std::string(to.name) + ", " + save.name);
            const fs::path folder = folder_ / ("case" + std::to_string(++number));
            fs::create_directory(folder);
            const std::string path = to.make(folder);
            const Snapshot before = SnapshotOf(folder);
            const std::string expected = Expected(save, to, path);
            EXPECT_EQ(ErrorOf(save, path), expected);
            EXPECT_EQ(ReadWholeFile(folder_ / "data.txt"), kData);
            EXPECT_TRUE(fs::is_character_file("/dev/full"));
            Snapshot after = SnapshotOf(folder), unchanged = before;
            if (expected == "(saved)") {
                // The save lands in its file, whole; links and everything else stay.
                ASSERT_TRUE(to.savedIn != nullptr);
                const std::string written = after[to.savedIn];
                EXPECT_GT(written.size(), 100u);
                EXPECT_EQ(written.rfind("p = [ ", 0) == 0, !save.picture);
                after.erase(to.savedIn);
                unchanged.erase(to.savedIn);
            }
            EXPECT_EQ(after, unchanged) << "a temporary file left behind or a file changed";
        }
    }
}

}  // namespace
}  // namespace varnel::plot
