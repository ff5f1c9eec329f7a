#include "text/number_parse.h"

#include <charconv>
#include <limits>
#include <string>

namespace k10 {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

template <class Int>
std::optional<Int> parseSignedDigits(std::string_view token) {
    bool negative = false;
    if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    if (token.empty())
        return std::nullopt;
    for (char c : token)
        if (!isDigit(c))
            return std::nullopt;
    // Parse the magnitude with room for the most negative value.
    std::uint64_t magnitude = 0;
    for (char c : token) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
        if (magnitude > static_cast<std::uint64_t>(std::numeric_limits<Int>::max()) + 1)
            return std::nullopt;
    }
    if (!negative && magnitude > static_cast<std::uint64_t>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    if (negative)
        return static_cast<Int>(-static_cast<std::int64_t>(magnitude));
    return static_cast<Int>(magnitude);
}

// For a well-formed real that does not fit a double: whether it is too small rather than too large.
bool isUnderflow(std::string_view body) {
    std::size_t e = body.find_first_of("eE");
    if (e != std::string_view::npos)
        return body[e + 1] == '-';
    std::size_t point = body.find('.');
    return body.substr(0, point).find_first_not_of('0') == std::string_view::npos;
}

} // namespace

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<std::int32_t> parseInteger(std::string_view token) { return parseSignedDigits<std::int32_t>(token); }

std::optional<std::int32_t> parseIntegerLeadingBlanks(std::string_view field) {
    while (!field.empty() && isBlank(field.front()))
        field.remove_prefix(1);
    return parseInteger(field);
}

std::optional<std::int64_t> parseIntegerIgnoringBlanks(std::string_view text) {
    // More than 30 characters cannot be a number of 64 bits; stop there rather than copy a huge field.
    std::string compact;
    for (char c : text) {
        if (c == ' ')
            continue;
        if (compact.size() == 30)
            return std::nullopt;
        compact += c;
    }
    return parseSignedDigits<std::int64_t>(compact);
}

std::optional<double> parseRealToken(std::string_view token) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    std::size_t mantissaStart = i;
    std::size_t mantissaDigits = 0;
    while (i < token.size() && isDigit(token[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && isDigit(token[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < token.size() && isDigit(token[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != token.size())
        return std::nullopt;

    std::string_view body = token.substr(mantissaStart);
    double value = 0;
    auto result = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is not a number the system can hold.
        if (!isUnderflow(body))
            return std::nullopt;
        value = 0;
    } else if (result.ec != std::errc() || result.ptr != body.data() + body.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<double> parseRealTrimmed(std::string_view text) { return parseRealToken(trimBlanks(text)); }

} // namespace k10
