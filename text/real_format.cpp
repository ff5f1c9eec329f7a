#include "text/real_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace k10 {

std::string formatGeneral(double value, int precision, int minExponentDigits) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // Round to the precision first: the choice of notation depends on the rounded value's exponent.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                precision - 1);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));

    bool negative = text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    std::size_t ePos = text.find('e');
    int exponent = std::atoi(std::string(text.substr(ePos + 1)).c_str());
    std::string digits;
    for (char c : text.substr(0, ePos))
        if (c != '.')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out;
    if (negative)
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

std::string formatReal(double value) { return formatGeneral(value, 15, 0); }

std::string formatReal9(double value) { return formatGeneral(value, 9, 2); }

} // namespace k10
