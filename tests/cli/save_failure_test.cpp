#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/open_pipeline.h"
#include "core/grid_export.h"
#include "core/io_error.h"
#include "core/varnel_error.h"
#include "input/quantile_table.h"
#include "plot/picture_export.h"
#include "tests/support/recording_canvas.h"

namespace varnel::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEarlier = "the earlier file\n";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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
         test::RecordingCanvas screen;
         plot::ExportPostStrainPicture(s, p, plot::PictureFormat::Emf, 400, screen);
     },
     true},
    {"pre svg",
     [](AnalysisState& s, const std::string& p) {
         test::RecordingCanvas screen;
         plot::ExportPreStrainPicture(s, p, plot::PictureFormat::Svg, 400, screen);
     },
     true},
    {"post png",
     [](AnalysisState& s, const std::string& p) {
         test::RecordingCanvas screen;
         plot::ExportPostStrainPicture(s, p, plot::PictureFormat::Png, 400, screen);
     },
     true},
};

class SaveFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_);
        ASSERT_TRUE(LoadFQuantileTable(*state_, ExecutableFolder()));
        const std::string data = (folder_ / "data.txt").string();
        std::ofstream(data) << "2,30\n3,40\n1.5,-20\n2.5,10\n";
        ASSERT_EQ(analysis::RunOpenCommand(*state_, data, ConfidenceLevel::Level95, '.').outcome,
                  analysis::Outcome::Reported);
        fs::remove(data);
    }
    void TearDown() override {
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder_);
    }
    std::string ErrorOf(const Save& save, const std::string& path) {
        try {
            save.run(*state_, path);
        } catch (const VarnelError& error) {
            return error.what();
        }
        return "(saved)";
    }
    // Only the files the test made itself: no temporary file of a failed save.
    void ExpectOnlyInFolder(const std::vector<std::string>& names) {
        std::vector<std::string> found;
        for (const auto& item : fs::directory_iterator(folder_)) {
            found.push_back(item.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, names);
    }

    fs::path folder_ =
        fs::path(::testing::TempDir()) /
        ("save_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::unique_ptr<AnalysisState> state_ = std::make_unique<AnalysisState>();
};

TEST_F(SaveFailureTest, AFailedSaveShowsItsErrorAndLeavesWhatWasThere) {
    const std::string missing = (folder_ / "no such folder" / "saved").string();
    const std::string folder = (folder_ / "a folder").string();
    fs::create_directory(folder);
    for (const Save& save : kSaves) {
        SCOPED_TRACE(save.name);
        EXPECT_EQ(ErrorOf(save, missing), save.picture
                                              ? CreationError(missing, "No such file or directory")
                                              : IoErrorMessage(kIoFileNotFound));
        EXPECT_EQ(ErrorOf(save, folder), save.picture ? CreationError(folder, "Is a directory")
                                                      : IoErrorMessage(kIoAccessDenied));
        EXPECT_TRUE(fs::is_directory(folder));
        EXPECT_TRUE(fs::is_empty(folder));
        EXPECT_EQ(ErrorOf(save, "/dev/full"), IoErrorMessage(kIoDiskFull));
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
        ExpectOnlyInFolder({"a folder"});
    }
}

TEST_F(SaveFailureTest, AReadOnlyFolderKeepsTheEarlierFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    const fs::path earlier = folder_ / "earlier.txt";
    std::ofstream(earlier) << kEarlier;
    fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::remove);
    for (const Save& save : kSaves) {
        SCOPED_TRACE(save.name);
        EXPECT_EQ(ErrorOf(save, earlier.string()),
                  save.picture ? CreationError(earlier.string(), "Permission denied")
                               : IoErrorMessage(kIoAccessDenied));
        EXPECT_EQ(ReadAll(earlier), kEarlier);
        ExpectOnlyInFolder({"earlier.txt"});
    }
}

}  // namespace
}  // namespace varnel::cli
