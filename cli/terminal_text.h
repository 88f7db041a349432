#pragma once

#include <string>
#include <string_view>

namespace varnel::cli {

/// Text as it may reach a terminal: a file name or a data field could otherwise carry escape
/// sequences that recolour, clear or rewrite the user's screen. Control characters other than
/// the line feed and the tab become their visible symbols (U+2400 …, DEL as U+2421); C1
/// controls and the bidirectional overrides and isolates become U+FFFD. Everything else,
/// invalid UTF-8 included, passes as it is.
std::string TerminalSafe(std::string_view text);

/// The columns UTF-8 text takes on a terminal: one a character, two for the wide characters
/// of East Asian scripts; a byte that is not UTF-8 counts one.
std::size_t DisplayWidth(std::string_view text);

/// The text, or "..." and as much of its end as fits within `columns`, cut between characters.
std::string KeepEndWithin(std::string_view text, std::size_t columns);

/// Routes everything written to std::cerr through TerminalSafe, for the rest of the program.
void FilterStandardError();

}  // namespace varnel::cli
