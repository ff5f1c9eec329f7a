#include "text/real_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

// The decimal digits of a value below 10^16 written at `out`; returns their end. Two halves of eight
// digits are converted apart, in 32 bits, so that no chain of divisions runs through all the digits.
char* writeDigits(char* out, std::uint64_t value) {
    if (value < 100000000)
        return std::to_chars(out, out + 8, static_cast<std::uint32_t>(value)).ptr;
    static constexpr char kPairs[] = "0001020304050607080910111213141516171819"
                                     "2021222324252627282930313233343536373839"
                                     "4041424344454647484950515253545556575859"
                                     "6061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";
    const auto high = static_cast<std::uint32_t>(value / 100000000);
    const auto low = static_cast<std::uint32_t>(value % 100000000);
    out = std::to_chars(out, out + 8, high).ptr;
    // The low half with its zeros in front: four pairs of digits.
    const std::uint32_t quarters[2] = {low / 10000, low % 10000};
    for (std::uint32_t quarter : quarters) {
        std::memcpy(out, kPairs + 2 * (quarter / 100), 2);
        std::memcpy(out + 2, kPairs + 2 * (quarter % 100), 2);
        out += 4;
    }
    return out;
}

// The value's digits rounded to the precision, found with one multiplication: the magnitude scaled by a
// power of ten to a whole number of `precision` digits and rounded to the nearest. When the scaled value
// ends in exactly one half, which the exact product may not, or the magnitude lies beyond the exact powers
// of ten, the ways below decide.
bool roundScaledDigits(double magnitude, int precision, RoundedDigits& out) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (precision < 1 || precision > 15 || !(magnitude >= 1e-8 && magnitude < 1e30))
        return false;
    // The decimal exponent from the binary one (log10 2 ~ 78913 / 2^18), one too low at times.
    const int binary = static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
    int exponent = (binary * 78913) >> 18;
    const double low = kPowers[precision - 1], high = kPowers[precision];
    double scaled = 0;
    for (int attempt = 0;; ++attempt) {
        const int shift = precision - 1 - exponent;
        if (shift > 22 || shift < -22)
            return false;
        scaled = shift >= 0 ? magnitude * kPowers[shift] : magnitude / kPowers[-shift];
        if (scaled >= low && scaled < high)
            break;
        if (attempt == 1)
            return false;
        exponent += scaled < low ? -1 : 1;
    }
    const auto whole = static_cast<std::uint64_t>(scaled); // below 1e15: exact
    const double fraction = scaled - static_cast<double>(whole);
    // The scaled value is the exact product rounded to the nearest double, and below 2^52 every whole number
    // and a half lie among the doubles: rounding keeps the order, so a fraction above or below one half is
    // above or below it in the exact product too. A fraction of exactly one half leaves it open.
    if (fraction == 0.5)
        return false;
    auto digits = whole + (fraction > 0.5 ? 1 : 0);
    if (digits == static_cast<std::uint64_t>(high)) {
        digits = 1;
        ++exponent;
    }
    out.count = static_cast<std::size_t>(writeDigits(out.digits, digits) - out.digits);
    out.exponent = exponent;
    while (out.count > 1 && out.digits[out.count - 1] == '0')
        --out.count;
    return true;
}

// The shortest digits that give the value back (std::to_chars), rounded to the precision. They are the
// value's own digits rounded, because the value lies within half a unit of its last binary place of
// them, far closer than the half step of a decimal of at most 15 digits: rounding the shortest digits
// can only differ from rounding the value when they end exactly on a half step ("...5" one place past the
// precision), which is left to the slow way below, as are the largest doubles, whose rounding may
// overflow, and the subnormal ones, whose binary places are few.
bool roundShortestDigits(double magnitude, int precision, RoundedDigits& out) {
    if (precision < 1 || precision > 15 || magnitude > 1e308 || magnitude < 2.3e-308)
        return false;
    char buffer[40];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const char* p = buffer;
    out.count = 0;
    for (; p < result.ptr && *p != 'e'; ++p)
        if (*p != '.')
            out.digits[out.count++] = *p;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, out.exponent);
    const auto places = static_cast<std::size_t>(precision);
    if (out.count > places) {
        if (out.count == places + 1 && out.digits[places] == '5')
            return false;
        const bool up = out.digits[places] >= '5';
        out.count = places;
        if (up) {
            std::size_t i = places;
            while (i > 0 && out.digits[i - 1] == '9')
                --i;
            if (i == 0) {
                out.digits[0] = '1';
                out.count = 1;
                ++out.exponent;
            } else {
                ++out.digits[i - 1];
                out.count = i;
            }
        }
    }
    while (out.count > 1 && out.digits[out.count - 1] == '0')
        --out.count;
    return true;
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

char* formatGeneralTo(char* out, double value, int precision, int minExponentDigits) {
    auto put = [&out](std::string_view text) {
        std::memcpy(out, text.data(), text.size());
        out += text.size();
    };
    if (std::isnan(value)) {
        put("NAN");
        return out;
    }
    if (std::isinf(value)) {
        put(value < 0 ? "-INF" : "INF");
        return out;
    }
    if (value == 0) {
        *out++ = '0';
        return out;
    }

    // Round to the precision first: the choice of notation depends on the rounded value's exponent.
    RoundedDigits rounded;
    if (!roundScaledDigits(std::fabs(value), precision, rounded) &&
        !roundShortestDigits(std::fabs(value), precision, rounded))
        rounded = roundDigits(std::fabs(value), precision);
    std::string_view digits(rounded.digits, rounded.count);
    int exponent = rounded.exponent;

    if (value < 0)
        *out++ = '-';
    if (exponent >= -4 && exponent < precision) {
        if (exponent < 0) {
            put("0.");
            for (int i = 0; i < -exponent - 1; ++i)
                *out++ = '0';
            put(digits);
        } else {
            std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= intDigits) {
                put(digits);
                for (std::size_t i = digits.size(); i < intDigits; ++i)
                    *out++ = '0';
            } else {
                put(digits.substr(0, intDigits));
                *out++ = '.';
                put(digits.substr(intDigits));
            }
        }
        return out;
    }

    *out++ = digits.front();
    if (digits.size() > 1) {
        *out++ = '.';
        put(digits.substr(1));
    }
    *out++ = 'E';
    if (exponent < 0)
        *out++ = '-';
    char expDigits[8];
    auto end = std::to_chars(expDigits, expDigits + sizeof expDigits, std::abs(exponent)).ptr;
    for (auto length = end - expDigits; length < minExponentDigits; ++length)
        *out++ = '0';
    put(std::string_view(expDigits, static_cast<std::size_t>(end - expDigits)));
    return out;
}

std::string formatGeneral(double value, int precision, int minExponentDigits) {
    char buffer[kFormatRealRoom];
    return std::string(buffer, formatGeneralTo(buffer, value, precision, minExponentDigits));
}

char* formatRealTo(char* out, double value) {
    return formatGeneralTo(out, value, 15, 0);
}

std::string formatReal(double value) {
    return formatGeneral(value, 15, 0);
}

std::string formatReal9(double value) {
    return formatGeneral(value, 9, 2);
}

} // namespace k10
