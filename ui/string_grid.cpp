#include "ui/string_grid.h"

#include <QHeaderView>
#include <QSignalBlocker>

StringGrid::StringGrid(int columns, int rowHeight, QWidget* parent) : QTableWidget(1, columns, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
    setCurrentCell(0, 0);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column, int previousRow, int) {
        if (!settingRows_ && row >= 0 && row != previousRow)
            emit selectCell(column, row);
    });
}

void StringGrid::setRows(int count) {
    if (count < 1)
        count = 1;
    int current = currentRow();
    bool lostCurrent = current >= count;
    settingRows_ = true;
    {
        // Qt moves the current row itself while the rows are still counted; the event waits until the
        // count is final.
        QSignalBlocker blocker(this);
        setRowCount(count);
        if (lostCurrent)
            setCurrentCell(count - 1, 0);
        else if (current < 0)
            setCurrentCell(0, 0);
    }
    settingRows_ = false;
    if (lostCurrent)
        emit selectCell(0, count - 1);
}

void StringGrid::setCell(int row, int column, const QString& text) {
    if (QTableWidgetItem* existing = item(row, column))
        existing->setText(text);
    else
        setItem(row, column, new QTableWidgetItem(text));
}

QString StringGrid::cell(int row, int column) const {
    const QTableWidgetItem* existing = item(row, column);
    return existing ? existing->text() : QString();
}

void StringGrid::setRowTexts(int row, const QStringList& texts) {
    for (int column = 0; column < texts.size() && column < columnCount(); ++column)
        setCell(row, column, texts[column]);
}

void StringGrid::clearRow(int row) {
    for (int column = 0; column < columnCount(); ++column)
        setCell(row, column, QString());
}

void StringGrid::makeCurrent(int row) {
    {
        QSignalBlocker blocker(this);
        setCurrentCell(row, 0);
    }
    emit selectCell(0, row);
}
