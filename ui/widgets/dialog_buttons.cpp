#include "ui/widgets/dialog_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox* okCancelButtons(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName("Buttons");
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName("OkButton");
    ok->setDefault(true);
    cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName("CancelButton");
    cancel->setAutoDefault(false);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
