#pragma once

#include "ui/calculation/result_tables.h"

#include <QTableWidget>

// A read-only table of results: columns sort on a click of their header (numbers by value), a value over
// its limit is coloured and carries its warning as tooltip and accessible description.
class ResultsGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit ResultsGrid(const QStringList& headers, QWidget* parent = nullptr);

    // Replaces the rows, keeping the column sorted as the user last chose.
    void showTable(const results::Table& table);
    // The place stored with a row (the problems tables), or nothing.
    ProblemPlace placeAt(int row) const;
    // The colour of a value over its limit.
    static QColor overLimitColour();
};
