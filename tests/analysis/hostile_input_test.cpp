#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "analysis/open_pipeline.h"
#include "core/executable_folder.h"
#include "core/grid_export.h"
#include "core/io_error.h"
#include "core/messages.h"
#include "core/objective.h"
#include "core/varnel_error.h"
#include "input/data_file.h"
#include "input/quantile_table.h"
#include "tests/support/degenerate_data.h"
#include "tests/support/test_folder.h"

namespace varnel::analysis {
namespace {

namespace fs = std::filesystem;

constexpr const char* kThreeEllipses = "2,30\n3,40\n1.5,-20\n";

using testing_support::CollinearData;
using testing_support::DataFileText;

std::string NotANumber(const std::string& field) {
    return "'" + field + "' は浮動小数点数ではありません";
}

// `count` lines of well spread ellipses: R from 1.2 to 3.2, φ over the half circle.
std::string ManyEllipses(int count) {
    std::string text;
    for (int k = 1; k <= count; ++k) {
        text += std::to_string(1.2 + (k * 37 % 100) / 50.0) + "," +
                std::to_string(k * 73 % 180 - 90) + "\n";
    }
    return text;
}

// What a hostile input leaves of the earlier analysis of four ellipses.
enum class Leaves {
    Everything,     // the Open failed: the earlier analysis stays whole
    EarlierRegion,  // a new estimate, the earlier region, report and frames
    NewResults,     // a whole new analysis
};

struct HostileCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> messages;
    Leaves leaves;
    int count = 3;      // DataCount afterwards, unless Leaves::Everything
    bool grid = false;  // whether the T² grid of the new analysis is exported too
    // The report's lines of R_s and phi_s, where the answer is known.
    std::vector<std::string> estimate = {};
};

class HostileInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadFQuantileTable(*earlier_, ExecutableFolder()));
        const CommandResult first =
            Analyse(*earlier_, Write("earlier.txt", "1.7,25\n1.8,40\n1.9,-20\n2.5,10\n"));
        ASSERT_EQ(first.outcome, Outcome::Reported);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        return folder.Write(name, bytes);
    }
    static CommandResult Analyse(AnalysisState& state, const std::string& path) {
        return RunOpenCommand(state, path, ConfidenceLevel::Level95, '.');
    }
    // The state afterwards against the earlier analysis, as the Open command leaves it.
    void ExpectLeft(const AnalysisState& state, Leaves leaves, int count, const std::string& path) {
        const AnalysisState& e = *earlier_;
        const bool sameFile = leaves == Leaves::Everything;
        EXPECT_EQ(state.DataFileName, sameFile ? e.DataFileName : path);
        EXPECT_EQ(state.DataCount, sameFile ? e.DataCount : count);
        EXPECT_EQ(state.StrainEstimate.x1 == e.StrainEstimate.x1, sameFile);
        const bool sameRegion = leaves != Leaves::NewResults;
        EXPECT_EQ(state.PostRegion[1].x1 == e.PostRegion[1].x1, sameRegion);
    }
    testing_support::TestFolder folder;
    const fs::path& folder_ = folder.Path();
    std::unique_ptr<AnalysisState> earlier_ = std::make_unique<AnalysisState>();
};

