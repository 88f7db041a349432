// Runs the varnel-cli executable as a user's script would and checks what it prints.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/cli/cli_process.h"
#include "tests/support/degenerate_data.h"
#include "tests/support/test_folder.h"

namespace varnel::cli {
namespace {

using testing_support::CliRun;
using testing_support::ReadWholeFile;

class VarnelCliTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        return folder.Write(name, bytes);
    }
    CliRun Cli(const std::string& arguments, const std::string& program = VARNEL_CLI_PATH) {
        return testing_support::RunCli({arguments, folder_, program});
    }

    testing_support::TestFolder folder;
    const std::filesystem::path& folder_ = folder.Path();
};

// The 27 lines of the report, each compared with a golden file reviewed line by line: the
// three-ellipse example at 95 %, whose region holds the origin (R and φ ranges NAN), and the
// quartzite at 39 %, whose ranges are all numbers.
TEST_F(VarnelCliTest, PrintsTheReportOfEachExampleAsItsGoldenFile) {
    struct Case {
        const char* example;
        const char* level;
        const char* golden;
    };
    const Case cases[] = {{"three_ellipses.csv", "95", "three_ellipses_95.txt"},
                          {"quartzite_tab.txt", "39", "quartzite_tab_39.txt"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.example);
        const std::string golden =
            ReadWholeFile(std::string(VARNEL_TEST_DATA_DIR) + "/report/" + c.golden);
        ASSERT_EQ(testing_support::LinesOf(golden).size(), 27u) << c.golden;
        const CliRun run =
            Cli(std::string("--level ") + c.level + " " + VARNEL_EXAMPLES_DIR + "/" + c.example);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, golden);
    }
}

TEST_F(VarnelCliTest, ReportsEachFileAndSkipsTheOnesItCannotAnalyse) {
    const std::string good = Write("good.txt", "2 10\n3 40\n1.5 -20\n1.8 75\n");
    struct Case {
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {Write("bad_line.txt", "2,10\n3;40\n"),
         "bad_line.txt: Invalid data at line #2\nline 2 of bad_line.txt is separated by \";\", "
         "which a data file without a header line does not use (with no comma, tab or blank it "
         "is one field): separate R and φ by a tab, or give the file a header line such as "
         "R;phi\n"},
        {Write("bad_ratio.txt", "2,10\n0.5,40\n1.5,3\n0.9,1\n"),
         "bad_ratio.txt: Invalid R at line #2\nR = 0.5 on line 2 of bad_ratio.txt: R, the long "
         "axis over the short one, lies from 1 to 100\nbad_ratio.txt: Invalid R at line #4\nR = "
         "0.9 on line 4 of bad_ratio.txt: R, the long axis over the short one, lies from 1 to "
         "100\n"},
        {Write("two.txt", "2,10\n3,40\n"), "two.txt: Number of data < 3.\nError not estimated.\n"},
        // An error, and a message of the program, with the English line below.
        {Write("word.txt", "2,ten\n3,40\n1,1\n"),
         "word.txt: 'ten' は浮動小数点数ではありません\n'ten', φ on line 1 of word.txt, is not a "
         "number\n"},
        {(folder_ / "missing.txt").string(),
         "missing.txt: Invalid data file\nExecution terminated\nfile not found: missing.txt (No "
         "such file or directory)\n"},
        {Write("one.txt", "2,10\n"),
         "one.txt: 0 による浮動小数点数除算\none.txt holds 1 ellipse: 3 or more ellipses are "
         "needed\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(good + " " + c.file + " " + good);
        EXPECT_EQ(run.status, 1) << c.file;
        std::string err = run.err;
        const std::string folder = folder_.string() + "/";
        for (std::size_t at; (at = err.find(folder)) != std::string::npos;)
            err.erase(at, folder.size());
        EXPECT_EQ(err, c.message);
        // Both reports of the good file, one empty line between them.
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 27 * 2 + 1) << c.file;
        EXPECT_NE(run.out.find("N = 4\n"), std::string::npos);
    }
}

