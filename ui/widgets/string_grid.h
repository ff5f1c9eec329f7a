#pragma once

#include <QTableView>

class QAction;
class QMenu;
class GridTexts;

// A text grid without header rows. It shows its own texts, written cell by cell, or a model given to it.
// Over its own texts the selection event follows two rules: it fires when the user makes another row
// current, and when a shrinking row count removes the current row (the last remaining row becomes
// current); the event always fires after the row count has its new value. Over a given model it fires
// only when the user makes another row current: a row the model's changes move is the model owner's.
class StringGrid : public QTableView {
    Q_OBJECT

public:
    StringGrid(int columns, int rowHeight, QWidget* parent = nullptr);
    ~StringGrid() override;

    // Shows a model instead of the grid's own texts.
    void setModel(QAbstractItemModel* model) override;

    int rowCount() const;
    int columnCount() const;
    int currentRow() const;
    int currentColumn() const;
    // Makes a cell current, as a click on it does.
    void setCurrentCell(int row, int column);
    // The text a cell shows.
    QString cell(int row, int column) const;

    // The grid's own texts. Sets the number of rows, at least one; a removed current row moves to the
    // last remaining row.
    void setRows(int count);
    void setCell(int row, int column, const QString& text);
    void setRowTexts(int row, const QStringList& texts);
    void clearRow(int row);
    // Makes the row current and raises the selection event for it, even when it was current already.
    void makeCurrent(int row);
    // Makes the row current without the selection event, as its model's owner says; a row the model does
    // not have leaves the grid as it is.
    void showCurrent(int row);
    // Scrolls the row into view.
    void showRow(int row);

    // The commands of the table's context menu that the keyboard and the mouse run as well, by triggering
    // the same items: Enter and a double-click on a row change the row, Insert adds, Delete deletes. The
    // menu key and Shift+F10 open the menu at the current row with its first item active. A command left
    // out does nothing.
    struct Commands {
        QMenu* menu = nullptr;
        QAction* add = nullptr;
        QAction* change = nullptr;
        QAction* remove = nullptr;
    };
    void setCommands(const Commands& commands);

signals:
    void selectCell(int column, int row);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The command a key runs, or none.
    QAction* commandFor(const QKeyEvent& event) const;
    void openMenuAtCurrentRow();

    bool settingRows_ = false;
    int modelMoving_ = 0; // changes of the given model's rows under way
    GridTexts* texts_;
    Commands commands_;
};
