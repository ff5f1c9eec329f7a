#include "text/real_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace k10 {

namespace {

// The significant digits of a value rounded to a precision, without trailing zeros, and the decimal
// exponent of the first of them: 0.0125 has the digits "125" and the exponent -2.
struct RoundedDigits {
    char digits[32];
    std::size_t count = 0;
    int exponent = 0;
};

// A value that a person typed is nearly always a decimal of a few places: its magnitude times 10 to the
// power of the places is then a whole number that gives the magnitude back exactly when divided again.
// When that number has no more digits than the precision, they are the magnitude's digits rounded to the
// precision (at most 15 digits, which a double always keeps), found with a few multiplications instead
// of a search for the digits of its binary value.
bool findDecimalDigits(double magnitude, int precision, RoundedDigits& out) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                         1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
    if (precision < 1 || precision > 15)
        return false;
    const double limit = kPowers[precision];
    for (int places = 0; places <= 18; ++places) {
        double scaled = magnitude * kPowers[places];
        if (scaled >= limit)
            return false;
        std::uint64_t whole = static_cast<std::uint64_t>(scaled + 0.5);
        if (whole == 0 || static_cast<double>(whole) / kPowers[places] != magnitude)
            continue;
        auto result = std::to_chars(out.digits, out.digits + sizeof out.digits, whole);
        std::size_t length = static_cast<std::size_t>(result.ptr - out.digits);
        out.exponent = static_cast<int>(length) - 1 - places;
        out.count = length;
        while (out.count > 1 && out.digits[out.count - 1] == '0')
            --out.count;
        return true;
    }
    return false;
}

// Rounds by the digits of the value's binary form; every value takes this way when the one above fails.
RoundedDigits roundDigits(double magnitude, int precision) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                                precision - 1);
    // The largest doubles round up past the largest double, to a number no reader could take back: their
    // digits are cut instead, from the 17 that identify the value.
    double check = 0;
    bool cutDigits =
        magnitude > 1e308 && std::from_chars(buffer, result.ptr, check).ec == std::errc::result_out_of_range;
    if (cutDigits)
        result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 16);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));

    RoundedDigits out;
    std::size_t ePos = text.find('e');
    std::string_view exponentText = text.substr(ePos + 1);
    if (exponentText.front() == '+')
        exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), out.exponent);
    for (char c : text.substr(0, ePos))
        if (c != '.')
            out.digits[out.count++] = c;
    if (cutDigits)
        out.count = static_cast<std::size_t>(precision);
    while (out.count > 1 && out.digits[out.count - 1] == '0')
        --out.count;
    return out;
}

} // namespace

std::string formatGeneral(double value, int precision, int minExponentDigits) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // Round to the precision first: the choice of notation depends on the rounded value's exponent.
    RoundedDigits rounded;
    if (!findDecimalDigits(std::fabs(value), precision, rounded))
        rounded = roundDigits(std::fabs(value), precision);
    std::string_view digits(rounded.digits, rounded.count);
    int exponent = rounded.exponent;

    std::string out;
    if (value < 0)
        out += '-';
    if (exponent >= -4 && exponent < precision) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= intDigits) {
                out += digits;
                out.append(intDigits - digits.size(), '0');
            } else {
                out += digits.substr(0, intDigits);
                out += '.';
                out += digits.substr(intDigits);
            }
        }
        return out;
    }

    out += digits.front();
    if (digits.size() > 1) {
        out += '.';
        out += digits.substr(1);
    }
    out += 'E';
    if (exponent < 0)
        out += '-';
    std::string expDigits = std::to_string(std::abs(exponent));
    if (static_cast<int>(expDigits.size()) < minExponentDigits)
        out.append(static_cast<std::size_t>(minExponentDigits) - expDigits.size(), '0');
    out += expDigits;
    return out;
}

std::string formatReal(double value) {
    return formatGeneral(value, 15, 0);
}

std::string formatReal9(double value) {
    return formatGeneral(value, 9, 2);
}

} // namespace k10
