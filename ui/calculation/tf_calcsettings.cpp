#include "ui/calculation/tf_calcsettings.h"

#include "ui/widgets/fields.h"
#include "ui/desktop/interaction.h"
#include "ui/calculation_service/calculation_settings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

namespace {

bool permissibleLoss(double percent) {
    return percent > 0 && percent < 100;
}

} // namespace

TF_CalcSettings::TF_CalcSettings(Interaction& user, QWidget* parent) : QDialog(parent), user_(user) {
    setObjectName("TF_CalcSettings");
    setWindowTitle("Параметры расчёта");
    Method_Box = new QComboBox(this);
    Method_Box->setObjectName("Method_Box");
    Method_Box->addItems(methodCaptions());
    ShortCircuit_Box = new QComboBox(this);
    ShortCircuit_Box->setObjectName("ShortCircuit_Box");
    ShortCircuit_Box->addItems(shortCircuitCaptions());
    MaxLoss = new DecimalSpinField(this);
    MaxLoss->setObjectName("MaxLoss");
    BusVoltage = new DecimalSpinField(this);
    BusVoltage->setObjectName("BusVoltage");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setObjectName("OkButton");
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    CancelButton->setObjectName("CancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &TF_CalcSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow("Метод расчёта", Method_Box);
    form->addRow("Токи КЗ", ShortCircuit_Box);
    form->addRow("Допустимая потеря напряжения, %", MaxLoss);
    form->addRow("Напряжение на шинах, % от номинального", BusVoltage);
    form->addRow(buttons);
}

void TF_CalcSettings::prefill(const k10::calc::Settings& settings) {
    Method_Box->setCurrentIndex(int(settings.method));
    ShortCircuit_Box->setCurrentIndex(int(settings.shortCircuit));
    MaxLoss->setValue(settings.maxLossPercent);
    BusVoltage->setValue(settings.busVoltagePercent);
}

void TF_CalcSettings::storeInto(k10::calc::Settings& settings) const {
    settings.method = k10::calc::Method(Method_Box->currentIndex());
    settings.shortCircuit = k10::calc::ShortCircuitConvention(ShortCircuit_Box->currentIndex());
    if (permissibleLoss(MaxLoss->value()))
        settings.maxLossPercent = MaxLoss->value();
    if (permissibleBusVoltage(BusVoltage->value()))
        settings.busVoltagePercent = BusVoltage->value();
}

void TF_CalcSettings::accept() {
    if (!permissibleLoss(MaxLoss->value())) {
        user_.showMessage(this, "Допустимая потеря напряжения должна быть числом больше 0 и меньше 100.");
        MaxLoss->setFocus();
        return;
    }
    if (!permissibleBusVoltage(BusVoltage->value())) {
        user_.showMessage(this, "Напряжение на шинах должно быть числом от 90 до 115 %.");
        BusVoltage->setFocus();
        return;
    }
    QDialog::accept();
}
