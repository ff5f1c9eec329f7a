#include "ui/tf_spravprovod.h"

TF_SpravProvod::TF_SpravProvod(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_SpravProvod");
    setWindowTitle("Справочник проводов");
}
