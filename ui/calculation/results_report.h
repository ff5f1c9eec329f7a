#pragma once

#include "calc/calculation.h"

#include <QImage>
#include <QString>

#include <memory>

class QTextDocument;

// The report of one scheme's results: a self-contained HTML page (the profile embedded as a picture),
// the same page as a PDF or printed, or the CSV of the command line.
namespace results {

struct ReportParts {
    const k10::calc::SchemeResult* scheme = nullptr;
    k10::calc::Settings settings;
    bool builtInCoefficients = true;
    QString schemeName;
    k10::calc::Regime regime = k10::calc::Regime::Day; // of the profile
    QString profileLine;
    QImage profile; // null when the scheme has no profile
};

enum class ReportFormat { Html, Pdf, Csv };

// The file type of a chosen path, by its suffix; the chosen filter of the save dialog when the suffix
// names none.
ReportFormat reportFormatOf(const QString& path, const QString& chosenFilter);
// The save dialog's filters, in the order of ReportFormat.
QStringList reportFilters();

// The page; the profile picture is embedded as a data URL, or named imageName for a document that
// holds the picture as its resource.
QString reportHtml(const ReportParts& parts, const QString& imageName = {});
// The page as a document for printing and for PDF.
std::unique_ptr<QTextDocument> reportDocument(const ReportParts& parts);

// Writes the report; each replaces the file only once the whole report is written. Throws
// std::runtime_error with a message naming the file on failure.
void saveReport(const ReportParts& parts, const QString& path, ReportFormat format);

} // namespace results
