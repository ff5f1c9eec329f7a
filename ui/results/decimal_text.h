#pragma once

#include <QString>

#include <optional>

// Decimal numbers as an engineer types them: ',' and '.' alike as the decimal sign, blanks and
// non-breaking blanks between digit groups ignored. Empty when the text is no finite number.
std::optional<double> readDecimal(QString text);
// A value with the decimal comma and at most the given number of decimals, trailing zeros dropped.
QString decimalText(double value, int decimals);
