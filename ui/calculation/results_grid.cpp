#include "ui/calculation/results_grid.h"

#include "ui/calculation/result_models.h"

#include <QHeaderView>

namespace {

constexpr int kSortRole = Qt::UserRole;
constexpr int kPlaceRole = Qt::UserRole + 1;
// The rows ResultsView::fitColumns reads.
constexpr int kFitRows = 200;

// Sorts by the number a cell stands for where it has one, by its text otherwise.
class ResultItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;

    bool operator<(const QTableWidgetItem& other) const override {
        QVariant mine = data(kSortRole), theirs = other.data(kSortRole);
        if (mine.isValid() && theirs.isValid())
            return mine.toDouble() < theirs.toDouble();
        if (mine.isValid() != theirs.isValid())
            return mine.isValid(); // numbers before texts such as «отключён»
        return QTableWidgetItem::operator<(other);
    }
};

QTableWidgetItem* makeItem(const results::Cell& cell) {
    auto* item = new ResultItem(cell.text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (cell.sortKey) {
        item->setData(kSortRole, *cell.sortKey);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (cell.problem.isEmpty() && cell.text.size() > 40)
        item->setToolTip(cell.text); // a long message may not fit its column
    if (!cell.problem.isEmpty()) {
        item->setBackground(ResultsGrid::overLimitColour());
        item->setToolTip(cell.problem);
        item->setData(Qt::AccessibleDescriptionRole, cell.problem);
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    }
    return item;
}

} // namespace

ResultsGrid::ResultsGrid(const QStringList& headers, QWidget* parent)
    : QTableWidget(0, int(headers.size()), parent) {
    setHorizontalHeaderLabels(headers);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setAlternatingRowColors(true);
    setSortingEnabled(true);
    sortByColumn(-1, Qt::AscendingOrder); // the calculation's order until the user picks a column
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void ResultsGrid::showTable(const results::Table& table) {
    setSortingEnabled(false);
    clearContents();
    setRowCount(int(table.rows.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const auto& cells = table.rows[std::size_t(row)];
        for (int column = 0; column < columnCount() && column < int(cells.size()); ++column)
            setItem(row, column, makeItem(cells[std::size_t(column)]));
        if (std::size_t(row) < table.places.size())
            item(row, 0)->setData(kPlaceRole, QVariant::fromValue(table.places[std::size_t(row)]));
    }
    setSortingEnabled(true);
    resizeColumnsToContents();
}

ProblemPlace ResultsGrid::placeAt(int row) const {
    const QTableWidgetItem* first = item(row, 0);
    return first ? first->data(kPlaceRole).value<ProblemPlace>() : ProblemPlace{};
}

QColor ResultsGrid::overLimitColour() {
    return results::overLimitColour();
}

ResultsView::ResultsView(results::ResultTableModel* model, QWidget* parent)
    : QTableView(parent), model_(model), proxy_(new results::ResultsSortProxy(this)) {
    model_->setParent(this);
    proxy_->setSourceModel(model_);
    setModel(proxy_);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setAlternatingRowColors(true);
    setSortingEnabled(true);
    sortByColumn(-1, Qt::AscendingOrder); // the calculation's order until the user picks a column
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setResizeContentsPrecision(kFitRows);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        const QVariant place = index.data(results::ResultTableModel::PlaceRole);
        if (place.isValid())
            emit placeChosen(place.value<ProblemPlace>());
    });
}

void ResultsView::fitColumns() {
    resizeColumnsToContents();
}
