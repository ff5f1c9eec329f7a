#pragma once

#include <QDialog>

class TF_SpravProvod : public QDialog {
    Q_OBJECT

public:
    explicit TF_SpravProvod(QWidget* parent = nullptr);
};
