#pragma once

#include "calc/calculation.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CalculationData;
class QTextDocument;

// The report of the results as a design document: a title block, the input data, the results of every
// line of every scheme asked for, the schemes compared; as a self-contained HTML page (the pictures
// embedded), the same as a PDF or printed, or the rows of the CSV.
namespace results {

// How much the report covers.
enum class ReportExtent { Scheme, Source, Project };

// The width of the report's pictures on its page, in pixels of 96 per inch; a narrower printed page shows
// them narrowed to its width.
constexpr int kReportPictureWidth = 900;

// The network of a scheme drawn for the report; `readable` is false where the drawing had to be made so
// small that its labels were left out.
struct SchemeDrawing {
    QImage image;
    bool readable = true;
};
// Draws the network of a scheme with the results of a regime, as wide as the width given at most. The
// drawing lives in the diagram's own folder, which reads this folder's tables: the report is given it.
using SchemePicture =
    std::function<SchemeDrawing(const CalculationData& data, const k10::calc::SchemeResult& scheme, k10::calc::Regime regime,
                         int width)>;
// «Текущая схема», «Все схемы источника», «Весь проект», in the order of ReportExtent.
const QStringList& reportExtentCaptions();

struct ReportRequest {
    const CalculationData* data = nullptr;
    int source = 0; // the scheme shown, 1-based source and mode (0 the normal scheme)
    int mode = 0;
    ReportExtent extent = ReportExtent::Scheme;
    k10::calc::Regime regime = k10::calc::Regime::Day; // of the voltage profiles
    // The line of the shown scheme's profile; every other scheme shows the line of its worst node.
    QString profileLine;
    QDateTime madeAt = QDateTime::currentDateTime();
    // «Схема сети» of each scheme; none without it.
    SchemePicture schemePicture;
};

// Csv is the command line's plain CSV; CsvSpreadsheet the one a Russian spreadsheet opens in columns.
enum class ReportFormat { Html, Pdf, Csv, CsvSpreadsheet };

// The file type of a chosen path, by its suffix; the chosen filter of the save dialog when the suffix
// names none or names both kinds of CSV.
ReportFormat reportFormatOf(const QString& path, const QString& chosenFilter);
// The save dialog's filters, in the order of ReportFormat.
QStringList reportFilters();
// The suffix of a format's files, without the dot.
QString reportSuffix(ReportFormat format);

// The name the save dialog offers, without suffix: «<project>_<source>_<scheme>» for one scheme
// («Нормальная схема» or «Режим N»), «<project>_<source>» for a source, «<project>» for the project;
// <project> is the project file's name without its suffix («Проект» while it has none); a character a
// file name cannot hold becomes «_».
QString offeredReportName(const ReportRequest& request);

// The page; the pictures embedded as data URLs.
QString reportHtml(const ReportRequest& request);
// The page as a document for printing and for PDF, the pictures held as its resources.
std::unique_ptr<QTextDocument> reportDocument(const ReportRequest& request);

// Writes the report; each replaces the file only once the whole report is written. Throws
// std::runtime_error with a message naming the file on failure.
void saveReport(const ReportRequest& request, const QString& path, ReportFormat format);

} // namespace results
