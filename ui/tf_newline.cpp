#include "ui/tf_newline.h"

#include "ui/fields.h"

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

    OkButton = new QPushButton("OK", this);
    OkButton->setObjectName("OkButton");
    OkButton->setDefault(true);
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* fieldRow = new QHBoxLayout;
    fieldRow->addStretch();
    fieldRow->addWidget(LineName);
    fieldRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(fieldRow);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(LineName, OkButton);
    setTabOrder(OkButton, CancelButton);
}

QString TF_NewLine::shownNumber() const {
    if (LineName->text().trimmed().isEmpty())
        return {};
    std::optional<double> number = WholeNumberField::parse(LineName->text());
    return number ? WholeNumberField::formatted(*number) : QString();
}

void TF_NewLine::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    LineName->setFocus();
}
