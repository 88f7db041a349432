#include "input/data_file_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

#include "core/checked_math.h"
#include "input/data_file.h"
#include "input/text_to_float.h"

namespace varnel {

namespace {

// Digits and exponent without a decimal separator: "1.25e+03" becomes "125e1".
std::string WithoutDecimals(const std::string& scientific) {
    const std::size_t e = scientific.find('e');
    std::string mantissa = scientific.substr(0, e);
    int exponent = std::stoi(scientific.substr(e + 1));
    if (const std::size_t dot = mantissa.find('.'); dot != std::string::npos) {
        exponent -= static_cast<int>(mantissa.size() - dot - 1);
        mantissa.erase(dot, 1);
    }
    return mantissa + "e" + std::to_string(exponent);
}

// `value` by to_chars (the shortest round trip, or `precision` significant digits), in the
// form the reader takes with `decimalSeparator`.
std::string Formatted(double value, char decimalSeparator, std::optional<int> precision) {
    char buffer[128];
    const auto format = [&](std::optional<std::chars_format> style) {
        const std::to_chars_result result =
            precision ? std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, *precision - 1)
            : style   ? std::to_chars(buffer, buffer + sizeof buffer, value, *style)
                      : std::to_chars(buffer, buffer + sizeof buffer, value);
        return std::string(buffer, result.ptr);
    };
    std::string text = format(std::nullopt);
    if (decimalSeparator == ',') {
        if (text.find('.') == std::string::npos) return text;
        return WithoutDecimals(format(std::chars_format::scientific));
    }
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
    }
    return text;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool ReadsBackAs(const std::string& text, char decimalSeparator, double value) {
    const std::optional<long double> read = TextToFloat(text, decimalSeparator);
    if (!read || std::isinf(*read) || std::fabs(*read) > static_cast<long double>(DBL_MAX)) {
        return false;
    }
    return SameBits(static_cast<double>(*read), value);
}

// The degrees whose stored radians are `radians`, written as briefly as possible: the double
// nearest radians × 180/π and its neighbours are tried, since the reader rounds the degrees to
// a double before converting them.
std::string DegreesText(double radians, char decimalSeparator) {
    const double nearest =
        static_cast<double>(radians * (180.0L / std::numbers::pi_v<long double>));
    std::string best;
    const auto tryDegrees = [&](double degrees) {
        if (!std::isfinite(degrees) || !SameBits(DegreesToStoredRadians(degrees), radians)) return;
        const std::string text = DataNumberText(degrees, decimalSeparator);
        if (best.empty() || text.size() < best.size()) best = text;
    };
    tryDegrees(nearest);
    double below = nearest, above = nearest;
    for (int step = 0; step < 16; ++step) {
        tryDegrees(below = std::nextafter(below, -HUGE_VAL));
        tryDegrees(above = std::nextafter(above, HUGE_VAL));
    }
    return best.empty() ? DataNumberText(nearest, decimalSeparator) : best;
}

}  // namespace

std::string DataNumberText(double value, char decimalSeparator) {
    std::string text = Formatted(value, decimalSeparator, std::nullopt);
    // The reader converts in extended precision and rounds again; where that double rounding
    // misses, more digits settle it.
    for (int digits = 17; !ReadsBackAs(text, decimalSeparator, value) && digits <= 40; ++digits) {
        text = Formatted(value, decimalSeparator, digits);
    }
    return text;
}

std::string DataFileText(const AnalysisState& state, char decimalSeparator) {
    const char fieldSeparator = decimalSeparator == ',' ? '\t' : ',';
    std::string text;
    for (int k = 1; k <= state.DataCount; ++k) {
        text += DataNumberText(state.RPost[k], decimalSeparator);
        text += fieldSeparator;
        text += DegreesText(state.PhiPost[k], decimalSeparator);
        text += '\n';
    }
    return text;
}

}  // namespace varnel
