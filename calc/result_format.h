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
// The same bytes written at `out` (room for kFormatNumberRoom bytes); returns their end. For writers of
// many numbers, which need no string of each.
inline constexpr int kFormatNumberRoom = 400;
char* formatNumberTo(char* out, double value, Quantity quantity);

// The readable Russian report of one scheme (UTF-8): header (source, scheme, settings, which coefficient
// table, what is not calculated), problems, de-energised nodes, totals, then the tables.
std::string schemeReportText(const SchemeResult& scheme, const Settings& settings, bool builtInCoefficients);

// The two kinds of CSV. Plain, for pipes and scripts: ',' between the fields, '.' as the decimal point,
// every digit a double needs, English column names and words, UTF-8. Spreadsheet, for a spreadsheet set to
// Russian: ';' between the fields, the decimal comma, the window's precisions, Russian column names and
// words, UTF-8 with a byte order mark. Both end their rows with CR LF.
enum class CsvDialect { Plain, Spreadsheet };

// The result rows of schemes as one CSV: the header row (with the byte order mark, in the spreadsheet
// dialect), then the rows of each scheme in turn (none for a scheme that was not calculated).
std::string csvHeader(CsvDialect dialect = CsvDialect::Plain);
std::string schemeCsv(const SchemeResult& scheme, CsvDialect dialect = CsvDialect::Plain);
// The same rows appended to a text, which a writer of many schemes keeps from one scheme to the next.
void appendSchemeCsv(const SchemeResult& scheme, std::string& out, CsvDialect dialect = CsvDialect::Plain);

} // namespace k10::calc
