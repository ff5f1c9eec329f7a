#pragma once

#include "calc/calculation.h"

#include <QDialog>

class DecimalSpinField;
class Interaction;
class QComboBox;
class QPushButton;

// «Параметры расчёта»: the method of the load flow, the convention of the short-circuit currents and the
// permissible voltage loss. OK refuses a loss that is not a number above 0 and below 100.
class TF_CalcSettings : public QDialog {
    Q_OBJECT

public:
    explicit TF_CalcSettings(Interaction& user, QWidget* parent = nullptr);

    void prefill(const k10::calc::Settings& settings);
    // Call after OK only: the fields then hold valid values.
    void storeInto(k10::calc::Settings& settings) const;

    QComboBox* Method_Box;
    QComboBox* ShortCircuit_Box;
    DecimalSpinField* MaxLoss;
    QPushButton* OkButton;
    QPushButton* CancelButton;

public slots:
    void accept() override;

private:
    Interaction& user_;
};
