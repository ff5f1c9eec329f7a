#include "ui/calculation/results_report.h"

#include "calc/mode_description.h"
#include "calc/result_format.h"
#include "calc/scheme_comparison.h"
#include "ui/app_info.h"
#include "ui/calculation/result_tables.h"
#include "ui/calculation/scheme_comparison_view.h"
#include "ui/calculation/voltage_profile.h"
#include "ui/calculation_service/calculation_data.h"
#include "ui/calculation_service/calculation_settings.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/desktop/interaction.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <map>
#include <set>
#include <stdexcept>

namespace results {

using k10::calc::ComparedScheme;
using k10::calc::Regime;
using k10::calc::SchemeResult;

namespace {

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString cp(std::string_view text) {
    return fromCp1251(text).trimmed();
}

// A number of the input data as the dialogs show it: the decimal comma, no needless zeros.
QString plain(double value) {
    return utf8(k10::calc::modeNumber(value));
}

Cell textCell(const QString& text) {
    return {text, std::nullopt, {}};
}
Cell numberCell(const QString& text) {
    return {text, 0.0, {}};
}

// A table whose header row repeats at the top of every printed page.
QString tableHtml(const Table& table) {
    QString html = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n<thead><tr>";
    for (const QString& header : table.headers)
        html += "<th>" + escaped(header) + "</th>";
    html += "</tr></thead>\n<tbody>\n";
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
    return html + "</tbody></table>\n";
}

QString captioned(const QString& level, const QString& caption, const Table& table) {
    return QString("<%1>%2</%1>\n").arg(level, escaped(caption)) + tableHtml(table);
}

// The rows of a table whose first column names the line.
Table ofLine(const Table& table, const QString& line) {
    Table part{table.title, table.headers, {}, {}};
    for (const auto& row : table.rows)
        if (!row.empty() && row.front().text == line)
            part.rows.push_back(row);
    return part;
}

QString imageDataUrl(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return "data:image/png;base64," + QString::fromLatin1(png.toBase64());
}

// The profile picture: the chart drawn at a fixed size, whatever the window's size; a page narrower
// than the picture shows it narrowed to its width.
QImage profilePicture(const std::vector<ProfileCurve>& curves, double maxLossPercent) {
    VoltageProfileChart chart;
    chart.resize(kReportPictureWidth, kReportPictureWidth / 2);
    chart.showProfile(curves, maxLossPercent);
    return chart.grab().toImage();
}

QString schemeName(const SchemeResult& scheme) {
    return scheme.mode == 0 ? QString("Нормальная схема") : utf8(scheme.modeText);
}

QString sourceName(const TSource& source, int number) {
    return QString("Источник %1 «%2»").arg(number).arg(cp(source.Name.view()));
}

// Collects the report's pictures: embedded in the page, or named for a document's resources.
class Pictures {
public:
    explicit Pictures(bool embedded) : embedded_(embedded) {}

