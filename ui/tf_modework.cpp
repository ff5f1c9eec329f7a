#include "ui/tf_modework.h"

TF_ModeWork::TF_ModeWork(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_ModeWork");
    setWindowTitle("Режимы работы");
}
