#pragma once

#include "model/project.h"

#include <QStringList>

// The texts of one row of each data table of the main window, defined once for every writer of a row.
// Reals are shown in the general form of the project file, integers in plain decimal.

QStringList sourceRow(const TSource& source);  // 7 columns
QStringList sectionRow(const TLine& section);  // 7 columns; the load-graph code stands before the load
QStringList modeRow(const TModeWork& mode);    // 8 columns

QString realText(double value);
