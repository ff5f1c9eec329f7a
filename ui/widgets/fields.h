#pragma once

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>

#include <cstdint>
#include <optional>

// The kinds of input field the dialogs share. Every text they take passes the Windows-1251 check, so
// nothing the user types is turned into '?' when it is stored. A character a field cannot take is refused
// with the system's beep, never dropped without a sound.

// A single-line text field; maxLength 0 means no limit.
class TextField : public QLineEdit {
    Q_OBJECT

public:
    explicit TextField(QWidget* parent = nullptr, int maxLength = 0);
};

// A drop-down list whose text can also be typed.
class TypedComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TypedComboBox(QWidget* parent = nullptr);
};

// A field for whole numbers: an optional leading sign and digits; a fraction may be typed after ',' or
// '.'. Once the focus has left it (or Enter has been pressed in it), it shows the nearest whole number,
// halves away from zero: with digit grouping and a negative value in parentheses (",0;(,0)") when the
// focus is elsewhere, plain while it has the focus. value() reads the number back from the text, so
// grouping, parentheses and a typed fraction are understood alike; a blank field reads as 0.
class WholeNumberField : public QLineEdit {
    Q_OBJECT

public:
    explicit WholeNumberField(QWidget* parent = nullptr);

    double value() const;
    void setValue(double value);
    // Empties the field (it then reads as 0).
    void clearValue();

    // The display format of a whole number: "1 500", "(1 500)"; the group separator is a non-breaking
    // blank, as Russian number formats have it.
    static QString formatted(double wholeValue);
    // Reads a shown or typed text as the nearest whole number; empty when it is not a number.
    static std::optional<double> parse(const QString& text);

signals:
    // The focus has left the field.
    void exited();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Replaces a typed number by the whole number it will be read as, in the form for the focus.
    void showWhole();
};

// A spin field for reals: steps by 0.5, has no bounds. It takes ',' and '.' alike as the decimal sign
// (one of them), and blanks between digit groups. value() is the number written in it, or 0 when the text
// is not a number; once the focus has left it (or Enter has been pressed in it), it shows that value in
// the general form with at most 9 significant digits.
class DecimalSpinField : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit DecimalSpinField(QWidget* parent = nullptr);

    double value() const;
    void setValue(double value);

    // The field's own form of a value: the general form with at most 9 significant digits.
    static QString formatted(double value);
    // Reads a typed text by the field's rules; empty when it is not a number.
    static std::optional<double> parse(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& position) const override;
    void fixup(QString& input) const override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

// A spin field for whole numbers without bounds (beyond 32 bits): steps by 1. value() is the whole number
// written in it, or 0 when the text is not one.
class IntegerSpinField : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit IntegerSpinField(QWidget* parent = nullptr);

    std::int32_t value() const;
    void setValue(std::int32_t value);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& position) const override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};
