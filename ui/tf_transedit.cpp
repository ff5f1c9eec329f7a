#include "ui/tf_transedit.h"

TF_TransEdit::TF_TransEdit(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_TransEdit");
    setWindowTitle("Добавление");
}
