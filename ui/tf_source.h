#pragma once

#include <QDialog>

class TF_Source : public QDialog {
    Q_OBJECT

public:
    explicit TF_Source(QWidget* parent = nullptr);
};
