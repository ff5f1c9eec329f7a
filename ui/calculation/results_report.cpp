#include "ui/calculation/results_report.h"

#include "calc/result_format.h"
#include "ui/calculation/result_tables.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <stdexcept>

namespace results {

using k10::calc::Regime;

namespace {

const char* const kImageName = "profile.png";

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString tableHtml(const Table& table, const QString& caption) {
    QString html = QString("<h3>%1</h3>\n").arg(escaped(caption));
    if (table.rows.empty())
        return html + "<p>Нет строк.</p>\n";
    html += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr>";
    for (const QString& header : table.headers)
        html += "<th>" + escaped(header) + "</th>";
    html += "</tr>\n";
    for (const auto& row : table.rows) {
        html += "<tr>";
        for (const Cell& cell : row) {
            QString attributes = cell.sortKey ? " align=\"right\"" : "";
            if (!cell.problem.isEmpty())
                attributes += QString(" bgcolor=\"#ffc8c8\" title=\"%1\"").arg(escaped(cell.problem));
            html += QString("<td%1>%2</td>").arg(attributes, escaped(cell.text));
        }
        html += "</tr>\n";
    }
    return html + "</table>\n";
}

QString imageDataUrl(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return "data:image/png;base64," + QString::fromLatin1(png.toBase64());
}

[[noreturn]] void failed(const QString& path, const QString& why) {
    throw std::runtime_error(QString("Отчёт не записан в файл %1: %2").arg(path, why).toStdString());
}

void commit(QSaveFile& file, const QString& path) {
    if (!file.commit())
        failed(path, file.errorString());
}

void openFor(QSaveFile& file, const QString& path) {
    if (!file.open(QIODevice::WriteOnly))
        failed(path, file.errorString());
}

} // namespace

ReportFormat reportFormatOf(const QString& path, const QString& chosenFilter) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "pdf")
        return ReportFormat::Pdf;
    if (suffix == "csv")
        return ReportFormat::Csv;
    if (suffix == "html" || suffix == "htm")
        return ReportFormat::Html;
    return ReportFormat(std::max<qsizetype>(0, reportFilters().indexOf(chosenFilter)));
}

QStringList reportFilters() {
    return {"Отчёт HTML (*.html *.htm)", "Документ PDF (*.pdf)", "Таблица CSV (*.csv)"};
}

QString reportHtml(const ReportParts& parts, const QString& imageName) {
    const k10::calc::SchemeResult& scheme = *parts.scheme;
    QString title = QString("Результаты расчёта: %1, %2")
                        .arg(QString::fromStdString(scheme.sourceName), parts.schemeName);
    QString html =
        QString("<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\"><title>%1</title>"
                "</head><body>\n<h1>%1</h1>\n")
            .arg(escaped(title));
    html += QString("<p>%1</p>\n<p>%2</p>\n")
                .arg(escaped(settingsLine(parts.settings, parts.builtInCoefficients)),
                     escaped(notCalculatedLine()));
    if (const QString excluded = excludedLine(scheme); !excluded.isEmpty())
        html += QString("<p>%1.</p>\n").arg(escaped(excluded));
    for (Regime regime : {Regime::Day, Regime::Evening})
        html += QString("<p><b>%1.</b> %2</p>\n")
                    .arg(regimeCaption(regime), escaped(summaryLine(scheme, regime)));

    html += tableHtml(problemsTable(scheme), "Замечания");
    if (scheme.calculated) {
        for (Regime regime : {Regime::Day, Regime::Evening}) {
            html += QString("<h2>%1</h2>\n").arg(regimeCaption(regime));
            for (const Table& table : {nodesTable(scheme, regime), sectionsTable(scheme, regime),
                                       substationsTable(scheme, regime)})
                html += tableHtml(table, table.title);
        }
        html += tableHtml(shortCircuitTable(scheme), "Токи КЗ");
    }
    if (!parts.profile.isNull())
        html += QString("<h2>Профиль напряжения: линия %1, %2</h2>\n<p><img src=\"%3\" width=\"%4\" "
                        "alt=\"%5\"></p>\n")
                    .arg(escaped(parts.profileLine), regimeCaption(parts.regime).toLower(),
                         imageName.isEmpty() ? imageDataUrl(parts.profile) : imageName)
                    .arg(parts.profile.width())
                    .arg("Профиль напряжения");
    return html + "</body></html>\n";
}

std::unique_ptr<QTextDocument> reportDocument(const ReportParts& parts) {
    auto document = std::make_unique<QTextDocument>();
    if (!parts.profile.isNull())
        document->addResource(QTextDocument::ImageResource, QUrl(kImageName), parts.profile);
    document->setHtml(reportHtml(parts, kImageName));
    return document;
}

void saveReport(const ReportParts& parts, const QString& path, ReportFormat format) {
    QSaveFile file(path);
    openFor(file, path);
    switch (format) {
    case ReportFormat::Html:
        file.write(reportHtml(parts).toUtf8());
        break;
    case ReportFormat::Csv:
        file.write(QByteArray::fromStdString(k10::calc::csvHeader() + k10::calc::schemeCsv(*parts.scheme)));
        break;
    case ReportFormat::Pdf: {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(QString::fromStdString(parts.scheme->sourceName));
        reportDocument(parts)->print(&writer);
        break;
    }
    }
    commit(file, path);
}

} // namespace results
