#include "input/geojson_terms.h"

#include <charconv>
#include <cstdio>

#include "input/data_file.h"

namespace varnel::geojson {

namespace {

// `number` in the general form with `digits` significant digits and `decimalSeparator`;
// formatted apart from the locale, as printf under the desktop program's locale is not.
std::string GeneralText(long double number, int digits, char decimalSeparator) {
    char text[64];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, number, std::chars_format::general, digits);
    std::string general(text, end.ptr);
    for (char& c : general) {
        if (c == '.') c = decimalSeparator;
    }
    return general;
}

}  // namespace

Key KeyOf(const std::string& name) {
    if (name == "type") return Key::Type;
    if (name == "features") return Key::Features;
    if (name == "geometry") return Key::Geometry;
    if (name == "coordinates") return Key::Coordinates;
    if (name == "id") return Key::Id;
    if (name == "properties") return Key::Properties;
    return Key::Other;
}

bool Followed(Role role, Key key) {
    switch (role) {
        case Role::Root:
            return key == Key::Type || key == Key::Features;
        case Role::Feature:
            return key == Key::Geometry || key == Key::Id || key == Key::Properties;
        case Role::Geometry:
            return key == Key::Type || key == Key::Coordinates;
        default:
            return false;
    }
}

std::string LabelText(const std::string& text, bool quoted) {
    const std::string cut =
        text.size() > kLongestLabel ? text.substr(0, kLongestLabel) + "..." : text;
    // Written back as JSON would write it, so that a NUL, a line break or a quote in an id
    // neither cuts the message nor forges a line of it.
    std::string label = quoted ? "\"" : "";
    for (const char c : cut) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            label += escape;
        } else {
            if (quoted && (c == '"' || c == '\\')) label += '\\';
            label += c;
        }
    }
    return quoted ? label + "\"" : label;
}

const char* FaultText(OutlineFault fault) {
    switch (fault) {
        case OutlineFault::CrossesItself:
            return "crosses itself, so it bounds no region.";
        case OutlineFault::RingsCross:
            return "has rings that cross each other.";
        case OutlineFault::HoleOutside:
            return "has a hole outside its outer ring.";
        case OutlineFault::HolesOverlap:
            return "has holes that overlap.";
        case OutlineFault::None:
            break;
    }
    return "";
}

std::string RatioAboveLimitText(long double ratio, char decimalSeparator) {
    constexpr int kDigits = 4, kMostDigits = 21;  // 21 tell any two long doubles apart
    const std::string limit = GeneralText(kLargestAxialRatio, kDigits, decimalSeparator);
    std::string number = GeneralText(ratio, kDigits, decimalSeparator);
    for (int digits = kDigits + 1; number == limit && digits <= kMostDigits; ++digits) {
        number = GeneralText(ratio, digits, decimalSeparator);
    }
    return "is an ellipse of axial ratio " + number + ", above the largest the program analyses (" +
           limit + ").";
}

std::string JsonErrorText(const std::string& what, std::size_t position) {
    constexpr std::size_t kLongest = 300;
    const std::size_t prefixEnd = what.find("] ");
    std::string reason = prefixEnd == std::string::npos ? what : what.substr(prefixEnd + 2);
    if (reason.size() > kLongest) reason = reason.substr(0, kLongest) + "...";
    if (reason.find(" at line ") == std::string::npos) {
        reason += " (at byte " + std::to_string(position) + ")";
    }
    return "Invalid JSON: " + reason;
}

}  // namespace varnel::geojson
