#pragma once

#include <QDialog>

class TF_NewLine : public QDialog {
    Q_OBJECT

public:
    explicit TF_NewLine(QWidget* parent = nullptr);
};
