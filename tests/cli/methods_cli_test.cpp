// varnel-cli --methods, --bootstrap and --seed, run as a user's script would.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/cli/cli_process.h"
#include "tests/support/pdf_text.h"
#include "tests/support/test_folder.h"

namespace varnel::cli {
namespace {

using testing_support::CliRun;
using testing_support::LinesOf;

class MethodsCliTest : public ::testing::Test {
protected:
    CliRun Cli(const std::string& arguments) {
        return testing_support::RunCli({arguments, folder.Path()});
    }

    testing_support::TestFolder folder;
    const std::string example = std::string(VARNEL_EXAMPLES_DIR) + "/three_ellipses.csv";
    const std::string quartzite = std::string(VARNEL_EXAMPLES_DIR) + "/quartzite_tab.txt";
};

// T² ≈ 1.722751 at zero strain for the three-ellipse example: F = H / 4 with
// H = T² / (1 − T² / 2), and the upper tail of F(2, 1) is (1 + 2F)^(−1/2) ≈ 0.3723.
const double kExampleF = 1.722751 / (1.0 - 1.722751 / 2.0) / 4.0;

TEST_F(MethodsCliTest, PrintsTheMethodsAfterAnUnchangedReport) {
    const CliRun plain = Cli(example);
    const CliRun run = Cli("--methods --bootstrap 400 " + example);
    // Most resamples of three data have no T² estimate: its intervals are left out.
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.rfind(example + ": bootstrap, t2: not estimated: ", 0), 0u) << run.err;
    const std::vector<std::string> lines = LinesOf(run.out), report = LinesOf(plain.out);
    ASSERT_EQ(report.size(), 27u);
    ASSERT_GT(lines.size(), 27u);
    EXPECT_TRUE(std::equal(report.begin(), report.end(), lines.begin()));
    const std::vector<std::string> block(lines.begin() + 27, lines.end());
    const std::vector<std::string> expected{
        "",
        "Other estimators",
        "t2: R = 1.624, phi = 22.356 (deg)",
        "Rf max/min: Rf_max = 3.000, Rf_min = 1.500, fluctuation = 60.000 (deg), Ri<Rs: Rs = "
        "2.121, "
        "Ri = 1.414",
        "Fabric tests",
        "no strain: F = 3.107, p = 0.3723",
        "no significant strain, p = 0.3723",
        "Bootstrap: 400 resamples, seed 1, 95 % level, ",
        "t2: not estimated: ",
        "hyperbolic mean: not estimated: ",
    };
    for (const std::string& line : expected) {
        const bool found = std::any_of(block.begin(), block.end(),
                                       [&](const std::string& l) { return l.rfind(line, 0) == 0; });
        EXPECT_TRUE(found) << line << "\n" << run.out;
    }
}

// The document holds the methods even when standard output was not asked for them, and the
// bootstrap that ran.
TEST_F(MethodsCliTest, WritesTheReportDocumentWithTheMethodsAndTheBootstrap) {
    const std::string pdf = folder.PathOf("report.pdf");
    const CliRun run = Cli("--bootstrap 400 --seed 7 --report-pdf " + pdf + " " + quartzite);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("Other estimators"), std::string::npos) << "not asked for";
    const std::string text = testing_support::PdfText(pdf);
    for (const char* expected :
         {"quartzite_tab.txt N = 40 Confidence level: 95 %",
          "no strain: F = ", "Bootstrap: 400 resamples, seed 7, 95 % level"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}

// The verdict line follows the F test's p at 5 %, as the Methods window's does, whether or not
// the confidence region holds zero strain.
TEST_F(MethodsCliTest, SaysNoSignificantStrainExactlyWhenTheFTestDoesNotReject) {
    struct Case {
        std::string arguments;
        bool said;
    };
    // Five ellipses whose 95 % region holds zero strain, though F = 40.26 on (2, 3) degrees of
    // freedom has the upper tail (1 + 2F / 3)^(−3/2) = 0.0068.
    const std::string rejected =
        folder.Write("five.txt", "1.424 25.9\n1.098 46.6\n1.285 30.6\n1.213 37.9\n1.809 25.6\n");
    // Three ellipses whose 39 % region does not hold zero strain, though p = 0.3723.
    const Case cases[] = {{rejected, false}, {"--level 39 " + example, true}};
    for (const Case& c : cases) {
        const CliRun run = Cli("--methods " + c.arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.find("no significant strain") != std::string::npos, c.said)
            << c.arguments;
    }
}

TEST_F(MethodsCliTest, WritesTheMethodsAndTheBootstrapIntoEachFilesJson) {
    const CliRun run =
        Cli("--json --methods --bootstrap 300 --seed 7 --level 50 " + example + " " + quartzite);
    // The intervals of the three ellipses are left out: a resample of fewer than three distinct
    // data has neither a T² estimate nor a scale for its hyperbolic mean.
    EXPECT_EQ(run.status, 1) << run.err;
    const std::vector<std::string> lines = LinesOf(run.out);
    ASSERT_EQ(lines.size(), 2u);
    const nlohmann::json first = nlohmann::json::parse(lines[0]);
    const nlohmann::json& tests = first["methods"]["tests"];
    EXPECT_NEAR(tests["no_strain"]["F"].get<double>(), kExampleF, 1e-4);
    EXPECT_NEAR(tests["no_strain"]["p"].get<double>(), 1.0 / std::sqrt(1.0 + 2.0 * kExampleF),
                1e-6);
    EXPECT_EQ(tests["symmetry_chi2"]["classes"], 3);
    EXPECT_TRUE(tests["symmetry_index"]["I_sym"].is_number());
    EXPECT_EQ(first["methods"]["t2"]["R"], first["R_s"]);
    EXPECT_EQ(first["methods"]["rf_max_min"]["case"], "Ri<Rs");
    EXPECT_TRUE(first["methods"]["hyperbolic_mean"]["kappa"].is_number());
    EXPECT_TRUE(first["methods"]["harmonic_mean"]["phi"].is_number());
    const nlohmann::json& few = first["bootstrap"];
    EXPECT_TRUE(few["t2"].is_null());
    EXPECT_GT(few["failed"].get<int>(), 3);
    EXPECT_EQ(few["failed_per_estimator"],
              (nlohmann::json{{"t2", few["failed"]}, {"hyperbolic_mean", few["failed"]}}));
    EXPECT_TRUE(few["hyperbolic_mean"].is_null());

    const nlohmann::json bootstrap = nlohmann::json::parse(lines[1])["bootstrap"];
    EXPECT_EQ(bootstrap["B"], 300);
    EXPECT_EQ(bootstrap["seed"], 7);
    EXPECT_EQ(bootstrap["level"], 50);
    EXPECT_EQ(bootstrap["failed"], 0);
    for (const char* estimator : {"t2", "hyperbolic_mean"}) {
        for (const char* value : {"R", "phi"}) {
            const nlohmann::json& interval = bootstrap[estimator][value];
            EXPECT_LT(interval[0].get<double>(), interval[1].get<double>()) << estimator << value;
        }
    }
    const double Rs = nlohmann::json::parse(lines[1])["R_s"];
    EXPECT_LT(bootstrap["t2"]["R"][0].get<double>(), Rs);
    EXPECT_GT(bootstrap["t2"]["R"][1].get<double>(), Rs);
    // The ranges over the 50 % region of both at once are wider than the 50 % interval of each.
    for (const char* estimator : {"t2", "hyperbolic_mean"}) {
        for (const auto& [interval, range] : {std::pair{"R", "R_range"}, {"phi", "phi_range"}}) {
            const nlohmann::json& i = bootstrap[estimator][interval];
            const nlohmann::json& r = bootstrap[estimator][range];
            EXPECT_LT(r[0].get<double>(), i[0].get<double>()) << estimator << range;
            EXPECT_GT(r[1].get<double>(), i[1].get<double>()) << estimator << range;
        }
    }
}

TEST_F(MethodsCliTest, PrintsTheRegionsRangesAndLeavesPhiUndefinedWhereItHoldsZeroStrain) {
    struct Case {
        std::string arguments;
        std::vector<std::string> lines;  // beginnings of lines of the bootstrap block
        bool phiRange;                   // "phi_range" of the T² estimate is a pair
    };
    // Twelve nearly circular ellipses in all directions: no strain to speak of.
    std::string round;
    for (int k = 0; k < 12; ++k)
        round += "1.1" + std::to_string(k % 3) + " " + std::to_string(15 * k - 80) + "\n";
    const std::string unstrained = folder.Write("round.txt", round);
    const Case cases[] = {
        {"--bootstrap 400 " + quartzite,
         {"Bootstrap: 400 resamples, seed 1, 95 % level, 0 failed", "t2: intervals R = ",
          "t2: region R = ", "hyperbolic mean: intervals R = ", "hyperbolic mean: region R = "},
         true},
        {"--bootstrap 400 " + unstrained,
         {"t2: intervals R = 1.000 to ", "t2: region R = 1.000 to "},
         false},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> printed = LinesOf(run.out);
        for (const std::string& line : c.lines) {
            const bool found =
                std::any_of(printed.begin(), printed.end(),
                            [&](const std::string& l) { return l.rfind(line, 0) == 0; });
            EXPECT_TRUE(found) << line << "\n" << run.out;
        }
        if (!c.phiRange) {
            EXPECT_NE(run.out.find("phi = undefined (deg), holds zero strain"), std::string::npos)
                << run.out;
        }
        const CliRun json = Cli("--json " + c.arguments);
        const nlohmann::json object = nlohmann::json::parse(json.out);
        const nlohmann::json& t2 = object["bootstrap"]["t2"];
        EXPECT_EQ(t2["phi_range"].is_array(), c.phiRange) << json.out;
        EXPECT_EQ(t2["phi_range"].is_null(), !c.phiRange) << json.out;
        EXPECT_EQ(t2["R_range"][0].get<double>() == 1.0, !c.phiRange) << json.out;
    }
}

TEST_F(MethodsCliTest, RepeatsABootstrapForItsSeedOnly) {
    const std::string arguments = "--json --bootstrap 400 " + quartzite;
    const CliRun first = Cli(arguments), again = Cli(arguments + " --seed 1");
    const CliRun other = Cli(arguments + " --seed 2");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, again.out);
    EXPECT_NE(first.out, other.out);
    EXPECT_FALSE(nlohmann::json::parse(first.out).contains("methods"));
    // --seed alone changes nothing, and without the options there are no new keys.
    const CliRun plain = Cli("--json " + quartzite), seeded = Cli("--json --seed 5 " + quartzite);
    EXPECT_EQ(plain.out, seeded.out);
    EXPECT_FALSE(nlohmann::json::parse(plain.out).contains("bootstrap"));
}

TEST_F(MethodsCliTest, GivesNullMethodsWithoutAResult) {
    const std::string two = folder.Write("two.txt", "2 10\n3 40\n");
    const CliRun run = Cli("--json --methods --bootstrap 400 " + two);
    EXPECT_EQ(run.status, 1);
    const nlohmann::json object = nlohmann::json::parse(run.out);
    EXPECT_TRUE(object["methods"].is_null());
    EXPECT_TRUE(object["bootstrap"].is_null());
}

TEST_F(MethodsCliTest, RefusesResampleCountsOutsideTheRangeOfTheLevelAndNegativeSeeds) {
    struct Case {
        const char* arguments;
        const char* message;  // the first line of standard error
    };
    const Case cases[] = {
        {"--bootstrap 0 x.txt", "--bootstrap: Value 0 not in range 400 to 1000000 at --level 95"},
        {"--bootstrap 399 x.txt",
         "--bootstrap: Value 399 not in range 400 to 1000000 at --level 95"},
        {"--level 39 --bootstrap 32 x.txt",
         "--bootstrap: Value 32 not in range 33 to 1000000 at --level 39"},
        {"--bootstrap 1000001 --level 50 x.txt",
         "--bootstrap: Value 1000001 not in range 40 to 1000000 at --level 50"},
        {"--seed -1 x.txt", nullptr},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        if (c.message) {
            EXPECT_EQ(LinesOf(run.err).at(0), c.message);
        }
        EXPECT_NE(run.err.find("at least 400 at --level 95, 40 at 50, 33 at 39"),
                  std::string::npos)
            << c.arguments;  // the usage, with the reason of the floor
    }
}

}  // namespace
}  // namespace varnel::cli
