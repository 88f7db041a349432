#include "input/ellipse_import.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "core/messages.h"
#include "core/varnel_error.h"
#include "tests/support/error_text.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

using testing_support::ErrorTextOf;

class EllipseImportTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes, const std::string& name = "data.txt") {
        return folder.Write(name, bytes);
    }
    DataFileReading Read(const std::string& bytes, const std::string& name = "data.txt",
                         const ImportOptions& options = {}) {
        return CountAndParseDataFile(*state_, Write(bytes, name), '.', options);
    }
    // Rows "R,φ" below a header, `count` of them.
    static std::string Table(int count) {
        std::string text = "ID,R,Phi\n";
        for (int k = 1; k <= count; ++k)
            text += std::to_string(k) + ",2," + std::to_string(k % 90) + "\n";
        return text;
    }

    std::unique_ptr<AnalysisState> state_ = std::make_unique<AnalysisState>();
    testing_support::TestFolder folder;
};

TEST_F(EllipseImportTest, TellsTheKindOfAFileByItsFirstLine) {
    using Kind = EllipseFileKind;
    struct Case {
        std::string bytes;
        const char* name;
        Kind kind;
    };
    const Case cases[] = {
        {"2,30\nMajor,Minor,Angle\n", "a.csv", Kind::DataLines},
        {"", "a.csv", Kind::DataLines},
        {"2,ten\n3,40\n", "a.csv", Kind::DataLines},  // a bad datum, not a header
        {"abc\n", "a.csv", Kind::DataLines},
        {"R phi\n2 30\n", "a.txt", Kind::DataLines},
        {"\x1A{\"type\": 1}", "a.json", Kind::DataLines},  // Ctrl-Z: an empty data file
        {std::string(2 << 20, 'x') + ",y\n", "a.csv", Kind::DataLines},  // a first line over 1 MiB
        {" ,Major,Minor,Angle\r\n1,4,2,30\r\n", "a.csv", Kind::Table},
        {"Grain;Rf;Phi\nA;1,5;30\n", "a.txt", Kind::Table},
        {"\xEF\xBB\xBF"
         "R\tphi\n",
         "a.xls", Kind::Table},
        {"{\"type\": \"FeatureCollection\"}", "a.txt", Kind::GeoJson},
        {"\n  \r\n\xEF\xBB\xBF{", "a.txt", Kind::GeoJson},
        {"[1, 2]", "grains.GeoJSON", Kind::GeoJson},
        {"2,30\n", "a.json", Kind::DataLines},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DetectEllipseFileKind(Write(c.bytes, c.name), '.'), c.kind)
            << c.bytes.substr(0, 40);
    }
    EXPECT_EQ(DetectEllipseFileKind((folder.Path() / "missing.csv").string(), '.'),
              Kind::DataLines);
    EXPECT_EQ(DetectEllipseFileKind(folder.Path().string(), '.'), Kind::DataLines);
}

TEST_F(EllipseImportTest, ReadsADataFileAsTheReaderDoes) {
    const DataFileReading reading = Read("1.5,30\n2 -45\n");
    EXPECT_EQ(reading.count, CountOutcome::Counted);
    EXPECT_TRUE(reading.parse.ok);
    EXPECT_EQ(state_->DataCount, 2);
    EXPECT_EQ(state_->DataFirstLine, 1);
    EXPECT_EQ(state_->PhiPost[2], -0.7853981633974483);
    EXPECT_EQ(Read("2,30\n3;40\n").parse.line, 2);
    EXPECT_EQ(ErrorTextOf([&] { Read("2,ten\n"); }), "'ten' は浮動小数点数ではありません");
    EXPECT_EQ(Read(std::string(kMaxData + 1, '\n')).count, CountOutcome::TooManyData);
}

