#pragma once

#include "ui/calculation/result_tables.h"

#include <QTableView>
#include <QTableWidget>

namespace results {
class ResultTableModel;
class ResultsSortProxy;
} // namespace results

// A read-only view of one results table (result_models.h) through a sorting proxy: columns sort on a
// click of their header (numbers by value), a value over its limit is coloured and carries its warning as
// tooltip and accessible description.
class ResultsView : public QTableView {
    Q_OBJECT

public:
    explicit ResultsView(results::ResultTableModel* model, QWidget* parent = nullptr);

    results::ResultTableModel* resultModel() const { return model_; }
    // Widens the columns to their texts; the first rows decide, so that a large table costs no more than a
    // small one.
    void fitColumns();

signals:
    // A double-click on a row that names a place (the problems).
    void placeChosen(const ProblemPlace& place);

private:
    results::ResultTableModel* model_;
    results::ResultsSortProxy* proxy_;
};

// A read-only table of rows given whole (the data check's list): columns sort on a click of their header
// (numbers by value), a value over its limit is coloured and carries its warning as tooltip and accessible
// description.
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
