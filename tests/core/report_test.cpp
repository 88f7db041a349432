#include "core/report.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "tests/support/comma_locale.h"

namespace varnel {
namespace {

std::unique_ptr<AnalysisState> ReportedState() {
    auto state = std::make_unique<AnalysisState>();
    state->DataFileName = "/home/geo/samples/outcrop 7.txt";
    state->DataCount = 25;
    StoreEstimatedEllipse(*state, 1.8, -12.3456);
    state->StrainEstimate = {0.25, -0.5};
    state->RRange = {1.5, 2.0};
    state->PhiRange = {-20.0, 1.0};
    state->X1Range = {0.125, 0.5};
    state->X2Range = {-0.75, -0.375};
    return state;
}

TEST(WriteReport, LaysOutTwentySevenLines) {
    const std::vector<std::string> expected = {
        "outcrop 7.txt",
        "",
        "N = 25",
        "",
        "R_s    = 1.800",
        "           + 0.300",
        "           - 0.200",
        "   min = 1.500",
        "   max = 2.000",
        "",
        "phi_s  = -12.346 (deg)",
        "           + 7.654",
        "           - 13.346",
        "   min = -20.000",
        "   max = 1.000",
        "",
        "x_s[1] = 0.250",
        "           + 0.125",
        "           - 0.250",
        "   min = 0.125",
        "   max = 0.500",
        "",
        "x_s[2] = -0.500",
        "           + 0.250",
        "           - 0.125",
        "   min = -0.750",
        "   max = -0.375",
    };
    EXPECT_EQ(WriteReport(*ReportedState(), '.'), expected);
}

TEST(WriteReport, ShowsNotANumberRangesAndTheLocaleSeparator) {
    auto state = ReportedState();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    state->RRange = {nan, nan};
    state->PhiRange = {nan, nan};
    const std::vector<std::string> lines = WriteReport(*state, ',');
    ASSERT_EQ(lines.size(), 27u);
    for (int line : {6, 7, 8, 9, 12, 13, 14, 15}) {
        EXPECT_EQ(lines[line - 1].substr(lines[line - 1].size() - 3), "NAN") << line;
    }
    EXPECT_EQ(lines[5], "           + NAN");
    EXPECT_EQ(lines[7], "   min = NAN");
    EXPECT_EQ(lines[16], "x_s[1] = 0,250");
}

TEST(WriteReport, WritesOneCommaPerNumberUnderACommaLocale) {
    std::vector<std::string> expected = WriteReport(*ReportedState(), '.');
    for (std::size_t i = 1; i < expected.size(); ++i) {  // line 1 is the file name
        for (char& c : expected[i]) c = c == '.' ? ',' : c;
    }
    testing_support::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active());
    const std::vector<std::string> lines = WriteReport(*ReportedState(), ',');
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(lines[4], "R_s    = 1,800");
    EXPECT_EQ(lines[10], "phi_s  = -12,346 (deg)");
}

TEST(FileNameWithoutFolder, KeepsTheLastComponent) {
    EXPECT_EQ(FileNameWithoutFolder("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(FileNameWithoutFolder("C:\\data\\d.csv"), "d.csv");
    EXPECT_EQ(FileNameWithoutFolder("C:e.prn"), "e.prn");
    EXPECT_EQ(FileNameWithoutFolder("plain"), "plain");
    EXPECT_EQ(FileNameWithoutFolder(""), "");
}

}  // namespace
}  // namespace varnel
