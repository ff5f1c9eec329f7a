#pragma once

#include <QDialog>

class TF_TransEdit : public QDialog {
    Q_OBJECT

public:
    explicit TF_TransEdit(QWidget* parent = nullptr);
};
