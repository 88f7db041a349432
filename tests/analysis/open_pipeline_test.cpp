#include "analysis/open_pipeline.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/executable_folder.h"
#include "core/io_error.h"
#include "core/messages.h"
#include "core/varnel_error.h"
#include "input/quantile_table.h"
#include "plot/plot_frames.h"
#include "tests/support/analysis_states.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_folder.h"

namespace varnel::analysis {

// Failures show a notice by its kind and text.
void PrintTo(const Notice& notice, std::ostream* out) {
    static const char* const kKinds[] = {"Caption", "Message", "MemoLine", "Report", "Error"};
    *out << kKinds[static_cast<int>(notice.kind)] << "(" << notice.text << ")";
}

namespace {

using Kind = Notice::Kind;

constexpr const char* kFourEllipses = "2,30\n3,40\n1.5,-20\n2.5,10\n";

Notice Caption(const std::string& name) { return {Kind::Caption, name, {}}; }
Notice Message(const std::string& text, const std::string& detail = {}) {
    return {Kind::Message, text, detail};
}
Notice MemoLine(const std::string& text, const std::string& detail = {}) {
    return {Kind::MemoLine, text, detail};
}
Notice Report() { return {Kind::Report, {}, {}}; }
Notice Error(const std::string& text, const std::string& detail = {}) {
    return {Kind::Error, text, detail};
}

struct OpenCase {
    const char* file;
    std::string bytes;
    std::vector<Notice> notices;
    Outcome outcome;
    bool estimated;     // the estimation ran and stepped the progress
    bool read = false;  // the file's data were read, however the Open then ended
};

class OpenPipelineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadFQuantileTable(*state, ExecutableFolder())); }

    CommandResult Open(const std::string& name, const std::string& bytes,
                       ConfidenceLevel level = ConfidenceLevel::Level95) {
        return RunOpenCommand(*state, folder.Write(name, bytes), level, '.', &progress);
    }

    // Opens the case's file and checks its notices, outcome, report and progress, and that
    // the state took the new file's analysis or, when the Open failed, stayed as it was.
    void ExpectOpen(const OpenCase& c) {
        SCOPED_TRACE(c.file);
        progress = {};
        const auto before = std::make_unique<AnalysisState>(*state);
        const CommandResult result = Open(c.file, c.bytes);
        EXPECT_EQ(result.notices, c.notices);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.read, c.read);
        EXPECT_EQ(result.report.size(), c.outcome == Outcome::Reported ? 27u : 0u);
        EXPECT_EQ(progress.maximum_, c.estimated ? 11 : 0);
        if (c.outcome == Outcome::Ended) {
            EXPECT_TRUE(testing_support::SameStateBytes(*state, *before));
        } else {
            EXPECT_EQ(state->DataFileName, folder.PathOf(c.file));
        }
    }

    testing_support::TestFolder folder;
    std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
    testing_support::RecordingProgress progress;
};

