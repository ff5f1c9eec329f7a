#include "ui/tf_grnagr.h"

TF_GrNagr::TF_GrNagr(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_GrNagr");
    setWindowTitle("Шифры нагрузок");
}
