#include "ui/tf_spravtrans.h"

TF_SpravTrans::TF_SpravTrans(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_SpravTrans");
    setWindowTitle("Справочник трансформаторов");
}
