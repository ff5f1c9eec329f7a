#include "ui/records/tf_newline.h"

#include "model/project.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/fields.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TF_NewLine::TF_NewLine(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_NewLine");
    setWindowTitle("Новая линия");

    Label1 = new QLabel("Введите номер линии\n(1, 2 символа)", this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignCenter);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    LineName = new WholeNumberField(this);
    LineName->setObjectName("LineName");
    LineName->setFixedWidth(90);
    Label1->setBuddy(LineName);

    QDialogButtonBox* buttons = okCancelButtons(this, OkButton, CancelButton);

    auto* fieldRow = new QHBoxLayout;
    fieldRow->addStretch();
    fieldRow->addWidget(LineName);
    fieldRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(fieldRow);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(LineName, OkButton);
    setTabOrder(OkButton, CancelButton);
}

void TF_NewLine::prefill() {
    LineName->clearValue();
}

void TF_NewLine::storeInto(TLines& line, int sourcePosition) const {
    QString name = QString::number(sourcePosition);
    if (LineName->value() < 10)
        name += '0';
    if (!LineName->text().trimmed().isEmpty())
        if (std::optional<double> number = WholeNumberField::parse(LineName->text()))
            name += WholeNumberField::formatted(*number);
    line.Name = toCp1251(name);
}

void TF_NewLine::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LineName->setFocus();
}
