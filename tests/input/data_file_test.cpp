#include "input/data_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <optional>

#include "core/checked_math.h"
#include "core/messages.h"
#include "core/varnel_error.h"
#include "tests/support/angle_units.h"
#include "tests/support/comma_locale.h"
#include "tests/support/error_text.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

class DataFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) {
        return folder.Write("data" + std::to_string(files_++) + ".txt", bytes);
    }
    // Counts and parses; returns the parse outcome.
    ParseOutcome Read(const std::string& bytes, char separator = '.') {
        EXPECT_EQ(ChooseAndCountDataFile(*state_, Write(bytes)), CountOutcome::Counted);
        return ParseDataFile(*state_, separator);
    }
    std::string ConversionError(const std::string& bytes, char separator = '.') {
        return testing_support::ErrorTextOf([&] { Read(bytes, separator); });
    }
    // The line below the error that reading `bytes` ends with, the file's name as "F".
    std::string ErrorDetail(const std::string& bytes, char separator = '.') {
        try {
            Read(bytes, separator);
        } catch (const VarnelError& error) {
            std::string detail = error.Detail();
            const std::string name = "data" + std::to_string(files_ - 1) + ".txt";
            for (std::size_t at; (at = detail.find(name)) != std::string::npos;) {
                detail.replace(at, name.size(), "F");
            }
            return detail;
        }
        return "(no error)";
    }

    std::unique_ptr<AnalysisState> state_ = std::make_unique<AnalysisState>();
    testing_support::TestFolder folder;
    const std::filesystem::path& folder_ = folder.Path();
    int files_ = 0;
};

TEST_F(DataFileTest, SplitsAtTheCommaThenTheTabThenTheBlank) {
    for (const char* line :
         {"2,30", "  2 ,  30  ", "2\t 30", "2 \t30", "2 30", "2   30", "\t2,30\x01"}) {
        ASSERT_TRUE(Read(line).ok) << line;
        EXPECT_EQ(state_->RPost[1], 2.0) << line;
        EXPECT_EQ(state_->PhiPost[1], 0.5235987755982989) << line;
    }
    ASSERT_TRUE(Read("1e0,-45\n2,400").ok);
    EXPECT_EQ(state_->RPost[1], 1.0);
    EXPECT_DOUBLE_EQ(state_->PhiPost[1], -45 * kDegree);
    EXPECT_DOUBLE_EQ(state_->PhiPost[2], 400 * kDegree);
}

