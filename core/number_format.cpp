#include "core/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace varnel {

namespace {

// Decimal digits of a finite non-zero value: |x| = 0.d1 d2 … × 10^exponent.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

constexpr int kSourceDigits = 18;  // what an extended value carries

// The exact value rounded to 18 significant digits (to nearest, a tie to even), by std::to_chars:
// unlike the C library's formatting it never reads the C locale, whose decimal separator Qt
// takes from the environment.
DecimalDigits SignificantDigits(long double x) {
    char buffer[64];  // "d.ddddddddddddddddde-4951" at most
    char* const end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                    std::chars_format::scientific, kSourceDigits - 1)
                          .ptr;
    DecimalDigits result;
    const char* e = std::find(buffer, end, 'e');
    for (const char* p = buffer; p != e; ++p) {
        if (*p != '.') result.digits += *p;
    }
    int power = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, power);
    result.exponent = power + 1;
    return result;
}

// "E", the sign of a negative power (and of a positive one when asked) and at least three
// digits: "E006", "E+001", "E-003".
std::string PowerOfTenText(int power, bool writePlus) {
    std::string text = "E";
    if (power < 0) {
        text += '-';
    } else if (writePlus) {
        text += '+';
    }
    const std::string digits = std::to_string(std::abs(power));
    if (digits.size() < 3) text.append(3 - digits.size(), '0');
    return text + digits;
}

// Rounds to `count` digits, a half going up in magnitude; a carry out of the first digit
// raises the exponent. count = 0 rounds at the place before the first digit.
DecimalDigits RoundDigits(DecimalDigits value, int count) {
    const bool roundUp =
        count < static_cast<int>(value.digits.size()) && value.digits[count] >= '5';
    value.digits.resize(count);
    if (!roundUp) return value;
    int i = count - 1;
    for (; i >= 0 && value.digits[i] == '9'; --i) value.digits[i] = '0';
    if (i >= 0) {
        ++value.digits[i];
    } else {
        value.digits.insert(value.digits.begin(), '1');
        value.digits.pop_back();
        ++value.exponent;
        if (value.digits.empty()) value.digits.assign(1, '1');
    }
    return value;
}

bool IsZero(const DecimalDigits& value) {
    return value.digits.find_first_not_of('0') == std::string::npos;
}

std::string NonFinite(long double x) {
    if (std::isnan(x)) return "NAN";
    return x > 0 ? "INF" : "-INF";
}

std::string DigitAt(const DecimalDigits& value, int index) {
    return index >= 0 && index < static_cast<int>(value.digits.size())
               ? std::string(1, value.digits[index])
               : std::string("0");
}

std::string ScientificText(const DecimalDigits& value, bool negative, char separator) {
    std::string text = negative ? "-" : "";
    text += value.digits[0];
    const std::string rest = value.digits.substr(1, value.digits.find_last_not_of('0'));
    if (!rest.empty()) text += separator + rest;
    return text + PowerOfTenText(value.exponent - 1, false);
}

}  // namespace

std::string FormatFixed(long double x, int significantDigits, char decimalSeparator) {
    constexpr int kDecimals = 3;
    if (!std::isfinite(x)) return NonFinite(x);
    if (x == 0) return std::string("0") + decimalSeparator + "000";
    DecimalDigits value = SignificantDigits(x);
    const int keep = std::min(value.exponent + kDecimals, significantDigits);
    if (keep < 0) return std::string("0") + decimalSeparator + "000";
    value = RoundDigits(value, keep);
    if (IsZero(value)) return std::string("0") + decimalSeparator + "000";
    const bool negative = x < 0;
    if (value.exponent > significantDigits)
        return ScientificText(value, negative, decimalSeparator);

    std::string text = negative ? "-" : "";
    if (value.exponent <= 0) {
        text += '0';
    } else {
        for (int i = 0; i < value.exponent; ++i) text += DigitAt(value, i);
    }
    text += decimalSeparator;
    for (int i = 0; i < kDecimals; ++i) text += DigitAt(value, value.exponent + i);
    return text;
}

std::string FormatFixed3(long double x, char decimalSeparator) {
    return FormatFixed(x, 6, decimalSeparator);
}

std::string FormatExponent(long double x, char decimalSeparator) {
    constexpr int kDigits = 6;
    if (!std::isfinite(x)) return NonFinite(x);
    DecimalDigits value{std::string(kDigits, '0'), 1};
    if (x != 0) value = RoundDigits(SignificantDigits(x), kDigits);
    std::string text = x < 0 ? "-" : "";
    text += value.digits[0];
    text += decimalSeparator;
    text += value.digits.substr(1);
    return text + PowerOfTenText(value.exponent - 1, true);
}

std::string FormatPrintf(const char* format, double value, char decimalSeparator) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    std::string result = text;
    for (char& c : result) c = c == '.' ? decimalSeparator : c;
    return result;
}

std::string FormatQuantity(const char* format, double value, char decimalSeparator) {
    if (std::isinf(value)) return value > 0.0 ? "infinite" : "-infinite";
    return std::isnan(value) ? "undefined" : FormatPrintf(format, value, decimalSeparator);
}

std::string FormatAngle(const char* format, double degrees, double low, double period,
                        bool lowIncluded, char decimalSeparator) {
    // Rounding may carry the text onto the end the turn leaves out: it reads the other end.
    // Texts compared rather than values read back: reading would follow the locale.
    auto reads = [format](double value, double as) {
        return FormatPrintf(format, value, '.') == FormatPrintf(format, as, '.');
    };
    if (lowIncluded && (degrees >= low + period || reads(degrees, low + period))) {
        degrees -= period;
    }
    if (!lowIncluded && (degrees <= low || reads(degrees, low))) degrees += period;
    // −0.04 would read "-0.0": zero has no sign.
    if (reads(degrees, -0.0)) degrees = 0.0;
    return FormatPrintf(format, degrees, decimalSeparator);
}

}  // namespace varnel
