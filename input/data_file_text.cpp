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

// `value` by to_chars: the shortest round trip, or `precision` significant digits.
std::string Formatted(double value, std::optional<int> precision) {
    char buffer[128];
    const std::to_chars_result result =
        precision ? std::to_chars(buffer, buffer + sizeof buffer, value,
                                  std::chars_format::scientific, *precision - 1)
                  : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool ReadsBackAs(const std::string& text, double value) {
    const std::optional<long double> read = TextToFloat(text, '.');
    if (!read || std::isinf(*read) || std::fabs(*read) > static_cast<long double>(DBL_MAX)) {
        return false;
    }
    return SameBits(static_cast<double>(*read), value);
}

// The degrees whose stored radians are `radians`, written as briefly as possible: the double
// nearest radians × 180/π and its neighbours are tried, since the reader rounds the degrees to
// a double before converting them.
std::string DegreesText(double radians) {
    const double nearest =
        static_cast<double>(radians * (180.0L / std::numbers::pi_v<long double>));
    std::string best;
    const auto tryDegrees = [&](double degrees) {
        if (!std::isfinite(degrees) || !SameBits(DegreesToStoredRadians(degrees), radians)) return;
        const std::string text = DataNumberText(degrees);
        if (best.empty() || text.size() < best.size()) best = text;
    };
    tryDegrees(nearest);
    double below = nearest, above = nearest;
    for (int step = 0; step < 16; ++step) {
        tryDegrees(below = std::nextafter(below, -HUGE_VAL));
        tryDegrees(above = std::nextafter(above, HUGE_VAL));
    }
    return best.empty() ? DataNumberText(nearest) : best;
}

}  // namespace

std::string DataNumberText(double value) {
    std::string text = Formatted(value, std::nullopt);
    // The reader converts in extended precision and rounds again; where that double rounding
    // misses, more digits settle it.
    for (int digits = 17; !ReadsBackAs(text, value) && digits <= 40; ++digits) {
        text = Formatted(value, digits);
    }
    return text;
}

std::string DataFileText(const AnalysisState& state) {
    std::string text;
    for (int k = 1; k <= state.DataCount; ++k) {
        text += DataNumberText(state.RPost[k]);
        text += ',';
        text += DegreesText(state.PhiPost[k]);
        text += '\n';
    }
    return text;
}

}  // namespace varnel
