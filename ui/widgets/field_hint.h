#pragma once

#include <QLabel>
#include <QStringList>

// A short warning beside a field that refuses nothing: it says what is wrong with the text typed, and is
// empty while the text is fine. It is as wide as the longest warning it may show, so that its dialog keeps
// its size as the warning comes and goes.
class FieldHint : public QLabel {
    Q_OBJECT

public:
    FieldHint(const QStringList& warnings, QWidget* parent = nullptr);
};