TEST_F(VarnelCliTest, WritesOneJsonObjectPerFileIdenticallyEachRun) {
    const std::string data = Write("data.txt", "2 10\n3 40\n1.5 -20\n1.8 75\n");
    const std::string two = Write("two.txt", "2 10\n3 40\n");
    const CliRun first = Cli("--json --level 39 " + data + " " + two);
    const CliRun second = Cli("--json --level 39 " + data + " " + two);
    EXPECT_EQ(first.status, 1);
    EXPECT_EQ(first.out, second.out);
    std::istringstream lines(first.out);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    const nlohmann::json reported = nlohmann::json::parse(line);
    EXPECT_EQ(reported["N"], 4);
    EXPECT_EQ(reported["level"], 39);
    EXPECT_EQ(reported["post_region"].size(), 72u);
    EXPECT_EQ(reported["pre_region"][71].size(), 2u);
    EXPECT_LT(reported["x1_range"][0].get<double>(), reported["x_s"][0].get<double>());
    EXPECT_GT(reported["x1_range"][1].get<double>(), reported["x_s"][0].get<double>());
    ASSERT_TRUE(std::getline(lines, line));
    const nlohmann::json estimatedOnly = nlohmann::json::parse(line);
    EXPECT_EQ(estimatedOnly["N"], 2);
    EXPECT_TRUE(estimatedOnly["x_s"][0].is_number());
    EXPECT_TRUE(estimatedOnly["R_range"][0].is_null());
    EXPECT_TRUE(estimatedOnly["post_region"].is_null());
}

TEST_F(VarnelCliTest, CollinearDataEndInADivisionByZeroAndNearlyRoundOnesInAnEstimate) {
    using testing_support::DataFileText;
    std::string files, expectedErrors;
    for (const double axis : {0.0, 10.0, 45.0, -45.0, 90.0}) {
        for (const int count : {3, 4, 100, 10000}) {
            const std::string name =
                "collinear_" + std::to_string(int(axis)) + "_" + std::to_string(count) + ".txt";
            files += " " + Write(name, DataFileText(testing_support::CollinearData(axis, count)));
            expectedErrors += name + ": 0 による浮動小数点数除算\nthe " + std::to_string(count) +
                              " ellipses of " + name +
                              " determine no strain: their log-strain vectors lie on one line\n";
        }
    }
    const std::string round =
        Write("round.txt", DataFileText(testing_support::StrainedNearCircles(1e-6, -70)));
    const CliRun run = Cli("--json" + files + " " + round);
    EXPECT_EQ(run.status, 1);
    std::string err = run.err;
    const std::string folder = folder_.string() + "/";
    for (std::size_t at; (at = err.find(folder)) != std::string::npos;)
        err.erase(at, folder.size());
    EXPECT_EQ(err, expectedErrors);
    const nlohmann::json estimate = nlohmann::json::parse(run.out);
    EXPECT_NEAR(estimate["R_s"].get<double>(), 1 + 1e-6, 1e-12);
    EXPECT_NEAR(estimate["phi_s"].get<double>(), -70, 1e-6);
}

TEST_F(VarnelCliTest, AnswersUsageErrorsWithTheUsage) {
    struct Case {
        const char* arguments;
        const char* message;  // the first line; the usage follows
    };
    const Case cases[] = {{"", "FILE is required"},
                          {"--level 40 x.txt", "--level: 40 not in {39,50,95}"},
                          {"--colour x.txt", "The following argument was not expected: --colour"}};
    for (const Case& c : cases) {
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.message);
        EXPECT_NE(run.err.find("--level"), std::string::npos) << c.arguments;
    }
    const CliRun help = Cli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--json"), std::string::npos);
}

// The desktop program's help page on the command line names every option --help lists.
TEST_F(VarnelCliTest, EveryOptionIsInTheHelpPage) {
    const std::string page =
        ReadWholeFile(std::string(VARNEL_HELP_PAGES_DIR) + "/command_line.html");
    const std::string help = Cli("--help").out;
    int options = 0;
    for (std::size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at + 2)) {
        const std::size_t end = help.find_first_of(" ,=).:\n", at);
        const std::string option = help.substr(at, end - at);
        if (option.size() < 3 || (help[at - 1] != ' ' && help[at - 1] != ',')) continue;
        ++options;
        EXPECT_NE(page.find(option), std::string::npos) << option;
    }
    EXPECT_GE(options, 20);
}

