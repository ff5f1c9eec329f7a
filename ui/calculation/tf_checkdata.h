#pragma once

#include "ui/calculation_service/calculation_data.h"

#include <QWidget>

class QLabel;
class ResultsGrid;

// «Проверка данных»: every problem of every scheme of every source, found by calculating them all. Not
// modal; a double-click on a problem asks the main window to select what it names.
class TF_CheckData : public QWidget {
    Q_OBJECT

public:
    explicit TF_CheckData(QWidget* parent = nullptr);

    // Calculates every source and scheme of the data and lists their problems.
    void check(const CalculationData& data);

    QLabel* Summary;
    ResultsGrid* ProblemsGrid;

signals:
    void selectRequested(const ProblemPlace& place);
};
