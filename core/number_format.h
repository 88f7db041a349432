#pragma once

#include <string>

namespace varnel {

/// Fixed-point text with at most `significantDigits` significant digits and exactly 3 decimals,
/// switching to the scientific form ("1.23457E006") at 10^significantDigits; halves round away
/// from zero; "NAN", "INF", "-INF".
std::string FormatFixed(long double x, int significantDigits, char decimalSeparator);

/// The report's number format: FormatFixed with 6 significant digits.
std::string FormatFixed3(long double x, char decimalSeparator = '.');

/// Scientific text with 6 significant digits: "1.23456E+001", "0.00000E+000"; "NAN", "INF".
std::string FormatExponent(long double x, char decimalSeparator = '.');

/// printf's text of `value` for `format` (one double conversion, such as "%.4f"), "." written as
/// `decimalSeparator`.
std::string FormatPrintf(const char* format, double value, char decimalSeparator);

/// FormatPrintf of a quantity that may be left undefined (NaN) or infinite: "undefined",
/// "infinite" or "-infinite" instead.
std::string FormatQuantity(const char* format, double value, char decimalSeparator);

/// FormatPrintf of an angle in the turn of `period` degrees from `low`, as its text reads:
/// [low, low + period) where `lowIncluded` (a trend of 359.96 reads "000.0", not "360.0"),
/// (low, low + period] otherwise (a φ of −89.999 reads "90.00"); never a negative zero.
std::string FormatAngle(const char* format, double degrees, double low, double period,
                        bool lowIncluded, char decimalSeparator);

}  // namespace varnel
