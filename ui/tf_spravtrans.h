#pragma once

#include <QDialog>

class TF_SpravTrans : public QDialog {
    Q_OBJECT

public:
    explicit TF_SpravTrans(QWidget* parent = nullptr);
};
