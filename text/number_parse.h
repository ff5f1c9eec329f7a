#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace k10 {

// Every reading rule for numbers in the system's files, each independent of the locale.

// A whole number token: an optional sign and decimal digits, nothing else. Empty on anything else,
// overflow of 32 bits included.
std::optional<std::int32_t> parseInteger(std::string_view token);

// A whole number that may carry blanks before its digits (the DOS files); nothing may follow them.
std::optional<std::int32_t> parseIntegerLeadingBlanks(std::string_view field);

// A real token: an optional sign, digits with an optional '.', an optional exponent (E or e, optional
// sign, digits). At least one mantissa digit. Empty on anything else or on overflow.
std::optional<double> parseRealToken(std::string_view token);

// A real that may stand between blanks (a whole line, or a field between separators).
std::optional<double> parseRealTrimmed(std::string_view text);

// A whole number after every blank has been removed from the text (the catalog region numbers and power).
std::optional<std::int64_t> parseIntegerIgnoringBlanks(std::string_view text);

// Drops blanks (spaces and tabs) at both ends.
std::string_view trimBlanks(std::string_view text);

} // namespace k10
