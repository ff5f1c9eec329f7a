#pragma once

#include <QTableWidget>

class QAction;
class QMenu;

// A text grid without header rows whose selection event follows two rules: it fires when the user makes
// another row current, and when a shrinking row count removes the current row (the last remaining row
// becomes current). The event always fires after the row count has its new value.
class StringGrid : public QTableWidget {
    Q_OBJECT

public:
    StringGrid(int columns, int rowHeight, QWidget* parent = nullptr);

    // Sets the number of rows, at least one; a removed current row moves to the last remaining row.
    void setRows(int count);
    // Sets one cell, creating it when needed.
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;
    void setRowTexts(int row, const QStringList& texts);
    void clearRow(int row);
    // Makes the row current and raises the selection event for it, even when it was current already.
    void makeCurrent(int row);
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
    Commands commands_;
};
