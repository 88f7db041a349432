#include "input/column_table.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/varnel_error.h"
#include "tests/support/error_text.h"

namespace varnel {
namespace {

using testing_support::ErrorTextOf;

TEST(HeaderSeparator, IsTheMostFrequentOfTabSemicolonAndCommaOutsideQuotes) {
    struct Case {
        const char* header;
        char separator;
    };
    const Case cases[] = {
        {" ,Area,Mean,Major,Minor,Angle", ','},
        {" \tArea\tMajor\tMinor\tAngle", '\t'},
        {"Grain;Rf;Phi", ';'},
        {"\"Rf, corrected\";Phi", ';'},  // the comma inside quotes does not count
        {"R;phi,x", ';'},                // a tie: the semicolon before the comma
        {"R phi", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(HeaderSeparator(c.header), c.separator) << c.header;
}

TEST(SplitCells, KeepsQuotedSeparatorsAndDoubledQuotes) {
    EXPECT_EQ(SplitCells("a,\"1,5\",,\"say \"\"hi\"\"\"", ','),
              (std::vector<std::string>{"a", "\"1,5\"", "", "\"say \"hi\"\""}));
    EXPECT_EQ(CellText("  \"1,5\" "), "1,5");
    EXPECT_EQ(CellText(" 'Phi' "), "Phi");
}

TEST(IsHeaderLine, TakesLinesOfNamesOnly) {
    struct Case {
        const char* line;
        bool header;
    };
    const Case cases[] = {
        {" ,Area,Major,Minor,Angle", true},  // ImageJ's blank first column name
        {"\xEF\xBB\xBFR,Phi", true},         // a spreadsheet's byte-order mark
        {"\"R\";\"phi\"", true},
        {"2,ten", false},  // a datum with a bad field stays a datum
        {"\xEF\xBB\xBF"
         "2,30",
         false},
        {"R,30", false},
        {"1,5;30", false},  // decimal comma numbers
        {",,", false},      // nothing named
        {"R phi", false},   // blanks do not separate header cells
        {"Major", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsHeaderLine(c.line), c.header) << c.line;
}

TEST(DetectColumns, TakesTheFirstLayoutThatMatches) {
    struct Case {
        const char* header;
        ColumnLayout layout;
        int first, second, angle;
    };
    const Case cases[] = {
        {" ,Area,Mean,Min,Max,X,Y,Major,Minor,Angle", ColumnLayout::FitEllipse, 7, 8, 9},
        {"Angle;MINOR;major", ColumnLayout::FitEllipse, 2, 1, 0},
        {"ID,X,Y,Max,Min,Area,R,Phi", ColumnLayout::RatioAndAngle, 6, -1, 7},
        {"phi\tRf", ColumnLayout::RatioAndAngle, 1, -1, 0},
        {" \"R\" , \"φ\" ", ColumnLayout::RatioAndAngle, 0, -1, 1},
        {"R,Φ", ColumnLayout::RatioAndAngle, 0, -1, 1},
        {"r;angle", ColumnLayout::RatioAndAngle, 0, -1, 1},
        {"Max,Min,Angle", ColumnLayout::Axes, 0, 1, 2},
        {"id,a,b,phi", ColumnLayout::Axes, 1, 2, 3},
        {"Major,Minor,R,Angle", ColumnLayout::FitEllipse, 0, 1, 3},
    };
    for (const Case& c : cases) {
        const TableColumns columns = DetectColumns(c.header);
        EXPECT_EQ(columns.layout, c.layout) << c.header;
        EXPECT_EQ(columns.first, c.first) << c.header;
        if (c.second >= 0) {
            EXPECT_EQ(columns.second, c.second) << c.header;
        }
        EXPECT_EQ(columns.angle, c.angle) << c.header;
    }
}

TEST(DetectColumns, NamesTheAcceptedColumnsWhenNoLayoutMatches) {
    const std::string message =
        "The table's header names none of the accepted column sets: Major, Minor and Angle "
        "(ImageJ's fitted ellipses); R or Rf with phi, φ or angle; Max and Min, or a and b, with "
        "phi, φ or angle.";
    for (const char* header : {"Ratio,Orientation", "Major,Minor,Area", "R,theta", "Max;Min"}) {
        EXPECT_EQ(ErrorTextOf([&] { DetectColumns(header); }), message) << header;
    }
}

TEST(DetectColumns, RefusesAColumnItReadsNamedTwice) {
    const struct {
        const char* header;
        const char* message;
    } cases[] = {
        {"R,Rf,phi", "names R twice, in columns 1 and 2"},
        {"phi;x;R;Angle", "names phi twice, in columns 1 and 4"},
        {"Major,Minor,Angle,major", "names Major twice, in columns 1 and 4"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(ErrorTextOf([&] { DetectColumns(c.header); }).find(c.message), std::string::npos)
            << c.header;
    }
}

TEST(ChosenColumns, FindsNamesAndNumbersAndSaysWhatIsMissing) {
    const char* header = "Grain,Ratio,Orientation";
    const TableColumns byName = ChosenColumns(header, {"ratio", "\"Orientation\""});
    EXPECT_EQ(byName.layout, ColumnLayout::RatioAndAngle);
    EXPECT_EQ(byName.first, 1);
    EXPECT_EQ(byName.angle, 2);
    const TableColumns byNumber = ChosenColumns(header, {"3", "1"});
    EXPECT_EQ(byNumber.first, 2);
    EXPECT_EQ(byNumber.angle, 0);
    EXPECT_EQ(ErrorTextOf([&] {
                  ChosenColumns(header, {"Rf", "2"});
              }),
              "The table's header has no column \"Rf\".");
    EXPECT_EQ(ErrorTextOf([&] {
                  ChosenColumns(header, {"ratio", "2"});
              }),
              "R and phi are chosen from one column, column 2.");
    for (const char* number : {"0", "4", "99999999999"}) {
        EXPECT_EQ(ErrorTextOf([&] {
                      ChosenColumns(header, {number, "2"});
                  }),
                  "Column " + std::string(number) + " is not among the table's 3 columns.");
    }
}

TEST(ReadRow, GivesRatioAndAngleOfEachLayout) {
    const TableColumns fit = DetectColumns(" ,Major,Minor,Angle");
    const TableColumns ratio = DetectColumns("R;Phi;Note");
    const TableColumns axes = DetectColumns("a\tb\tangle");
    struct Case {
        const char* row;
        const TableColumns& columns;
        double R, degrees;
    };
    const Case cases[] = {
        {"1,6,2,30", fit, 3.0, 30.0},
        {"2,6,2,150", fit, 3.0, -30.0},  // ImageJ's 0–180° into (−90°, 90°]
        {"3,\"5\",\"2\",90", fit, 2.5, 90.0},
        {"1,5;-150", ratio, 1.5, 30.0},  // decimal commas; φ over ±180°
        {"1.5;270", ratio, 1.5, 90.0},
        {" 2 ; -90 ;extra", ratio, 2.0, 90.0},
        {"4\t2\t-10", axes, 2.0, -10.0},
    };
    for (const Case& c : cases) {
        const RowEllipse row = ReadRow(c.row, c.columns);
        ASSERT_TRUE(row.valid) << c.row;
        EXPECT_EQ(row.ratio, c.R) << c.row;
        EXPECT_EQ(row.degrees, c.degrees) << c.row;
    }
}

TEST(ReadRow, ARowThatDoesNotFitTheHeaderOrHasNoLengthIsNotValid) {
    const TableColumns fit = DetectColumns(" ,Major,Minor,Angle");
    for (const char* row : {"1,6,,30", "1,6,2,", "1,6,2", "", " , , , ", "1,\"\",2,3", "1,6,2,30,1",
                            "1,-6,-2,30", "1,6,0,30", "1,0,0,30", "1,-0,2,30"}) {
        EXPECT_FALSE(ReadRow(row, fit).valid) << row;
    }
    EXPECT_FALSE(ReadRow("2,5,20,1", DetectColumns("R,phi")).valid);
    EXPECT_TRUE(ReadRow("1,6,2,30,", DetectColumns(" ,Major,Minor,Angle,")).valid);
}

TEST(ReadRow, ACellThatIsNotANumberOrARatioThatFaultsIsAnError) {
    const TableColumns fit = DetectColumns("Major,Minor,Angle");
    struct Case {
        const char* row;
        const char* message;
    };
    const Case cases[] = {
        {"6,2,NaN", "'NaN' は浮動小数点数ではありません"},
        {"6 mm,2,3", "'6 mm' は浮動小数点数ではありません"},
        {"1e400,2,3", "浮動小数点数のオーバーフロー"},
        {"1e300,1e-300,3", "浮動小数点数のオーバーフロー"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorTextOf([&] { ReadRow(c.row, fit); }), c.message) << c.row;
    }
}

}  // namespace
}  // namespace varnel
