#include "ui/fields.h"

#include "text/number_parse.h"
#include "text/real_format.h"
#include "ui/cp1251_text.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cmath>
#include <limits>

namespace {

const QChar kGroupSeparator(0x00A0);

// What a whole-number field lets the user type: a sign and digits, or the shown form with grouping and
// parentheses, so that an untouched shown value is never refused.
const QRegularExpression kWholeNumberInput(QStringLiteral("[-+]?[0-9\\x{00A0} ]*|\\([0-9\\x{00A0} ]*\\)?"));

// The characters a real may be typed with.
bool mayBeReal(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("[-+]?[0-9]*\\.?[0-9]*([eE][-+]?[0-9]*)?"));
    return pattern.match(text, 0, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption)
               .capturedLength() == text.size();
}

} // namespace

TextField::TextField(QWidget* parent, int maxLength) : QLineEdit(parent) {
    setValidator(new Cp1251Validator(this));
    if (maxLength > 0)
        setMaxLength(maxLength);
}

TypedComboBox::TypedComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->setValidator(new Cp1251Validator(this));
}

WholeNumberField::WholeNumberField(QWidget* parent) : QLineEdit(parent) {
    setValidator(new QRegularExpressionValidator(kWholeNumberInput, this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QString WholeNumberField::formatted(double wholeValue) {
    QString digits = QString::number(std::abs(wholeValue), 'f', 0);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, kGroupSeparator);
    return wholeValue < 0 ? "(" + digits + ")" : digits;
}

std::optional<double> WholeNumberField::parse(const QString& text) {
    QString plain = text.trimmed();
    bool negative = false;
    if (plain.startsWith('(') && plain.endsWith(')')) {
        negative = true;
        plain = plain.mid(1, plain.size() - 2);
    }
    plain.remove(kGroupSeparator).remove(' ');
    if (plain.isEmpty())
        return 0.0;
    auto number = k10::parseRealToken(plain.toStdString());
    if (!number || std::floor(*number) != *number)
        return std::nullopt;
    return negative ? -*number : *number;
}

double WholeNumberField::value() const { return parse(text()).value_or(0.0); }

void WholeNumberField::setValue(double value) {
    double whole = std::nearbyint(value);
    setText(hasFocus() ? QString::number(whole, 'f', 0) : formatted(whole));
}

void WholeNumberField::clearValue() { clear(); }

void WholeNumberField::focusInEvent(QFocusEvent* event) {
    if (!text().isEmpty())
        if (auto number = parse(text()))
            setText(QString::number(*number, 'f', 0));
    QLineEdit::focusInEvent(event);
}

void WholeNumberField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!text().isEmpty())
        if (auto number = parse(text()))
            setText(formatted(*number));
    emit exited();
}

DecimalSpinField::DecimalSpinField(QWidget* parent) : QAbstractSpinBox(parent) {
    setValue(0);
}

double DecimalSpinField::value() const { return k10::parseRealTrimmed(text().toStdString()).value_or(0.0); }

void DecimalSpinField::setValue(double value) { lineEdit()->setText(QString::fromStdString(k10::formatReal9(value))); }

void DecimalSpinField::stepBy(int steps) { setValue(value() + 0.5 * steps); }

QValidator::State DecimalSpinField::validate(QString& input, int&) const {
    if (!mayBeReal(input))
        return QValidator::Invalid;
    return k10::parseRealToken(input.toStdString()) ? QValidator::Acceptable : QValidator::Intermediate;
}

void DecimalSpinField::fixup(QString& input) const {
    input = QString::fromStdString(k10::formatReal9(k10::parseRealToken(input.toStdString()).value_or(0.0)));
}

IntegerSpinField::IntegerSpinField(QWidget* parent) : QAbstractSpinBox(parent) { setValue(0); }

std::int32_t IntegerSpinField::value() const { return k10::parseInteger(text().trimmed().toStdString()).value_or(0); }

void IntegerSpinField::setValue(std::int32_t value) { lineEdit()->setText(QString::number(value)); }

void IntegerSpinField::stepBy(int steps) {
    std::int64_t next = static_cast<std::int64_t>(value()) + steps;
    if (next >= std::numeric_limits<std::int32_t>::min() && next <= std::numeric_limits<std::int32_t>::max())
        setValue(static_cast<std::int32_t>(next));
}

QValidator::State IntegerSpinField::validate(QString& input, int&) const {
    static const QRegularExpression pattern(QStringLiteral("[-+]?[0-9]*"));
    if (!pattern.match(input, 0, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption)
             .hasMatch() ||
        pattern.match(input).capturedLength() != input.size())
        return QValidator::Invalid;
    return k10::parseInteger(input.toStdString()) ? QValidator::Acceptable : QValidator::Intermediate;
}
