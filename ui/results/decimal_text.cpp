#include "ui/results/decimal_text.h"

#include <QRegularExpression>

#include <cmath>

std::optional<double> readDecimal(QString text) {
    text.remove(' ').remove(QChar(0x00a0)).remove(QChar(0x202f)).replace(',', '.');
    static const QRegularExpression number("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$");
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString decimalText(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    if (text == "-0")
        text = "0";
    return text.replace('.', ',');
}