TEST_F(EllipseImportTest, ReadsATableIntoTheStateWithItsFileLines) {
    const DataFileReading reading =
        Read(" ,Area,Major,Minor,Angle\r\n1,9,3,1.5,120\r\n2,4,2,2,10\r\n3,8,4,5,45\r\n", "r.csv");
    ASSERT_EQ(reading.count, CountOutcome::Counted);
    ASSERT_TRUE(reading.parse.ok);
    EXPECT_EQ(state_->DataCount, 3);
    EXPECT_EQ(state_->DataFirstLine, 2);
    EXPECT_EQ(state_->RPost[1], 2.0);
    EXPECT_EQ(state_->PhiPost[1], DegreesToStoredRadians(-60));
    EXPECT_EQ(state_->RPost[3], 0.8);
    std::vector<std::string> memo;
    EXPECT_TRUE(ValidateAxialRatios(*state_, memo));
    EXPECT_EQ(memo, std::vector<std::string>{"Invalid R at line #4"});
    // A data file read after the table numbers its lines from 1 again.
    ASSERT_TRUE(Read("0.5,3\n").parse.ok);
    memo.clear();
    ValidateAxialRatios(*state_, memo);
    EXPECT_EQ(memo, std::vector<std::string>{"Invalid R at line #1"});
}

TEST_F(EllipseImportTest, ARowWithoutRatioOrAngleFailsAtItsLine) {
    struct Case {
        std::string bytes;
        int line;
    };
    const Case cases[] = {
        {"R,phi\n2,30\n,40\n", 3},
        {"R,phi\n2,30\n3,40\n2,\n", 4},
        {"R,phi\n2,30\n3\n", 3},       // a ragged row
        {"R,phi\n2,30\n\n3,40\n", 3},  // an empty line is not skipped
        {"R,phi\n2,30\n3,40\n\n", 4},
        {"R,phi\n2," + std::string(2 << 20, '0') + "\n", 2},  // a row over 1 MiB
        {"R,phi\n2,30\n2,5,20,1\n", 3},                       // more cells than the header
        {"Major,Minor,Angle\n4,2,10\n-2,-1,10\n", 3},         // axes are lengths
        {"Max;Min;Angle\n4;2;10\n3;1;5\n4;0;10\n", 4},
    };
    for (const Case& c : cases) {
        const DataFileReading reading = Read(c.bytes);
        EXPECT_EQ(reading.count, CountOutcome::Counted);
        EXPECT_FALSE(reading.parse.ok);
        EXPECT_EQ(reading.parse.line, c.line) << c.bytes.substr(0, 40);
    }
    EXPECT_EQ(state_->RPost[1], 2.0);  // rows before the failure stay stored
}

TEST_F(EllipseImportTest, HoldsTablesToTheCapacityOfTenThousandRows) {
    const DataFileReading full = Read(Table(kMaxData));
    EXPECT_EQ(full.count, CountOutcome::Counted);
    EXPECT_TRUE(full.parse.ok);
    EXPECT_EQ(state_->DataCount, kMaxData);
    const std::string countedName = state_->DataFileName;
    EXPECT_EQ(Read(Table(kMaxData + 1), "over.csv").count, CountOutcome::TooManyData);
    EXPECT_EQ(state_->DataCount, kMaxData);
    EXPECT_EQ(state_->DataFileName, countedName);
}

