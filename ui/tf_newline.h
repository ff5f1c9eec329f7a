#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
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

    // The number as the field shows it once the focus has left it: digit grouping, a negative number in
    // parentheses, no sign or leading zeros typed with it; empty when the field is blank or holds no
    // whole number (both read as 0).
    QString shownNumber() const;

protected:
    void showEvent(QShowEvent* event) override;
};