TEST_F(HostileInputTest, EveryHostileFileEndsInAMessageOrAResult) {
    const std::string tenMegabytes(10'000'000, '0');
    const std::string nul(1, '\0');
    std::string zeroMinor = "Major,Minor,Angle\n";
    for (int line = 2; line <= 60; ++line) {
        zeroMinor += std::to_string(2 + line % 3) + (line == 41 ? ",0," : ",1,") +
                     std::to_string(line * 7 % 180) + "\n";
    }
    const std::string triangle =
        "{\"type\": \"Polygon\", \"coordinates\": [[[0, 0], [1, 0], [0, 1], [0, 0]]]}";
    const HostileCase cases[] = {
        {"byte-order mark",
         "\xEF\xBB\xBF" + std::string(kThreeEllipses),
         {NotANumber("\xEF\xBB\xBF"
                     "2")},
         Leaves::Everything},
        {"NUL padding at line ends",
         "2,30" + nul + nul + "\n3,40\n1.5,-20\n",
         {},
         Leaves::NewResults},
        {"NUL padding after the last line",
         kThreeEllipses + nul + nul + nul,
         {"Invalid data at line #4"},
         Leaves::Everything},
        {"NUL inside a number",
         "2" + nul + "5,30\n3,40\n1.5,-20\n",
         {NotANumber("2\u24005")},
         Leaves::Everything},
        // A number far longer than any datum: the line is cut at 1 MiB.
        {"10 MB line of digits",
         "2," + tenMegabytes + "30\n3,40\n1.5,-20\n",
         {NotANumber(tenMegabytes.substr(0, 200) + "...")},
         Leaves::Everything},
        {"10 MB line of letters",
         std::string(10'000'000, 'x') + ",30\n3,40\n1.5,-20\n",
         {NotANumber(std::string(200, 'x') + "...")},
         Leaves::Everything},
        {"CR-only line ends",
         "2,30\r3,40\r1.5,-20\r",
         {NotANumber("303,401.5,-20")},
         Leaves::Everything},
        {"Ctrl-Z inside a number",
         "2,30\n3,40\n1.5,-\x1A"
         "20\n4,50\n",
         {NotANumber("-")},
         Leaves::Everything},
        {"exactly 10000 lines", ManyEllipses(kMaxData), {}, Leaves::NewResults, kMaxData},
        {"10001 lines", ManyEllipses(kMaxData + 1), {kTooManyDataMessage}, Leaves::Everything},
        {"1e400", "1e400,30\n3,40\n1.5,-20\n", {kOverflowMessage}, Leaves::Everything},
        {"nan", "2,nan\n3,40\n1.5,-20\n", {NotANumber("nan")}, Leaves::Everything},
        {"inf", "inf,30\n3,40\n1.5,-20\n", {NotANumber("inf")}, Leaves::Everything},
        {"0x10", "0x10,30\n3,40\n1.5,-20\n", {NotANumber("0x10")}, Leaves::Everything},
        {"R = 0", "0,30\n3,40\n1.5,-20\n", {"Invalid R at line #1"}, Leaves::Everything},
        {"four ellipses of R 1e15",
         "1e15,0\n1e15,45\n1e15,90\n1e15,-45\n",
         {"Invalid R at line #1", "Invalid R at line #2", "Invalid R at line #3",
          "Invalid R at line #4"},
         Leaves::Everything},
        {"four ellipses of the largest R",
         "100,0\n100,45\n100,90\n100,-45\n",
         {},
         Leaves::NewResults,
         4,
         true},
        {"R negative",
         "2,30\n-3,40\n-1.5,-20\n",
         {"Invalid R at line #2", "Invalid R at line #3"},
         Leaves::Everything},
        {"R = 1 everywhere", "1,0\n1,30\n1,-60\n", {kInvalidOperationMessage}, Leaves::Everything},
        {"all data identical",
         "2,30\n2,30\n2,30\n2,30\n",
         {kDivisionByZeroMessage},
         Leaves::Everything},
        {"two data", "2,30\n3,40\n", {kTooFewDataMessage}, Leaves::EarlierRegion, 2},
        {"one datum", "2,30\n", {kDivisionByZeroMessage}, Leaves::Everything},
        {"empty file", "", {kInvalidOperationMessage}, Leaves::Everything},
        // The reference path retro-deforms an orientation this large by a difference of angles
        // that has lost every digit: its T² at the estimate is not 0.
        // The simplex stops at T² = 1.76; Newton steps reach the root, R_s 1.4641225295 and
        // φ_s 32.1719938108° in 40 digits by shape tensors.
        {"a near-circle and two ellipses of R 45 and 94",
         "1.0005344682044817,54.273229988944962\n93.945155486328503,15.584392043443444\n"
         "45.276646624008222,87.157004248657728\n",
         {},
         Leaves::NewResults,
         3,
         false,
         {"R_s    = 1.464", "phi_s  = 32.172 (deg)"}},
        {"φ of 1e300 degrees",
         "2,1e300\n3,40\n1.5,-20\n",
         {MinimumNotReachedText(0.442, '.')},
         Leaves::Everything},
        {"collinear at 90°",
         DataFileText(CollinearData(90, 4)),
         {kDivisionByZeroMessage},
         Leaves::Everything},
        {"collinear at 0°, 100 data",
         DataFileText(CollinearData(0, 100)),
         {kDivisionByZeroMessage},
         Leaves::Everything},
        {"a table row longer than its header",
         "R,phi\n2,30\n2,5,20,1\n1.5,-20\n",
         {"Invalid data at line #3"},
         Leaves::Everything},
        {"Minor = 0 on line 41 of 60", zeroMinor, {"Invalid data at line #41"}, Leaves::Everything},
        {"negative axes",
         "Major,Minor,Angle\n-2,-1,10\n3,1,40\n2,1,-20\n",
         {"Invalid data at line #2"},
         Leaves::Everything},
        {"a table header without rows",
         "R,phi\n",
         {"The table has a header line but no data rows."},
         Leaves::Everything},
        {"UTF-16 text",
         std::string("\xFF\xFE"
                     "2\0,\0"
                     "3\0"
                     "0\0\n\0",
                     12),
         {"The file is UTF-16 text, which is not read: save it as UTF-8 or plain text."},
         Leaves::Everything},
        {"UTF-32 text",
         std::string("\xFF\xFE\0\0"
                     "2\0\0\0,\0\0\0",
                     12),
         {"The file is UTF-32 text, which is not read: save it as UTF-8 or plain text."},
         Leaves::Everything},
        {"an outline with two identical holes",
         "{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"id\": \"g1\", "
         "\"geometry\": {\"type\": \"Polygon\", \"coordinates\": [[[0, 0], [4, 0], [4, 4], [0, "
         "4]], "
         "[[1, 1], [2, 1], [2, 2], [1, 2]], [[1, 1], [2, 1], [2, 2], [1, 2]]]}}]}",
         {"Feature #1 (id \"g1\"): polygon #1 has holes that overlap."},
         Leaves::Everything},
        {"an outline crossing itself",
         "{\"type\": \"FeatureCollection\", \"features\": [{\"type\": \"Feature\", \"id\": 4, "
         "\"geometry\": {\"type\": \"Polygon\", \"coordinates\": "
         "[[[0, 0], [3, 1], [3, 0], [0, 2], [0, 0]]]}}]}",
         {"Feature #1 (id 4): polygon #1 crosses itself, so it bounds no region."},
         Leaves::Everything},
        {"a repeated geometry",
         "{\"type\": \"FeatureCollection\", \"features\": [{\"geometry\": " + triangle +
             ", \"geometry\": " + triangle + "}]}",
         {"Feature #1: the key \"geometry\" occurs twice in one object."},
         Leaves::Everything},
        // Pretty-printed, as GIS programs write: the outline is named, not its ellipse's place.
        {"a sliver of a grain 1000 times longer than wide",
         "{\n  \"type\": \"FeatureCollection\",\n  \"features\": [\n    {\"type\": \"Feature\", "
         "\"id\": \"g1\", \"geometry\": " +
             triangle + "},\n    {\"type\": \"Feature\", \"id\": \"g2\",\n     \"geometry\": " +
             "{\"type\": \"Polygon\", \"coordinates\": [\n       [[0, 0], [1000, 0], [1000, 1], "
             "[0, 1], [0, 0]]\n     ]}}\n  ]\n}\n",
         {"Feature #2 (id \"g2\"): polygon #1 is an ellipse of axial ratio 1000, above the largest "
          "the program analyses (100)."},
         Leaves::Everything},
        {"ten each of two ellipses",
         DataFileText(testing_support::TwoDistinctEllipses(20)),
         {kDivisionByZeroMessage},
         Leaves::Everything},
        {"on one line up to 1e-9",
         DataFileText(testing_support::NearlyCollinearData(10, 5, 1e-9)),
         {kDivisionByZeroMessage},
         Leaves::Everything},
        {"on one line that misses zero",
         DataFileText(testing_support::OffOriginLine()),
         {kDivisionByZeroMessage},
         Leaves::Everything},
        {"nearly round ellipses",
         DataFileText(testing_support::StrainedNearCircles(1e-6, 30)),
         {},
         Leaves::NewResults,
         12},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = std::make_unique<AnalysisState>(*earlier_);
        const std::string path = Write("hostile.txt", c.bytes);
        const CommandResult result = Analyse(*state, path);
        EXPECT_EQ(MessagesOf(result), c.messages);
        ExpectLeft(*state, c.leaves, c.count, path);
        if (c.leaves == Leaves::NewResults) {
            ASSERT_EQ(result.outcome, Outcome::Reported);
            ASSERT_EQ(result.report.size(), 27u);
            EXPECT_EQ(result.report[2], "N = " + std::to_string(c.count));
            EXPECT_TRUE(std::isfinite(EstimatedRatio(*state)) && EstimatedRatio(*state) >= 1.0);
        }
        if (!c.estimate.empty()) {
            EXPECT_EQ(result.report[4], c.estimate[0]);
            EXPECT_EQ(result.report[10], c.estimate[1]);
            // The pre-strain data are those of the estimate, whose mean pre vector vanishes.
            const StrainVector m = MeanPreVector(*state);
            EXPECT_LE(std::hypot(m.x1, m.x2), 1e-12);
        }
        if (c.grid) {
            const std::string grid = TSquaredGridText(*state, '.');
            EXPECT_EQ(std::count(grid.begin(), grid.end(), '\n'), 103);
            EXPECT_EQ(grid.find("N"), std::string::npos);  // neither NAN nor INF
        }
    }
}

