#pragma once

#include <string>

namespace k10 {

// The general form of a real in the project file, the tables and the catalog files: at most 15
// significant digits, '.' as the point, no trailing zeros; fixed notation for zero and magnitudes from
// 0.0001 up to but excluding 1E15, scientific otherwise ("1E-5", "1.5E20", "-2.5E-7").
std::string formatReal(double value);

// The form of the decimal spin fields of the dialogs: at most 9 significant digits, and an exponent of at
// least two digits where one is needed ("1E-05", "1.5E20").
std::string formatReal9(double value);

// The bytes formatReal gives, written at `out` (room for kFormatRealRoom bytes); returns their end. For
// writers of many numbers, which need no string of each.
inline constexpr int kFormatRealRoom = 48;
char* formatRealTo(char* out, double value);

// The general form with a chosen precision and minimal number of exponent digits; the two above are
// its only uses.
std::string formatGeneral(double value, int precision, int minExponentDigits);
char* formatGeneralTo(char* out, double value, int precision, int minExponentDigits);

} // namespace k10
