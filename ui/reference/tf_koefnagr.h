#pragma once

#include "catalogs/load_coefficients.h"

#include <QDialog>

class Interaction;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

// «Коэффициенты графиков нагрузки»: the load coefficient table in a grid, one row per load-graph code.
// A value that is no number or out of range is marked as it is typed (its cell coloured, the reason in its
// tooltip); OK refuses the table while any is left, listing every one by code and column, and stays open.
// «По умолчанию» puts the built-in values into the grid; while the grid holds them, a note above it says
// that they are provisional.
class TF_KoefNagr : public QDialog {
    Q_OBJECT

public:
    explicit TF_KoefNagr(Interaction& user, QWidget* parent = nullptr);

    void prefill(const k10::LoadCoefficientTable& table);
    // Call after OK only: every value cell then holds a valid value.
    void storeInto(k10::LoadCoefficientTable& table) const;
    // Runs the dialog on the table; on OK stores the grid into it. True when the table was changed. The
    // document writes the table to its file and takes it (see ProjectDocument::change).
    bool edit(k10::LoadCoefficientTable& table);
    void DefaultsButtonClick();

    QLabel* ProvisionalNote;
    QTableWidget* Grid;
    QPushButton* DefaultsButton;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    static constexpr int kFirstValueColumn = 2;

public slots:
    void accept() override;

private:
    // What is wrong with a value cell's text ("«2» вне пределов от 0 до 1,5"); empty when nothing is.
    QString cellProblem(int row, int gridColumn) const;
    // Colours a value cell and gives it its reason as the tooltip, or takes both away.
    void markCell(QTableWidgetItem* item);
    void showProvisionalNote();

    Interaction& user_;
};