TEST_F(DataFileTest, NamesTheFieldThatIsNotANumber) {
    struct Case {
        const char* line;
        const char* message;
        char separator = '.';
        const char* detail = nullptr;  // the line below the message, the file named "F"
    };
    const Case cases[] = {
        {"2 30 40", "'30 40' は浮動小数点数ではありません", '.',
         "'30 40', φ on line 1 of F, is not a number: a line holds two numbers, R and φ, "
         "separated by a comma, a tab or blanks, and one kind of decimal separator"},
        {"2,30,40", "'30,40' は浮動小数点数ではありません"},
        {",30", "'' は浮動小数点数ではありません", '.',
         "no number for R on line 1 of F: the field is empty"},
        {"2,", "'' は浮動小数点数ではありません"},
        {"2,30\nabc,30", "'abc' は浮動小数点数ではありません", '.',
         "'abc', R on line 2 of F, is not a number"},
        {"1.5\t3,0", "'1.5\t3' は浮動小数点数ではありません"},  // one decimal separator a line
        {"1,5,30", "'5,30' は浮動小数点数ではありません"},
        {"1,5 30 40", "'5 30 40' は浮動小数点数ではありません"},
        {"2,5 ,30", "'5 ,30' は浮動小数点数ではありません"},      // ",30" is no decimal 0.30
        {"1.5\tabc", "'abc' は浮動小数点数ではありません", ','},  // 1.5 is a number here
        {"2,5\tabc", "'5\tabc' は浮動小数点数ではありません", ',',
         "'5\tabc', φ on line 1 of F, is not a number: the line is split at its first comma; "
         "split at its tab it would read R '2,5' and φ 'abc', but 'abc' is not a number with a "
         "decimal comma either"},
        {"1,\t30", "'\t30' は浮動小数点数ではありません", ',',
         "'\t30', φ on line 1 of F, is not a number: the line is split at its first comma; "
         "split at its tab it would read R '1,' and φ '30', but '1,' is not a number with a "
         "decimal comma either"},
        {"0x10,3", "'0x10' は浮動小数点数ではありません"},
        {"nan,3", "'nan' は浮動小数点数ではありません"},
        {"inf,3", "'inf' は浮動小数点数ではありません"},
        {"\xEF\xBB\xBF"
         "2,30",
         "'\xEF\xBB\xBF"
         "2' は浮動小数点数ではありません",
         '.',
         "'\xEF\xBB\xBF"
         "2', R on line 1 of F, is not a number: the file starts with a byte-order mark; save "
         "it without one"},
        {"1e99999,3", "'1e99999' は浮動小数点数ではありません"},
        {"1e400,3", kOverflowMessage, '.',
         "R on line 1 of F is beyond the largest number the program holds, about 1.8e308"},
        // A spreadsheet's ";" under a decimal comma, and a file whose lines end in CR alone.
        {"2,5;30", "'5;30' は浮動小数点数ではありません", ',',
         "line 1 of F is separated by \";\", which a data file without a header line does not "
         "use (it was split at its first comma into '2' and '5;30'): separate R and φ by a tab, "
         "or give the file a header line such as R;phi"},
        {"1.5,30\r2,40\r", "'302,40' は浮動小数点数ではありません", '.',
         "the lines of F end in CR only (old Mac OS text), so it reads as one line: convert its "
         "line ends to LF, e.g. tr '\\r' '\\n' < F > unix.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConversionError(c.line, c.separator), c.message) << c.line;
        if (c.detail) {
            EXPECT_EQ(ErrorDetail(c.line, c.separator), c.detail) << c.line;
        }
    }
}

// A line the rule of the first comma, tab or blank reads is read by it alone; one it rejects is
// read with "." as decimal point in any locale, or, split at a comma, at its first tab or
// blank as two numbers with decimal commas. The reader takes the separator it is given: the
// rows read alike under "C" and under a comma locale, which Qt sets from the environment.
TEST_F(DataFileTest, AcceptsTheRuntimeNumberFormsAndEitherDecimalSeparator) {
    struct Case {
        const char* line;
        double R;
        double degrees = 0;
        char separator = '.';
    };
    const Case cases[] = {
        {"+2. 0", 2.0},
        {". 0", 0.0},
        {"1e 0", 1.0},
        {"1E+ 0", 1.0},
        {"25e-1 0", 2.5},
        {"-.5 0", -0.5},
        {"1e-400 0", 0.0},
        {"2\t30", 2, 30, ','},
        {"25e-1 -10", 2.5, -10, ','},
        {"1,5", 1, 5, ','},  // the comma splits a line whose fields it leaves numbers
        {"2.410\t55", 2.41, 55, ','},
        {"2.410,55", 2.41, 55, ','},
        {"1.5 -10.5", 1.5, -10.5, ','},
        {"1,543\t55,0", 1.543, 55, ','},
        {"1,543\t55,0", 1.543, 55},
        {"1,5   30", 1.5, 30, ','},
        {"2\t1,5", 2, 1.5},
        {"1,5 \t 2,5", 1.5, 2.5},
    };
    for (const bool commaLocale : {false, true}) {
        std::optional<testing_support::ScopedCommaLocale> locale;
        if (commaLocale) {
            ASSERT_TRUE(locale.emplace().Active());
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.line) + " with " + c.separator);
            ASSERT_TRUE(Read(c.line, c.separator).ok);
            EXPECT_EQ(state_->RPost[1], c.R);
            EXPECT_EQ(state_->PhiPost[1], DegreesToStoredRadians(c.degrees));
        }
    }
}

