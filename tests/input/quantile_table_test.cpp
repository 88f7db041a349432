#include "input/quantile_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "core/executable_folder.h"
#include "core/messages.h"
#include "core/varnel_error.h"
#include "tests/support/comma_locale.h"
#include "tests/support/error_text.h"
#include "tests/support/test_folder.h"

namespace varnel {
namespace {

class QuantileTableTest : public ::testing::Test {
protected:
    void WriteTable(const std::string& bytes) { folder.Write("finv.dat", bytes); }
    std::string Folder() const { return folder_.string() + "/"; }
    std::string LoadError() {
        return testing_support::ErrorTextOf([&] { LoadFQuantileTable(*state_, Folder()); });
    }

    std::unique_ptr<AnalysisState> state_ = std::make_unique<AnalysisState>();
    testing_support::TestFolder folder;
    const std::filesystem::path& folder_ = folder.Path();
};

TEST_F(QuantileTableTest, FillsTheTablesRowByRowInLevelOrder) {
    WriteTable("3 0.5 0.6 0.9\r\n4 1.5 1.6 1.9 7 8\n\n5 2.5 2.6\n2.9 junk\n");
    ASSERT_TRUE(LoadFQuantileTable(*state_, Folder()));
    EXPECT_EQ(state_->FQuantile39[3], 0.5);
    EXPECT_EQ(state_->FQuantile50[3], 0.6);
    EXPECT_EQ(state_->FQuantile95[3], 0.9);
    EXPECT_EQ(state_->FQuantile95[4], 1.9);  // the fifth number is ignored
    // A row cut short would take the next line's first number: from it on, all entries are 0.
    EXPECT_EQ(state_->FQuantile39[5], 0.0);
    EXPECT_EQ(state_->FQuantile95[5], 0.0);
    EXPECT_EQ(state_->FQuantile39[6], 0.0);
    EXPECT_EQ(state_->FQuantile95[kMaxData], 0.0);
}

TEST_F(QuantileTableTest, ReportsMissingFilesAndFolders) {
    EXPECT_FALSE(LoadFQuantileTable(*state_, Folder()));
    std::filesystem::create_directory(folder_ / "finv.dat");
    EXPECT_FALSE(LoadFQuantileTable(*state_, Folder()));
    std::filesystem::remove(folder_ / "finv.dat");
    WriteTable("");
    EXPECT_TRUE(LoadFQuantileTable(*state_, Folder()));
    EXPECT_EQ(state_->FQuantile95[3], 0.0);
}

TEST_F(QuantileTableTest, AMalformedNumberEndsTheReadAfterItsRow) {
    for (const char* table : {"3 1 2 3\n4 1 2,5 3\n5 1 2 3\n", "3 1 2 3\n4 1 2 3e\n5 1 2 3\n",
                              "3 1 2 3\n4 1 x 3\n5 1 2 3\n"}) {
        state_ = std::make_unique<AnalysisState>();
        WriteTable(table);
        EXPECT_EQ(LoadError(), "入力値が数値ではありません") << table;
        EXPECT_EQ(state_->FQuantile95[3], 3.0);
        EXPECT_EQ(state_->FQuantile39[5], 0.0);
    }
}

TEST_F(QuantileTableTest, ReadsTheTableNumberFormsOnly) {
    struct Case {
        const char* text;
        double value;
    };
    const Case numbers[] = {{"+1.5", 1.5},   {"-.5e1", -5.0},    {"5.", 5.0},  {"1E+2", 100.0},
                            {"1e-400", 0.0}, {"00012.50", 12.5}, {"-0", -0.0}, {"2.5e-3", 2.5e-3}};
    for (const Case& c : numbers) {
        WriteTable(std::string("3 1 ") + c.text + " 2\n");
        ASSERT_TRUE(LoadFQuantileTable(*state_, Folder())) << c.text;
        EXPECT_EQ(state_->FQuantile50[3], c.value) << c.text;
        EXPECT_EQ(state_->FQuantile95[3], 2.0) << c.text;
    }
    for (const char* text : {"+-2", "-+2", "inf", "nan", "-inf", "1e", "1e+", ".", "-", "+", ".e5",
                             "1e400", "0x10", "1.5.3", "1,5", "5e5x"}) {
        WriteTable(std::string("3 1 ") + text + " 2\n");
        EXPECT_EQ(LoadError(), "入力値が数値ではありません") << text;
    }
}

TEST_F(QuantileTableTest, ANumberOfMoreThanSixtyFourCharactersGoesOnAsTheNext) {
    WriteTable("3 1 " + std::string(64, '2') + "5 6 7\n");
    ASSERT_TRUE(LoadFQuantileTable(*state_, Folder()));
    EXPECT_EQ(state_->FQuantile39[3], 1.0);
    EXPECT_EQ(state_->FQuantile50[3], 2.2222222222222222e63);
    EXPECT_EQ(state_->FQuantile95[3], 5.0);
}

// The file is read in blocks of 64 KiB; a number or a Ctrl-Z may lie across their border.
TEST_F(QuantileTableTest, ReadsNumbersLyingAcrossTheReadBlocks) {
    constexpr std::size_t kBlock = 1 << 16;
    for (std::size_t padding = kBlock - 12; padding <= kBlock + 1; ++padding) {
        WriteTable(std::string(padding, ' ') + "3 0.859140914 1.5 199.5\n4 0.6 1 19\x1A 7 8 9\n");
        ASSERT_TRUE(LoadFQuantileTable(*state_, Folder())) << padding;
        EXPECT_EQ(state_->FQuantile39[3], 0.859140914) << padding;
        EXPECT_EQ(state_->FQuantile50[3], 1.5) << padding;
        EXPECT_EQ(state_->FQuantile95[3], 199.5) << padding;
        EXPECT_EQ(state_->FQuantile95[4], 19.0) << padding;
        EXPECT_EQ(state_->FQuantile39[5], 0.0) << padding;  // nothing after the Ctrl-Z
    }
}

TEST_F(QuantileTableTest, ReadsTheSameTableUnderACommaLocale) {
    ASSERT_TRUE(LoadFQuantileTable(*state_, ExecutableFolder()));
    const auto inC = std::make_unique<AnalysisState>(*state_);
    state_ = std::make_unique<AnalysisState>();
    testing_support::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active());
    ASSERT_TRUE(LoadFQuantileTable(*state_, ExecutableFolder()));
    EXPECT_EQ(state_->FQuantile39, inC->FQuantile39);
    EXPECT_EQ(state_->FQuantile50, inC->FQuantile50);
    EXPECT_EQ(state_->FQuantile95, inC->FQuantile95);
    WriteTable("3 1,5 2 3\n");
    EXPECT_EQ(LoadError(), "入力値が数値ではありません");  // "." only, in every locale
}

// Rows of the generated table with one of them changed, or cut after `rows` rows.
std::string GeneratedTable(int rows, int changedN = 0, const std::string& changedRow = "") {
    std::ifstream in(ExecutableFolder() + "finv.dat", std::ios::binary);
    std::string table, line;
    for (int N = kMinQuantileN; N < kMinQuantileN + rows && std::getline(in, line); ++N) {
        table += (N == changedN ? changedRow : line) + "\n";
    }
    return table;
}

TEST_F(QuantileTableTest, AtStartSaysWhetherEveryNHasItsThreeQuantiles) {
    struct Case {
        const char* name;
        std::string table;
        int firstWithout;
    };
    const int rows = kMaxData - kMinQuantileN + 1;
    const Case cases[] = {
        {"whole", GeneratedTable(rows), 0},
        {"empty", "", 3},
        {"cut after 100 rows", GeneratedTable(100), 103},
        {"cut inside the last row", GeneratedTable(rows).substr(0, GeneratedTable(rows).rfind(' ')),
         kMaxData},
        {"a zero", GeneratedTable(rows, 57, "57 0.1 0 0.3"), 57},
        {"a negative value", GeneratedTable(rows, 4000, "4000 0.1 0.2 -0.3"), 4000},
        {"an underflow to zero", GeneratedTable(rows, 9, "9 1e-999 0.2 0.3"), 9},
        {"the row for N = 4 missing", GeneratedTable(rows, 4, ""), 4},
        {"a row cut short", GeneratedTable(rows, 700, "700 0.1 0.2"), 700},
        {"a row of another N", GeneratedTable(rows, 9000, "9001 0.1 0.2 0.3"), 9000},
        {"a row over two lines", GeneratedTable(rows, 12, "12 0.1 0.2\n0.3"), 12},
    };
    for (const Case& c : cases) {
        state_ = std::make_unique<AnalysisState>();
        WriteTable(c.table);
        const std::optional<std::string> message = LoadAndCheckFQuantileTable(*state_, Folder());
        EXPECT_EQ(FirstNWithoutUsableQuantile(*state_), c.firstWithout) << c.name;
        EXPECT_EQ(message, c.firstWithout == 0
                               ? std::nullopt
                               : std::optional<std::string>(kDamagedQuantileTableMessage))
            << c.name;
    }
    const std::string path = Folder() + "finv.dat";
    EXPECT_EQ(FQuantileTableDetail(*state_, Folder()),
              path + ": no usable quantile for N = 12, the first such row");
    WriteTable("");
    EXPECT_EQ(FQuantileTableDetail(*state_, Folder()), path + " is empty");
    std::filesystem::remove(folder_ / "finv.dat");
    EXPECT_EQ(LoadAndCheckFQuantileTable(*state_, Folder()), kMissingQuantileTableMessage);
    EXPECT_EQ(FQuantileTableDetail(*state_, Folder()), "finv.dat not found: looked for " + path);
    WriteTable("3 1 2 x\n");
    EXPECT_EQ(testing_support::ErrorTextOf([&] { LoadAndCheckFQuantileTable(*state_, Folder()); }),
              "入力値が数値ではありません");
    WriteTable(
        "\xEF\xBB\xBF"
        "3 1 2 3\n");
    try {
        LoadAndCheckFQuantileTable(*state_, Folder());
        ADD_FAILURE() << "no error";
    } catch (const VarnelError& error) {
        EXPECT_EQ(error.Detail(), path +
                                      " begins with a byte-order mark: save it as plain ASCII "
                                      "text without one");
    }
}

TEST_F(QuantileTableTest, TheGeneratedTableHoldsTheClosedFormQuantiles) {
    ASSERT_TRUE(LoadFQuantileTable(*state_, ExecutableFolder()))
        << "the build writes finv.dat beside every executable";
    // F(2, m) quantile at p: (m/2)((1 − p)^(−2/m) − 1); at m = 1, 39 % is 1 − e^(−1/2).
    EXPECT_NEAR(state_->FQuantile39[3], 0.5 * (std::exp(1.0) - 1), 1e-15);
    EXPECT_NEAR(state_->FQuantile50[3], 0.5 * (4.0 - 1), 1e-14);
    EXPECT_NEAR(state_->FQuantile95[3], 0.5 * (400.0 - 1), 1e-12);
    // For large m the quantile approaches the chi-square one halved: −ln(1 − p).
    EXPECT_NEAR(state_->FQuantile95[kMaxData], -std::log(0.05), 1e-3);
    for (int N = 4; N <= kMaxData; ++N) {
        ASSERT_LT(state_->FQuantile39[N], state_->FQuantile50[N]) << N;
        ASSERT_LT(state_->FQuantile50[N], state_->FQuantile95[N]) << N;
        ASSERT_LE(state_->FQuantile95[N], state_->FQuantile95[N - 1]) << N;
    }
}

}  // namespace
}  // namespace varnel
