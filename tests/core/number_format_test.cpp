#include "core/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/support/comma_locale.h"

namespace varnel {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FormatFixed3, WritesSixSignificantDigitsAndThreeDecimals) {
    struct Case {
        long double x;
        const char* text;
    };
    const Case cases[] = {
        {1.5, "1.500"},
        {2.34567, "2.346"},
        {-0.25, "-0.250"},
        {12345.678, "12345.700"},
        {123456.7, "123457.000"},
        {1234567, "1.23457E006"},
        {999999.6, "1E006"},
        {0.0625, "0.063"},
        {0.0006, "0.001"},
        {0.0004, "0.000"},
        {-0.0004, "0.000"},
        {0.00004, "0.000"},
        {0.0, "0.000"},
        {-12.3456, "-12.346"},
        {1e300, "1E300"},
        {-2.5e7, "-2.5E007"},
        {0.9995, "1.000"},
        {99.9996, "100.000"},
        {kNan, "NAN"},
        {-kNan, "NAN"},
        {kInf, "INF"},
        {-kInf, "-INF"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatFixed3(c.x), c.text) << static_cast<double>(c.x);
}

TEST(FormatFixed3, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(FormatFixed3(1.5, ','), "1,500");
    EXPECT_EQ(FormatFixed3(1234567, ','), "1,23457E006");
}

TEST(FormatFixed, SwitchesToScientificBeyondItsSignificantDigits) {
    struct Case {
        long double x;
        const char* text;
    };
    const Case cases[] = {{-1.2345678, "-1.235"},
                          {0.1, "0.100"},
                          {-1.0, "-1.000"},
                          {12345678.9, "12345679.000"},
                          {123456789.0, "1.2345679E008"}};
    for (const Case& c : cases) EXPECT_EQ(FormatFixed(c.x, 8, '.'), c.text);
}

TEST(FormatExponent, WritesSixSignificantDigitsWithASignedThreeDigitPower) {
    struct Case {
        long double x;
        const char* text;
    };
    const Case cases[] = {
        {12.3456, "1.23456E+001"},
        {-0.00123, "-1.23000E-003"},
        {0.0, "0.00000E+000"},
        {1.5, "1.50000E+000"},
        {-1.0, "-1.00000E+000"},
        {9.999995, "1.00000E+001"},
        {1.2345651e-300, "1.23457E-300"},
        {kNan, "NAN"},
        {kInf, "INF"},
        {-kInf, "-INF"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatExponent(c.x), c.text) << static_cast<double>(c.x);
    EXPECT_EQ(FormatExponent(1.5, ','), "1,50000E+000");
}

// The three forms of a value with the decimal comma, side by side.
std::vector<std::string> CommaTexts(long double x) {
    return {FormatFixed3(x, ','), FormatFixed(x, 8, ','), FormatExponent(x, ',')};
}

// Qt sets the C locale from the user's environment; the digits must not follow it, only the
// separator passed in may appear, once.
TEST(NumberFormat, WritesTheSameTextUnderACommaLocale) {
    std::vector<long double> values = {1.37,     4.351,  -1.6952, 0.0625, 0.0006, 1234567.0,
                                       999999.6, 1e-300, 1e300,   -0.0,   kNan,   kInf};
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> power(-12, 12);
    for (int i = 0; i < 2000; ++i) values.push_back(std::ldexp(mantissa(random), power(random)));
    std::vector<std::vector<std::string>> inC;
    for (long double x : values) inC.push_back(CommaTexts(x));

    testing_support::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active());
    EXPECT_EQ(FormatFixed3(1.37, ','), "1,370");
    EXPECT_EQ(FormatFixed3(4.351, ','), "4,351");
    EXPECT_EQ(FormatExponent(-1.6952, ','), "-1,69520E+000");
    EXPECT_EQ(FormatFixed3(1.5), "1.500");  // the separator asked for, not the locale's
    // Angles read within their turn, rounding included, and zero without a sign.
    struct Angle {
        const char* format;
        double degrees, low;
        bool lowIncluded;
        const char* text;
    } angles[] = {{"%05.1f", 359.97, 0, true, "000,0"},     {"%05.1f", -0.04, 0, true, "000,0"},
                  {"%.2f", -89.99999, -90, false, "90,00"}, {"%.2f", -0.001, -90, false, "0,00"},
                  {"%.2f", -89.99, -90, false, "-89,99"},   {"%.1f", 359.94, 0, true, "359,9"}};
    for (const Angle& a : angles) {
        EXPECT_EQ(
            FormatAngle(a.format, a.degrees, a.low, a.lowIncluded ? 360 : 180, a.lowIncluded, ','),
            a.text);
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(CommaTexts(values[i]), inC[i]) << static_cast<double>(values[i]);
    }
}

}  // namespace
}  // namespace varnel