// A line's text is kept up to 1 MiB; a longer one ends the read with the conversion error of
// the field the cut falls in, quoted to 200 characters and marked "...". Characters up to 32
// at either end are not part of the text, however many.
TEST_F(DataFileTest, ALineBeyondAMebibyteEndsTheReadWithTheFieldItIsCutIn) {
    constexpr std::size_t kMiB = 1 << 20;
    const std::string digits(2 * kMiB, '7');
    const std::string blanks(2 * kMiB, ' ');
    const std::string notANumber = "' は浮動小数点数ではありません";
    struct Case {
        const char* name;
        std::string bytes;
        std::string message;  // empty: the file parses
    };
    const Case cases[] = {
        {"an endless angle", "2,30\n1.5," + digits + "\n",
         "'" + digits.substr(0, 200) + "..." + notANumber},
        {"an endless ratio", digits + ",30\n", "'" + digits.substr(0, 200) + "..." + notANumber},
        {"no separator", digits + "\r\n", "'" + digits.substr(0, 200) + "..." + notANumber},
        {"blanks inside", "1.5" + blanks + "30\n",
         "'" + blanks.substr(0, 200) + "..." + notANumber},
        {"blanks around", blanks + "\t1.5,30" + blanks + "\r\n2,40", ""},
        {"exactly a mebibyte", "1.5," + std::string(kMiB - 4, '0') + "\n2,40", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state_ = std::make_unique<AnalysisState>();
        if (c.message.empty()) {
            ASSERT_TRUE(Read(c.bytes).ok);
            EXPECT_EQ(state_->DataCount, 2);
            EXPECT_EQ(state_->RPost[1], 1.5);
            EXPECT_EQ(state_->RPost[2], 2.0);
        } else {
            EXPECT_EQ(ConversionError(c.bytes), c.message);
        }
    }
    ConversionError("2,30\n1.5," + digits + "\n");
    EXPECT_EQ(state_->RPost[2], 1.5);  // the ratio before the cut angle is stored
    EXPECT_EQ(ConversionError("1.5," + std::string(kMiB - 3, '0') + "\n"),
              "'" + std::string(200, '0') + "..." + notANumber);
}

// The file is read in blocks of 64 KiB: lines, and the CR LF that ends them, lie across them.
TEST_F(DataFileTest, ReadsLinesLyingAcrossTheReadBlocks) {
    for (const std::string lineEnd : {"\r\n", "\n"}) {
        std::string bytes;
        for (int k = 1; k <= 9000; ++k) bytes += " 1." + std::to_string(k) + "\t-30.5 " + lineEnd;
        ASSERT_TRUE(Read(bytes).ok);
        ASSERT_EQ(state_->DataCount, 9000);
        for (int k = 1; k <= 9000; ++k) {
            ASSERT_EQ(state_->RPost[k], std::stod("1." + std::to_string(k))) << k;
            ASSERT_EQ(state_->PhiPost[k], state_->PhiPost[1]) << k;
        }
    }
}

TEST_F(DataFileTest, CountsLinesByTheirBreaks) {
    struct Case {
        std::string bytes;
        int count;
    };
    const Case cases[] = {
        {"", 0},
        {"2,30\n3,40\n4,50", 3},
        {"2,30\n3,40\n4,50\n", 3},
        {"2,30\r\n3,40\r\n4,50\r\n\r\n", 4},
        {"2,30\r3,40\r4,50\r", 1},
        {"2,30\n3,40\n\x1Anot counted\n", 2},
        {"2,30\n3,\x1A"
         "40\n",
         2},
        {std::string("2,30\n\0\n", 7), 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseAndCountDataFile(*state_, Write(c.bytes)), CountOutcome::Counted);
        EXPECT_EQ(state_->DataCount, c.count) << c.bytes;
    }
}

TEST_F(DataFileTest, FailsAtTheFirstLineWithoutSeparator) {
    struct Case {
        std::string bytes;
        int line;
        std::string detail;  // the line below the message, the file named "F"
    };
    const std::string empty = " is empty: every line, the last one too, holds R and φ; delete it";
    const Case cases[] = {
        {"2,30\n3,40\n4,50\n\n", 4, "line 4 of F" + empty},
        {"2,30\n2;30\n", 2,
         "line 2 of F is separated by \";\", which a data file without a header line does not "
         "use (with no comma, tab or blank it is one field): separate R and φ by a tab, or give "
         "the file a header line such as R;phi"},
        {"2,30\n   \n", 2, "line 2 of F" + empty},
        {"5\n", 1,
         "line 1 of F holds one field, '5': R and φ are needed, separated by a comma, a "
         "tab or blanks"},
        {std::string("2,30\n\0\n", 7), 2, "line 2 of F" + empty},
        {"2;30\r3;40\r", 1,
         "the lines of F end in CR only (old Mac OS text), so it reads as one line: convert its "
         "line ends to LF, e.g. tr '\\r' '\\n' < F > unix.txt"}};
    for (const Case& c : cases) {
        const ParseOutcome outcome = Read(c.bytes);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.line, c.line) << c.bytes;
        std::string detail = outcome.detail;
        const std::string name = "data" + std::to_string(files_ - 1) + ".txt";
        for (std::size_t at; (at = detail.find(name)) != std::string::npos;) {
            detail.replace(at, name.size(), "F");
        }
        EXPECT_EQ(detail, c.detail) << c.bytes;
    }
    EXPECT_EQ(state_->RPost[1], 2.0);  // the lines before the failure stay stored
}

