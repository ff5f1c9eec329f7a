#pragma once

#include "calc/calculation.h"

#include <string>
#include <vector>

// How results are written for people and for spreadsheets. The command line, the results window and the
// saved report all use these, so they show the same numbers at the same precisions.
namespace k10::calc {

enum class Quantity {
    VoltageKv,     // U, 3 decimals
    LossPercent,   // ΔU %, 2 decimals
    Power,         // P, Q, S, 1 decimal
    CurrentA,      // I in A, 1 decimal
    Loading,       // loading %, 1 decimal
    Losses,        // ΔP, ΔQ, 2 decimals
    ShortCircuitKa, // I_k3, I_k2, 3 decimals
    ImpedanceOhm,   // Z, 3 decimals
    LengthKm        // distances, 2 decimals
};

int decimalsOf(Quantity quantity);

// The value rounded to the quantity's decimals with the Russian decimal comma ("9,870"; "-0,00" never
// appears). UTF-8.
std::string formatNumber(double value, Quantity quantity);

// The readable Russian report of one scheme (UTF-8): header (source, scheme, settings, which coefficient
// table, what is not calculated), problems, de-energised nodes, totals, then the tables.
std::string schemeReportText(const SchemeResult& scheme, const Settings& settings, bool builtInCoefficients);

// The result rows of schemes as one CSV ('.' as the decimal point; UTF-8): the header row, then the rows of
// each scheme in turn (none for a scheme that was not calculated).
std::string csvHeader();
std::string schemeCsv(const SchemeResult& scheme);
// The same rows appended to a text, which a writer of many schemes keeps from one scheme to the next.
void appendSchemeCsv(const SchemeResult& scheme, std::string& out);

} // namespace k10::calc