TEST_F(HostileInputTest, EveryCollinearSetEndsInADivisionByZero) {
    for (const double axis : {0.0, 10.0, 45.0, -45.0, 90.0}) {
        for (const int count : {3, 4, 100, 10000}) {
            SCOPED_TRACE(testing::Message() << count << " data along " << axis << "°");
            auto state = std::make_unique<AnalysisState>(*earlier_);
            const std::string path =
                Write("collinear.txt", DataFileText(CollinearData(axis, count)));
            const CommandResult result = Analyse(*state, path);
            EXPECT_EQ(result.outcome, Outcome::Ended);
            EXPECT_EQ(MessagesOf(result), std::vector<std::string>{kDivisionByZeroMessage});
            ExpectLeft(*state, Leaves::Everything, 0, path);
        }
    }
}

TEST_F(HostileInputTest, NearlyRoundEllipsesReportTheirTinyStrain) {
    for (const double roundness : {1e-6, 1e-7}) {
        SCOPED_TRACE(testing::Message() << "R - 1 = " << roundness);
        auto state = std::make_unique<AnalysisState>(*earlier_);
        const CommandResult result = Analyse(
            *state,
            Write("round.txt", DataFileText(testing_support::StrainedNearCircles(roundness, 30))));
        EXPECT_TRUE(MessagesOf(result).empty());
        ASSERT_EQ(result.report.size(), 27u);
        EXPECT_EQ(result.report[4], "R_s    = 1.000");
        EXPECT_EQ(result.report[10], "phi_s  = 30.000 (deg)");
        EXPECT_EQ(result.report[16], "x_s[1] = 0.000");
        EXPECT_NEAR(EstimatedRatio(*state) - 1, roundness, 1e-6 * roundness);
    }
}

