#include "input/data_file_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <memory>
#include <random>

#include "input/data_file.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(DataFileText, WritesEachNumberInTheShortestFormTheReaderTakes) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {1.5, "1.5"},
        {30, "30"},
        {-0.0, "-0"},
        {1e20, "1e+20"},
        {-2.5e-7, "-2.5e-07"},
        {0.1, "0.1"},
        {DBL_MAX, "1.7976931348623157e+308"},
    };
    for (const Case& c : cases) EXPECT_EQ(DataNumberText(c.value), c.text) << c.value;
}

TEST(DataFileText, ReadsBackIntoTheVeryDoublesItWasWrittenFrom) {
    testing_support::TestFolder folder;
    auto written = std::make_unique<AnalysisState>();
    auto read = std::make_unique<AnalysisState>();
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> logRatio(0, 5), degrees(-400, 400);
    written->DataCount = 2000;
    for (int k = 1; k <= written->DataCount; ++k) {
        written->RPost[k] = std::exp(logRatio(random));
        written->PhiPost[k] = DegreesToStoredRadians(degrees(random));
    }
    written->RPost[1] = 1.0;
    written->PhiPost[1] = DegreesToStoredRadians(-90);
    written->RPost[2] = DBL_MAX;
    written->PhiPost[2] = DegreesToStoredRadians(4.9e-324);
    // One file, read back under a decimal point and under a decimal comma.
    const std::string path = folder.Write("export.txt", DataFileText(*written));
    for (const char separator : {'.', ','}) {
        ASSERT_EQ(ChooseAndCountDataFile(*read, path), CountOutcome::Counted);
        ASSERT_TRUE(ParseDataFile(*read, separator).ok);
        ASSERT_EQ(read->DataCount, written->DataCount);
        for (int k = 1; k <= written->DataCount; ++k) {
            ASSERT_TRUE(SameBits(read->RPost[k], written->RPost[k])) << k << " with " << separator;
            ASSERT_TRUE(SameBits(read->PhiPost[k], written->PhiPost[k]))
                << k << " with " << separator;
        }
    }
}

TEST(DataFileText, GivesAnglesTheirShortestDegrees) {
    auto state = std::make_unique<AnalysisState>();
    state->DataCount = 3;
    const double rows[][2] = {{2, 30}, {1.25, -45.5}, {3, 89.9}};
    for (int k = 1; k <= 3; ++k) {
        state->RPost[k] = rows[k - 1][0];
        state->PhiPost[k] = DegreesToStoredRadians(rows[k - 1][1]);
    }
    EXPECT_EQ(DataFileText(*state), "2,30\n1.25,-45.5\n3,89.9\n");
}

}  // namespace
}  // namespace varnel
