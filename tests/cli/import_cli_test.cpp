// varnel-cli on the tables and outlines other programs write, run as a user's script would.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/analysis_state.h"
#include "core/messages.h"
#include "tests/cli/cli_process.h"
#include "tests/support/test_folder.h"

namespace varnel::cli {
namespace {

using testing_support::CliRun;
using testing_support::LinesOf;
using testing_support::ReadWholeFile;

const std::string kExamples = VARNEL_EXAMPLES_DIR;

// The report without its first line, the file's name.
std::vector<std::string> ReportBody(const std::string& out) {
    std::vector<std::string> lines = LinesOf(out);
    if (!lines.empty()) lines.erase(lines.begin());
    return lines;
}

class ImportCliTest : public ::testing::Test {
protected:
    CliRun Cli(const std::string& arguments) {
        return testing_support::RunCli({arguments, folder.Path()});
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        return folder.Write(name, bytes);
    }
    std::string PlainReport(const std::string& level = "95") {
        const CliRun plain = Cli("--level " + level + " " + kExamples + "/calcite_grains.csv");
        EXPECT_EQ(plain.status, 0) << plain.err;
        return plain.out;
    }
    testing_support::TestFolder folder;
};

TEST_F(ImportCliTest, EveryExampleGivesTheEstimateOfThePlainFile) {
    for (const std::string level : {"95", "39"}) {
        const std::vector<std::string> plain = ReportBody(PlainReport(level));
        ASSERT_EQ(plain.size(), 26u);
        for (const char* name : {"calcite_grains_imagej.csv", "calcite_grains_ellipses.csv",
                                 "calcite_grains_spreadsheet.csv", "calcite_grains.geojson"}) {
            const CliRun run = Cli("--level " + level + " " + kExamples + "/" + name);
            EXPECT_EQ(run.status, 0) << name << run.err;
            EXPECT_EQ(run.err, "") << name;
            EXPECT_EQ(LinesOf(run.out).at(0), name);
            EXPECT_EQ(ReportBody(run.out), plain) << name;
        }
    }
}

TEST_F(ImportCliTest, ColumnsChosenByNameOrNumberOverrideTheHeader) {
    std::string table = "Grain,Ratio,Orientation\n";
    for (const std::string& line : LinesOf(ReadWholeFile(kExamples + "/calcite_grains.csv"))) {
        table += "g," + line + "\n";
    }
    const std::string path = Write("odd.csv", table);
    const std::string plainRatio = ReportBody(PlainReport()).at(3);
    for (const char* columns : {"R=Ratio,phi=Orientation", "phi=3,R=2", "r=\"ratio\",PHI=3"}) {
        const CliRun run = Cli(std::string("--columns '") + columns + "' " + path);
        EXPECT_EQ(run.status, 0) << columns << run.err;
        EXPECT_EQ(ReportBody(run.out).at(3), plainRatio) << columns;
    }
    const CliRun detected = Cli(path);
    EXPECT_EQ(detected.status, 1);
    EXPECT_NE(detected.err.find("odd.csv: The table's header names none of the accepted"),
              std::string::npos)
        << detected.err;
    // A file without a header is read as it is, and the user is told the columns went unused.
    const CliRun plain = Cli("--columns R=2,phi=3 " + kExamples + "/calcite_grains.csv");
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.err, kExamples +
                             "/calcite_grains.csv: The chosen columns are not used: the file is "
                             "not a table with a header line.\n");
    EXPECT_EQ(ReportBody(plain.out).at(3), plainRatio);
    const CliRun missing = Cli("--columns R=Rf,phi=3 " + path);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("odd.csv: The table's header has no column \"Rf\"."),
              std::string::npos);
}

TEST_F(ImportCliTest, AnswersAMalformedColumnChoiceWithTheUsage) {
    for (const char* columns : {"R=2", "R=2,phi=", "R=2,theta=3", "R=2,R=3", "R=1,phi=2,x=3"}) {
        const CliRun run = Cli(std::string("--columns ") + columns + " x.csv");
        EXPECT_EQ(run.status, 2) << columns;
        EXPECT_NE(run.err.find("--columns takes R=COLUMN,phi=COLUMN"), std::string::npos)
            << run.err;
    }
    for (const char* columns : {"R=1,phi=1", "R=Ratio,phi=\"ratio\"", "phi=02,R=2"}) {
        const CliRun run = Cli(std::string("--columns '") + columns + "' x.csv");
        EXPECT_EQ(run.status, 2) << columns;
        EXPECT_NE(run.err.find("--columns names one column for both R and phi"), std::string::npos)
            << run.err;
    }
}