    QString add(const QImage& image) {
        if (embedded_)
            return imageDataUrl(image);
        const QString name = QString("picture-%1.png").arg(images_.size() + 1);
        images_.push_back({name, image});
        return name;
    }
    const std::vector<std::pair<QString, QImage>>& images() const { return images_; }

private:
    bool embedded_;
    std::vector<std::pair<QString, QImage>> images_;
};

// The drawing of the network with the results of the report's regime: a scheme not calculated shows
// its data alone. A drawing too large for its labels to be read on the page says where to see them.
QString drawingHtml(const SchemeResult& scheme, const ReportRequest& request, Pictures& pictures) {
    const SchemeDrawing drawing = request.schemePicture(*request.data, scheme, request.regime, kReportPictureWidth);
    const QImage& picture = drawing.image;
    if (picture.isNull())
        return {};
    const QSizeF size = picture.deviceIndependentSize();
    QString html = QString("<h3>Схема сети</h3>\n<p><img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"Схема сети\"></p>\n")
                       .arg(pictures.add(picture))
                       .arg(qRound(size.width()))
                       .arg(qRound(size.height()));
    if (scheme.calculated)
        html += QString("<p>Результаты: %1.</p>\n").arg(regimeCaption(request.regime).toLower());
    if (!drawing.readable)
        html += "<p>Надписи схемы слишком мелки для страницы отчёта: схему с надписями сохраните или напечатайте "
                "из окна «Схема сети».</p>\n";
    return html;
}

// ---- The title block.

QString titleBlock(const ReportRequest& request) {
    const CalculationData& data = *request.data;
    const k10::calc::Settings settings = data.settings();
    const QString file = data.projectFileName();
    Table title{"", {"", ""}, {}, {}};
    auto row = [&title](const QString& caption, const QString& value) {
        title.rows.push_back({textCell(caption), textCell(value)});
    };
    row("Файл проекта", file.isEmpty() ? QString("проект не сохранён в файл") : QFileInfo(file).absoluteFilePath());
    row("Дата и время", request.madeAt.toString("dd.MM.yyyy HH:mm"));
    row("Программа", QString("%1, версия %2").arg(k10app::Title, k10app::Version));
    QString extent = reportExtentCaptions().at(int(request.extent));
    if (request.extent != ReportExtent::Project)
        extent += ": " + sourceName(data.project().Sources[request.source], request.source);
    if (request.extent == ReportExtent::Scheme)
        extent += ", " + (request.mode == 0 ? QString("нормальная схема") : QString("режим %1").arg(request.mode));
    row("Объём отчёта", extent);
    row("Метод расчёта", methodCaptions().at(int(settings.method)));
    row("Токи КЗ", shortCircuitCaptions().at(int(settings.shortCircuit)));
    row("Допустимая потеря напряжения",
        utf8(k10::calc::formatNumber(settings.maxLossPercent, k10::calc::Quantity::LossPercent)) + " %");
    row("Напряжение на шинах источника", plain(settings.busVoltagePercent) + " % от номинального");
    row("Коэффициенты графиков нагрузки",
        data.coefficients().builtIn
            ? QString("встроенная таблица (файл %1 не прочитан). Значения предварительные: замените их значениями "
                      "из руководящих материалов")
                  .arg(k10::LoadCoefficientFile)
            : QString("из файла %1").arg(k10::LoadCoefficientFile));
    QString html = "<table border=\"0\" cellspacing=\"0\" cellpadding=\"3\">\n";
    for (const auto& r : title.rows)
        html += QString("<tr><td><b>%1</b></td><td>%2</td></tr>\n").arg(escaped(r[0].text), escaped(r[1].text));
    return html + "</table>\n" + QString("<p>%1</p>\n").arg(escaped(notCalculatedLine()));
}

// ---- The input data of one source.

QString inputData(const CalculationData& data, int number) {
    const TSource& source = data.project().Sources[number];
    QString html = "<h2>Исходные данные</h2>\n";
    Table head{"", {"Наименование", "Код", "U ном, кВ", "R макс, Ом", "X макс, Ом", "R мин, Ом", "X мин, Ом"}, {}, {}};
    head.rows.push_back({textCell(cp(source.Name.view())), numberCell(QString::number(source.Code)),
                         numberCell(plain(source.Napr)), numberCell(plain(source.R_Max)),
                         numberCell(plain(source.X_Max)), numberCell(plain(source.R_Min)),
                         numberCell(plain(source.X_Min))});
    html += captioned("h3", "Источник питания", head);

    std::set<QString> wires, transformers;
    std::set<int> codes;
    auto key = [](QString name) { return name.remove(' '); };
    for (int l = 1; l <= source.LineCount(); ++l) {
        const TLines& line = source.Lines[l];
        Table sections{"", {"№", "Начало", "Конец", "Длина, км", "Провод", "Нагрузка, кВА", "Шифр", "Трансформатор"}, {}, {}};
        for (int s = 1; s <= line.SectionCount(); ++s) {
            const TLine& x = line.Sections[s];
            sections.rows.push_back({numberCell(QString::number(s)), textCell(cp(x.L_Begin.view())),
                                     textCell(cp(x.L_End.view())), numberCell(plain(x.Dlina)),
                                     textCell(cp(x.Provod.view())), numberCell(cp(x.Max_Nagr.view())),
                                     numberCell(cp(x.Gr_Nagr.view())), textCell(cp(x.Trans.view()))});
            if (!cp(x.Provod.view()).isEmpty())
                wires.insert(key(cp(x.Provod.view())));
            if (!cp(x.Trans.view()).isEmpty())
                transformers.insert(key(cp(x.Trans.view())));
            bool ok = false;
            const int code = cp(x.Gr_Nagr.view()).toInt(&ok);
            if (ok && code >= 1 && code <= 32)
                codes.insert(code);
        }
        html += captioned("h3", QString("Линия %1").arg(cp(line.Name.view())), sections);
    }

    html += "<h3>Режимы</h3>\n";
    if (source.ModeWorkCount() == 0) {
        html += "<p>Режимов нет.</p>\n";
    } else {
        Table modes{"", {"Режим"}, {}, {}};
        for (int m = 1; m <= source.ModeWorkCount(); ++m) {
            modes.rows.push_back({textCell(utf8(k10::calc::modeDescription(source.ModeWorks[m], m)))});
            if (!cp(source.ModeWorks[m].Provod.view()).isEmpty())
                wires.insert(key(cp(source.ModeWorks[m].Provod.view())));
        }
        html += tableHtml(modes);
    }

    Table wireRows{"", {"Марка провода", "R, Ом/км", "X, Ом/км", "I доп, А"}, {}, {}};
    for (const QString& name : wires) {
        const TProvoda* found = nullptr;
        for (const TProvoda& wire : data.wires())
            if (key(cp(wire.Name.view())) == name)
                found = &wire;
        if (found)
            wireRows.rows.push_back({textCell(cp(found->Name.view())), numberCell(plain(found->R)),
                                     numberCell(plain(found->X)), numberCell(plain(found->Tok * 1000))});
        else
            wireRows.rows.push_back({textCell(name), textCell("нет в справочнике"), textCell(""), textCell("")});
    }
    if (!wireRows.rows.empty())
        html += captioned("h3", "Провода из справочника", wireRows);
    Table transRows{"", {"Тип трансформатора", "S ном, кВА", "Uк, %", "ΔPк, кВт"}, {}, {}};
    for (const QString& name : transformers) {
        const TTrans* found = nullptr;
        for (const TTrans& trans : data.transformers())
            if (key(cp(trans.Name.view())) == name)
                found = &trans;
        if (found)
            transRows.rows.push_back({textCell(cp(found->Name.view())), numberCell(QString::number(found->S)),
                                      numberCell(plain(found->U)), numberCell(plain(found->dP))});
        else
            transRows.rows.push_back({textCell(name), textCell("нет в справочнике"), textCell(""), textCell("")});
    }
    if (!transRows.rows.empty())
        html += captioned("h3", "Трансформаторы из справочника", transRows);
    Table coefficientRows{"", {"Шифр", "K днём", "K вечером", "cos φ днём", "cos φ вечером"}, {}, {}};
    for (int code : codes) {
        const k10::LoadCoefficients& row = data.coefficients().forCode(code);
        coefficientRows.rows.push_back({numberCell(QString::number(code)), numberCell(plain(row.kDay)),
                                        numberCell(plain(row.kEvening)), numberCell(plain(row.cosDay)),
                                        numberCell(plain(row.cosEvening))});
    }
    if (!coefficientRows.rows.empty()) {
        html += captioned("h3", "Коэффициенты графиков нагрузки", coefficientRows);
        if (data.coefficients().builtIn)
            html += "<p>Значения предварительные: замените их значениями из руководящих материалов.</p>\n";
    }
    return html;
}

// ---- The results of one scheme.

QString schemeHtml(const SchemeResult& scheme, const ReportRequest& request, double maxLossPercent,
                   Pictures& pictures) {
    QString html = QString("<h2>%1</h2>\n").arg(escaped(schemeName(scheme)));
    for (Regime regime : {Regime::Day, Regime::Evening})
        html += QString("<p><b>%1.</b> %2</p>\n").arg(regimeCaption(regime), escaped(summaryLine(scheme, regime)));
    const Table problems = problemsTable(scheme);
    html += problems.rows.empty() ? QString("<p>Замечаний нет.</p>\n") : captioned("h3", "Замечания", problems);
    if (!scheme.excluded.empty()) {
        QStringList lines;
        for (const k10::calc::ExcludedLine& line : scheme.excluded)
            lines << utf8(line.line);
        html += QString("<p>Не рассчитаны линии с ошибками: %1.</p>\n").arg(escaped(lines.join(", ")));
    }
    if (request.schemePicture)
        html += drawingHtml(scheme, request, pictures);
    if (!scheme.calculated)
        return html;
    const QStringList lines = profileLines(scheme);
    for (Regime regime : {Regime::Day, Regime::Evening}) {
        html += QString("<h3>%1</h3>\n").arg(regimeCaption(regime));
        const Table nodes = nodesTable(scheme, regime);
        const Table sections = sectionsTable(scheme, regime);
        const Table substations = substationsTable(scheme, regime);
        for (const QString& line : lines) {
            html += QString("<h4>Линия %1</h4>\n").arg(escaped(line));
            for (const Table& table : {ofLine(nodes, line), ofLine(sections, line), ofLine(substations, line)})
                if (!table.rows.empty())
                    html += QString("<p><i>%1</i></p>\n").arg(escaped(table.title)) + tableHtml(table);
        }
    }
    html += captioned("h3", "Токи КЗ", shortCircuitTable(scheme));

    // The profile: the window's line for the scheme shown, the worst node's line for the others.
    const Regime regime = request.regime;
    QString line = scheme.source == request.source && scheme.mode == request.mode ? request.profileLine : QString();
    if (!lines.contains(line))
        line = utf8(scheme.regimes[int(regime)].totals.worstNode.line);
    if (lines.contains(line)) {
        const QImage picture = profilePicture(voltageProfile(scheme, regime, line), maxLossPercent);
        html += QString("<h3>Профиль напряжения: линия %1, %2</h3>\n<p><img src=\"%3\" width=\"%4\" height=\"%5\" "
                        "alt=\"Профиль напряжения\"></p>\n")
                    .arg(escaped(line), regimeCaption(regime).toLower(), pictures.add(picture))
                    .arg(picture.width())
                    .arg(picture.height());
    }
    return html;
}

// The comparison on a page: the window's one wide table as three narrower ones (by day, by evening, the
// short circuits and warnings), each scheme named short, as its full description stands in the modes.
QString comparisonHtml(const std::vector<ComparedScheme>& schemes) {
    const Table all = comparisonTable(schemes);
    auto part = [&](const QString& caption, std::vector<int> columns, const QString& dropped) {
        Table table{caption, {"Схема"}, {}, {}};
        for (int c : columns)
            table.headers << QString(all.headers[c]).remove(dropped);
        for (std::size_t r = 0; r < schemes.size(); ++r) {
            std::vector<Cell> row{textCell(schemes[r].mode == 0 ? QString("Нормальная схема")
                                                                : QString("Режим %1").arg(schemes[r].mode))};
            for (int c : columns)
                row.push_back(all.rows[r][std::size_t(c)]);
            table.rows.push_back(std::move(row));
        }
        return captioned("h3", caption, table);
    };
    return "<h2>Сравнение схем</h2>\n" + part("Схемы в дневной максимум", {1, 2, 3, 4, 5, 6, 7, 8}, " днём") +
           part("Схемы в вечерний максимум", {1, 9, 10, 11, 12, 13, 14, 15}, " вечером") +
           part("Токи КЗ и предупреждения схем", {16, 17, 18, 19}, QString());
}

// The schemes the report covers, in the order of the project.
std::vector<k10::calc::SchemeRequest> schemesOf(const ReportRequest& request) {
    const TProect& project = request.data->project();
    std::vector<k10::calc::SchemeRequest> schemes;
    if (request.extent == ReportExtent::Scheme) {
        schemes.push_back({request.source, request.mode});
        return schemes;
    }
    for (int s = 1; s <= project.SourceCount(); ++s) {
        if (request.extent == ReportExtent::Source && s != request.source)
            continue;
        for (int m = 0; m <= project.Sources[s].ModeWorkCount(); ++m)
            schemes.push_back({s, m});
    }
    return schemes;
}

QString buildHtml(const ReportRequest& request, Pictures& pictures) {
    const CalculationData& data = *request.data;
    const QString file = data.projectFileName();
    const QString title = "Расчёт сети" + (file.isEmpty() ? QString() : ": " + QFileInfo(file).fileName());
    QString html = QString("<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\"><title>%1</title>"
                           "<style>table { border-collapse: collapse; } thead { display: table-header-group; }"
                           "</style></head><body>\n<h1>%1</h1>\n")
                       .arg(escaped(title));
    html += titleBlock(request);

    // The schemes, source by source: each source's input data, its comparison, then its schemes.
    const k10::calc::Settings settings = data.settings();
    std::map<int, std::pair<std::vector<ComparedScheme>, QString>> sources;
    k10::calc::calculateSchemes(data.project(), schemesOf(request), data.inputs(), settings,
                                [&](const SchemeResult& scheme) {
                                    auto& [compared, text] = sources[scheme.source];
                                    compared.push_back(k10::calc::compareScheme(scheme));
                                    text += schemeHtml(scheme, request, settings.maxLossPercent, pictures);
                                });
    for (const auto& [number, parts] : sources) {
        html += QString("<h1>%1</h1>\n").arg(escaped(sourceName(data.project().Sources[number], number)));
        html += inputData(data, number);
        if (parts.first.size() > 1)
            html += comparisonHtml(parts.first);
        html += parts.second;
    }
    return html + "</body></html>\n";
}

[[noreturn]] void failed(const QString& path, const QString& why) {
    throw std::runtime_error(QString("Отчёт не записан в файл %1: %2").arg(path, why).toStdString());
}

} // namespace

const QStringList& reportExtentCaptions() {
    static const QStringList captions{"Текущая схема", "Все схемы источника", "Весь проект"};
    return captions;
}

ReportFormat reportFormatOf(const QString& path, const QString& chosenFilter) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "pdf")
        return ReportFormat::Pdf;
    if (suffix == "csv")
        return reportFilters().indexOf(chosenFilter) == int(ReportFormat::CsvSpreadsheet) ? ReportFormat::CsvSpreadsheet
                                                                                          : ReportFormat::Csv;
    if (suffix == "html" || suffix == "htm")
        return ReportFormat::Html;
    return ReportFormat(std::max<qsizetype>(0, reportFilters().indexOf(chosenFilter)));
}