TEST_F(VarnelCliTest, ExportsPicturesAndTheGridOfOneFile) {
    const std::string data = Write("data.txt", "2 10\n3 40\n1.5 -20\n1.8 75\n");
    const std::string grid = (folder_ / "grid.txt").string(), png = (folder_ / "post.png").string();
    const std::string emf = (folder_ / "pre.emf").string(), svg = (folder_ / "pre.svg").string();
    const CliRun run = Cli(data + " --size 300 --t2-grid " + grid + " --post-png " + png +
                           " --pre-emf " + emf + " --pre-svg " + svg);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string gridText = ReadWholeFile(grid);
    EXPECT_EQ(std::count(gridText.begin(), gridText.end(), '\n'), 103);
    EXPECT_EQ(ReadWholeFile(png).substr(1, 3), "PNG");
    EXPECT_EQ(ReadWholeFile(png).substr(16, 8),
              std::string("\0\0\x01\x2C\0\0\x01\x2C", 8));  // 300 × 300
    EXPECT_EQ(ReadWholeFile(emf).substr(40, 4), " EMF");
    EXPECT_NE(ReadWholeFile(svg).find("<svg"), std::string::npos);
}

TEST_F(VarnelCliTest, RefusesExportsOfSeveralFilesAndReportsAFailedSave) {
    const std::string data = Write("data.txt", "2 10\n3 40\n1.5 -20\n1.8 75\n");
    const CliRun several = Cli(data + " " + data + " --post-png x.png");
    EXPECT_EQ(several.status, 2);
    EXPECT_EQ(several.err.substr(0, several.err.find('\n')), "Exports need exactly one data file.");
    const CliRun full = Cli(data + " --t2-grid /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, data +
                            ": ディスクがいっぱいです\nno room left on the disk for: /dev/full (No "
                            "space left on device)\n");
    const std::string picture = (folder_ / "none" / "p.svg").string();
    const CliRun noFolder = Cli(data + " --post-svg " + picture);
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.err, data + ": ファイル \"" + picture +
                                "\". No such file or directory を作成できません\ncannot create "
                                "p.svg in " +
                                (folder_ / "none").string() +
                                ": the folder does not exist (No such file or directory)\n");
    const std::string two = Write("two.txt", "2 10\n3 40\n");
    const CliRun skipped = Cli(two + " --post-png p.png --t2-grid g.txt");
    EXPECT_EQ(skipped.status, 1);
    EXPECT_EQ(skipped.err, two + ": Number of data < 3.\nError not estimated.\n" + two +
                               ": not written, as the file gave no report: --t2-grid g.txt, "
                               "--post-png p.png\n");
}

// The program copied into a folder of its own, beside a finv.dat of the test's making.
TEST_F(VarnelCliTest, WithoutAQuantileForNTheRangesAreUnavailableAndTheRunFails) {
    struct Case {
        const char* name;
        const char* finv;  // null: no finv.dat
        std::string startMessage;
        bool ranged;
    };
    const std::string finv = (folder_ / "bin" / "finv.dat").string();
    const std::string damaged =
        "File \"finv.dat\" is damaged.\nError not estimated for some numbers of data.\n";
    const std::string from3 = finv + ": no usable quantile for N = 3, the first such row\n";
    const Case cases[] = {
        {"missing", nullptr,
         "File \"finv.dat\" does not exist.\nError not estimated.\nfinv.dat not found: looked "
         "for " +
             finv + "\n",
         false},
        {"empty", "", damaged + finv + " is empty\n", false},
        {"negative", "3 -1 -2 -3\n", damaged + from3, false},
        {"malformed", "3 1 2 x\n",
         "finv.dat: 入力値が数値ではありません\na number of the row for N = 3 of " +
             (folder_ / "bin" / "finv.dat").string() +
             " is malformed: the table holds plain numbers with \".\" decimals\n",
         false},
        {"only the row for N = 3", "3 0.859 1.5 199.5\n",
         damaged + finv + ": no usable quantile for N = 4, the first such row\n", true},
    };
    const std::string data = Write("three.txt", "2,10\n3,40\n1.5,-20\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path bin = folder_ / "bin";
        std::filesystem::remove_all(bin);
        std::filesystem::create_directory(bin);
        std::filesystem::copy_file(VARNEL_CLI_PATH, bin / "varnel-cli");
        if (c.finv) Write("bin/finv.dat", c.finv);
        const CliRun run = Cli(data, (bin / "varnel-cli").string());
        const std::string noQuantile =
            data + ": Error not estimated: \"finv.dat\" holds no quantile for N = 3\n";
        EXPECT_EQ(run.err, c.startMessage + (c.ranged ? "" : noQuantile));
        EXPECT_EQ(run.status, c.ranged ? 0 : 1);
        EXPECT_NE(run.out.find("R_s    = 1.624\n"), std::string::npos) << run.out;
        const bool rangesUnavailable =
            run.out.find(
                "           + NAN\n           - NAN\n   min = NAN\n   max = NAN\n\nphi_s") !=
                std::string::npos &&
            run.out.find("   max = NAN\n\nx_s[2] = 0.341\n           + NAN") != std::string::npos;
        EXPECT_EQ(rangesUnavailable, !c.ranged) << run.out;
        EXPECT_EQ(run.out.find("0.000\n"), std::string::npos) << run.out;  // no zero-width range
    }
}