TEST_F(OpenPipelineTest, EachWayTheOpenEndsShowsItsNoticesInTheWindowsOrder) {
    std::string tooMany;
    for (int k = 0; k <= kMaxData; ++k) tooMany += "2,30\n";
    const OpenCase cases[] = {
        {"huge.txt",
         tooMany,
         {Message(kTooManyDataMessage,
                  "huge.txt holds 10001 lines, more than the 10000 data the program analyses at "
                  "once: split it into files of at most 10000")},
         Outcome::Ended,
         false},
        {"good.txt", kFourEllipses, {Caption("good.txt"), Report()}, Outcome::Reported, true, true},
        {"line.txt",
         "2,30\n3\n1.5,-20\n",
         {Caption("line.txt"),
          Message("Invalid data at line #2",
                  "line 2 of line.txt holds one field, '3': R and φ are needed, separated by a "
                  "comma, a tab or blanks")},
         Outcome::Ended,
         false},
        {"ratios.txt",
         "0.5,30\n3,40\n0.9,-20\n",
         {Caption("ratios.txt"),
          MemoLine("Invalid R at line #1",
                   "R = 0.5 on line 1 of ratios.txt: R, the long axis over the short one, lies "
                   "from 1 to 100"),
          MemoLine("Invalid R at line #3",
                   "R = 0.9 on line 3 of ratios.txt: R, the long axis over the short one, lies "
                   "from 1 to 100")},
         Outcome::Ended,
         false,
         true},
        {"two.txt",
         "2,30\n3,40\n",
         {Caption("two.txt"), Message(kTooFewDataMessage)},
         Outcome::EstimatedOnly,
         true,
         true},
        // An orientation whose difference from the strain's has lost every digit: neither the
        // simplex nor Newton steps reach T² = 0.
        {"stops.txt",
         "2,1e300\n3,40\n1.5,-20\n",
         {Caption("stops.txt"), Message("The strain could not be estimated: the minimisation "
                                        "ended at T² = 0.442, not at its minimum 0.")},
         Outcome::Ended,
         true,
         true},
        {"one.txt",
         "2,30\n",
         {Caption("one.txt"),
          Error(kDivisionByZeroMessage, "one.txt holds 1 ellipse: 3 or more ellipses are needed")},
         Outcome::Ended,
         false,
         true},
        {"empty.txt",
         "",
         {Caption("empty.txt"), Error(kInvalidOperationMessage, "empty.txt: the file is empty")},
         Outcome::Ended,
         false,
         true},
        {"collinear.txt",
         "2,30\n2,30\n2,30\n3,40\n",
         {Caption("collinear.txt"), Error(kDivisionByZeroMessage,
                                          "the 4 ellipses of collinear.txt determine no strain: "
                                          "their log-strain vectors lie on "
                                          "one line")},
         Outcome::Ended,
         true,
         true},
        {"text.txt",
         "2,30\nabc,40\n1.5,-20\n",
         {Error("'abc' は浮動小数点数ではありません",
                "'abc', R on line 2 of text.txt, is not a number")},
         Outcome::Ended,
         false},
    };
    for (const OpenCase& c : cases) ExpectOpen(c);
}

TEST_F(OpenPipelineTest, ImportedFilesEndAsDataFilesDoWithTheirNoticesAfterTheCaption) {
    const auto triangle = [](const char* a) {
        return "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Polygon\", \"coordinates\": "
               "[[[0, 0], [" +
               std::string(a) + ", 0], [0, 1], [0, 0]]]}}";
    };
    const OpenCase cases[] = {
        {"results.csv",
         " ,Major,Minor,Angle\r\n1,4,2,30\r\n2,6,2,140\r\n3,3,2,160\r\n4,5,2,10\r\n",
         {Caption("results.csv"), Report()},
         Outcome::Reported,
         true,
         true},
        {"gap.csv",
         "R;phi\n2;30\n;40\n",
         {Caption("gap.csv"),
          Message("Invalid data at line #3",
                  "line 3 of gap.csv: a cell the ellipse is read from is empty or missing")},
         Outcome::Ended,
         false},
        {"low.csv",
         "R,phi\n2,30\n0.5,40\n",
         {Caption("low.csv"),
          MemoLine("Invalid R at line #3",
                   "R = 0.5 on line 3 of low.csv: R, the long axis over the short one, lies from "
                   "1 to 100")},
         Outcome::Ended,
         false,
         true},
        {"odd.csv",
         "Ratio,Angle\n2,30\n",
         {Error("The table's header names none of the accepted column sets: Major, Minor and "
                "Angle (ImageJ's fitted ellipses); R or Rf with phi, φ or angle; Max and Min, or "
                "a and b, with phi, φ or angle.")},
         Outcome::Ended,
         false},
        {"two.geojson",
         "{\"type\": \"FeatureCollection\", \"features\": [" + triangle("2") +
             ", {\"type\": \"Feature\", \"geometry\": null}, " + triangle("3") + "]}",
         {Caption("two.geojson"),
          Message("Skipped 1 of 3 features: they hold no Polygon or MultiPolygon."),
          Message(kTooFewDataMessage)},
         Outcome::EstimatedOnly,
         true,
         true},
    };
    for (const OpenCase& c : cases) ExpectOpen(c);
}

