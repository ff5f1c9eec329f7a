#include "ui/tf_provodedit.h"

TF_ProvodEdit::TF_ProvodEdit(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_ProvodEdit");
    setWindowTitle("Добавление/исправление марки провода");
}
