#include "ui/widgets/field_hint.h"

#include <QFontMetrics>

#include <algorithm>

FieldHint::FieldHint(const QStringList& warnings, QWidget* parent) : QLabel(parent) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    setPalette(colours);
    int widest = 0;
    for (const QString& warning : warnings)
        widest = std::max(widest, fontMetrics().horizontalAdvance(warning));
    setFixedWidth(widest + 2 * margin() + 4);
}
