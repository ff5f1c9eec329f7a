#pragma once

#include "calc/calculation.h"
#include "calc/result_format.h"
#include "ui/calculation/result_tables.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QSortFilterProxyModel>

#include <memory>
#include <optional>
#include <vector>

// The results window's tables as models of one scheme's result. A model reads the result it is given and
// writes each cell only when a view asks for it, so a new result or another regime is in the models as
// soon as setResult or setRegime returns, whatever the size of the scheme.
namespace results {

// A scheme's result as the tables read it: shared and never changed, with the warning each value over its
// limit carries, found once per result from the rows the warnings name.
class ResultRows {
public:
    ResultRows() : ResultRows(std::make_shared<const k10::calc::SchemeResult>()) {}
    explicit ResultRows(std::shared_ptr<const k10::calc::SchemeResult> scheme);

    const k10::calc::SchemeResult& scheme() const { return *scheme_; }
    // The warning on a row's value in a regime, or null: R2 (voltage loss) and R3 (voltage) of a node,
    // R1 of a section, R4 of a substation; rows as in the result's lists.
    const k10::calc::Problem* warning(k10::calc::ProblemCode code, k10::calc::Regime regime, int row) const;
    // Whether any value of the regime carries the warning.
    bool anyWarning(k10::calc::ProblemCode code, k10::calc::Regime regime) const;
    // The node a section feeds (its end), or -1.
    int endNode(int section) const;

private:
    std::shared_ptr<const k10::calc::SchemeResult> scheme_;
    // [R1..R4][regime]: the problem of each row, -1 where none; empty while no row has one.
    std::vector<int> warnings_[4][2];
    std::vector<int> endNodes_; // of each section
};

// The colour of a value over its limit.
QColor overLimitColour();

// One table of the result. Columns sort on their values: numbers by value (SortRole), texts by text.
class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int SortRole = Qt::UserRole;      // a double for a number, else the text
    static constexpr int PlaceRole = Qt::UserRole + 1; // the ProblemPlace of a row, where rows name places

    ResultTableModel(const QString& title, const QStringList& headers, QObject* parent = nullptr);

    // Shows the result in the regime; an empty pointer shows no rows.
    void setResult(std::shared_ptr<const ResultRows> rows, k10::calc::Regime regime);
    // The same result in the other regime.
    void setRegime(k10::calc::Regime regime);
    k10::calc::Regime regime() const { return regime_; }

    // A cell as the table shows it: its text, the number it stands for and the warning it carries.
    Cell cell(int row, int column) const;
    // Every row, for the report.
    Table table() const;
    // What a cell sorts by: its number, or its text when it has none.
    struct SortKey {
        std::optional<double> number;
        QString text;
    };
    SortKey sortKey(int row, int column) const;
    // Changes with every result and regime shown: what was read of the rows before is out of date.
    unsigned generation() const { return generation_; }
    const QStringList& headers() const { return headers_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

protected:
    // What a cell holds before it is written: a number (with how it is written, or the text written for
    // it) or a text, and the warning on it.
    struct Value {
        std::optional<double> number;
        k10::calc::Quantity quantity = k10::calc::Quantity::Power;
        QString text; // a text cell's; for a number, written instead of the formatted number when not empty
        const k10::calc::Problem* warning = nullptr;
    };
    virtual int rows() const = 0;
    virtual Value value(int row, int column) const = 0;
    // Of a table whose rows name places (the problems): the place of a row.
    virtual bool namesPlaces() const { return false; }
    virtual ProblemPlace place(int /*row*/) const { return {}; }

    const ResultRows& shown() const { return *rows_; }
    const k10::calc::SchemeResult& scheme() const { return rows_->scheme(); }
    const k10::calc::RegimeResult& numbers() const { return scheme().regimes[int(regime_)]; }

private:
    QString title_;
    QStringList headers_;
    std::shared_ptr<const ResultRows> rows_;
    k10::calc::Regime regime_ = k10::calc::Regime::Day;
    unsigned generation_ = 0;
};

// «Узлы»: the scheme's nodes, then the de-energised ones; the voltage, its loss from the busbars (ΔU) and
// its deviation from the nominal (δU).
class NodesModel : public ResultTableModel {
    Q_OBJECT
public:
    explicit NodesModel(QObject* parent = nullptr);

protected:
    int rows() const override;
    Value value(int row, int column) const override;
};

// «Участки».
class SectionsModel : public ResultTableModel {
    Q_OBJECT
public:
    explicit SectionsModel(QObject* parent = nullptr);

protected:
    int rows() const override;
    Value value(int row, int column) const override;
};

// «ТП»: the substations' loads and their transformers' load losses.
class SubstationsModel : public ResultTableModel {
    Q_OBJECT
public:
    explicit SubstationsModel(QObject* parent = nullptr);

protected:
    int rows() const override;
    Value value(int row, int column) const override;
};

// «Токи КЗ»: the busbars, the nodes, then the 0.4 kV sides of the substations; both regimes alike.
class ShortCircuitModel : public ResultTableModel {
    Q_OBJECT
public:
    explicit ShortCircuitModel(QObject* parent = nullptr);

protected:
    int rows() const override;
    Value value(int row, int column) const override;
};

// «Замечания»: every problem of the scheme, both regimes; each row names its place (PlaceRole).
class ProblemsModel : public ResultTableModel {
    Q_OBJECT
public:
    explicit ProblemsModel(QObject* parent = nullptr);

protected:
    int rows() const override;
    Value value(int row, int column) const override;
    bool namesPlaces() const override { return true; }
    ProblemPlace place(int row) const override;
};

// «Линии»: the totals of each line fed from the busbars, as the command line's report lists them.
class LinesModel : public ResultTableModel {
    Q_OBJECT
public:
    explicit LinesModel(QObject* parent = nullptr);

protected:
    int rows() const override;
    Value value(int row, int column) const override;
};

// Sorts a results table by the user's column: numbers by value and before texts (such as «отключён»),
// texts by text; until a column is chosen, the calculation's order. The column's keys are read once per
// sort into a list, not twice per comparison.
class ResultsSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ResultsSortProxy(QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    const ResultTableModel::SortKey& keyOf(const QModelIndex& index) const;

    mutable std::vector<ResultTableModel::SortKey> keys_;
    mutable int keysColumn_ = -1;
    mutable unsigned keysGeneration_ = 0;
    mutable const ResultTableModel* keysModel_ = nullptr;
};

} // namespace results
