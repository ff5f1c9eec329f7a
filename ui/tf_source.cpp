#include "ui/tf_source.h"

TF_Source::TF_Source(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_Source");
    setWindowTitle("Источник питания");
}
