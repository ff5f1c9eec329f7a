#pragma once

#include "calc/scheme_comparison.h"
#include "ui/calculation/result_tables.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <vector>

class CalculationData;
class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace results {

// The compared schemes as a table of the window and of the report: one row a scheme, each figure in
// its own cell, numbers with their values as sort keys.
Table comparisonTable(const std::vector<k10::calc::ComparedScheme>& schemes);

} // namespace results

// The rows of «Сравнение схем» for a view: the texts of comparisonTable, sorted by value.
class SchemeComparisonModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSchemes(std::vector<k10::calc::ComparedScheme> schemes);
    const std::vector<k10::calc::ComparedScheme>& schemes() const { return schemes_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<k10::calc::ComparedScheme> schemes_;
    results::Table table_ = results::comparisonTable({});
};

// The tab «Сравнение схем»: the normal scheme and every mode of the selected source side by side. It
// calculates when it is shown after a change (a large source off the interface thread, the newest
// request's rows alone kept); a double-click on a row asks for that scheme.
class SchemeComparisonView : public QWidget {
    Q_OBJECT

public:
    explicit SchemeComparisonView(QWidget* parent = nullptr);

    // The data or the source have changed: the rows are calculated now when the tab is shown, else
    // when it is shown next. Source 0 empties the table.
    void setSource(const CalculationData& data, int source);
    bool busy() const { return delivered_ != requested_; }

    QTableView* Table;
    QLabel* Status;
    SchemeComparisonModel* model() const { return model_; }
    QSortFilterProxyModel* proxy() const { return proxy_; }

signals:
    // A double-click on a row: the scheme's mode, 0 the normal scheme.
    void schemeChosen(int mode);
    // New rows are shown.
    void rowsReady();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void calculate();
    void deliver(unsigned request, std::vector<k10::calc::ComparedScheme> schemes);

    SchemeComparisonModel* model_;
    QSortFilterProxyModel* proxy_;
    const CalculationData* data_ = nullptr;
    int source_ = 0;
    bool stale_ = false;
    unsigned requested_ = 0;
    unsigned delivered_ = 0;
};
