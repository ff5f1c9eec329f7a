#include "ui/widgets/string_grid.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>

#include <algorithm>

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
    // Only a double-click on a row: the empty area below the rows has no index.
    connect(this, &QAbstractItemView::doubleClicked, this, [this] {
        if (commands_.change)
            commands_.change->trigger();
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
    return QTableWidget::event(event);
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
    QTableWidget::keyPressEvent(event);
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