TEST_F(HostileInputTest, AnythingButARegularFileIsAnInvalidDataFile) {
    const std::string fifo = (folder_ / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {folder_.string(), fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        auto state = std::make_unique<AnalysisState>(*earlier_);
        const CommandResult result = Analyse(*state, path);
        EXPECT_EQ(MessagesOf(result), std::vector<std::string>{kInvalidDataFileMessage});
        ExpectLeft(*state, Leaves::Everything, 0, path);
    }
}

TEST_F(HostileInputTest, AFileGoneOrReplacedAfterTheCountEndsInAnIoError) {
    struct Case {
        const char* name;
        void (*replace)(const std::string& path);
        std::string message;
    };
    const Case cases[] = {
        {"deleted", [](const std::string& path) { fs::remove(path); },
         IoErrorMessage(kIoFileNotFound)},
        {"replaced by a FIFO",
         [](const std::string& path) {
             fs::remove(path);
             ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
         },
         IoErrorMessage(kIoAccessDenied)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = std::make_unique<AnalysisState>(*earlier_);
        auto counted = std::make_unique<AnalysisState>(*earlier_);
        const std::string path = Write("vanishing.txt", kThreeEllipses);
        ASSERT_EQ(ChooseAndCountDataFile(*counted, path), CountOutcome::Counted);
        c.replace(path);
        const CommandResult result =
            RunOpenOfCountedFile(*state, *counted, ConfidenceLevel::Level95, '.');
        EXPECT_EQ(MessagesOf(result), std::vector<std::string>{c.message});
        ExpectLeft(*state, Leaves::Everything, 0, path);
        fs::remove(path);
    }
}

// The start of the window: load finv.dat from `folder` and say what the user would read.
std::vector<std::string> LoadTableMessages(AnalysisState& state, const fs::path& folder) {
    try {
        if (const auto message = LoadAndCheckFQuantileTable(state, folder.string() + "/")) {
            return {*message};
        }
    } catch (const VarnelError& error) {
        return {error.what()};
    }
    return {};
}

TEST_F(HostileInputTest, ABrokenQuantileTableStillLetsFilesBeAnalysed) {
    enum Kind { kFile, kFolder, kFifo };
    struct Case {
        const char* name;
        Kind kind;
        const char* finv;
        std::vector<std::string> messages;
        bool ranged;  // for three data: the quantile for N = 3 was read
    };
    const Case cases[] = {
        {"empty", kFile, "", {kDamagedQuantileTableMessage}, false},
        {"truncated inside its first row",
         kFile,
         "3 0.859 1.5 19",
         {kDamagedQuantileTableMessage},
         true},
        {"negative", kFile, "3 -0.859 -1.5 -19", {kDamagedQuantileTableMessage}, false},
        {"the row for N = 4 missing",
         kFile,
         "3 0.859 1.5 199.5\n5 0.6 1 19\n",
         {kDamagedQuantileTableMessage},
         true},
        {"decimal comma",
         kFile,
         "3 0,859 1,5 199,5\n4 0.6 1 19\n",
         {IoErrorMessage(kIoInvalidNumericInput)},
         false},
        {"a fifth number in the row for N = 3, which is ignored",
         kFile,
         "3 0.859 1.5 199.5 7\n4 0.6 1 19\n",
         {kDamagedQuantileTableMessage},
         true},
        {"a byte-order mark",
         kFile,
         "\xEF\xBB\xBF"
         "3 0.859 1.5 199.5\n",
         {IoErrorMessage(kIoInvalidNumericInput)},
         true},
        {"a folder", kFolder, "", {kMissingQuantileTableMessage}, false},
        {"a FIFO that no program writes", kFifo, "", {IoErrorMessage(kIoAccessDenied)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path tableFolder = folder_ / "table";
        fs::remove_all(tableFolder);
        fs::create_directories(tableFolder);
        const fs::path finv = tableFolder / "finv.dat";
        switch (c.kind) {
            case kFile:
                std::ofstream(finv, std::ios::binary) << c.finv;
                break;
            case kFolder:
                fs::create_directory(finv);
                break;
            case kFifo:
                ASSERT_EQ(::mkfifo(finv.c_str(), 0600), 0);
                break;
        }
        auto state = std::make_unique<AnalysisState>();
        EXPECT_EQ(LoadTableMessages(*state, tableFolder), c.messages);
        const CommandResult result = Analyse(*state, Write("three.txt", kThreeEllipses));
        ASSERT_EQ(result.outcome, Outcome::Reported);
        EXPECT_TRUE(MessagesOf(result).empty());
        // Either the ranges have their width or none is a number: never a zero-width range.
        EXPECT_EQ(state->X1Range.max > state->X1Range.min, c.ranged);
        EXPECT_EQ(std::isnan(state->X1Range.min), !c.ranged);
        EXPECT_EQ(std::isnan(state->X2Range.max), !c.ranged);
    }
}

}  // namespace
}  // namespace varnel::analysis
