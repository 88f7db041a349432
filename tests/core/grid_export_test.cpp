#include "core/grid_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <sstream>

#include "core/estimation.h"
#include "core/objective.h"
#include "core/varnel_error.h"
#include "tests/support/comma_locale.h"
#include "tests/support/degenerate_data.h"
#include "tests/support/error_text.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Twelve ellipses deformed by a strain of ratio 1.6 along 20°, estimated; the Post-strain frame
// is set to p = −1 … 1, q = −0.5 … 1.5.
std::unique_ptr<AnalysisState> EstimatedState() {
    auto state = std::make_unique<AnalysisState>();
    state->DataCount = 12;
    for (int k = 1; k <= state->DataCount; ++k) {
        const double phi0 = std::fmod(k * 0.7548777, 1.0) * std::numbers::pi - std::numbers::pi / 2;
        const Ellipse e = SuperposeStrain(1.6, 1.2 + std::fmod(k * 0.618034, 1.0), phi0 - 0.35);
        state->RPost[k] = e.R;
        state->PhiPost[k] = e.phi + 0.35;
    }
    EstimateStrain(*state, nullptr);
    state->PostPlotBounds.Min = {0.0, -1.0, -0.5};
    state->PostPlotBounds.Max = {0.0, 1.0, 1.5};
    return state;
}

struct GridExportTest : testing::Test {
    std::unique_ptr<AnalysisState> state = EstimatedState();
    fs::path path = fs::temp_directory_path() / ("varnel-grid-" + std::to_string(::getpid()) + ".txt");
    void TearDown() override { fs::remove(path); }
    std::string Read() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(GridExportTest, RefusesWithFewerThanThreeData) {
    state->DataCount = 2;
    try {
        ExportTSquaredGrid(*state, path, '.');
        ADD_FAILURE() << "no error";
    } catch (const VarnelError& e) {
        EXPECT_STREQ(e.what(), "No data loaded");
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(GridExportTest, WritesRangesHeaderAndOneHundredRows) {
    ExportTSquaredGrid(*state, path, '.');
    const std::string text = Read();
    ASSERT_TRUE(text.ends_with("\r\n"));
    const auto lines = Split(text.substr(0, text.size() - 2), "\r\n");
    ASSERT_EQ(lines.size(), 103u);
    EXPECT_EQ(lines[0], "p = [ -1.000, 1.000 ]");
    EXPECT_EQ(lines[1], "q = [ -0.500, 1.500 ]");
    const auto header = Split(lines[2], "\t");
    ASSERT_EQ(header.size(), 101u);
    EXPECT_EQ(header[0], "");
    EXPECT_EQ(header[1], "-1.00000E+000");
    EXPECT_EQ(header[100], "1.00000E+000");
    for (std::size_t i = 3; i < lines.size(); ++i) {
        const auto fields = Split(lines[i], "\t");
        ASSERT_EQ(fields.size(), 101u) << "line " << i + 1;
        EXPECT_FALSE(fields.back().empty()) << "line " << i + 1;
        EXPECT_NEAR(std::stod(fields[0]), -0.5 + (i - 3) * 2.0 / 99, 5e-6);
    }
    EXPECT_EQ(Split(lines[3], "\t")[0], "-5.00000E-001");
    EXPECT_EQ(Split(lines[102], "\t")[0], "1.50000E+000");
}

TEST_F(GridExportTest, ValuesAreTheObjectiveAtTheGridPoints) {
    const auto copy = std::make_unique<AnalysisState>(*state);
    const auto lines = Split(TSquaredGridText(*state, '.'), "\r\n");
    // (row i, column j) samples: corners, the middle and an off-diagonal point.
    for (const auto& [i, j] : {std::pair{0, 0}, {0, 99}, {99, 0}, {99, 99}, {50, 50}, {17, 73}}) {
        const StrainVector x{-1.0 + j * (2.0 / 99), -0.5 + i * (2.0 / 99)};
        const double expected = TSquaredOfStrain(*copy, x);
        const double written = std::stod(Split(lines[3 + i], "\t")[1 + j]);
        EXPECT_NEAR(written, expected, 5e-6 * std::fabs(expected)) << "row " << i << " column " << j;
    }
}

TEST_F(GridExportTest, UsesTheGivenDecimalSeparator) {
    const auto lines = Split(TSquaredGridText(*state, ','), "\r\n");
    EXPECT_EQ(lines[0], "p = [ -1,000, 1,000 ]");
    EXPECT_EQ(Split(lines[2], "\t")[1], "-1,00000E+000");
}

TEST_F(GridExportTest, WritesOneCommaPerNumberUnderACommaLocale) {
    std::string expected = TSquaredGridText(*state, '.');
    for (char& c : expected) c = c == '.' ? ',' : c;
    testing_support::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active());
    const std::string text = TSquaredGridText(*state, ',');
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.find(",,"), std::string::npos);
    EXPECT_EQ(Split(Split(text, "\r\n")[2], "\t")[1], "-1,00000E+000");
}

// The objective rewrites the pre-strain data at every grid point; afterwards they are the
// estimate's again, also when the save fails.
TEST_F(GridExportTest, LeavesThePreStrainDataOfTheEstimate) {
    const auto before = std::make_unique<AnalysisState>(*state);
    ExportTSquaredGrid(*state, path, '.');
    EXPECT_THROW(ExportTSquaredGrid(*state, (path / "missing" / "x.txt").string(), '.'), VarnelError);
    for (int k = 1; k <= state->DataCount; ++k) {
        EXPECT_EQ(state->RPre[k], before->RPre[k]);
        EXPECT_EQ(state->PhiPre[k], before->PhiPre[k]);
        EXPECT_EQ(state->PreVectors[k], before->PreVectors[k]);
    }
    EXPECT_EQ(state->StrainEstimate, before->StrainEstimate);
}

TEST_F(GridExportTest, EndsWithTheErrorOfAFailingEvaluationAndWritesNothing) {
    // Strains along the x1 axis (the row q = 0) keep the pre vectors of data on that axis on
    // it: the moment matrix is singular there, and every other row is regular.
    auto collinear = testing_support::StateOf(testing_support::CollinearData(0.0, 40));
    collinear->PostPlotBounds.Min = {0.0, -1.0, -1.0};
    collinear->PostPlotBounds.Max = {0.0, 1.0, 0.0};
    EXPECT_EQ(testing_support::ErrorTextOf([&] { ExportTSquaredGrid(*collinear, path, '.'); }),
              kDivisionByZeroMessage);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(GridExportTest, ReplacesAnExistingFile) {
    std::ofstream(path) << "an older table that is longer than nothing";
    ExportTSquaredGrid(*state, path, '.');
    EXPECT_TRUE(Read().starts_with("p = [ -1.000, 1.000 ]\r\n"));
}

}  // namespace
}  // namespace varnel
