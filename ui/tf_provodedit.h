#pragma once

#include <QDialog>

class TF_ProvodEdit : public QDialog {
    Q_OBJECT

public:
    explicit TF_ProvodEdit(QWidget* parent = nullptr);
};
