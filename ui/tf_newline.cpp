#include "ui/tf_newline.h"

TF_NewLine::TF_NewLine(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_NewLine");
    setWindowTitle("Новая линия");
}
