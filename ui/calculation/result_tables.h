#pragma once

#include "calc/calculation.h"
#include "ui/calculation_service/calculation_data.h"

#include <QString>
#include <QStringList>

class QComboBox;

#include <optional>
#include <vector>

class TSource;

// The results of one scheme as the tables the results window and the report show: the same texts, the
// same precisions, the same marks on values over their limits.
namespace results {

struct Cell {
    QString text;
    std::optional<double> sortKey; // numbers sort by value, not by text
    QString problem;               // the warning of a value over its limit; empty when within it
};

struct Table {
    QString title;
    QStringList headers;
    std::vector<std::vector<Cell>> rows;
    std::vector<ProblemPlace> places; // of each row, where the rows name places (the problems)
};

Table nodesTable(const k10::calc::SchemeResult& scheme, k10::calc::Regime regime);
Table sectionsTable(const k10::calc::SchemeResult& scheme, k10::calc::Regime regime);
Table substationsTable(const k10::calc::SchemeResult& scheme, k10::calc::Regime regime);
Table shortCircuitTable(const k10::calc::SchemeResult& scheme);
// The problems of the scheme, both regimes: code, kind, message.
Table problemsTable(const k10::calc::SchemeResult& scheme);

// «Нормальная схема» for mode 0, else the mode's one description («Режим N: перемычка …»).
QString schemeCaption(const TSource& source, int mode);
// Fills a scheme list with the normal scheme and the modes of `source` (none for a null source), keeping
// the chosen row when asked and it still exists; the list is filled anew only when its texts changed.
void fillSchemeBox(QComboBox& box, const TSource* source, bool keepChoice);
QString regimeCaption(k10::calc::Regime regime);
QString kindCaption(k10::calc::ProblemKind kind);

// One line above the tables: the mode, then the supplied power, the losses (of the sections and of the
// transformers), the worst node, the most loaded section; or why the scheme is not calculated.
QString summaryLine(const k10::calc::SchemeResult& scheme, k10::calc::Regime regime);
// The lines left out for their errors, or empty when none.
QString excludedLine(const k10::calc::SchemeResult& scheme);
// The settings and the coefficient table the results were calculated with.
QString settingsLine(const k10::calc::Settings& settings, bool builtInCoefficients);
// What no calculation covers.
QString notCalculatedLine();

// Where a problem of the scheme points: the section's line and section, a mode's row for a problem of
// the mode (or of its jumper), else the source alone.
ProblemPlace placeOf(const k10::calc::SchemeResult& scheme, const k10::calc::Problem& problem);

} // namespace results
