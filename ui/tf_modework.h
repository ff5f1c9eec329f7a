#pragma once

#include <QDialog>

class TF_ModeWork : public QDialog {
    Q_OBJECT

public:
    explicit TF_ModeWork(QWidget* parent = nullptr);
};