TEST_F(ImportCliTest, ExportsTheEllipsesReadAsADataFileThatGivesTheSameReport) {
    for (const char* name : {"calcite_grains_imagej.csv", "calcite_grains.geojson"}) {
        const std::string exported = (folder.Path() / "exported.txt").string();
        const CliRun run = Cli(kExamples + "/" + name + " --export-data " + exported);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(LinesOf(ReadWholeFile(exported)).size(), 15u);
        EXPECT_EQ(ReportBody(Cli(exported).out), ReportBody(run.out)) << name;
    }
    // The spreadsheet holds the plain file's numbers: its export is the plain file in the
    // shortest form.
    const std::string exported = (folder.Path() / "table.txt").string();
    ASSERT_EQ(Cli(kExamples + "/calcite_grains_spreadsheet.csv --export-data " + exported).status,
              0);
    std::string shortest;
    for (const std::string& line : LinesOf(ReadWholeFile(kExamples + "/calcite_grains.csv"))) {
        const std::size_t comma = line.find(',');
        const auto trim = [](std::string number) {
            while (number.find('.') != std::string::npos && number.back() == '0') number.pop_back();
            if (number.back() == '.') number.pop_back();
            return number;
        };
        shortest += trim(line.substr(0, comma)) + "," + trim(line.substr(comma + 1)) + "\n";
    }
    EXPECT_EQ(ReadWholeFile(exported), shortest);
}

TEST_F(ImportCliTest, ExportsDataOfOneFileOnlyAndReportsAFailedSave) {
    const std::string data = kExamples + "/calcite_grains.csv";
    const CliRun two = Cli(data + " " + data + " --export-data x.txt");
    EXPECT_EQ(two.status, 2);
    EXPECT_EQ(two.err.substr(0, two.err.find('\n')), "Exports need exactly one data file.");
    const CliRun full = Cli(data + " --export-data /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, data +
                            ": ディスクがいっぱいです\nno room left on the disk for: /dev/full (No "
                            "space left on device)\n");
    const std::string copy = Write("copy.csv", ReadWholeFile(data));
    const CliRun over = Cli(copy + " --export-data " + copy);
    EXPECT_EQ(over.status, 1);
    EXPECT_EQ(over.err, copy + ": Cannot save over the data file \"copy.csv\".\n");
    EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(data));
    const CliRun same = Cli(data + " --export-data x.txt --t2-grid ./x.txt");
    EXPECT_EQ(same.status, 2);
    EXPECT_NE(same.err.find("--export-data and --t2-grid name the same file \"x.txt\"."),
              std::string::npos)
        << same.err;
    const std::string refused = (folder.Path() / "refused.txt").string();
    EXPECT_EQ(Cli(Write("bad.csv", "R,phi\n2,30\n,1\n") + " --export-data " + refused).status, 1);
    EXPECT_FALSE(std::filesystem::exists(refused));
    // Read but not estimated (identical ellipses): the data are written as read.
    EXPECT_EQ(Cli(Write("same.txt", "2,30\n2,30\n2,30\n") + " --export-data " + refused).status, 1);
    EXPECT_EQ(ReadWholeFile(refused), "2,30\n2,30\n2,30\n");
}

