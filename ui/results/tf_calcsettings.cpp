#include "ui/results/tf_calcsettings.h"

#include "ui/interaction.h"
#include "ui/results/calculation_settings.h"
#include "ui/results/decimal_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

std::optional<double> permissibleLoss(const QString& text) {
    std::optional<double> value = readDecimal(text);
    return value && *value > 0 && *value < 100 ? value : std::nullopt;
}

} // namespace

TF_CalcSettings::TF_CalcSettings(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_CalcSettings");
    setWindowTitle("Параметры расчёта");
    Method_Box = new QComboBox(this);
    Method_Box->setObjectName("Method_Box");
    Method_Box->addItems(methodCaptions());
    ShortCircuit_Box = new QComboBox(this);
    ShortCircuit_Box->setObjectName("ShortCircuit_Box");
    ShortCircuit_Box->addItems(shortCircuitCaptions());
    MaxLoss = new QLineEdit(this);
    MaxLoss->setObjectName("MaxLoss");

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
    form->addRow(buttons);
}

void TF_CalcSettings::prefill(const k10::calc::Settings& settings) {
    Method_Box->setCurrentIndex(int(settings.method));
    ShortCircuit_Box->setCurrentIndex(int(settings.shortCircuit));
    MaxLoss->setText(decimalText(settings.maxLossPercent, 3));
}

void TF_CalcSettings::storeInto(k10::calc::Settings& settings) const {
    settings.method = k10::calc::Method(Method_Box->currentIndex());
    settings.shortCircuit = k10::calc::ShortCircuitConvention(ShortCircuit_Box->currentIndex());
    settings.maxLossPercent = permissibleLoss(MaxLoss->text()).value_or(settings.maxLossPercent);
}

void TF_CalcSettings::accept() {
    if (!permissibleLoss(MaxLoss->text())) {
        interaction().showMessage(this,
                                  "Допустимая потеря напряжения должна быть числом больше 0 и меньше 100.");
        MaxLoss->setFocus();
        return;
    }
    QDialog::accept();
}
