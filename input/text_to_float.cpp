#include "input/text_to_float.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace varnel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Scans sign, mantissa and exponent of a data-file field from `i`, appending their canonical
// form ("-12.5e-3") to `canonical`. Returns false on a malformed number.
bool ScanNumber(std::string_view text, std::size_t& i, char separator, std::string& canonical) {
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') canonical += '-';
        ++i;
    }
    bool digits = false, sawSeparator = false;
    std::size_t mantissaStart = canonical.size();
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            canonical += text[i];
            digits = true;
        } else if (text[i] == separator && !sawSeparator) {
            canonical += '.';
            sawSeparator = true;
        } else {
            break;
        }
    }
    if (canonical.size() == mantissaStart) return false;   // nothing between sign and exponent
    if (!digits) canonical.insert(mantissaStart, 1, '0');  // a lone separator reads as 0
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        std::string exponent = "e";
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) exponent += text[i++];
        bool exponentDigits = false;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            exponent += text[i];
            exponentDigits = true;
        }
        if (exponentDigits) canonical += exponent;
    }
    return true;
}

// Converts a number text that from_chars reads whole; an underflow reads as 0, an overflow
// does not convert.
template <typename Real>
std::optional<Real> ConvertCanonical(std::string_view canonical) {
    Real value = 0;
    const auto [end, error] =
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    if (end != canonical.data() + canonical.size()) return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // from_chars does not say which way it left the range: look at the exponent's sign.
        const std::size_t e = canonical.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && canonical.substr(e + 1, 1) == "-";
        if (tiny) return canonical[0] == '-' ? -Real(0) : Real(0);
        return std::nullopt;
    }
    if (error != std::errc()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<long double> TextToFloat(std::string_view text, char decimalSeparator) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string canonical;
    if (!ScanNumber(text, i, decimalSeparator, canonical)) return std::nullopt;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return std::nullopt;
    return ConvertCanonical<long double>(canonical);
}

std::optional<double> TableTextToFloat(std::string_view text) {
    // from_chars reads exactly the table's syntax once the text is known to have one sign at
    // most and a digit or "." after it (which keeps out "inf" and "nan"), and is rid of a plus
    // sign, which from_chars does not take.
    const bool signed_ = !text.empty() && (text.front() == '+' || text.front() == '-');
    const std::string_view magnitude = text.substr(signed_ ? 1 : 0);
    if (magnitude.empty() || !(IsDigit(magnitude.front()) || magnitude.front() == '.')) {
        return std::nullopt;
    }
    if (text.front() == '+') text.remove_prefix(1);
    return ConvertCanonical<double>(text);  // a double's range: the table stores doubles
}

}  // namespace varnel
