#include "input/data_file.h"

#include <cfloat>
#include <cmath>
#include <numbers>

#include "core/checked_math.h"
#include "core/messages.h"
#include "input/byte_reader.h"
#include "input/text_to_float.h"

namespace varnel {

namespace {

// A line's text is kept up to this length, far beyond any number; a longer line ends the read
// with the conversion error of the field it is cut in, and no more of it is held in memory.
constexpr std::size_t kLongestLine = std::size_t(1) << 20;

// The comma if the line holds one, else the tab, else the blank.
std::size_t SeparatorPosition(std::string_view line) {
    for (const char separator : {',', '\t', ' '}) {
        const std::size_t position = line.find(separator);
        if (position != std::string_view::npos) return position;
    }
    return std::string_view::npos;
}

// Longest field text the conversion error quotes whole; a longer one (a line of megabytes)
// is cut there and marked "...", so the message stays readable in a message box.
constexpr std::size_t kLongestQuotedField = 200;

// The field as the message quotes it, "..." marking a field cut here or with its line. A NUL
// byte would end the message's text where it stands, so it is shown as the symbol for null, "␀".
std::string QuotedField(std::string_view field, bool lineCut) {
    const bool cut = lineCut || field.size() > kLongestQuotedField;
    std::string quoted;
    for (const char c : field.substr(0, kLongestQuotedField)) {
        if (c == '\0') {
            quoted += "\u2400";
        } else {
            quoted += c;
        }
    }
    return cut ? quoted + "..." : quoted;
}

// The runtime's conversion error, naming the field's text.
[[noreturn]] void ThrowNotANumber(std::string_view field, bool lineCut) {
    throw VarnelError("'" + QuotedField(field, lineCut) + "' は浮動小数点数ではありません");
}

// A field as the runtime converts it; a value beyond the range of a double overflows when it
// is stored.
double ConvertField(std::string_view field, char decimalSeparator) {
    const std::optional<long double> value = TextToFloat(field, decimalSeparator);
    if (!value) ThrowNotANumber(field, false);
    return StoreDouble(*value);
}

// Removes leading and trailing characters with codes 0 to 32, as the reader trims a line.
std::string_view TrimControlAndBlank(std::string_view text) {
    const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

double ConvertDataField(std::string_view field, char decimalSeparator) {
    return ConvertField(field, decimalSeparator);
}

double DegreesToStoredRadians(double degrees) {
    // The constant and the product in extended precision, the result rounded to a double.
    constexpr long double kRadiansPerDegree = std::numbers::pi_v<long double> / 180.0L;
    return StoreDouble(degrees * kRadiansPerDegree);
}

bool IsDataLine(std::string_view line, char decimalSeparator) {
    const std::string_view text = TrimControlAndBlank(line);
    const std::size_t separator = SeparatorPosition(text);
    if (separator == std::string_view::npos) return false;
    for (const std::string_view field : {text.substr(0, separator), text.substr(separator + 1)}) {
        const std::optional<long double> value = TextToFloat(field, decimalSeparator);
        if (!value || std::fabs(*value) > static_cast<long double>(DBL_MAX)) return false;
    }
    return true;
}

CountOutcome ChooseAndCountDataFile(AnalysisState& state, const std::string& chosenPath) {
    long long count = 0;
    try {
        ByteReader reader(chosenPath);
        while (count <= kMaxData && reader.SkipLine()) ++count;
    } catch (const VarnelError&) {
        return CountOutcome::Unreadable;
    }
    if (count > kMaxData) return CountOutcome::TooManyData;
    state.DataCount = static_cast<std::int32_t>(count);
    state.DataFileName = chosenPath;
    state.DataFirstLine = 1;
    return CountOutcome::Counted;
}

ParseOutcome ParseDataFile(AnalysisState& state, char decimalSeparator) {
    if (state.DataCount <= 0) return {true, 0};
    ByteReader reader(state.DataFileName);
    std::string line;
    for (int k = 1; k <= state.DataCount; ++k) {
        // A file that ended early gives empty lines.
        const bool cut = reader.ReadTrimmedLine(line, kLongestLine) == TrimmedLine::Cut;
        const std::string_view text = line;
        const std::size_t separator = SeparatorPosition(text);
        if (separator == std::string_view::npos) {
            if (cut) ThrowNotANumber(text, true);  // the R field goes on beyond the cut
            return {false, k};
        }
        state.RPost[k] = ConvertField(text.substr(0, separator), decimalSeparator);
        if (cut) ThrowNotANumber(text.substr(separator + 1), true);
        const double degrees = ConvertField(text.substr(separator + 1), decimalSeparator);
        state.PhiPost[k] = DegreesToStoredRadians(degrees);
    }
    return {true, 0};
}

bool ValidateAxialRatios(const AnalysisState& state, std::vector<std::string>& memoLines) {
    bool anyInvalid = false;
    for (int k = 1; k <= state.DataCount; ++k) {
        if (!(state.RPost[k] >= 1.0 && state.RPost[k] <= kLargestAxialRatio)) {
            const int line = k + state.DataFirstLine - 1;
            memoLines.push_back(kInvalidRatioAtLinePrefix + std::to_string(line));
            anyInvalid = true;
        }
    }
    return anyInvalid;
}

}  // namespace varnel
