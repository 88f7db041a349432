#pragma once

#include <cstddef>
#include <string>

#include "input/outline_shape.h"

namespace varnel::geojson {

/// The objects and arrays of a FeatureCollection the outline reader follows; everything else
/// is skipped by depth alone.
enum class Role { Root, Features, Feature, Properties, Geometry, Coordinates };

/// The member names the reader acts on.
enum class Key { Other, Type, Features, Geometry, Coordinates, Id, Properties };

/// Longest "id" or property value shown in a message, in bytes.
inline constexpr std::size_t kLongestLabel = 40;

/// The Key of a member name.
Key KeyOf(const std::string& name);

/// True for the keys the reader follows in an object of `role`: each may occur once there.
bool Followed(Role role, Key key);

/// A value naming a feature in a message: a string quoted, a number as written, both cut to
/// kLongestLabel bytes.
std::string LabelText(const std::string& text, bool quoted);

/// What a message says of a polygon with `fault` after "polygon #k ".
const char* FaultText(OutlineFault fault);

/// What a message says after "polygon #k " of a polygon whose ellipse has R = `ratio` above
/// kLargestAxialRatio: R to 4 significant digits, more where those would read as the limit
/// ("100.02", not "100"), with `decimalSeparator`.
std::string RatioAboveLimitText(long double ratio, char decimalSeparator);

/// "Invalid JSON: " and the reason of a JSON library error without its "[json.exception.…] "
/// prefix, cut to a length a message box shows; the byte position is added where the reason
/// gives none.
std::string JsonErrorText(const std::string& what, std::size_t position);

}  // namespace varnel::geojson
