#pragma once

#include <QDialog>

class TF_GrNagr : public QDialog {
    Q_OBJECT

public:
    explicit TF_GrNagr(QWidget* parent = nullptr);
};
