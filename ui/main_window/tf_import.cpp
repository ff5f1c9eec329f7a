#include "ui/main_window/tf_import.h"

#include <QGroupBox>
#include <QVBoxLayout>

TF_Import::TF_Import(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_Import");
    setWindowTitle("Импорт из Dos");
    auto* box = new QGroupBox("Введите название договора", this);
    box->setObjectName("GroupBox1");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
}