TEST_F(OpenPipelineTest, AFileThatCannotBeCountedGivesOnlyItsMessage) {
    ASSERT_EQ(Open("good.txt", kFourEllipses).outcome, Outcome::Reported);
    const auto before = std::make_unique<AnalysisState>(*state);
    const std::string missing = (folder.Path() / "missing.txt").string();
    const CommandResult result = RunOpenCommand(*state, missing, ConfidenceLevel::Level95, '.');
    EXPECT_EQ(result.notices, std::vector<Notice>{Message(kInvalidDataFileMessage,
                                                          IoErrorDetail(ENOENT, missing))});
    EXPECT_EQ(result.outcome, Outcome::Ended);
    EXPECT_TRUE(testing_support::SameStateBytes(*state, *before));
}

TEST_F(OpenPipelineTest, AReportedOpenLeavesFramesForBothPlots) {
    ASSERT_EQ(Open("good.txt", kFourEllipses).outcome, Outcome::Reported);
    EXPECT_TRUE(plot::PlotFramesExist(*state));
    EXPECT_EQ(progress.positions_.back(), 0);  // back to the start once the estimation ends
}

TEST_F(OpenPipelineTest, ALevelChangeGivesTheReportOfAnOpenAtThatLevel) {
    for (const ConfidenceLevel level : {ConfidenceLevel::Level39, ConfidenceLevel::Level50}) {
        const std::vector<std::string> opened = Open("good.txt", kFourEllipses, level).report;
        ASSERT_EQ(Open("good.txt", kFourEllipses).outcome, Outcome::Reported);
        const CommandResult changed = RunLevelChange(*state, level, '.');
        EXPECT_EQ(changed.notices, std::vector<Notice>{Report()});
        EXPECT_EQ(changed.outcome, Outcome::Reported);
        EXPECT_EQ(changed.report, opened);
    }
}

TEST_F(OpenPipelineTest, ALevelChangeBelowThreeDataOnlySaysSo) {
    struct Case {
        const char* name;
        std::string bytes;  // empty: nothing opened
    };
    const Case cases[] = {{"nothing opened", ""}, {"two data", "2,30\n3,40\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.empty()) Open("data.txt", c.bytes);
        const StrainVector estimate = state->StrainEstimate;
        const CommandResult result = RunLevelChange(*state, ConfidenceLevel::Level39, '.');
        EXPECT_EQ(result.notices, std::vector<Notice>{Message(kTooFewDataMessage)});
        EXPECT_EQ(result.outcome, Outcome::Ended);
        EXPECT_TRUE(result.report.empty());
        EXPECT_EQ(state->StrainEstimate.x1, estimate.x1);
    }
}

TEST_F(OpenPipelineTest, AnErrorOfTheResultStageEndsTheLevelChange) {
    ASSERT_EQ(Open("good.txt", kFourEllipses).outcome, Outcome::Reported);
    // Pre vectors whose moments exceed the range of a double.
    for (int k = 1; k <= 4; ++k) state->PreVectors[k] = {1e200 * k, -1e200};
    const CommandResult result = RunLevelChange(*state, ConfidenceLevel::Level50, '.');
    EXPECT_EQ(result.notices, std::vector<Notice>{Error(kOverflowMessage)});
    EXPECT_EQ(result.outcome, Outcome::Ended);
}

TEST(MessagesOf, KeepsMessagesMemoLinesAndTheErrorInOrder) {
    CommandResult result;
    result.notices = {Caption("a.txt"), MemoLine("first"), Report(), Message("second", "why"),
                      Error("third", "where")};
    EXPECT_EQ(MessagesOf(result), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(MessagesWithDetailsOf(result),
              (std::vector<std::string>{"first", "second\nwhy", "third\nwhere"}));
}

}  // namespace
}  // namespace varnel::analysis
