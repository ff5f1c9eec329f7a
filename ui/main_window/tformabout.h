#pragma once

#include <QDialog>

class QLabel;

// The about box. A click on its background, not on one of its texts, closes it.
class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
