#include "core/grid_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>

#include "core/estimation.h"
#include "core/number_format.h"
#include "core/objective.h"
#include "core/varnel_error.h"
#include "tests/support/comma_locale.h"
#include "tests/support/degenerate_data.h"
#include "tests/support/error_text.h"
#include "tests/support/test_folder.h"

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
    testing_support::TestFolder folder;
    const fs::path path = folder.Path() / "grid.txt";
    std::string Read() const { return testing_support::ReadWholeFile(path); }
};

TEST_F(GridExportTest, RefusesWithFewerThanThreeData) {
    state->DataCount = 2;
    EXPECT_EQ(testing_support::ErrorTextOf([&] { ExportTSquaredGrid(*state, path, '.'); }),
              "No data loaded");
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

// Every row as the reference objective writes it, value by value: the grid's own evaluation
// path must give the same six digits at all 10,000 points.
TEST_F(GridExportTest, WritesEveryValueAsTheReferenceObjectiveDoes) {
    const auto copy = std::make_unique<AnalysisState>(*state);
    const std::string text = TSquaredGridText(*state, '.');
    // p_j = p_lo + j · Δp and q_i = q_lo + i · Δq, with Δp = 2 / 99 and Δq = 2 / 99.
    const double dp = (1.0 - -1.0) / 99, dq = (1.5 - -0.5) / 99;
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const double q = double(-0.5L + static_cast<long double>(i) * dq);
        expected += FormatExponent(q, '.');
        for (int j = 0; j < 100; ++j) {
            const double p = double(-1.0L + static_cast<long double>(j) * dp);
            expected += '\t';
            expected += FormatExponent(TSquaredOfStrain(*copy, {p, q}), '.');
        }
        expected += "\r\n";
    }
    ASSERT_GT(text.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
}

// The nearly round ellipses' frame holds every kind of point: far from their strain the fast
// path's principal frame, nearer the reference path's inverse of its rounded S, and near the
// estimate an ordinary moment matrix.
TEST(TSquaredGridText, WritesEveryValueOfNearlyRoundEllipsesAsTheReferenceObjectiveDoes) {
    auto state = testing_support::StateOf(testing_support::StrainedNearCircles(1e-6, 30));
    const double pLo = -1.4, pHi = 1.48, qLo = -1.4, qHi = 1.48;
    state->PostPlotBounds.Min = {0.0, pLo, qLo};
    state->PostPlotBounds.Max = {0.0, pHi, qHi};
    const std::string text = TSquaredGridText(*state, '.');
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const double q = double(qLo + static_cast<long double>(i) * ((qHi - qLo) / 99));
        expected += FormatExponent(q, '.');
        for (int j = 0; j < 100; ++j) {
            const double p = double(pLo + static_cast<long double>(j) * ((pHi - pLo) / 99));
            expected += '\t';
            expected += FormatExponent(TSquaredOfStrain(*state, {p, q}), '.');
        }
        expected += "\r\n";
    }
    ASSERT_GT(text.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
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
    const std::string nowhere = (folder.Path() / "missing" / "x.txt").string();
    EXPECT_EQ(testing_support::ErrorTextOf([&] { ExportTSquaredGrid(*state, nowhere, '.'); }),
              "ファイルが見つかりません");
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
