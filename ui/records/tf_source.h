#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>

class DecimalSpinField;
class Interaction;
class QGroupBox;
class QPushButton;
class QShowEvent;
class TextField;
class TProect;
class TSource;
class WholeNumberField;

// The power source dialog, shared by Add and Change: the name, code and nominal voltage of a source and
// the resistance and reactance of the supplying system in the maximum and the minimum mode. The commands
// fill it before every showing and store it after OK. Leaving the code field checks the code against the
// project.
class TF_Source : public QDialog {
    Q_OBJECT

public:
    explicit TF_Source(Interaction& user, QWidget* parent = nullptr);

    // The project whose codes the code check reads; without one, only the empty code is reported.
    void setProject(const TProect* project);

    // Fills every field from a source.
    void prefill(const TSource& source);
    // The code as a whole number of 32 bits; empty when the field holds none (a lone sign, an unclosed
    // parenthesis). A blank field reads as 0.
    std::optional<std::int32_t> codeValue() const;
    // Reads every field and only then stores them into the source, the name cut to its 50 characters.
    // A code or voltage that does not read as a whole number throws before the source is touched.
    void storeInto(TSource& source) const;

    // The focus has left the code field: reports an empty code and every source that already has it,
    // and puts the focus back into the field after each report.
    void CodeExit();

    TextField* Name;
    WholeNumberField* Code;
    WholeNumberField* Napr;
    QGroupBox* GroupBox1; // "Сопротивление системы (Ом)"
    QGroupBox* GroupBox2; // "Максимальный режим"
    DecimalSpinField* R_Max;
    DecimalSpinField* X_Max;
    QGroupBox* GroupBox3; // "Минимальный режим"
    DecimalSpinField* R_Min;
    DecimalSpinField* X_Min;
    QPushButton* OkButton;
    QPushButton* CancelButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Interaction& user_;
    const TProect* project_ = nullptr;
};
