// The desktop program under a German locale: Qt sets the C locale from the environment, and the
// numbers the user reads and saves must carry one decimal comma each.
#include "tests/support/comma_locale.h"

#include <QRegularExpression>
#include <QStringList>

#include "tests/app/main_window_fixture.h"

namespace varnel::app {
namespace {

using testing_support::MainWindowTest;

// Twelve ellipses, tab-separated. A file for a comma locale holds no comma at all (the comma
// would be taken for the field separator), so the ratios are written with exponents.
constexpr const char* kTwelveEllipses =
    "157e-2\t36\n272e-2\t40\n188e-2\t24\n144e-2\t10\n205e-2\t51\n163e-2\t25\n"
    "31e-1\t33\n229e-2\t42\n24e-1\t38\n175e-2\t22\n192e-2\t28\n221e-2\t31\n";

std::string WithCommas(std::string text) {
    for (char& c : text) c = c == '.' ? ',' : c;
    return text;
}

TEST_F(MainWindowTest, ReportAndGridCarryOneDecimalCommaUnderACommaLocale) {
    const std::string data = WriteFile("twelve", kTwelveEllipses);  // no "." in the name on line 1
    Open(data);
    const std::string pointReport = MemoText();
    ui.saveAnswers.push_back(Path("point-grid.txt"));
    Trigger("SaveT2values1");

    testing_support::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active());
    Open(data);
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    const QStringList report = QString::fromStdString(MemoText()).split(QLatin1Char('\n'));
    ASSERT_EQ(report.size(), 27);
    EXPECT_EQ(report[2], QStringLiteral("N = 12"));
    EXPECT_EQ(report[4].toStdString(), "R_s    = 1,938");
    EXPECT_EQ(report[10].toStdString(), "phi_s  = 33,717 (deg)");
    const QRegularExpression number(
        QStringLiteral("= -?\\d+,\\d{3}( \\(deg\\))?$|[+-] \\d+,\\d{3}$"));
    for (int line : {5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24, 25, 26, 27}) {
        EXPECT_TRUE(number.match(report[line - 1]).hasMatch()) << report[line - 1].toStdString();
    }
    EXPECT_EQ(MemoText(), WithCommas(pointReport));
    form->grab().save(QString::fromLatin1(VARNEL_TEST_OUTPUT_DIR "/main_window_comma.png"));

    ui.saveAnswers.push_back(Path("comma-grid.txt"));
    Trigger("SaveT2values1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    const std::string grid = testing_support::ReadWholeFile(Path("comma-grid.txt"));
    EXPECT_EQ(grid.find(",,"), std::string::npos);
    EXPECT_EQ(grid, WithCommas(testing_support::ReadWholeFile(Path("point-grid.txt"))));
}

}  // namespace
}  // namespace varnel::app
