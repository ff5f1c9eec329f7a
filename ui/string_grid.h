#pragma once

#include <QTableWidget>

// A text grid without header rows whose selection event follows two rules: it fires when the user makes
// another row current, and when a shrinking row count removes the current row (the last remaining row
// becomes current). The event always fires after the row count has its new value.
class StringGrid : public QTableWidget {
    Q_OBJECT

public:
    StringGrid(int columns, int rowHeight, QWidget* parent = nullptr);

    // Sets the number of rows, at least one; a removed current row moves to the last remaining row.
    void setRows(int count);
    // Sets one cell, creating it when needed.
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;
    void setRowTexts(int row, const QStringList& texts);
    void clearRow(int row);
    // Makes the row current and raises the selection event for it, even when it was current already.
    void makeCurrent(int row);

signals:
    void selectCell(int column, int row);

private:
    bool settingRows_ = false;
};
