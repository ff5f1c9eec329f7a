#pragma once

#include "calc/calculation.h"

#include <QString>
#include <QStringList>

class QSettings;

// The calculation settings as the user sees them and as they are kept between runs.

// The captions of the choices, in the order of the enumerations.
const QStringList& methodCaptions(); // «Точный (итерационный)», «Инженерный (приближённый)»
const QStringList& shortCircuitCaptions(); // «По средним напряжениям», «По МЭК 60909»

// The busbars' voltage in per cent of the nominal that the calculation takes: 90 to 115.
bool permissibleBusVoltage(double percent);

// Reads the settings kept in the store; a missing or unreadable value keeps its default.
k10::calc::Settings loadCalculationSettings(QSettings& store);
void saveCalculationSettings(QSettings& store, const k10::calc::Settings& settings);
