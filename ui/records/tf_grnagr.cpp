#include "ui/records/tf_grnagr.h"

#include "catalogs/load_graph_codes.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

constexpr int kRows = 33; // the header and the 32 codes
constexpr int kRowHeight = 17;
constexpr int kCodeWidth = 77;
constexpr int kDescriptionWidth = 231;
// What column 1 leaves free at the right of the grid: room for the vertical scroll bar and the frame.
constexpr int kRightMargin = 23;

QTableWidgetItem* cellAt(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grid->setItem(row, column, item);
    }
    return item;
}

// Row 0 is the grid's fixed header: drawn like a button face, in bold, and out of reach of the mouse and
// the keyboard, so that choosing a row never lands on it.
void styleHeaderRow(QTableWidget* grid) {
    const QPalette palette = grid->palette();
    for (int column = 0; column < grid->columnCount(); ++column) {
        QTableWidgetItem* item = cellAt(grid, 0, column);
        item->setFlags(Qt::NoItemFlags);
        item->setBackground(palette.brush(QPalette::Button));
        item->setForeground(palette.brush(QPalette::ButtonText));
        item->setTextAlignment(Qt::AlignCenter);
        QFont font = grid->font();
        font.setBold(true);
        item->setFont(font);
    }
}

} // namespace

TF_GrNagr::TF_GrNagr(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_GrNagr");
    setWindowTitle("Шифры нагрузок");

    Grid = new QTableWidget(kRows, 2, this);
    Grid->setObjectName("Grid");
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    Grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setShowGrid(true);
    Grid->setWordWrap(false);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setColumnWidth(0, kCodeWidth);
    Grid->setColumnWidth(1, kDescriptionWidth);
    styleHeaderRow(Grid);
    writeRows();
    {
        // The header row starts as the current row, so the grid does not pick a code row by itself when
        // it first takes the focus: SelectedRow changes only when the user moves onto a row.
        QSignalBlocker blocker(Grid);
        Grid->setCurrentCell(0, 0, QItemSelectionModel::NoUpdate);
    }
    connect(Grid, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        if (row >= 0)
            GridSelectCell(column, row);
    });
    // A double-click anywhere on the grid, header and empty area included, chooses; so does Enter.
    Grid->viewport()->installEventFilter(this);
    Grid->installEventFilter(this);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    N1 = PopupMenu1->addAction("Выбрать");
    N1->setObjectName("N1");
    connect(N1, &QAction::triggered, this, [this] { GridDblClick(); });
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Grid->viewport()->mapToGlobal(at)); });

    const int frame = 2 * Grid->frameWidth();
    setMinimumSize(kCodeWidth + kRightMargin + 60, 8 * kRowHeight + frame);
    resize(kCodeWidth + kDescriptionWidth + kRightMargin, kRows * kRowHeight + frame);
}

void TF_GrNagr::writeRows() {
    cellAt(Grid, 0, 0)->setText("№");
    cellAt(Grid, 0, 1)->setText("Наименование потребителя");
    int row = 1;
    for (const k10::LoadGraphCode& entry : k10::loadGraphCodes()) {
        cellAt(Grid, row, 0)->setText(QString::number(entry.code));
        cellAt(Grid, row, 1)->setText(QString::fromUtf8(entry.description));
        ++row;
    }
}

QString TF_GrNagr::selectedCode() const {
    if (SelectedRow < 1 || SelectedRow >= Grid->rowCount())
        return {};
    const QTableWidgetItem* item = Grid->item(SelectedRow, 0);
    return item ? item->text() : QString();
}

void TF_GrNagr::FormShow() {
    FormResize();
    writeRows();
}

void TF_GrNagr::FormResize() {
    Grid->setColumnWidth(1, Grid->width() - Grid->columnWidth(0) - kRightMargin);
}

void TF_GrNagr::GridSelectCell(int, int ARow) {
    SelectedRow = ARow;
}

void TF_GrNagr::GridDblClick() {
    // Until a code row has been chosen the current row is the header, which holds no code.
    if (!selectedCode().isEmpty())
        accept();
}

void TF_GrNagr::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TF_GrNagr::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Grid->setGeometry(rect());
    FormResize();
}

bool TF_GrNagr::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        GridDblClick();
        return true;
    }
    if (watched == Grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            GridDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
