#include "ui/widgets/fields.h"

#include "text/number_parse.h"
#include "text/real_format.h"
#include "ui/desktop/cp1251_text.h"

#include <QApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cmath>
#include <limits>

namespace {

const QChar kGroupSeparator(0x00A0);

// What a whole-number field lets the user type: a sign, digits and a fraction after ',' or '.', or the
// shown form with grouping and parentheses, so that an untouched shown value is never refused.
const QRegularExpression kWholeNumberInput(
    QStringLiteral("[-+]?[0-9\\x{00A0} ]*([.,][0-9]*)?|\\([0-9\\x{00A0} ]*([.,][0-9]*)?\\)?"));

// What a decimal field lets the user type: a sign, digits with blanks between their groups, one decimal
// sign (',' or '.') and an exponent.
const QRegularExpression
    kDecimalInput(QStringLiteral("\\A[-+]?([0-9][0-9\\x{00A0} ]*)?([.,][0-9]*)?([eE][-+]?[0-9]*)?\\z"));

// A typed number as the readers of the core take it: blanks between digit groups dropped, a decimal comma
// read as the point.
std::string plainNumber(QString text) {
    return text.remove(kGroupSeparator).remove(' ').replace(',', '.').toStdString();
}

// Every refusal of a character is heard: the field sounds the system's beep.
void beepOnRefusal(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::inputRejected, edit, [] { QApplication::beep(); });
}

} // namespace

TextField::TextField(QWidget* parent, int maxLength) : QLineEdit(parent) {
    setValidator(new Cp1251Validator(this));
    beepOnRefusal(this);
    if (maxLength > 0)
        setMaxLength(maxLength);
}

TypedComboBox::TypedComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->setValidator(new Cp1251Validator(this));
    beepOnRefusal(lineEdit());
}

WholeNumberField::WholeNumberField(QWidget* parent) : QLineEdit(parent) {
    setValidator(new QRegularExpressionValidator(kWholeNumberInput, this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    beepOnRefusal(this);
    // Enter ends the typing as leaving the field does, so the dialog it closes stores what is shown.
    connect(this, &QLineEdit::returnPressed, this, &WholeNumberField::showWhole);
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
    std::string number = plainNumber(plain);
    if (number.empty())
        return 0.0;
    std::optional<double> read = k10::parseRealToken(number);
    if (!read)
        return std::nullopt;
    const double whole = std::round(*read); // halves away from zero
    return negative ? -whole : whole;
}

double WholeNumberField::value() const { return parse(text()).value_or(0.0); }

void WholeNumberField::setValue(double value) {
    const double whole = std::round(value); // halves away from zero
    setText(hasFocus() ? QString::number(whole, 'f', 0) : formatted(whole));
}

void WholeNumberField::clearValue() { clear(); }

void WholeNumberField::showWhole() {
    if (!text().isEmpty())
        if (auto number = parse(text()))
            setValue(*number);
}

void WholeNumberField::focusInEvent(QFocusEvent* event) {
    showWhole();
    QLineEdit::focusInEvent(event);
}

void WholeNumberField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    showWhole();
    emit exited();
}

DecimalSpinField::DecimalSpinField(QWidget* parent) : QAbstractSpinBox(parent) {
    beepOnRefusal(lineEdit());
    // Leaving the field, or Enter in it, shows the value that will be stored, in the field's own form.
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] { setValue(value()); });
    setValue(0);
}

QString DecimalSpinField::formatted(double value) { return QString::fromStdString(k10::formatReal9(value)); }

std::optional<double> DecimalSpinField::parse(const QString& text) { return k10::parseRealToken(plainNumber(text)); }

double DecimalSpinField::value() const { return parse(text()).value_or(0.0); }

void DecimalSpinField::setValue(double value) { lineEdit()->setText(formatted(value)); }

void DecimalSpinField::stepBy(int steps) { setValue(value() + 0.5 * steps); }

QValidator::State DecimalSpinField::validate(QString& input, int&) const {
    if (!kDecimalInput.match(input).hasMatch())
        return QValidator::Invalid;
    return parse(input) ? QValidator::Acceptable : QValidator::Intermediate;
}

void DecimalSpinField::fixup(QString& input) const { input = formatted(parse(input).value_or(0.0)); }

IntegerSpinField::IntegerSpinField(QWidget* parent) : QAbstractSpinBox(parent) {
    beepOnRefusal(lineEdit());
    setValue(0);
}

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
