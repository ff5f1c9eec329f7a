#include "ui/tf_line.h"

TF_Line::TF_Line(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_Line");
    setWindowTitle("Коррекция линии");
}