TEST_F(VarnelCliTest, AnErrorWithoutARuntimeNumberIsNumberedApart) {
    const std::string data = Write("data.txt", "2 10\n3 40\n1.5 -20\n1.8 75\n");
    const std::string fifo = (folder_ / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const CliRun run = Cli(data + " --t2-grid " + fifo);  // no process reads it: ENXIO
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, data + ": I/O エラー (1006)\ncannot create pipe in " + folder_.string() +
                           ": no program reads from it (No such device or address)\n");
}

TEST_F(VarnelCliTest, ExportsTheRfPhiPlotInEachFormatAtTheAskedSize) {
    const std::string data = std::string(VARNEL_EXAMPLES_DIR) + "/quartzite_tab.txt";
    const std::string png = (folder_ / "rfphi.png").string(),
                      svg = (folder_ / "rfphi.svg").string();
    const std::string emf = (folder_ / "rfphi.emf").string();
    const CliRun run = Cli(data + " --size 400 --rfphi-svg " + svg + " --rfphi-png " + png +
                           " --rfphi-emf " + emf);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 27);
    EXPECT_EQ(ReadWholeFile(png).substr(16, 8),
              std::string("\0\0\x01\x90\0\0\x01\x90", 8));  // 400 × 400
    EXPECT_NE(ReadWholeFile(svg).find("viewBox=\"0 0 400 400\""), std::string::npos);
    const std::string metafile = ReadWholeFile(emf);
    EXPECT_EQ(metafile.substr(40, 4), " EMF");
    EXPECT_NE(metafile.find(std::string("R\0f\0", 4)), std::string::npos);  // the axis label
}

TEST_F(VarnelCliTest, RfPhiExportsFollowTheRulesOfTheOtherPictures) {
    const std::string data = Write("data.txt", "2 10\n3 40\n1.5 -20\n1.8 75\n");
    const CliRun several = Cli(data + " " + data + " --rfphi-svg x.svg");
    EXPECT_EQ(several.status, 2);
    EXPECT_EQ(several.err.substr(0, several.err.find('\n')), "Exports need exactly one data file.");
    const std::string picture = (folder_ / "none" / "p.emf").string();
    const CliRun noFolder = Cli(data + " --rfphi-emf " + picture);
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(
        noFolder.err.substr(0, noFolder.err.find('\n') + 1),
        data + ": ファイル \"" + picture + "\". No such file or directory を作成できません\n");
    const std::string twoData = Write("two.txt", "2 10\n3 40\n");
    const CliRun two = Cli(twoData + " --rfphi-png " + (folder_ / "two.png").string());
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(two.err.substr(0, two.err.find('\n') + 1), twoData + ": Number of data < 3.\n");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "two.png"));
}

TEST_F(VarnelCliTest, PictureOptionsFollowTheNamesExtensionOrRefuseIt) {
    const std::string data = std::string(VARNEL_EXAMPLES_DIR) + "/quartzite_tab.txt";
    const std::string pdf = (folder_ / "post.pdf").string(), tif = (folder_ / "pre.tif").string();
    const std::string jpg = (folder_ / "rfphi.jpg").string();
    const CliRun run = Cli(data + " --size 300 --post-picture " + pdf + " --pre-picture " + tif +
                           " --rfphi-picture " + jpg);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadWholeFile(pdf).substr(0, 5), "%PDF-");
    EXPECT_EQ(ReadWholeFile(tif).substr(0, 4), std::string("II*\0", 4));
    EXPECT_EQ(ReadWholeFile(jpg).substr(0, 3), "\xff\xd8\xff");
    const struct {
        const char* options;
        const char* error;
    } refused[] = {
        {" --post-picture post.jpx",
         "--post-picture: Cannot save a picture as \"post.jpx\": its name must end in .emf, "
         ".svg, .png, .pdf, .jpg, .jpeg, .tif or .tiff."},
        {" --post-picture ''", "--post-picture: the value is empty"},
        {" --rfphi-emf rfphi.svg",
         "--rfphi-emf does not write the format of \"rfphi.svg\"; --post-picture, "
         "--pre-picture and --rfphi-picture follow the name's extension."},
    };
    for (const auto& r : refused) {
        const CliRun usage = Cli(data + r.options);
        EXPECT_EQ(usage.status, 2);
        EXPECT_EQ(usage.err.substr(0, usage.err.find('\n')), r.error);
    }
}