TEST_F(DataFileTest, ACarriageReturnAloneIsDroppedFromTheLine) {
    ASSERT_TRUE(Read("2,3\r0").ok);
    EXPECT_DOUBLE_EQ(state_->PhiPost[1], 30 * kDegree);
}

TEST_F(DataFileTest, RefusesAFileBeyondTheCapacityBeforeStoringAnything) {
    std::string exactly(kMaxData * 4, ' ');
    for (int k = 0; k < kMaxData; ++k) exactly.replace(k * 4, 4, "2,3\n");
    ASSERT_EQ(ChooseAndCountDataFile(*state_, Write(exactly)), CountOutcome::Counted);
    EXPECT_EQ(state_->DataCount, kMaxData);
    const std::string countedName = state_->DataFileName;
    EXPECT_EQ(ChooseAndCountDataFile(*state_, Write(exactly + "2,3\n")), CountOutcome::TooManyData);
    EXPECT_EQ(state_->DataCount, kMaxData);
    EXPECT_EQ(state_->DataFileName, countedName);
}

TEST_F(DataFileTest, AnUnreadableChoiceChangesNothing) {
    ASSERT_TRUE(Read("2,30\n3,40").ok);
    for (const std::string& path : {(folder_ / "missing.txt").string(), folder_.string()}) {
        EXPECT_EQ(ChooseAndCountDataFile(*state_, path), CountOutcome::Unreadable) << path;
        EXPECT_EQ(state_->DataCount, 2);
    }
}

TEST_F(DataFileTest, AFileThatVanishesAfterCountingIsAnIoError) {
    const std::string path = Write("2,30\n");
    ASSERT_EQ(ChooseAndCountDataFile(*state_, path), CountOutcome::Counted);
    std::filesystem::remove(path);
    EXPECT_EQ(testing_support::ErrorTextOf([&] { ParseDataFile(*state_, '.'); }),
              "ファイルが見つかりません");
}

TEST_F(DataFileTest, ValidationListsEveryRatioBelowOneOrAboveOneHundred) {
    // 100.00000000000002 reads as the double next above 100.
    ASSERT_TRUE(Read("1.5,0\n0.999,0\n1,0\n2,0\n-3,0\n100,0\n100.00000000000002,0\n1e15,0\n").ok);
    std::vector<std::string> memo{"previous report"};
    EXPECT_TRUE(ValidateAxialRatios(*state_, memo));
    EXPECT_EQ(memo, (std::vector<std::string>{"previous report", "Invalid R at line #2",
                                              "Invalid R at line #5", "Invalid R at line #7",
                                              "Invalid R at line #8"}));
    ASSERT_TRUE(Read("1,0\n1.5,0\n99.999,0\n").ok);
    memo.clear();
    EXPECT_FALSE(ValidateAxialRatios(*state_, memo));
    EXPECT_TRUE(memo.empty());
}

TEST(IsDataLine, AgreesWithTheReaderOnEveryFirstLine) {
    testing_support::TestFolder folder;
    auto state = std::make_unique<AnalysisState>();
    for (const char* line : {"2,30",
                             " 2 , 30 ",
                             "2\t30",
                             "2 30",
                             "2;30",
                             " ",
                             "2,",
                             ",30",
                             "2,30,40",
                             "R,phi",
                             "1e400,3",
                             "1e-400,3",
                             "inf,3",
                             ". 0",
                             "1,5\t30",
                             "2.5\t30",
                             "1,5,30",
                             "1.5\t3,0",
                             "1e400\t1,5",
                             "\xEF\xBB\xBF"
                             "2,3"}) {
        for (const char separator : {'.', ','}) {
            ASSERT_EQ(ChooseAndCountDataFile(*state, folder.Write("line.txt", line)),
                      CountOutcome::Counted);
            bool read = false;
            try {
                read = ParseDataFile(*state, separator).ok;
            } catch (const VarnelError&) {
            }
            EXPECT_EQ(IsDataLine(line, separator), read) << line << " with " << separator;
        }
    }
}

}  // namespace
}  // namespace varnel
