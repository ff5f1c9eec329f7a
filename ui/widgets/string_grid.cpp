#include "ui/widgets/string_grid.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>

#include <algorithm>
#include <vector>

// The grid's own texts: rows of cells, a cell never written showing nothing.
class GridTexts final : public QAbstractTableModel {
public:
    GridTexts(int columns, QObject* parent) : QAbstractTableModel(parent), columns_(columns), rows_(1) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : columns_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        const auto& row = rows_[static_cast<std::size_t>(index.row())];
        const auto column = static_cast<std::size_t>(index.column());
        return column < row.size() ? row[column] : QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        // The flags of a table widget's cell.
        return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled |
                                     Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled
                               : Qt::NoItemFlags;
    }

    void setRowCount(int count) {
        const int now = rowCount();
        if (count < now) {
            beginRemoveRows({}, count, now - 1);
            rows_.resize(static_cast<std::size_t>(count));
            endRemoveRows();
        } else if (count > now) {
            beginInsertRows({}, now, count - 1);
            rows_.resize(static_cast<std::size_t>(count));
            endInsertRows();
        }
    }
    void setText(int row, int column, const QString& text) {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columns_)
            return;
        auto& cells = rows_[static_cast<std::size_t>(row)];
        if (cells.size() <= static_cast<std::size_t>(column))
            cells.resize(static_cast<std::size_t>(column) + 1);
        cells[static_cast<std::size_t>(column)] = text;
        emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole, Qt::EditRole});
    }

private:
    int columns_;
    std::vector<std::vector<QVariant>> rows_;
};

StringGrid::StringGrid(int columns, int rowHeight, QWidget* parent)
    : QTableView(parent), texts_(new GridTexts(columns, this)) {
    setModel(texts_);
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
    // Only a double-click on a row: the empty area below the rows has no index.
    connect(this, &QAbstractItemView::doubleClicked, this, [this] {
        if (commands_.change)
            commands_.change->trigger();
    });
}

StringGrid::~StringGrid() = default;

void StringGrid::setModel(QAbstractItemModel* model) {
    if (QAbstractItemModel* old = this->model())
        disconnect(old, nullptr, this, nullptr);
    // Connected before the view's selection takes the model, so the flag is up when the current row
    // moves with the rows.
    auto moving = [this] { ++modelMoving_; };
    auto moved = [this] { --modelMoving_; };
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, moving);
    connect(model, &QAbstractItemModel::rowsRemoved, this, moved);
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, moving);
    connect(model, &QAbstractItemModel::rowsInserted, this, moved);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, moving);
    connect(model, &QAbstractItemModel::modelReset, this, moved);
    QTableView::setModel(model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (!settingRows_ && modelMoving_ == 0 && current.isValid() &&
                    current.row() != previous.row())
                    emit selectCell(current.column(), current.row());
            });
}

int StringGrid::rowCount() const {
    return model()->rowCount();
}

int StringGrid::columnCount() const {
    return model()->columnCount();
}

int StringGrid::currentRow() const {
    return currentIndex().row();
}

int StringGrid::currentColumn() const {
    return currentIndex().column();
}

void StringGrid::setCurrentCell(int row, int column) {
    setCurrentIndex(model()->index(row, column));
}

void StringGrid::showCurrent(int row) {
    if (row < 0 || row >= rowCount() || row == currentRow())
        return;
    settingRows_ = true;
    setCurrentCell(row, 0);
    settingRows_ = false;
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
        texts_->setRowCount(count);
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
    texts_->setText(row, column, text);
}

QString StringGrid::cell(int row, int column) const {
    return model()->index(row, column).data().toString();
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

void StringGrid::showRow(int row) {
    // The scroll range follows a new row count only on the next layout; the row must be reachable now.
    updateGeometries();
    scrollTo(model()->index(row, 0));
}

void StringGrid::setCommands(const Commands& commands) {
    commands_ = commands;
}

bool StringGrid::event(QEvent* event) {
    // The desktop turns the menu key into a context menu event of the focused control.
    if (event->type() == QEvent::ContextMenu && commands_.menu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        openMenuAtCurrentRow();
        return true;
    }
    return QTableView::event(event);
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    if (QAction* command = commandFor(*event)) {
        command->trigger();
        return;
    }
    if (commands_.menu && event->keyCombination() == QKeyCombination(Qt::SHIFT, Qt::Key_F10)) {
        openMenuAtCurrentRow();
        return;
    }
    QTableView::keyPressEvent(event);
}

QAction* StringGrid::commandFor(const QKeyEvent& event) const {
    // The keypad's Enter and Insert count as the main keys.
    if ((event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return nullptr;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return commands_.change;
    case Qt::Key_Insert:
        return commands_.add;
    case Qt::Key_Delete:
        return commands_.remove;
    default:
        return nullptr;
    }
}

void StringGrid::openMenuAtCurrentRow() {
    const QModelIndex current = model()->index(std::max(currentRow(), 0), 0);
    scrollTo(current);
    commands_.menu->popup(viewport()->mapToGlobal(visualRect(current).center()));
    if (!commands_.menu->actions().isEmpty())
        commands_.menu->setActiveAction(commands_.menu->actions().constFirst());
}