TEST_F(EllipseImportTest, AFileTheImportersCannotReadChangesNothing) {
    const std::string utf16 =
        "The file is UTF-16 text, which is not read: save it as UTF-8 or plain text.";
    const std::string utf32 =
        "The file is UTF-32 text, which is not read: save it as UTF-8 or plain text.";
    const std::string nul(1, '\0');
    const std::pair<std::string, std::string> cases[] = {
        {"Ratio,Orientation\n2,30\n",
         "The table's header names none of the accepted column sets: Major, Minor and Angle "
         "(ImageJ's fitted ellipses); R or Rf with phi, φ or angle; Max and Min, or a and b, with "
         "phi, φ or angle."},
        {"R,phi\r\n", "The table has a header line but no data rows."},
        {"\xFF\xFER" + nul + "\t" + nul + "p" + nul + "h" + nul + "i" + nul + "\r" + nul + "\n" +
             nul,
         utf16},
        {"\xFF\xFE"
         "2" +
             nul + "," + nul + "3" + nul + "0" + nul,
         utf16},
        {"\xFE\xFF" + nul + "2" + nul + "," + nul + "3" + nul + "0", utf16},
        {"\xFF\xFE" + nul + nul + "2" + nul + nul + nul + "," + nul + nul + nul, utf32},
        {nul + nul + "\xFE\xFF" + nul + nul + nul + "2" + nul + nul + nul + ",", utf32},
        {"\xFF\xFE" + nul, utf16},  // too short for UTF-32's mark
    };
    ASSERT_TRUE(Read("2,30\n3,40\n").parse.ok);
    for (const auto& [bytes, message] : cases) {
        EXPECT_EQ(ErrorTextOf([&, &text = bytes] { Read(text, "odd.csv"); }), message);
        EXPECT_EQ(state_->DataCount, 2);
        EXPECT_NE(state_->DataFileName.find("data.txt"), std::string::npos);
    }
}

TEST_F(EllipseImportTest, TheUsersColumnsOverrideTheHeader) {
    ImportOptions options;
    options.columns = ColumnChoice{"Ratio", "3"};
    const DataFileReading reading =
        Read("Ratio,R,Orientation,phi\n2.5,9,-100,9\n", "odd.csv", options);
    ASSERT_TRUE(reading.parse.ok);
    EXPECT_EQ(state_->RPost[1], 2.5);
    EXPECT_EQ(state_->PhiPost[1], DegreesToStoredRadians(80));
    // Columns and image options given for a data file leave it to the data reader, and the user
    // is told.
    options.image.split = true;
    const DataFileReading plain = Read("2,30\n", "plain.txt", options);
    ASSERT_TRUE(plain.parse.ok);
    EXPECT_EQ(state_->RPost[1], 2.0);
    EXPECT_EQ(plain.notices,
              (std::vector<std::string>{
                  "The chosen columns are not used: the file is not a table with a header line.",
                  "The image options are not used: the file is not an image."}));
    EXPECT_TRUE(reading.notices.empty());
}

TEST_F(EllipseImportTest, ReadsGeoJsonPolygonsAndNoticesTheRest) {
    const DataFileReading reading = Read(
        "{\"type\": \"FeatureCollection\", \"features\": ["
        "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Polygon\", \"coordinates\": "
        "[[[0, 0], [4, 0], [4, 1], [0, 1], [0, 0]]]}},"
        "{\"type\": \"Feature\", \"geometry\": {\"type\": \"Point\", \"coordinates\": [0, 0]}}]}",
        "grains.geojson");
    ASSERT_EQ(reading.count, CountOutcome::Counted);
    EXPECT_TRUE(reading.parse.ok);
    EXPECT_EQ(
        reading.notices,
        std::vector<std::string>{"Skipped 1 of 2 features: they hold no Polygon or MultiPolygon."});
    EXPECT_EQ(state_->DataCount, 1);
    EXPECT_EQ(state_->RPost[1], 4.0);
    EXPECT_EQ(state_->PhiPost[1], 0.0);
}

TEST_F(EllipseImportTest, RefusesMoreThanTenThousandPolygonsBeforeStoringAny) {
    ASSERT_TRUE(Read("2,30\n3,40\n").parse.ok);
    std::string text = "{\"type\": \"FeatureCollection\", \"features\": [";
    for (int k = 0; k <= kMaxData; ++k) {
        text += std::string(k ? "," : "") +
                "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Polygon\",\"coordinates\":"
                "[[[0,0],[2,0],[0,1]]]}}";
    }
    EXPECT_EQ(Read(text + "]}", "many.geojson").count, CountOutcome::TooManyData);
    EXPECT_EQ(state_->DataCount, 2);
    EXPECT_EQ(state_->RPost[1], 2.0);
}

}  // namespace
}  // namespace varnel
