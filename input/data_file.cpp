#include "input/data_file.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>

#include "core/checked_math.h"
#include "core/messages.h"
#include "core/report.h"
#include "input/byte_reader.h"
#include "input/text_to_float.h"

namespace varnel {

namespace {

// A line's text is kept up to this length, far beyond any number; a longer line ends the read
// with the conversion error of the field it is cut in, and no more of it is held in memory.
constexpr std::size_t kLongestDataLine = std::size_t(1) << 20;

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

// The runtime's conversion error, naming the field's text, with `detail` below it.
[[noreturn]] void ThrowNotANumber(std::string_view field, bool lineCut, std::string detail = {}) {
    throw VarnelError("'" + QuotedField(field, lineCut) + "' は浮動小数点数ではありません",
                      std::move(detail));
}

// A field as the runtime converts it; a value beyond the range of a double overflows when it
// is stored.
double ConvertField(std::string_view field, char decimalSeparator, const std::string& where) {
    const std::optional<long double> value = TextToFloat(field, decimalSeparator);
    if (!value) {
        ThrowNotANumber(field, false, "'" + QuotedField(field, false) + "' " + where);
    }
    return StoreDouble(*value);
}

// Where a field of a data line stands, for the English line below an error.
struct FieldPlace {
    std::string fileName;  // without its folder
    int line = 0;
    const char* field = "R";       // "R" or "φ"
    std::string_view text;         // the whole line
    bool carriageReturns = false;  // it held CRs that end no line

    std::string Where() const {
        return std::string(field) + " on line " + std::to_string(line) + " of " + fileName;
    }
};

// A file whose lines end in CR alone (classic Mac OS) reads as one line, as the reader's
// rule has it; the hint says so and how to convert it.
std::string CarriageReturnHint(const FieldPlace& place) {
    return "the lines of " + place.fileName +
           " end in CR only (old Mac OS text), so it reads as one line: convert its line ends "
           "to LF, e.g. tr '\\r' '\\n' < " +
           place.fileName + " > unix.txt";
}

// A line of a spreadsheet saved with ";" and no header: the reader splits at a comma, a tab
// or a blank, never at ";".
std::string SemicolonHint(const FieldPlace& place) {
    const std::size_t comma = place.text.find(',');
    const std::string read = comma == std::string_view::npos
                                 ? "with no comma, tab or blank it is one field"
                                 : "it was split at its first comma into '" +
                                       QuotedField(place.text.substr(0, comma), false) + "' and '" +
                                       QuotedField(place.text.substr(comma + 1), false) + "'";
    return "line " + std::to_string(place.line) + " of " + place.fileName +
           " is separated by \";\", which a data file without a header line does not use (" + read +
           "): separate R and φ by a tab, or give the file a header line such as R;phi";
}

// The English line below "Invalid data at line #": the line holds no separator.
std::string NoSeparatorDetail(const FieldPlace& place) {
    if (place.carriageReturns) return CarriageReturnHint(place);
    if (place.text.find(';') != std::string_view::npos) return SemicolonHint(place);
    const std::string where = "line " + std::to_string(place.line) + " of " + place.fileName;
    if (place.text.empty()) {
        return where + " is empty: every line, the last one too, holds R and φ; delete it";
    }
    return where + " holds one field, '" + QuotedField(place.text, false) +
           "': R and φ are needed, separated by a comma, a tab or blanks";
}

// The English line below the conversion error of a data-file field: where it is, and why.
std::string NotANumberDetail(std::string_view field, bool lineCut, const FieldPlace& place) {
    if (!lineCut && place.carriageReturns) {
        return CarriageReturnHint(place);
    }
    if (lineCut) {
        return "line " + std::to_string(place.line) + " of " + place.fileName +
               " is longer than 1 MiB";
    }
    if (field.find_first_not_of(' ') == std::string_view::npos) {
        return "no number for " + place.Where() + ": the field is empty";
    }
    const std::string detail =
        "'" + QuotedField(field, false) + "', " + place.Where() + ", is not a number";
    if (place.text.find(';') != std::string_view::npos) return SemicolonHint(place);
    if (field.starts_with(kUtf8ByteOrderMark)) {
        return detail + ": the file starts with a byte-order mark; save it without one";
    }
    const std::size_t text = field.find_first_not_of(' ');
    const std::size_t end = field.find_last_not_of(' ');
    // A line split at a comma before its tab: say how the tab would have split it, since that
    // is most likely the split meant.
    const std::size_t comma = place.text.find(','), tab = place.text.find('\t');
    if (comma < tab && tab != std::string_view::npos &&
        field.find('\t') != std::string_view::npos) {
        // That split is read only where it gives two numbers with decimal commas (a comma at
        // a field's edge parts fields, it is no decimal comma); the hint names the field of it
        // that is none.
        const std::string_view r = place.text.substr(0, tab), phi = place.text.substr(tab + 1);
        const auto decimalCommaNumber = [](std::string_view text) {
            const std::size_t first = text.find_first_not_of(' ');
            const std::size_t last = text.find_last_not_of(' ');
            return first != std::string_view::npos && text[first] != ',' && text[last] != ',' &&
                   TextToFloat(text, ',').has_value();
        };
        const std::string_view notNumber = decimalCommaNumber(r) ? phi : r;
        return detail +
               ": the line is split at its first comma; split at its tab it would read R '" +
               QuotedField(r, false) + "' and φ '" + QuotedField(phi, false) + "', but '" +
               QuotedField(notNumber, false) + "' is not a number with a decimal comma either";
    }
    if (field.substr(text, end + 1 - text).find_first_of(",\t ") != std::string_view::npos) {
        return detail +
               ": a line holds two numbers, R and φ, separated by a comma, a tab or blanks, "
               "and one kind of decimal separator";
    }
    return detail;
}

[[noreturn]] void ThrowNotANumberAt(std::string_view field, bool lineCut, const FieldPlace& place) {
    ThrowNotANumber(field, lineCut, NotANumberDetail(field, lineCut, place));
}

// StoreDouble, the overflow saying which field of which line.
double StoreField(long double value, const FieldPlace& place) {
    if (std::isfinite(value) && std::fabs(value) > static_cast<long double>(DBL_MAX)) {
        throw VarnelError(kOverflowMessage, place.Where() +
                                                " is beyond the largest number the program "
                                                "holds, about 1.8e308");
    }
    return StoreDouble(value);
}

// The two fields of a line and their values, in extended precision; a value is missing where
// its field is not a number.
struct LineFields {
    std::string_view r, phi;
    std::optional<long double> rValue, phiValue;