TEST_F(VarnelCliTest, SectionsGiveOneEllipsoidASampleOrSayWhyNot) {
    const std::string table = std::string(VARNEL_EXAMPLES_DIR) + "/sections/gneiss_sections.csv";
    const CliRun json = Cli("--sections " + table + " --json --bootstrap 400");
    ASSERT_EQ(json.status, 0) << json.err;
    const auto object = nlohmann::json::parse(json.out);
    for (const char* key : {"sample", "X", "Y", "Z", "k", "nu", "eps_s", "incompatibility", "axes",
                            "sections", "bootstrap"}) {
        EXPECT_TRUE(object.contains(key)) << key;
    }
    EXPECT_EQ(object["axes"].size(), 3u);
    // A sample whose sections are given as R and φ has nothing to resample.
    const CliRun study = Cli("--sections " + std::string(VARNEL_EXAMPLES_DIR) +
                             "/sections/study.csv --json --bootstrap 400");
    ASSERT_EQ(study.status, 0) << study.err;
    int bootstraps = 0;
    for (const std::string& line : testing_support::LinesOf(study.out)) {
        bootstraps += nlohmann::json::parse(line).contains("bootstrap");
    }
    EXPECT_EQ(bootstraps, 1);
    // A sphere has no k, ν or directions of its axes.
    const auto sphere = nlohmann::json::parse(
        Cli("--json --sections " +
            Write("sphere.csv", "name,strike,dip,R,phi\na,0,0,1,0\nb,0,90,1,0\nc,90,90,1,0\n"))
            .out);
    EXPECT_TRUE(sphere["k"].is_null() && sphere["nu"].is_null() &&
                sphere["axes"][1]["trend"].is_null());
    const struct {
        std::string arguments;
        int status;
        const char* error;
    } cases[] = {
        {"--sections " + table, 0, ""},
        {"--sections " + Write("two.csv", "name,strike,dip,R,phi\na,0,0,2,10\nb,0,90,2,5\n"), 1,
         "two.csv: 3 or more sections are needed; the table holds 2\n"},
        {"--sections " + table + " " + table, 2, "--sections takes no data files"},
        {"--sections " + table + " --hsu-png h.svg", 2, "--hsu-png does not write the format"},
        {"--flinn-svg f.svg " + table, 2, "The Flinn and Hsu plots need --sections."},
        {"--sections " + table + " --size 16 --flinn-png f.png", 2, "--size is at least 200"},
        {"--sections " + table + " --flinn-png " + table, 1,
         "Cannot save over the sections table \"gneiss_sections.csv\"."},
        {"--sections " + table + " --hsu-svg " + std::string(VARNEL_EXAMPLES_DIR) +
             "/sections/horizontal.txt",
         1, "Cannot save over the data file \"horizontal.txt\"."},
        {"--sections " + Write("empty.csv", ""), 1, "/empty.csv: the table is empty\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    }
}

TEST_F(VarnelCliTest, SavesTheFlinnAndHsuPlotsOfASectionsTable) {
    const std::string table = std::string(VARNEL_EXAMPLES_DIR) + "/sections/study.csv";
    const std::string svg = (folder_ / "flinn.svg").string(), png = (folder_ / "hsu.png").string();
    const CliRun run =
        Cli("--sections " + table + " --size 400 --flinn-svg " + svg + " --hsu-png " + png);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string flinn = ReadWholeFile(svg);
    EXPECT_NE(flinn.find("viewBox=\"0 0 400 400\""), std::string::npos);
    for (const char* sample : {"GN-7", "QZ-2", "SC-11"}) {
        EXPECT_NE(flinn.find(sample), std::string::npos) << sample;
    }
    EXPECT_EQ(ReadWholeFile(png).substr(16, 8),
              std::string("\0\0\x01\x90\0\0\x01\x90", 8));  // 400 × 400
}

}  // namespace
}  // namespace varnel::cli
