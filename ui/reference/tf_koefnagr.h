#pragma once

#include "catalogs/load_coefficients.h"

#include <QDialog>

class Interaction;
class QPushButton;
class QTableWidget;

// «Коэффициенты графиков нагрузки»: the load coefficient table in a grid, one row per load-graph code.
// OK refuses a value that is no number or out of range, naming the code and the column, and stays open;
// «По умолчанию» puts the built-in values into the grid.
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

    QTableWidget* Grid;
    QPushButton* DefaultsButton;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    static constexpr int kFirstValueColumn = 2;

public slots:
    void accept() override;

private:
    Interaction& user_;
};
