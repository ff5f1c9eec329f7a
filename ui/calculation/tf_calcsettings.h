#pragma once

#include "calc/calculation.h"

#include <QDialog>

class DecimalSpinField;
class Interaction;
class QComboBox;
class QPushButton;

// «Параметры расчёта»: the method of the load flow, the convention of the short-circuit currents, the
// permissible voltage loss and the busbars' voltage. OK refuses a loss that is not a number above 0 and
// below 100, and a busbars' voltage outside 90 to 115 % of the nominal.
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
    DecimalSpinField* BusVoltage;
    QPushButton* OkButton;
    QPushButton* CancelButton;

public slots:
    void accept() override;

private:
    Interaction& user_;
};
