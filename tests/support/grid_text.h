#pragma once

#include "ui/widgets/string_grid.h"

#include <QStringList>

// The texts of one row of a grid, or of the whole grid row by row joined with '|'.
inline QStringList rowTexts(const StringGrid* grid, int row) {
    QStringList texts;
    for (int column = 0; column < grid->columnCount(); ++column)
        texts << grid->cell(row, column);
    return texts;
}

inline QStringList gridRows(const StringGrid* grid) {
    QStringList rows;
    for (int row = 0; row < grid->rowCount(); ++row)
        rows << rowTexts(grid, row).join('|');
    return rows;
}