QStringList reportFilters() {
    return {"Отчёт HTML (*.html *.htm)", "Документ PDF (*.pdf)", "Таблица CSV (*.csv)", "CSV для Excel (*.csv)"};
}

QString reportSuffix(ReportFormat format) {
    static const char* const suffixes[] = {"html", "pdf", "csv", "csv"};
    return suffixes[int(format)];
}

QString offeredReportName(const ReportRequest& request) {
    const QString file = request.data->projectFileName();
    QStringList parts{file.isEmpty() ? QString("Проект") : QFileInfo(file).completeBaseName()};
    if (request.extent != ReportExtent::Project && request.source > 0)
        parts << cp(request.data->project().Sources[request.source].Name.view());
    if (request.extent == ReportExtent::Scheme)
        parts << (request.mode == 0 ? QString("Нормальная схема") : QString("Режим %1").arg(request.mode));
    QString name = parts.join('_');
    for (QChar& c : name)
        if (c.unicode() < 32 || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = '_';
    return name;
}

QString reportHtml(const ReportRequest& request) {
    Pictures pictures(true);
    return buildHtml(request, pictures);
}

std::unique_ptr<QTextDocument> reportDocument(const ReportRequest& request) {
    Pictures pictures(false);
    const QString html = buildHtml(request, pictures);
    auto document = std::make_unique<QTextDocument>();
    for (const auto& [name, image] : pictures.images())
        document->addResource(QTextDocument::ImageResource, QUrl(name), image);
    document->setHtml(html);
    return document;
}

void saveReport(const ReportRequest& request, const QString& path, ReportFormat format) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        failed(path, file.errorString());
    switch (format) {
    case ReportFormat::Html:
        file.write(reportHtml(request).toUtf8());
        break;
    case ReportFormat::Csv:
    case ReportFormat::CsvSpreadsheet: {
        const auto dialect =
            format == ReportFormat::Csv ? k10::calc::CsvDialect::Plain : k10::calc::CsvDialect::Spreadsheet;
        std::string out = k10::calc::csvHeader(dialect);
        k10::calc::calculateSchemes(request.data->project(), schemesOf(request), request.data->inputs(),
                                    request.data->settings(), [&](const SchemeResult& scheme) {
                                        k10::calc::appendSchemeCsv(scheme, out, dialect);
                                        if (out.size() > (1u << 20)) {
                                            file.write(out.data(), qint64(out.size()));
                                            out.clear();
                                        }
                                    });
        file.write(out.data(), qint64(out.size()));
        break;
    }
    case ReportFormat::Pdf: {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(QFileInfo(path).completeBaseName());
        writer.setCreator(QString("%1 %2").arg(k10app::Title, k10app::Version));
        auto document = reportDocument(request);
        fitPicturesToPage(*document, writer.pageLayout());
        document->print(&writer);
        break;
    }
    }
    if (!file.commit())
        failed(path, file.errorString());
}

} // namespace results