    bool BothNumbers() const { return rValue && phiValue; }
};

// A field in the locale's convention, or else with "." as decimal point: the reader knows no
// thousands separators, so a "." can only be a decimal point, whatever the locale.
std::optional<long double> FieldValue(std::string_view field, char decimalSeparator) {
    std::optional<long double> value = TextToFloat(field, decimalSeparator);
    if (!value && decimalSeparator != '.') value = TextToFloat(field, '.');
    return value;
}

LineFields SplitAt(std::string_view text, std::size_t separator, char decimalSeparator) {
    LineFields fields{text.substr(0, separator), text.substr(separator + 1), {}, {}};
    fields.rValue = FieldValue(fields.r, decimalSeparator);
    fields.phiValue = FieldValue(fields.phi, decimalSeparator);
    return fields;
}

// True when a field, blanks aside, starts or ends with a comma: "2,5 ,30" means the comma to
// part the fields, and ",30" is not read as 0.30.
bool CommaAtAnEdge(std::string_view field) {
    const std::size_t first = field.find_first_not_of(' '), last = field.find_last_not_of(' ');
    return first != std::string_view::npos && (field[first] == ',' || field[last] == ',');
}

// A line the comma split leaves with a field that is not a number, split instead at its first
// tab (or, without one, its first blank) into two numbers with decimal commas: "1,5<TAB>30,5".
std::optional<LineFields> DecimalCommaFields(std::string_view text) {
    std::size_t separator = text.find('\t');
    if (separator == std::string_view::npos) separator = text.find(' ');
    if (separator == std::string_view::npos) return std::nullopt;
    LineFields fields{text.substr(0, separator), text.substr(separator + 1), {}, {}};
    if (CommaAtAnEdge(fields.r) || CommaAtAnEdge(fields.phi)) return std::nullopt;
    fields.rValue = TextToFloat(fields.r, ',');
    fields.phiValue = TextToFloat(fields.phi, ',');
    if (!fields.BothNumbers()) return std::nullopt;
    return fields;
}

// The fields of a line that splits at `separator` (SeparatorPosition) as the reader takes them:
// split there with both fields numbers in the locale's convention; failing that, with "." read
// as decimal point; failing that, after a comma split, as two numbers with decimal commas.
// Every line the first rule reads is thus read exactly as before. Nothing when no rule reads it.
std::optional<LineFields> ReadableFields(std::string_view text, std::size_t separator,
                                         char decimalSeparator) {
    const LineFields fields = SplitAt(text, separator, decimalSeparator);
    if (fields.BothNumbers()) return fields;
    if (text[separator] == ',') return DecimalCommaFields(text);
    return std::nullopt;
}

// Removes leading and trailing characters with codes 0 to 32, as the reader trims a line.
std::string_view TrimControlAndBlank(std::string_view text) {
    const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

double ConvertDataField(std::string_view field, char decimalSeparator, const std::string& where) {
    return ConvertField(field, decimalSeparator, where);
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
    const std::optional<LineFields> fields = ReadableFields(text, separator, decimalSeparator);
    if (!fields) return false;
    for (const long double value : {*fields->rValue, *fields->phiValue}) {
        if (std::fabs(value) > static_cast<long double>(DBL_MAX)) return false;
    }
    return true;
}

CountOutcome ChooseAndCountDataFile(AnalysisState& state, const std::string& chosenPath,
                                    std::string* detail) {
    long long count = 0;
    try {
        ByteReader reader(chosenPath);
        // Past the limit only to say how far it is exceeded.
        while ((count <= kMaxData || detail) && reader.SkipLine()) ++count;
    } catch (const VarnelError& error) {
        if (detail) *detail = error.Detail();
        return CountOutcome::Unreadable;
    }
    if (count > kMaxData) {
        if (detail) *detail = TooManyDataDetail(chosenPath, count, "lines");
        return CountOutcome::TooManyData;
    }
    state.DataCount = static_cast<std::int32_t>(count);
    state.DataFileName = chosenPath;
    state.DataFirstLine = 1;
    return CountOutcome::Counted;
}

std::string TooManyDataDetail(const std::string& path, long long count, const char* items) {
    // A count below zero: reading stopped at the limit.
    const std::string held = count < 0 ? "more than " + std::to_string(kMaxData) + " " + items
                                       : std::to_string(count) + " " + items + ", more than the " +
                                             std::to_string(kMaxData);
    return FileNameWithoutFolder(path) + " holds " + held +
           " data the program analyses at once: split it into files of at most " +
           std::to_string(kMaxData);
}

ParseOutcome ParseDataFile(AnalysisState& state, char decimalSeparator) {
    if (state.DataCount <= 0) return {true, 0, {}};
    ByteReader reader(state.DataFileName);
    const std::string fileName = FileNameWithoutFolder(state.DataFileName);
    std::string line;
    for (int k = 1; k <= state.DataCount; ++k) {
        // A file that ended early gives empty lines.
        const bool cut = reader.ReadTrimmedLine(line, kLongestDataLine) == TrimmedLine::Cut;
        const std::string_view text = line;
        const std::size_t separator = SeparatorPosition(text);
        // CRs within the one line of a file are its line ends, unless it has others.
        const bool carriageReturns = state.DataCount == 1 && reader.LoneCarriageReturnSeen();
        FieldPlace place{fileName, k, "R", text, carriageReturns};
        if (separator == std::string_view::npos) {
            if (cut) ThrowNotANumberAt(text, true, place);  // the R field goes on beyond the cut
            return {false, k, NoSeparatorDetail(place)};
        }
        std::optional<LineFields> fields;
        if (!cut) fields = ReadableFields(text, separator, decimalSeparator);
        // A line no rule reads: the error of its first field that is not a number.
        if (!fields) fields = SplitAt(text, separator, decimalSeparator);
        if (!fields->rValue) ThrowNotANumberAt(fields->r, false, place);
        state.RPost[k] = StoreField(*fields->rValue, place);
        place.field = "φ";
        if (cut) ThrowNotANumberAt(fields->phi, true, place);
        if (!fields->phiValue) ThrowNotANumberAt(fields->phi, false, place);
        state.PhiPost[k] = DegreesToStoredRadians(StoreField(*fields->phiValue, place));
    }
    return {true, 0, {}};
}

bool ValidateAxialRatios(const AnalysisState& state, std::vector<std::string>& memoLines,
                         std::vector<std::string>* details) {
    bool anyInvalid = false;
    for (int k = 1; k <= state.DataCount; ++k) {
        if (!(state.RPost[k] >= 1.0 && state.RPost[k] <= kLargestAxialRatio)) {
            const int line = k + state.DataFirstLine - 1;
            memoLines.push_back(kInvalidRatioAtLinePrefix + std::to_string(line));
            if (details) {
                // The shortest text that reads back as the value, whatever the locale.
                char value[32];
                const auto end = std::to_chars(value, value + sizeof value, state.RPost[k]).ptr;
                details->push_back("R = " + std::string(value, end) + " on line " +
                                   std::to_string(line) + " of " +
                                   FileNameWithoutFolder(state.DataFileName) +
                                   ": R, the long axis over the short one, lies from 1 to 100");
            }
            anyInvalid = true;
        }
    }
    return anyInvalid;
}

}  // namespace varnel
