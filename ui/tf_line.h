#pragma once

#include <QDialog>

class TF_Line : public QDialog {
    Q_OBJECT

public:
    explicit TF_Line(QWidget* parent = nullptr);
};
