#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TLines;
class WholeNumberField;

// Asks for the number of a new line; the line's name is made from it and from its source's position.
class TF_NewLine : public QDialog {
    Q_OBJECT

public:
    explicit TF_NewLine(QWidget* parent = nullptr);

    QLabel* Label1; // the two-line caption above the field
    WholeNumberField* LineName;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    // Empties the number: a new line has none yet.
    void prefill();
    // Names the line: the position of its source in the list, a "0" before a number below 10, and the
    // number as the field shows it once the focus has left it (digit grouping, a negative number in
    // parentheses, no sign or leading zeros typed with it; nothing when the field is blank or holds no
    // whole number, both read as 0); cut to the name's 10 characters.
    void storeInto(TLines& line, int sourcePosition) const;

protected:
    void showEvent(QShowEvent* event) override;
};
