#pragma once

#include <QDialog>

class QAction;
class QMenu;
class QTableWidget;

// The fixed table of load-graph codes. The user picks a code with a double-click on the grid, with Enter or
// with the grid's context menu; the dialog then ends with OK and SelectedRow names the chosen row, whose
// column 0 holds the code. The dialog has no buttons: any other way of closing it is a cancel.
class TF_GrNagr : public QDialog {
    Q_OBJECT

public:
    explicit TF_GrNagr(QWidget* parent = nullptr);

    QTableWidget* Grid;
    QMenu* PopupMenu1;
    QAction* N1; // "Выбрать"

    // The grid row last made current, the header counting as row 0, so that row k holds code k. It is 0
    // until the user first moves onto a row and keeps its value between showings.
    int SelectedRow = 0;

    // The code of SelectedRow as text, or empty while no code row has been chosen.
    QString selectedCode() const;

    void FormShow();
    void FormResize();
    void GridSelectCell(int ACol, int ARow);
    void GridDblClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void writeRows();
};
