#pragma once

#include <optional>
#include <string_view>

namespace varnel {

/// The runtime's text-to-number conversion of a data-file field: optional leading and trailing
/// blanks (code 32 only), an optional sign, digits with at most one decimal separator, an
/// optional exponent ("E"/"e", optional sign, digits, possibly none). The value in extended
/// precision, or nothing when the text is not such a number or is beyond the extended range.
std::optional<long double> TextToFloat(std::string_view text, char decimalSeparator);

/// The quantile table's number syntax: optional sign, digits with an optional ".", optional
/// exponent with at least one digit; nothing else. Nothing when the text does not convert or
/// lies beyond the range of a double.
std::optional<double> TableTextToFloat(std::string_view text);

}  // namespace varnel
