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

}  // namespace varnel
