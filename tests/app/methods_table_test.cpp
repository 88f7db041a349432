#include "app/methods_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/comma_locale.h"

namespace varnel::app {
namespace {

MethodsSummary Example() {
    MethodsSummary s;
    s.result.t2 = {1.8441, 35.1034};
    s.result.hyperbolicMean = {1.9, -12.25, 4.5};
    s.result.harmonicMean = {1.75, 33.3};
    s.result.rfMaxMin = {3.3, 1.2, 62.0, "Ri<Rs", 1.99, 1.658};
    s.result.noStrain = {25.5, 0.00002};
    s.result.symmetryChi2 = {4.75, 8, 0.69};
    s.result.symmetryIndex = {0.85, 0.0431};
    s.RRange = {1.656, 2.052};
    s.PhiRange = {30.5, 39.75};
    s.levelPercent = 95;
    return s;
}

TEST(EstimatorTable, ShowsEachEstimatorWithWhatAppliesToIt) {
    const TextTable table = EstimatorTable(Example(), '.');
    EXPECT_EQ(table.header, (std::vector<std::string>{
                                "Estimator", "R", "φ (°)", "R range (95 %)", "φ range (95 %)",
                                "Bootstrap R interval (95 %)", "Bootstrap φ interval (95 %)",
                                "Bootstrap R range (95 %)", "Bootstrap φ range (95 %)", "Notes"}));
    const std::vector<std::vector<std::string>> rows = {
        {"T²", "1.844", "35.103", "1.656 – 2.052", "30.500 – 39.750", "—", "—", "—", "—", ""},
        {"Hyperbolic mean", "1.900", "-12.250", "—", "—", "—", "—", "—", "—", "κ = 4.500"},
        {"Harmonic mean", "1.750", "33.300", "—", "—", "—", "—", "—", "—", ""},
        {"Rf/φ bounds", "1.990", "—", "—", "—", "—", "—", "—", "—",
         "Ri<Rs, Ri = 1.658, Rf 1.200 – 3.300, fluctuation 62.000°"},
    };
    EXPECT_EQ(table.rows, rows);
}

// An estimator's bootstrap: its intervals and the ranges over its region, or none, and how many
// resamples it failed on.
methods::EstimatorBootstrap Estimator(std::optional<methods::BootstrapIntervals> intervals,
                                      int failed, methods::Interval R = {1.6, 2.1},
                                      methods::Interval phi = {31.0, 39.5}) {
    methods::EstimatorBootstrap e;
    e.failed = failed;
    e.intervals = intervals;
    if (intervals) {
        e.region = methods::BootstrapRegion{};
        e.region->R = R;
        e.region->phiDegrees = phi;
    }
    return e;
}

TEST(EstimatorTable, AddsTheBootstrapIntervalsOrWhyThereAreNoneAndCountsFailedResamples) {
    MethodsSummary s = Example();
    s.levelPercent = 39;
    s.bootstrap = methods::BootstrapResult{
        500, 1, 39, Estimator({{{1.7, 1.95}, {33.0, 37.2505}}}, 3), Estimator(std::nullopt, 7)};
    const TextTable table = EstimatorTable(s, '.');
    EXPECT_EQ(table.header[5], "Bootstrap R interval (39 %)");
    EXPECT_EQ(table.header[7], "Bootstrap R range (39 %)");
    EXPECT_EQ(table.rows[0][5], "1.700 – 1.950");
    EXPECT_EQ(table.rows[0][6], "33.000 – 37.251");
    EXPECT_EQ(table.rows[0][7], "1.600 – 2.100");
    EXPECT_EQ(table.rows[0][8], "31.000 – 39.500");
    EXPECT_EQ(table.rows[0][9], "bootstrap of 500 resamples, 3 without estimate");
    for (int column = 5; column <= 8; ++column)
        EXPECT_EQ(table.rows[1][column], "not estimated: 7 of 500 resamples failed");
    EXPECT_EQ(table.rows[1][9], "κ = 4.500, 7 resamples without estimate");
    EXPECT_EQ(table.rows[2][5], "—");
    EXPECT_EQ(table.rows[2][7], "—");
}

TEST(EstimatorTable, CallsPhiUndefinedWhereTheRegionHoldsZeroStrain) {
    MethodsSummary s = Example();
    const double nan = std::nan("");
    s.bootstrap = methods::BootstrapResult{
        400, 1, 95, Estimator({{{1.0, 1.2}, {nan, nan}}}, 0, {1.0, 1.3}, {nan, nan}),
        Estimator({{{1.0, 1.25}, {nan, nan}}}, 0, {1.0, 1.35}, {nan, nan})};
    const TextTable table = EstimatorTable(s, '.');
    EXPECT_EQ(table.rows[0][5], "1.000 – 1.200");
    EXPECT_EQ(table.rows[0][6], "undefined");
    EXPECT_EQ(table.rows[0][7], "1.000 – 1.300");
    EXPECT_EQ(table.rows[0][8], "undefined");
    EXPECT_EQ(table.rows[1][8], "undefined");
}

TEST(EstimatorTable, WritesNumbersWithTheUsersDecimalSeparator) {
    const TextTable table = EstimatorTable(Example(), ',');
    EXPECT_EQ(table.rows[0][1], "1,844");
    EXPECT_EQ(table.rows[0][3], "1,656 – 2,052");
    EXPECT_EQ(FabricTestTable(Example().result, ',').rows[1][2], "0,690");
}

TEST(FabricTestTable, GivesTheVerdictOfEachTestByItsPValue) {
    struct Case {
        double p;
        const char* shown;
        bool rejected;
    };
    const Case cases[] = {{0.00002, "< 0.001", true}, {0.0009, "< 0.001", true},
                          {0.001, "0.001", true},     {0.0499, "0.050", true},
                          {0.05, "0.050", false},     {0.75, "0.750", false}};
    const std::string rejected[] = {
        "Strained: the ellipses are not an unstrained isotropic set.",
        "Retro-deformed orientations are not uniform: the initial fabric was not random.",
        "Asymmetric about the mean orientation: an initial fabric is likely."};
    const std::string kept[] = {
        "No strain shown at the 5 % level.",
        "No departure from uniform retro-deformed orientations shown at the 5 % level.",
        "No asymmetry about the mean orientation shown at the 5 % level."};
    for (const Case& c : cases) {
        methods::MethodsResult r = Example().result;
        r.noStrain.p = r.symmetryChi2.p = r.symmetryIndex.p = c.p;
        const TextTable table = FabricTestTable(r, '.');
        ASSERT_EQ(table.rows.size(), 3u);
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(table.rows[row][2], c.shown);
            EXPECT_EQ(table.rows[row][3], c.rejected ? rejected[row] : kept[row]) << c.p;
        }
    }
}

TEST(FabricTestTable, SaysASymmetryTestWithoutPWasNotTested) {
    methods::MethodsResult r = Example().result;
    r.symmetryChi2.p = r.symmetryIndex.p = std::numeric_limits<double>::quiet_NaN();
    const TextTable table = FabricTestTable(r, '.');
    for (int row : {1, 2}) {
        EXPECT_EQ(table.rows[std::size_t(row)][3],
                  "Not tested: too many simulated sets had no estimate.");
    }
}

TEST(FabricTestTable, NamesEachStatistic) {
    const TextTable table = FabricTestTable(Example().result, '.');
    EXPECT_EQ(table.header,
              (std::vector<std::string>{"Test", "Statistic", "p", "Verdict (5 % level)"}));
    EXPECT_EQ(table.rows[0][1], "F = 25.500");
    EXPECT_EQ(table.rows[1][1], "χ² = 4.750 (8 classes)");
    EXPECT_EQ(table.rows[2][1], "Isym = 0.850");
}

TEST(MethodsCsv, WritesBothTablesInFullPrecisionQuotingTextWithCommas) {
    MethodsSummary s = Example();
    s.bootstrap = methods::BootstrapResult{500, 1, 95, Estimator({{{1.7, 1.95}, {33.0, 37.25}}}, 0),
                                           Estimator({{{1.8, 2.0}, {-15.0, -9.5}}}, 0)};
    const std::string expected =
        "estimator,R,phi_deg,R_min,R_max,phi_min_deg,phi_max_deg,level_percent,bootstrap_R_lo,"
        "bootstrap_R_hi,bootstrap_phi_lo_deg,bootstrap_phi_hi_deg,bootstrap_R_range_lo,"
        "bootstrap_R_range_hi,bootstrap_phi_range_lo_deg,bootstrap_phi_range_hi_deg,notes\r\n"
        "T²,1.8441,35.1034,1.656,2.052,30.5,39.75,95,1.7,1.95,33,37.25,1.6,2.1,31,39.5,bootstrap "
        "of 500 resamples\r\n"
        "Hyperbolic mean,1.9,-12.25,,,,,95,1.8,2,-15,-9.5,1.6,2.1,31,39.5,κ = 4.500\r\n"
        "Harmonic mean,1.75,33.3,,,,,95,,,,,,,,,\r\n"
        "Rf/φ bounds,1.99,,,,,,95,,,,,,,,,\"Ri<Rs, Ri = 1.658, Rf 1.200 – 3.300, fluctuation "
        "62.000°\"\r\n"
        "\r\n"
        "test,statistic,value,classes,p,verdict\r\n"
        "No strain,F,25.5,,2e-05,Strained: the ellipses are not an unstrained isotropic set.\r\n"
        "Symmetry χ²,χ²,4.75,8,0.69,No departure from uniform retro-deformed orientations shown "
        "at the 5 % level.\r\n"
        "Symmetry index,Isym,0.85,,0.0431,Asymmetric about the mean orientation: an initial "
        "fabric is likely.\r\n";
    EXPECT_EQ(MethodsCsv(s, '.'), expected);
}

TEST(MethodsCsv, TakesSemicolonsAndDecimalCommasWithACommaSeparatorWhateverTheCLibrarysLocale) {
    const std::string plain = MethodsCsv(Example(), '.');
    const testing_support::ScopedCommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma";
    EXPECT_EQ(MethodsCsv(Example(), '.'), plain);
    EXPECT_EQ(EstimatorTable(Example(), '.').rows[0][1], "1.844");
    const std::string german = MethodsCsv(Example(), ',');
    for (const char* line : {"T²;1,8441;35,1034;1,656;2,052;30,5;39,75;95;;;;;;;;;\r\n",
                             "Rf/φ bounds;1,99;;;;;;95;;;;;;;;;Ri<Rs, Ri = 1,658, Rf 1,200 – "
                             "3,300, fluctuation 62,000°\r\n",
                             "No strain;F;25,5;;2e-05;Strained"}) {
        EXPECT_NE(german.find(line), std::string::npos) << line << " in\n" << german;
    }
}

}  // namespace
}  // namespace varnel::app