// Each output of an image written with its header, whatever the analysis gives; none over the
// image itself, none of a data file that is no image.
TEST_F(ImportCliTest, WritesTheOverlaysAndObjectsOfAnImage) {
    const std::string grains = kExamples + "/strained_grains.png";
    const struct {
        std::string option, name, header;
    } cases[] = {
        {"--overlay-png", "o.png", "\x89PNG\r\n"},
        {"--overlay-svg", "o.svg", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "},
        {"--export-objects", "o.csv", "number,x,y,area,R,phi,excluded\n1,"},
        {"--export-objects", "o.GeoJSON", "{\"type\":\"FeatureCollection\",\"features\":[\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(grains + " " + c.option + " " + folder.PathOf(c.name));
        EXPECT_EQ(run.status, 0) << c.option << run.err;
        EXPECT_EQ(folder.Read(c.name).substr(0, c.header.size()), c.header) << c.option;
    }
    const std::string copy = Write("copy.png", ReadWholeFile(grains));
    const CliRun over = Cli(copy + " --overlay-png " + copy);
    EXPECT_EQ(over.status, 1);
    EXPECT_EQ(over.err, copy + ": Cannot save over the data file \"copy.png\".\n");
    const CliRun text = Cli(kExamples + "/calcite_grains.csv --export-objects o.csv");
    EXPECT_EQ(text.status, 2);
    EXPECT_EQ(text.err.substr(0, text.err.find('\n')),
              "--overlay-png, --overlay-svg and --export-objects need an image.");
    for (const auto& [option, refusal] :
         {std::pair{" --export-objects o.txt",
                    "--export-objects takes a name ending in .csv or .geojson"},
          std::pair{" --overlay-png o.svg", "--overlay-png takes a name ending in .png"},
          std::pair{" --overlay-svg o.png", "--overlay-svg takes a name ending in .svg"},
          std::pair{" --min-area 5.5",
                    "--min-area takes a whole number of pixels from 1 to 1073741824"},
          std::pair{" --labels --invert",
                    "--labels takes no --threshold or --invert: a label "
                    "image's values are its objects."}}) {
        const CliRun kind = Cli(grains + option);
        EXPECT_EQ(kind.status, 2) << option;
        EXPECT_EQ(kind.err.substr(0, kind.err.find('\n')), refusal);
    }
}

TEST_F(ImportCliTest, HostileImportsEndInTheirMessage) {
    std::string tooMany = "R,phi\n", tenThousand = "R,phi\n";
    for (int k = 1; k <= kMaxData; ++k) tenThousand += "2," + std::to_string(k % 170 - 80) + "\n";
    tooMany = tenThousand + "2,0\n";
    const std::string gigabyte = Write("huge.geojson", "{\"type\": \"FeatureCollection\", ");
    std::filesystem::resize_file(gigabyte, std::uintmax_t{1} << 30);
    const std::string point =
        "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Point\", \"coordinates\": [3, 4]}}";
    const auto rectangle = [](int a, int b) {
        const std::string x = std::to_string(a), y = std::to_string(b);
        return "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Polygon\", \"coordinates\": "
               "[[[0, 0], [" +
               x + ", 0], [" + x + ", " + y + "], [0, " + y + "], [0, 0]]]}}";
    };
    // A 2√2 × √2 rectangle turned by 45°.
    const std::string diamond =
        "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Polygon\", \"coordinates\": "
        "[[[0, 0], [2, 2], [3, 1], [1, -1], [0, 0]]]}}";
    struct Case {
        std::string path;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {Write("header.csv", " ,Major,Minor,Angle\r\n"), 1,
         "header.csv: The table has a header line but no data rows.\n"},
        {Write("unicode.txt", std::string("\xFF\xFER\0,\0p\0h\0i\0\n\0", 14)), 1,
         "unicode.txt: The file is UTF-16 text, which is not read: save it as UTF-8 or plain "
         "text.\nunicode.txt: the file starts with the byte-order mark of UTF-16\n"},
        {Write("ragged.csv", "R,phi\n2,30\n3\n1.5,-20\n"), 1,
         "ragged.csv: Invalid data at line #3\nline 3 of ragged.csv: a cell the ellipse is read "
         "from is empty or missing\n"},
        {Write("many.csv", tooMany), 1,
         "many.csv: Too many data (more than 10000).\nExecution terminated\nmany.csv holds 10001 "
         "rows, more than the 10000 data the program analyses at once: split it into files of "
         "at most 10000\n"},
        {Write("ten.csv", tenThousand), 0, ""},
        {Write("huge.csv", "Major,Minor,Angle\n1e400,1,3\n2,1,4\n3,1,5\n"), 1,
         "huge.csv: 浮動小数点数のオーバーフロー\n"},
        {Write("flat.csv", "Max;Min;Angle\n2;0;3\n2;1;4\n3;1;5\n"), 1,
         "flat.csv: Invalid data at line #2\nline 2 of flat.csv: an axis is zero or negative\n"},
        {Write("low.csv", "R,phi\n2,30\n0.5,40\n1.5,-20\n"), 1,
         "low.csv: Invalid R at line #3\nR = 0.5 on line 3 of low.csv: R, the long axis over the "
         "short one, lies from 1 to 100\n"},
        {gigabyte, 1,
         "huge.geojson: GeoJSON files over 128 MiB are not read; this one has 1024 MiB.\n"},
        {Write("broken.json", "{\"type\":\n\"FeatureCollection\",,}"), 1,
         "broken.json: Invalid JSON: parse error at line 2, column 21: syntax error while parsing "
         "object key - unexpected ','; expected string literal\n"},
        {Write("points.geojson", "{\"type\": \"FeatureCollection\", \"features\": [" + point + "," +
                                     rectangle(2, 1) + "," + rectangle(3, 1) + "," + diamond +
                                     "]}"),
         0, "points.geojson: Skipped 1 of 4 features: they hold no Polygon or MultiPolygon.\n"},
        // Outlines along the axes only: their log-strain vectors lie on one line.
        {Write("axes.geojson", "{\"type\": \"FeatureCollection\", \"features\": [" +
                                   rectangle(2, 1) + "," + rectangle(3, 1) + "," + rectangle(1, 2) +
                                   "]}"),
         1,
         "axes.geojson: 0 による浮動小数点数除算\nthe 3 ellipses of axes.geojson determine no "
         "strain: their log-strain vectors lie on one line\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.path);
        EXPECT_EQ(run.status, c.status) << c.path;
        std::string err = run.err;
        const std::string prefix = folder.Path().string() + "/";
        for (std::size_t at; (at = err.find(prefix)) != std::string::npos;)
            err.erase(at, prefix.size());
        EXPECT_EQ(err, c.err) << c.path;
    }
}

// A program copied without the image codecs beside it still reads text files, and says of an
// image which file it could not decode and why.
TEST_F(ImportCliTest, AnImageWithoutTheCodecsSaysSoAndTheOtherFilesStillRun) {
    const std::filesystem::path alone = folder.Path() / "alone";
    std::filesystem::create_directory(alone);
    const std::filesystem::path bin = std::filesystem::path(VARNEL_CLI_PATH).parent_path();
    std::filesystem::copy_file(VARNEL_CLI_PATH, alone / "varnel-cli");
    std::filesystem::copy_file(bin / "finv.dat", alone / "finv.dat");
    const CliRun run = testing_support::RunCli(
        {kExamples + "/strained_grains.png " + kExamples + "/calcite_grains.csv", folder.Path(),
         (alone / "varnel-cli").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(LinesOf(run.out).at(0), "calcite_grains.csv");
    EXPECT_EQ(LinesOf(run.err).at(0),
              kExamples +
                  "/strained_grains.png: The image \"strained_grains.png\" cannot be "
                  "decoded: the image codecs cannot be loaded.");
    EXPECT_NE(run.err.find((alone / "libvarnel_image_codecs.so").string()), std::string::npos);
    // A module cut short, as by a damaged copy, is refused before the loader maps it; the
    // file's outputs are named as not written, the reason not repeated.
    const std::string whole = ReadWholeFile(bin / "libvarnel_image_codecs.so");
    std::ofstream(alone / "libvarnel_image_codecs.so", std::ios::binary) << whole.substr(0, 5000);
    const CliRun cut = testing_support::RunCli(
        {kExamples + "/strained_grains.png --overlay-png o.png --export-data d.txt", folder.Path(),
         (alone / "varnel-cli").string()});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("libvarnel_image_codecs.so is damaged or cut short"), std::string::npos)
        << cut.err;
    EXPECT_EQ(cut.err.find("cannot be decoded"), cut.err.rfind("cannot be decoded")) << cut.err;
    EXPECT_NE(
        cut.err.find(
            "not written, as the file could not be read: --export-data d.txt, --overlay-png o.png"),
        std::string::npos)
        << cut.err;
}
}  // namespace
}  // namespace varnel::cli
