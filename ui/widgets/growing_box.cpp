#include "ui/widgets/growing_box.h"

#include <QGroupBox>
#include <QLabel>

#include <algorithm>

GrowingBox::GrowingBox(QGroupBox* box, QWidget* table)
    : box_{box, box->geometry()}, table_{table, table->geometry()} {
    int right = 0;
    headerLeft_ = table->x();
    for (QLabel* cell : box->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        header_.push_back({cell, cell->geometry()});
        headerLeft_ = std::min(headerLeft_, cell->x());
        right = std::max(right, cell->geometry().right() + 1);
    }
    headerSpan_ = right - headerLeft_;
}

int GrowingBox::stretched(int x, int wider) const {
    const int offset = x - headerLeft_;
    return headerLeft_ + (offset * (headerSpan_ + wider) + headerSpan_ / 2) / headerSpan_;
}

void GrowingBox::place(int down, QSize grow) {
    box_.widget->setGeometry(box_.design.translated(0, down).adjusted(0, 0, grow.width(), grow.height()));
    for (const Placed& cell : header_) {
        const int left = stretched(cell.design.left(), grow.width());
        const int right = stretched(cell.design.left() + cell.design.width(), grow.width());
        cell.widget->setGeometry(left, cell.design.top(), right - left, cell.design.height());
    }
    table_.widget->setGeometry(table_.design.adjusted(0, 0, grow.width(), grow.height()));
}
