// The results window, the data check, the voltage profile, the report and the two calculation dialogs,
// on the real windows.

#include "support/scripted_interaction.h"
#include "support/test_calculation_data.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/models/current_place.h"
#include "ui/calculation_service/calculation_runner.h"
#include "ui/calculation_service/calculation_settings.h"
#include "calc/result_format.h"
#include "ui/calculation/results_grid.h"
#include "ui/calculation/results_report.h"
#include "calc/mode_description.h"
#include "ui/app_info.h"
#include "ui/calculation/scheme_comparison_view.h"
#include "ui/calculation/tf_calcsettings.h"
#include "ui/calculation/tf_checkdata.h"
#include "ui/reference/tf_koefnagr.h"
#include "ui/calculation/tf_results.h"
#include "ui/calculation/voltage_profile.h"
#include "ui/widgets/string_grid.h"
#include "ui/main_window/workbench.h"
#include "ui/schematic/schematic_scene.h"
#include "document/project_document.h"

#include <QBrush>
#include <QComboBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QSemaphore>
#include <QSettings>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QHeaderView>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QTabWidget>
#include <QTableView>
#include <QDeadlineTimer>
#include <QProgressBar>
#include <QThread>
#include <QTreeView>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

// Types into a field as the user does: what the field refuses never reaches it.
void typeInto(QAbstractSpinBox* field, const QString& text) {
    field->findChild<QLineEdit*>()->clear();
    QTest::keyClicks(field, text);
}

std::string cp(const QString& text) {
    return toCp1251(text);
}

TLine section(const QString& begin, const QString& end, double km, const QString& load = "100",
              const QString& wire = "АС-70") {
    TLine line;
    line.L_Begin = cp(begin);
    line.L_End = cp(end);
    line.Dlina = km;
    line.Provod = cp(wire);
    line.Max_Nagr = cp(load);
    line.Gr_Nagr = "8";
    line.Trans = cp("ТМ-250");
    return line;
}

// One 10 kV source whose lines "Л1", "Л2", ... are chains of sections 1 km long from the line's name.
TSource chainSource(int lines, int sectionsPerLine, const QString& load = "100") {
    TSource source;
    source.Name = cp("ПС Тестовая");
    source.Code = 1;
    source.Napr = 10;
    source.R_Max = 0.3;
    source.X_Max = 1.4;
    source.R_Min = 0.5;
    source.X_Min = 2.0;
    for (int l = 1; l <= lines; ++l) {
        TLines& line = source.Lines.append();
        const QString name = QString("Л%1").arg(l);
        line.Name = cp(name);
        for (int k = 1; k <= sectionsPerLine; ++k)
            line.Sections.append(section(k == 1 ? name : QString("%1-%2").arg(l).arg(k - 1),
                                         QString("%1-%2").arg(l).arg(k), 1.0, load));
    }
    return source;
}

TProect projectOf(std::initializer_list<TSource> sources) {
    TProect project;
    for (const TSource& source : sources)
        project.Sources.append(source);
    return project;
}

// A shown number with the decimal comma, as a double.
double shownNumber(const QString& text) {
    bool ok = false;
    double value = QString(text).replace(',', '.').toDouble(&ok);
    return ok ? value : std::nan("");
}

// A window's widget by its object name; a missing one fails the test at once.
template <typename Widget> Widget* child(const QObject* window, const char* name) {
    auto* found = window->findChild<Widget*>(name);
    QTEST_ASSERT(found);
    return found;
}

QTableView* grid(const QWidget* window, const char* name) {
    return child<QTableView>(window, name);
}

int rows(const QTableView* grid) {
    return grid->model()->rowCount();
}

// A cell as the view shows it (a role of its model's data).
QVariant cell(const QTableView* grid, int row, int column, int role = Qt::DisplayRole) {
    return grid->model()->index(row, column).data(role);
}

QString text(const QTableView* grid, int row, int column) {
    return cell(grid, row, column).toString();
}

QStringList column(const QTableView* grid, int column) {
    QStringList texts;
    for (int row = 0; row < rows(grid); ++row)
        texts << text(grid, row, column);
    return texts;
}

// The JSON of `korvane10-tool calc` for one scheme of the project file.
QJsonObject toolScheme(const QString& project, int source, const QString& dir) {
    QProcess tool;
    tool.start(K10_TOOL, {"calc", project, "--dir", dir, "--source", QString::number(source), "--mode",
                          "normal", "--format", "json"});
    tool.waitForFinished(60000);
    QJsonDocument json = QJsonDocument::fromJson(tool.readAllStandardOutput());
    return json.object()["schemes"].toArray().at(0).toObject();
}

// Every value of a grid column equals the JSON's value rounded to the column's decimals.
void compareNumbers(const QTableView* grid, int gridColumn, const QJsonArray& expectedRows, const char* key,
                    int decimals) {
    QCOMPARE(rows(grid), expectedRows.size());
    for (int row = 0; row < rows(grid); ++row) {
        double shown = shownNumber(text(grid, row, gridColumn));
        double expected = expectedRows.at(row)[key].toDouble();
        QVERIFY2(std::abs(shown - expected) <= 0.5 * std::pow(10.0, -decimals) + 1e-9,
                 qPrintable(QString("%1 row %2: shown %3, calculated %4")
                                .arg(key)
                                .arg(row)
                                .arg(text(grid, row, gridColumn))
                                .arg(expected, 0, 'g', 12)));
    }
}

// As from a mouse: the double-click follows the press and release of a first click.
void doubleClick(QTableView* grid, int row, int column) {
    QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// The check window's rows as "source|scheme|code": a problem of a source or a line once, with the schemes
// it concerns in place of the scheme; a scheme's own problem under the scheme's caption.
std::vector<std::pair<QString, QModelIndex>> checkRows(const TF_CheckData& check) {
    const QAbstractItemModel* model = check.Problems->model();
    std::vector<std::pair<QString, QModelIndex>> rows;
    for (int s = 0; s < model->rowCount(); ++s) {
        const QModelIndex source = model->index(s, 0);
        for (int r = 0; r < model->rowCount(source); ++r) {
            const QModelIndex row = model->index(r, 0, source);
            const int problems = model->rowCount(row);
            if (problems == 0)
                rows.push_back({source.data().toString() + "|" + row.siblingAtColumn(4).data().toString() + "|" +
                                    row.siblingAtColumn(1).data().toString(),
                                row});
            for (int p = 0; p < problems; ++p)
                rows.push_back({source.data().toString() + "|" + row.data().toString() + "|" +
                                    model->index(p, 1, row).data().toString(),
                                model->index(p, 0, row)});
        }
    }
    return rows;
}
QStringList checkTexts(const TF_CheckData& check) {
    QStringList texts;
    for (const auto& row : checkRows(check))
        texts << row.first;
    return texts;
}
QModelIndex checkRow(const TF_CheckData& check, const QString& wanted) {
    for (const auto& row : checkRows(check))
        if (row.first == wanted)
            return row.second;
    return {};
}
// Waits for the check window's check, started or about to start, to end.
bool checkEnds(TF_CheckData& check) {
    QDeadlineTimer deadline(60000);
    while (check.isChecking() && !deadline.hasExpired())
        QTest::qWait(10);
    return !check.isChecking();
}
void doubleClick(QTreeView* view, const QModelIndex& index) {
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        view->expand(parent);
    view->scrollTo(index);
    QPoint at = view->visualRect(index.siblingAtColumn(3)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

bool pressOk(QDialog& dialog, QPushButton* ok) {
    ok->click();
    return dialog.result() == QDialog::Accepted;
}

} // namespace

class TestResults : public QObject {
    Q_OBJECT

    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<ScriptedInteraction> user;
    std::unique_ptr<TestCalculationData> data;
    std::unique_ptr<TF_Results> window;
    std::unique_ptr<Workbench> forms;

    QTableView* grid(const char* name) const { return ::grid(window.get(), name); }

    // Shows the results window on the data and waits for its first results.
    void open(const TProect& project) {
        data = std::make_unique<TestCalculationData>(project);
        window = std::make_unique<TF_Results>(*user);
        window->setData(data.get());
        QSignalSpy ready(window.get(), &TF_Results::resultsReady);
        window->show();
        QVERIFY(ready.wait());
    }
    // The application as the user starts it, the project opened through «Открыть».
    TFormMain* startWith(const TProect& project) {
        const QString path = workspace->path("project.k10");
        k10::writeProject(toLocalPath(path), project);
        forms = std::make_unique<Workbench>(*user);
        forms->show();
        user->files.push_back(path);
        MainControls(forms->FormMain).N6->trigger();
        return forms->FormMain;
    }
    // Runs a step in the application and waits for the results window's next results.
    bool resultsAfter(const std::function<void()>& step) {
        QSignalSpy ready(forms->F_Results, &TF_Results::resultsReady);
        step();
        return ready.wait();
    }
    // Announces a change of the data and waits for the results that follow it.
    void changeAndWait() {
        QSignalSpy ready(window.get(), &TF_Results::resultsReady);
        data->announceChange();
        QVERIFY(ready.wait());
    }

private slots:
    void initTestCase() {
        // The settings go to the test folder of the standard paths, empty at every run.
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }
    void init() {
        workspace = std::make_unique<Workspace>();
        user = std::make_unique<ScriptedInteraction>();
    }
    void cleanup() {
        forms.reset();
        window.reset();
        data.reset();
        const QStringList unexpected = user->unexpected;
        user.reset();
        workspace.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void sampleMatchesTheCommandLine_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("regime");
        TProect sample = k10::readProject(K10_SOURCE_DIR "/data/sample.k10");
        for (int source = 1; source <= sample.SourceCount(); ++source)
            for (int regime : {0, 1})
                QTest::addRow("source %d, %s", source, regime ? "evening" : "day") << source << regime;
    }
    void sampleMatchesTheCommandLine() {
        QFETCH(int, source);
        QFETCH(int, regime);
        const QString sample = workspace->copyData("sample.k10");
        open(k10::readProject(toLocalPath(sample)));
        QSignalSpy ready(window.get(), &TF_Results::resultsReady);
        data->select(source);
        QVERIFY(ready.wait());
        child<QComboBox>(window.get(), "Regime_Box")->setCurrentIndex(regime);

        QJsonObject scheme = toolScheme(sample, source, workspace->path(""));
        QVERIFY(scheme["calculated"].toBool());
        QVERIFY(window->result().calculated);
        QJsonObject r = scheme["regimes"].toObject()[regime ? "evening" : "day"].toObject();
        QCOMPARE(column(grid("NodesGrid"), 1).first(), r["nodes"].toArray().at(0)["node"].toString());
        compareNumbers(grid("NodesGrid"), 2, r["nodes"].toArray(), "u_kv", 3);
        compareNumbers(grid("NodesGrid"), 3, r["nodes"].toArray(), "loss_percent", 2);
        compareNumbers(grid("NodesGrid"), 4, r["nodes"].toArray(), "deviation_percent", 2);
        QJsonArray sections = r["sections"].toArray();
        compareNumbers(grid("SectionsGrid"), 4, sections, "p_kw", 1);
        compareNumbers(grid("SectionsGrid"), 5, sections, "q_kvar", 1);
        compareNumbers(grid("SectionsGrid"), 6, sections, "i_a", 1);
        compareNumbers(grid("SectionsGrid"), 7, sections, "loading_percent", 1);
        compareNumbers(grid("SectionsGrid"), 8, sections, "dp_kw", 2);
        compareNumbers(grid("SubstationsGrid"), 3, r["substations"].toArray(), "s_kva", 1);
        compareNumbers(grid("SubstationsGrid"), 4, r["substations"].toArray(), "loading_percent", 1);
        compareNumbers(grid("SubstationsGrid"), 5, r["substations"].toArray(), "dp_kw", 2);
        compareNumbers(grid("SubstationsGrid"), 6, r["substations"].toArray(), "dq_kvar", 2);
        // The columns the command line's text report has beside these: the section's ΔQ, its wire, length
        // and own voltage loss (end's ΔU less begin's), the node's distance from the busbars.
        compareNumbers(grid("SectionsGrid"), 9, sections, "dq_kvar", 2);
        const QJsonArray nodes = r["nodes"].toArray();
        const TProect project = k10::readProject(toLocalPath(sample));
        const TSource& fed = project.Sources[source];
        for (int row = 0; row < sections.size(); ++row) {
            const QJsonObject section = sections.at(row).toObject();
            auto nodeRow = [&](const QString& name) {
                return int(column(grid("NodesGrid"), 1).indexOf(name));
            };
            const int begin = nodeRow(section["begin"].toString()), end = nodeRow(section["end"].toString());
            QVERIFY(begin >= 0 && end > begin);
            QCOMPARE(shownNumber(text(grid("SectionsGrid"), row, 10)),
                     std::round((nodes.at(end)["loss_percent"].toDouble() - nodes.at(begin)["loss_percent"].toDouble()) *
                                100) / 100);
            QCOMPARE(shownNumber(text(grid("SectionsGrid"), row, 12)),
                     std::round((window->result().nodes[std::size_t(end)].distanceKm -
                                 window->result().nodes[std::size_t(begin)].distanceKm) * 100) / 100);
            QCOMPARE(shownNumber(text(grid("NodesGrid"), end, 5)),
                     std::round(window->result().nodes[std::size_t(end)].distanceKm * 100) / 100);
            for (int l = 1; l <= fed.LineCount(); ++l)
                if (fromCp1251(fed.Lines[l].Name.view()) == section["line"].toString())
                    QCOMPARE(text(grid("SectionsGrid"), row, 11).remove(' '),
                             fromCp1251(fed.Lines[l].Sections[section["section"].toInt()].Provod.view()).remove(' '));
        }
        // «Линии»: each line's totals as the command line gives them.
        const QJsonArray lines = r["lines"].toArray();
        compareNumbers(grid("LinesGrid"), 1, lines, "p_kw", 1);
        compareNumbers(grid("LinesGrid"), 4, lines, "dq_kvar", 2);
        compareNumbers(grid("LinesGrid"), 7, lines, "dp_transformers_kw", 2);
        compareNumbers(grid("LinesGrid"), 9, lines, "loss_share_percent", 2);
        for (int row = 0; row < lines.size(); ++row) {
            const QJsonObject worst = lines.at(row)["worst_node"].toObject();
            QCOMPARE(text(grid("LinesGrid"), row, 11), worst["node"].toString());
            QVERIFY(std::abs(shownNumber(text(grid("LinesGrid"), row, 10)) - worst["loss_percent"].toDouble()) <=
                    0.005 + 1e-9);
        }
        // The summary splits the losses as the totals do.
        const QJsonObject totals = r["totals"].toObject();
        auto shown = [&totals](const char* key) {
            return QLocale(QLocale::Russian).toString(totals[key].toDouble(), 'f', 2);
        };
        const QString summary = child<QLabel>(window.get(), "Summary")->text();
        for (const QString& part :
             {QString("потери ΔP = %1 кВт").arg(shown("dp_kw")),
              QString("в участках %1 кВт, в трансформаторах %2 кВт")
                  .arg(shown("dp_sections_kw"), shown("dp_transformers_kw")),
              QString("ΔQ = %1 квар: в участках %2 квар, в трансформаторах %3 квар")
                  .arg(shown("dq_kvar"), shown("dq_sections_kvar"), shown("dq_transformers_kvar"))})
            QVERIFY2(summary.contains(part), qPrintable(summary + " / " + part));

        // Short circuits: the busbars' row, then the nodes, then the 0.4 kV sides.
        QJsonObject sc = scheme["short_circuit"].toObject();
        QJsonArray places{sc["busbars"]};
        for (const QJsonValue& node : sc["nodes"].toArray())
            places.append(node);
        for (const QJsonValue& node : sc["low_voltage"].toArray())
            places.append(node);
        compareNumbers(grid("ShortCircuitGrid"), 2, places, "ik3_max_ka", 3);
        compareNumbers(grid("ShortCircuitGrid"), 3, places, "ik2_max_ka", 3);
        compareNumbers(grid("ShortCircuitGrid"), 4, places, "ik3_min_ka", 3);
        compareNumbers(grid("ShortCircuitGrid"), 5, places, "ik2_min_ka", 3);
        QCOMPARE(text(grid("ShortCircuitGrid"), 0, 1), QString("Шины"));
        QVERIFY(text(grid("ShortCircuitGrid"), rows(grid("ShortCircuitGrid")) - 1, 1).endsWith(", 0,4 кВ"));
        // The nodes' impedances as "r + jx", Ω.
        const QJsonArray scNodes = sc["nodes"].toArray();
        for (int node = 0; node < scNodes.size(); ++node)
            for (auto [gridColumn, key] : {std::pair{6, "z_max_ohm"}, std::pair{7, "z_min_ohm"}}) {
                const QStringList parts = text(grid("ShortCircuitGrid"), node + 1, gridColumn).split(" ");
                QCOMPARE(parts.size(), 3);
                const QJsonArray z = scNodes.at(node)[key].toArray();
                QVERIFY(std::abs(shownNumber(parts[0]) - z.at(0).toDouble()) <= 0.0005 + 1e-9);
                QCOMPARE(parts[1], QString(z.at(1).toDouble() < 0 ? "−" : "+"));
                QVERIFY(std::abs(shownNumber(parts[2].mid(1)) - std::abs(z.at(1).toDouble())) <= 0.0005 + 1e-9);
            }
        QVERIFY(child<QLabel>(window.get(), "Summary")
                    ->text()
                    .endsWith(QString("Итераций расчёта: %1").arg(r["iterations"].toInt())));
    }

    void captionsAndColumns() {
        TProect project = projectOf({chainSource(1, 2)});
        project.Sources[1].ModeWorks.append();
        project.Sources[1].ModeWorks[1].Uzel_Off = cp("1-2");
        project.Sources[1].ModeWorks[1].Izm_Nagr = -15;
        open(project);
        QVERIFY(window->windowTitle().startsWith("Результаты расчёта"));
        QCOMPARE(child<QComboBox>(window.get(), "Regime_Box")->currentText(), QString("Дневной максимум"));
        QStringList schemes;
        for (int i = 0; i < child<QComboBox>(window.get(), "Scheme_Box")->count(); ++i)
            schemes << child<QComboBox>(window.get(), "Scheme_Box")->itemText(i);
        QCOMPARE(schemes, QStringList({"Нормальная схема", "Режим 1: разрыв перед узлом «1-2»; нагрузка −15 %"}));
        QStringList tabs;
        for (int i = 0; i < child<QTabWidget>(window.get(), "Tabs")->count(); ++i)
            tabs << child<QTabWidget>(window.get(), "Tabs")->tabText(i);
        QCOMPARE(tabs, QStringList({"Узлы", "Участки", "ТП", "Токи КЗ", "Линии", "Замечания", "Профиль", "Сравнение схем"}));
        auto headers = [](const QTableView* grid) {
            QStringList texts;
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                texts << grid->model()->headerData(c, Qt::Horizontal).toString();
            return texts.join('|');
        };
        QCOMPARE(headers(grid("NodesGrid")), QString("Линия|Узел|U, кВ|ΔU, %|δU, %|От шин, км"));
        QCOMPARE(headers(grid("SectionsGrid")),
                 QString("Линия|№|Начало|Конец|P, кВт|Q, квар|I, А|Загрузка, %|ΔP, кВт|ΔQ, квар|ΔU, %|Провод|Длина, км"));
        QCOMPARE(headers(grid("SubstationsGrid")),
                 QString("Линия|Узел|Трансформатор|S, кВА|Загрузка, %|ΔP, кВт|ΔQ, квар"));
        QCOMPARE(headers(grid("ShortCircuitGrid")),
                 QString("Линия|Место|Iк3 макс, кА|Iк2 макс, кА|Iк3 мин, кА|Iк2 мин, кА|Z макс, Ом|Z мин, Ом"));
        QCOMPARE(headers(grid("ProblemsGrid")), QString("Код|Вид|Сообщение"));
        QCOMPARE(headers(grid("LinesGrid")),
                 QString("Линия|P, кВт|Q, квар|ΔP, кВт|ΔQ, квар|ΔP уч., кВт|ΔQ уч., квар|ΔP тр., кВт|ΔQ тр., квар|"
                         "ΔP, % от P|ΔU наиб., %|Худший узел|Загрузка наиб., %|Наиболее загружен участок"));
        QVERIFY(child<QLabel>(window.get(), "Summary")->text().contains("кВт"));
        QVERIFY(child<QLabel>(window.get(), "Note")->text().contains("встроенная таблица"));
        QVERIFY(child<QLabel>(window.get(), "Note")->text().contains("напряжение на шинах: 100 % от номинального"));
        QVERIFY(!child<QLabel>(window.get(), "Excluded")->isVisible());
        child<QComboBox>(window.get(), "Scheme_Box")->setCurrentIndex(1);
        QSignalSpy ready(window.get(), &TF_Results::resultsReady);
        QVERIFY(ready.wait());
        QVERIFY(child<QLabel>(window.get(), "Summary")->text().startsWith("Режим 1: разрыв перед узлом «1-2»; нагрузка −15 %. Отпущено"));
    }

    // A broken network is not calculated; its problems are listed, and a double-click on one asks for
    // the section it names.
    void brokenNetworkListsItsProblems() {
        TSource source = chainSource(2, 3);
        source.Lines[2].Sections[2].Provod = cp("НЕТ-1"); // no such wire: S3
        open(projectOf({source}));
        // Л2 is left out, Л1 calculated; the window says so above the tabs and stays on its tab.
        QVERIFY(window->result().calculated);
        QCOMPARE(child<QLabel>(window.get(), "Excluded")->text(),
                 QString("Не рассчитаны линии с ошибками: Л2 (см. «Замечания»)"));
        QVERIFY(child<QLabel>(window.get(), "Excluded")->isVisible());
        QCOMPARE(child<QTabWidget>(window.get(), "Tabs")->currentIndex(), 0);

        data->proect.Sources[1].Lines[1].Sections[1].Provod = cp("НЕТ-1"); // and in Л1: no line left to calculate
        changeAndWait();
        QVERIFY(!window->result().calculated);
        QCOMPARE(child<QTabWidget>(window.get(), "Tabs")->currentWidget(), grid("ProblemsGrid"));
        QVERIFY(child<QLabel>(window.get(), "Summary")->text().startsWith("Схема не рассчитана"));
        QCOMPARE(rows(grid("NodesGrid")), 0);
        QTableView* problems = grid("ProblemsGrid");
        int row = column(problems, 0).lastIndexOf("S3");
        QVERIFY(row >= 0);
        QCOMPARE(text(problems, row, 1), QString("Ошибка"));
        QVERIFY(text(problems, row, 2).contains("Л2"));

        QSignalSpy requests(window.get(), &TF_Results::selectRequested);
        child<QTabWidget>(window.get(), "Tabs")->setCurrentWidget(problems);
        doubleClick(problems, row, 2);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).at(0).value<ProblemPlace>(), (ProblemPlace{1, 2, 2, 0}));
    }

    // Each kind of change updates the open results: the project, a catalog, the coefficient table, a
    // setting; undoing the project's change brings the first results back.
    void followsEveryChange_data() {
        QTest::addColumn<QString>("change");
        for (const char* change : {"edit and undo", "catalog", "coefficients", "setting"})
            QTest::newRow(change) << change;
    }
    void followsEveryChange() {
        QFETCH(QString, change);
        open(projectOf({chainSource(1, 4)}));
        const QStringList before = column(grid("SectionsGrid"), 4) + column(grid("NodesGrid"), 3);
        if (change == "edit and undo") {
            TProect saved = data->proect;
            data->proect.Sources[1].Lines[1].Sections[4].Max_Nagr = "250";
            changeAndWait();
            QVERIFY(column(grid("SectionsGrid"), 4) + column(grid("NodesGrid"), 3) != before);
            data->proect = saved;
        } else if (change == "catalog") {
            data->wireCatalog[5].R *= 2; // АС-70
        } else if (change == "coefficients") {
            data->table.rows[7].kDay /= 2; // code 8
        } else {
            data->calcSettings.maxLossPercent = 0.01;
        }
        changeAndWait();
        const QStringList after = column(grid("SectionsGrid"), 4) + column(grid("NodesGrid"), 3);
        if (change == "edit and undo") {
            QCOMPARE(after, before);
        } else if (change == "setting") {
            QCOMPARE(after, before);
            QVERIFY(column(grid("ProblemsGrid"), 0).contains("R2"));
        } else {
            QVERIFY(after != before);
        }
    }

    // A value over its limit stands out and carries its warning, which «Замечания» lists too.
    void valuesOverLimitsStandOut() {
        open(projectOf({chainSource(1, 6, "300")}));
        auto summaryColour = [this] {
            const QLabel* summary = child<QLabel>(window.get(), "Summary");
            return summary->autoFillBackground() ? summary->palette().color(QPalette::Window) : QColor();
        };
        QCOMPARE(summaryColour(), QColor()); // within the limits
        data->calcSettings.maxLossPercent = 0.01;
        data->wireCatalog[5].Tok = 0.001; // 1 A permissible for АС-70
        changeAndWait();
        QCOMPARE(summaryColour(), ResultsGrid::overLimitColour());
        QStringList problemTexts = column(grid("ProblemsGrid"), 2);
        // The substations' load (k = 0,6 by day, 1 in the evening) exceeds the ТМ-250 only in the evening.
        for (auto [view, valueColumn, code, regime] :
             {std::tuple{grid("NodesGrid"), 3, "R2", 0}, std::tuple{grid("SectionsGrid"), 6, "R1", 0},
              std::tuple{grid("SectionsGrid"), 7, "R1", 0}, std::tuple{grid("SubstationsGrid"), 4, "R4", 1}}) {
            child<QComboBox>(window.get(), "Regime_Box")->setCurrentIndex(regime);
            const int last = rows(view) - 1;
            QCOMPARE(cell(view, last, valueColumn, Qt::BackgroundRole).value<QBrush>().color(),
                     ResultsGrid::overLimitColour());
            const QString tip = cell(view, last, valueColumn, Qt::ToolTipRole).toString();
            QVERIFY(!tip.isEmpty());
            QCOMPARE(cell(view, last, valueColumn, Qt::AccessibleDescriptionRole).toString(), tip);
            QVERIFY2(problemTexts.contains(tip), code);
        }
        QVERIFY(column(grid("ProblemsGrid"), 0).contains("R1"));
        QCOMPARE(cell(grid("NodesGrid"), 0, 3, Qt::ToolTipRole), QVariant()); // the head loses nothing
        child<QComboBox>(window.get(), "Regime_Box")->setCurrentIndex(0);
        QCOMPARE(cell(grid("SubstationsGrid"), rows(grid("SubstationsGrid")) - 1, 4, Qt::BackgroundRole), QVariant());
    }

    void columnsSortByValue() {
        open(projectOf({chainSource(1, 12)}));
        grid("SectionsGrid")->sortByColumn(7, Qt::DescendingOrder);
        QList<double> loadings;
        for (const QString& text : column(grid("SectionsGrid"), 7))
            loadings << shownNumber(text);
        QVERIFY(std::is_sorted(loadings.rbegin(), loadings.rend()));
        QCOMPARE(text(grid("SectionsGrid"), 0, 1), QString("1")); // the first section carries most
    }

    // The profile's curves follow the parents from every end node of the line to its head.
    void profileFollowsThePath() {
        k10::calc::SchemeResult scheme;
        auto node = [&scheme](const char* line, const char* name, int parent, double km, double loss) {
            scheme.nodes.push_back({line, name, parent, km});
            scheme.regimes[1].nodes.push_back({0, loss});
        };
        // A: head → 1 → {2, 3}; B's head is switched off and its node 5 is fed from 3 through the jumper.
        node("A", "A", -1, 0, 0);
        node("A", "1", 0, 1, 0.5);
        node("A", "2", 1, 3, 1.5);
        node("A", "3", 1, 2, 1.0);
        node("B", "5", 3, 2.4, 1.2);
        auto pathOf = [](const ProfileCurve& curve) {
            QStringList steps;
            for (const ProfilePoint& point : curve.points)
                steps << QString("%1@%2:%3").arg(point.node).arg(point.km).arg(point.lossPercent);
            return steps.join(' ');
        };
        QCOMPARE(profileLines(scheme), QStringList({"A", "B"}));
        std::vector<ProfileCurve> a = voltageProfile(scheme, k10::calc::Regime::Evening, "A");
        QCOMPARE(a.size(), std::size_t(2)); // 3 feeds only B's node: it ends A too; the worst end first
        QCOMPARE(pathOf(a[0]), QString("A@0:0 1@1:0.5 2@3:1.5"));
        QCOMPARE(pathOf(a[1]), QString("A@0:0 1@1:0.5 3@2:1"));
        std::vector<ProfileCurve> b = voltageProfile(scheme, k10::calc::Regime::Evening, "B");
        QCOMPARE(b.size(), std::size_t(1));
        QCOMPARE(pathOf(b[0]), QString("A@0:0 1@1:0.5 3@2:1 5@2.4:1.2"));
    }

    void profileChartShowsTheLine() {
        TSource source = chainSource(1, 3);
        source.Lines[1].Sections.append(section("1-1", "1-b", 2.0)); // a branch
        open(projectOf({source}));
        child<QTabWidget>(window.get(), "Tabs")->setCurrentWidget(child<QWidget>(window.get(), "ProfileTab"));
        QCOMPARE(child<QComboBox>(window.get(), "Line_Box")->currentText(), QString("Л1"));
        // The path to the worst node, then each other end chosen from «Ветвь»; the limit across the axis.
        QComboBox* branches = child<QComboBox>(window.get(), "Branch_Box");
        QCOMPARE(branches->count(), 2);
        for (int branch = 0; branch < branches->count(); ++branch) {
            branches->setCurrentIndex(branch);
            QList<QLineSeries*> series;
            for (QAbstractSeries* s : child<VoltageProfileChart>(window.get(), "ProfileChart")->chart()->series())
                series << qobject_cast<QLineSeries*>(s);
            QCOMPARE(series.size(), 2);
            QCOMPARE(series.last()->at(0).y(), data->calcSettings.maxLossPercent);
            QVERIFY(series.last()->at(1).x() >= series.first()->points().last().x());
            QLineSeries* curve = series.first();
            QCOMPARE(curve->name(), branches->itemText(branch));
            QString end = curve->name().mid(3); // «до <узел>»
            int row = column(grid("NodesGrid"), 1).indexOf(end);
            QVERIFY(row > 0);
            QCOMPARE(curve->points().last().x() > 0, true);
            const double loss = shownNumber(text(grid("NodesGrid"), row, 3));
            QVERIFY(std::abs(curve->points().last().y() - loss) <= 0.005 + 1e-9);
            if (branch == 0) // the worst node
                for (const QString& other : column(grid("NodesGrid"), 3))
                    QVERIFY(shownNumber(other) <= loss);
        }
        branches->setCurrentIndex(0);
        // The evening regime draws the evening losses.
        child<QComboBox>(window.get(), "Regime_Box")->setCurrentIndex(1);
        auto* evening = qobject_cast<QLineSeries*>(child<VoltageProfileChart>(window.get(), "ProfileChart")->chart()->series().first());
        QCOMPARE(evening->points().last().y(), window->result().regimes[1].nodes[3].lossPercent);
    }

    // The sample's modes: every line that has nodes in the scheme has a path of at least two points.
    void profileOfTheSampleModes_data() {
        QTest::addColumn<int>("mode");
        for (int mode : {0, 1, 2})
            QTest::addRow("scheme %d", mode) << mode;
    }
    void profileOfTheSampleModes() {
        QFETCH(int, mode);
        open(k10::readProject(toLocalPath(workspace->copyData("sample.k10"))));
        QSignalSpy ready(window.get(), &TF_Results::resultsReady);
        if (mode > 0) {
            child<QComboBox>(window.get(), "Scheme_Box")->setCurrentIndex(mode);
            QVERIFY(ready.wait());
        }
        QVERIFY(window->result().calculated);
        // A line fed on through a jumper keeps its path, and a line cut off after its head draws no path
        // of the head alone; the first path ends at the line's worst node.
        const k10::calc::SchemeResult& result = window->result();
        for (const QString& line : profileLines(result)) {
            const std::vector<ProfileCurve> curves = voltageProfile(result, k10::calc::Regime::Day, line);
            double worst = 0;
            for (std::size_t i = 0; i < result.nodes.size(); ++i)
                if (QString::fromUtf8(result.nodes[i].line.data(), qsizetype(result.nodes[i].line.size())) == line &&
                    result.nodes[i].parent >= 0)
                    worst = std::max(worst, result.regimes[0].nodes[i].lossPercent);
            QVERIFY2(!curves.empty() || worst == 0, qPrintable(line));
            for (const ProfileCurve& curve : curves)
                QVERIFY2(curve.points.size() > 1, qPrintable(line + " " + curve.endNode));
            if (!curves.empty())
                QCOMPARE(curves.front().points.back().lossPercent, worst);
        }
    }

    // «Сравнение схем» for the sample's first source: a row per scheme whose figures are those of the
    // scheme calculated alone; sorted by value; a double-click opens the scheme.
    void schemeComparison() {
        const TProect sample = k10::readProject(toLocalPath(workspace->copyData("sample.k10")));
        open(sample);
        SchemeComparisonView* view = child<SchemeComparisonView>(window.get(), "SchemeComparison");
        QVERIFY(view->model()->rowCount() == 0); // nothing is calculated for a hidden tab
        QSignalSpy ready(view, &SchemeComparisonView::rowsReady);
        child<QTabWidget>(window.get(), "Tabs")->setCurrentWidget(view);
        QVERIFY(ready.count() == 1 || ready.wait());
        const int modes = sample.Sources[1].ModeWorkCount();
        QVERIFY(modes >= 2);
        QAbstractItemModel* model = view->Table->model();
        QCOMPARE(model->rowCount(), modes + 1);
        auto cell = [&](int row, const QString& header) {
            for (int c = 0; c < model->columnCount(); ++c)
                if (model->headerData(c, Qt::Horizontal).toString() == header)
                    return model->index(row, c).data().toString();
            return QString("no column %1").arg(header);
        };
        auto near = [](const QString& shown, double value, int decimals) {
            return std::abs(shownNumber(shown) - value) <= 0.5 * std::pow(10.0, -decimals) + 1e-9;
        };
        for (int mode = 0; mode <= modes; ++mode) {
            const k10::calc::SchemeResult alone =
                k10::calc::calculateScheme(sample, 1, mode, data->inputs(), data->settings());
            QVERIFY(alone.calculated);
            QCOMPARE(cell(mode, "Схема"), mode == 0 ? QString("Нормальная схема") : QString::fromStdString(alone.modeText));
            QCOMPARE(cell(mode, "Рассчитана"), QString("да"));
            for (int r : {0, 1}) {
                const char* when = r == 0 ? "днём" : "вечером";
                const k10::calc::Totals& t = alone.regimes[r].totals;
                QVERIFY(near(cell(mode, QString("P %1, кВт").arg(when)), t.pKw, 1));
                QVERIFY(near(cell(mode, QString("Потери %1, кВт").arg(when)), t.dpKw, 2));
                QVERIFY(near(cell(mode, QString("Потери %1, % от P").arg(when)), t.dpKw / t.pKw * 100, 2));
                QVERIFY(near(cell(mode, QString("ΔU %1, %").arg(when)), t.worstLossPercent, 2));
                QCOMPARE(cell(mode, QString("Узел ΔU %1").arg(when)),
                         QString::fromUtf8(t.worstNode.line.data(), t.worstNode.line.size()) + "/" +
                             QString::fromUtf8(t.worstNode.node.data(), t.worstNode.node.size()));
                QVERIFY(near(cell(mode, QString("Загрузка %1, %").arg(when)), t.mostLoadedPercent, 1));
            }
            // The weakest current the protection must feel: the smallest Iк2 min of the nodes.
            double weakest = 1e300;
            QString where;
            for (std::size_t i = 0; i < alone.nodes.size(); ++i)
                if (alone.shortCircuit.nodes[i].currents.ik2MinKa < weakest) {
                    weakest = alone.shortCircuit.nodes[i].currents.ik2MinKa;
                    where = QString::fromUtf8(alone.nodes[i].line.data(), alone.nodes[i].line.size()) + "/" +
                            QString::fromUtf8(alone.nodes[i].node.data(), alone.nodes[i].node.size());
                }
            QVERIFY(near(cell(mode, "Iк2 мин, кА"), weakest, 3));
            QCOMPARE(cell(mode, "Линия Iк2 мин") + "/" + cell(mode, "Узел Iк2 мин"), where);
            QCOMPARE(cell(mode, "Предупреждений").toInt(),
                     int(std::count_if(alone.problems.begin(), alone.problems.end(), [](const k10::calc::Problem& p) {
                         return p.kind == k10::calc::ProblemKind::Warning;
                     })));
        }
        // Sorted by the evening's losses, as numbers.
        view->Table->horizontalHeader()->setSortIndicator(10, Qt::DescendingOrder);
        QCOMPARE(model->headerData(10, Qt::Horizontal).toString(), QString("Потери вечером, кВт"));
        for (int row = 1; row < model->rowCount(); ++row)
            QVERIFY(shownNumber(model->index(row - 1, 10).data().toString()) >=
                    shownNumber(model->index(row, 10).data().toString()));
        // A double-click on the last mode's row opens it.
        int row = 0;
        while (cell(row, "Схема") != QString::fromStdString(k10::calc::calculateScheme(sample, 1, modes, data->inputs(), data->settings()).modeText))
            ++row;
        QSignalSpy opened(window.get(), &TF_Results::resultsReady);
        const QPoint at = view->Table->visualRect(model->index(row, 0)).center();
        QTest::mouseClick(view->Table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->Table->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(opened.wait());
        QCOMPARE(window->result().mode, modes);
        QCOMPARE(child<QComboBox>(window.get(), "Scheme_Box")->currentIndex(), modes);
        QCOMPARE(child<QTabWidget>(window.get(), "Tabs")->currentIndex(), 0);
    }

    void reportInEveryFormat() {
        TProect project = projectOf({chainSource(1, 3)});
        open(project);
        // HTML: self-contained, every table, the settings and what is not calculated.
        user->files.push_back(workspace->path("report.html"));
        child<QPushButton>(window.get(), "SaveReport")->click();
        QFile html(workspace->path("report.html"));
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(html.readAll());
        for (const char* part : {"Узлы", "Участки", "ТП", "Токи КЗ", "Замечаний нет.", "ΔU, %", "Iк3 макс, кА",
                                 "Дневной максимум", "Вечерний максимум", "data:image/png;base64,"})
            QVERIFY2(page.contains(QString(part)), part);
        QVERIFY(page.contains(child<QLabel>(window.get(), "Note")->text().section('\n', 1).toHtmlEscaped()));
        const QString settings = child<QLabel>(window.get(), "Note")->text().section('\n', 0, 0).chopped(1);
        QVERIFY(settings.contains("напряжение на шинах"));
        QVERIFY(page.contains("Напряжение на шинах источника"));
        QVERIFY(page.contains(text(grid("NodesGrid"), 3, 3)));
        QVERIFY(!page.contains("src=\"profile.png\""));

        // CSV: the command line's.
        workspace->copyData("spravp.dat");
        k10::writeProject(toLocalPath(workspace->path("net.k10")), project);
        user->files.push_back(workspace->path("report.csv"));
        child<QPushButton>(window.get(), "SaveReport")->click();
        QProcess tool;
        tool.start(K10_TOOL, {"calc", workspace->path("net.k10"), "--dir", workspace->path(""), "--mode",
                              "normal", "--format", "csv"});
        QVERIFY(tool.waitForFinished(60000));
        QFile csv(workspace->path("report.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), tool.readAllStandardOutput());

        // PDF by the filter chosen, the path without a suffix.
        child<QFileDialog>(window.get(), "SaveReportDialog")->selectNameFilter(child<QFileDialog>(window.get(), "SaveReportDialog")->nameFilters().at(1));
        user->files.push_back(workspace->path("report"));
        child<QPushButton>(window.get(), "SaveReport")->click();
        QFile pdf(workspace->path("report"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");

        // «CSV для Excel»: the command line's csv-ru.
        child<QFileDialog>(window.get(), "SaveReportDialog")->selectNameFilter("CSV для Excel (*.csv)");
        user->files.push_back(workspace->path("excel.csv"));
        child<QPushButton>(window.get(), "SaveReport")->click();
        tool.start(K10_TOOL, {"calc", workspace->path("net.k10"), "--dir", workspace->path(""), "--mode",
                              "normal", "--format", "csv-ru"});
        QVERIFY(tool.waitForFinished(60000));
        QFile excel(workspace->path("excel.csv"));
        QVERIFY(excel.open(QIODevice::ReadOnly));
        QCOMPARE(excel.readAll(), tool.readAllStandardOutput());

        child<QPushButton>(window.get(), "PrintReport")->click();
        QCOMPARE(user->printed.size(), 1);
        QVERIFY(user->printed.first().contains("Токи КЗ"));
        QVERIFY(user->errors.isEmpty());
    }

    // The report of the whole sample: the title block, the input data of every source, every scheme with
    // its short circuits under their own heading, and the comparison; the save dialog offers a name of
    // the project, source and scheme; the PDF's tables repeat their headers on every page.
    void reportOfTheWholeProject() {
        const QString file = workspace->copyData("sample.k10");
        const TProect sample = k10::readProject(toLocalPath(file));
        open(sample);
        data->fileName = file;
        QSignalSpy ready(window.get(), &TF_Results::resultsReady);
        child<QComboBox>(window.get(), "Scheme_Box")->setCurrentIndex(2);
        QVERIFY(ready.wait());

        // The current scheme, the dialog cancelled: the name offered.
        user->choices = {0};
        user->files.push_back("");
        child<QPushButton>(window.get(), "SaveReport")->click();
        QCOMPARE(user->questions.last(), QString("Что включить в отчёт?"));
        QCOMPARE(fromCp1251(sample.Sources[1].Name.view()), QString("ПС 110/10 кВ Северная"));
        QCOMPARE(QFileInfo(child<QFileDialog>(window.get(), "SaveReportDialog")->selectedFiles().value(0)).fileName(),
                 QString("sample_ПС 110_10 кВ Северная_Режим 2.html"));

        window->setSchemePicture(schematicPicture); // as the workbench gives it
        user->choices = {2};
        user->files.push_back(workspace->path("whole.html"));
        child<QPushButton>(window.get(), "SaveReport")->click();
        QFile html(workspace->path("whole.html"));
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(html.readAll());
        for (const QString& part :
             {QString("Файл проекта"), QFileInfo(file).absoluteFilePath(), QString("Дата и время"),
              QString(k10app::Version), QString("Напряжение на шинах источника"), QString("100 % от номинального"),
              QString("Значения предварительные: замените их значениями из руководящих материалов"),
              child<QLabel>(window.get(), "Note")->text().section('\n', 1), QString("Весь проект")})
            QVERIFY2(page.contains(part.toHtmlEscaped()), qPrintable(part));
        int schemes = 0, compared = 0;
        for (int s = 1; s <= sample.SourceCount(); ++s) {
            const TSource& x = sample.Sources[s];
            QVERIFY(page.contains(QString("<h1>Источник %1 «%2»</h1>").arg(s).arg(fromCp1251(x.Name.view()).trimmed().toHtmlEscaped())));
            for (int l = 1; l <= x.LineCount(); ++l)
                QVERIFY(page.contains(QString("<h3>Линия %1</h3>").arg(fromCp1251(x.Lines[l].Name.view()).trimmed().toHtmlEscaped())));
            for (int m = 0; m <= x.ModeWorkCount(); ++m) {
                const QString name = m == 0 ? QString("Нормальная схема")
                                            : QString::fromStdString(k10::calc::modeDescription(x.ModeWorks[m], m));
                QVERIFY2(page.contains("<td>" + name.toHtmlEscaped() + "</td>") || m == 0, qPrintable(name)); // the modes' input
                ++schemes;
            }
            compared += x.ModeWorkCount() > 0;
        }
        QCOMPARE(int(page.count("<h2>Нормальная схема</h2>")), sample.SourceCount());
        QCOMPARE(int(page.count("<h2>Сравнение схем</h2>")), compared);
        QCOMPARE(int(page.count("<h3>Токи КЗ</h3>")), schemes); // every scheme of the sample is calculated
        QCOMPARE(int(page.count("<h3>Вечерний максимум</h3>")), schemes);
        QCOMPARE(int(page.count("<h3>Схема сети</h3>\n<p><img src=\"data:image/png;base64,")), schemes);
        QVERIFY(!page.contains("Нет строк."));
        QVERIFY(user->errors.isEmpty());

        // As a document: the header row of every table but the title block's repeats on every page.
        results::ReportRequest request;
        request.data = data.get();
        request.source = 1;
        request.extent = results::ReportExtent::Source;
        auto document = results::reportDocument(request);
        QSet<QTextTable*> tables, repeating;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            if (QTextTable* table = QTextCursor(block).currentTable()) {
                tables.insert(table);
                if (table->format().headerRowCount() == 1)
                    repeating.insert(table);
            }
        QVERIFY(tables.size() > 10);
        QCOMPARE(repeating.size(), tables.size() - 1);
    }

    void reportThatCannotBeWrittenSaysWhere() {
        open(projectOf({chainSource(1, 1)}));
        const QString path = workspace->path("missing/report.html");
        user->files.push_back(path);
        child<QPushButton>(window.get(), "SaveReport")->click();
        QCOMPARE(user->errors.size(), 1);
        QVERIFY(user->errors.first().contains(path));
    }

    // A large source is calculated off the interface thread while the window says so; a change made
    // meanwhile drops the older results. The only worker thread is held so the order is certain.
    void largeSourceInTheBackground() {
        QThreadPool* pool = &calculationThreads();
        const int threads = pool->maxThreadCount();
        pool->setMaxThreadCount(1);
        auto gate = std::make_shared<QSemaphore>();
        pool->start([gate] { gate->acquire(); });
        // Whatever fails below, the worker is let go and the pool restored.
        auto release = qScopeGuard([&] {
            if (gate->available() == 0 && pool->activeThreadCount() > 0)
                gate->release();
            pool->waitForDone();
            pool->setMaxThreadCount(threads);
        });

        data = std::make_unique<TestCalculationData>(projectOf({chainSource(30, 70, "10")}));
        window = std::make_unique<TF_Results>(*user);
        window->setData(data.get());
        QSignalSpy ready(window.get(), &TF_Results::resultsReady);
        window->show();
        QTRY_VERIFY(child<QLabel>(window.get(), "Summary")->text() == "Идёт расчёт…");
        QVERIFY(window->calculating());
        QVERIFY(!child<QTabWidget>(window.get(), "Tabs")->isEnabled());
        data->proect.Sources[1].Lines[30].Sections[70].Max_Nagr = "160";
        data->announceChange();
        auto* pending = window->findChild<QTimer*>("PendingCalculation");
        QVERIFY(pending);
        QTRY_VERIFY(!pending->isActive()); // the newer calculation has been started
        gate->release();
        QVERIFY(ready.wait(60000));

        QCOMPARE(ready.size(), 1);
        QVERIFY(window->result().calculated);
        QVERIFY(child<QTabWidget>(window.get(), "Tabs")->isEnabled());
        const auto& sections = window->result().sections;
        auto last = std::find_if(sections.begin(), sections.end(), [](const k10::calc::SectionResult& s) {
            return s.line == "Л30" && s.section == 70;
        });
        QVERIFY(last != sections.end());
        const auto at = std::size_t(last - sections.begin());
        TestCalculationData newest(data->proect);
        k10::calc::SchemeResult expected =
            k10::calc::calculateScheme(newest.proect, 1, 0, newest.inputs(), {});
        QCOMPARE(window->result().regimes[0].sections[at].pKw, expected.regimes[0].sections[at].pKw);
        QCOMPARE(rows(grid("NodesGrid")), 30 * 71);
        // The first request was still waiting for the worker when the second came: it never ran.
        QCOMPARE(child<CalculationRunner>(window.get(), "CalculationRunner")->calculationsRun(), 1);
    }

    // A large source is calculated on the part of the project its schemes read, with the same results as
    // on the whole project: a jumper to another source's line, to a name two other sources have (M3), to
    // the source's own line named with blanks after it, a switched-off node.
    void sourcePartCalculatesAsTheWhole_data() {
        QTest::addColumn<int>("mode");
        for (int mode = 0; mode <= 4; ++mode)
            QTest::addRow("scheme %d", mode) << mode;
    }
    void sourcePartCalculatesAsTheWhole() {
        QFETCH(int, mode);
        TSource own = chainSource(2, 3);
        // Lines of other sources whose nodes are named after them: «Б1», «Б1-1», «Б1-2».
        auto rename = [](TSource& source, int line, const QString& name) {
            source.Lines[line].Name = cp(name);
            for (int k = 1; k <= source.Lines[line].SectionCount(); ++k) {
                source.Lines[line].Sections[k].L_Begin = cp(k == 1 ? name : QString("%1-%2").arg(name).arg(k - 1));
                source.Lines[line].Sections[k].L_End = cp(QString("%1-%2").arg(name).arg(k));
            }
        };
        TSource other = chainSource(3, 2);
        other.Name = cp("ПС Другая");
        rename(other, 1, "Б1");
        rename(other, 2, "Б3");
        rename(other, 3, "Б2");
        TSource third = chainSource(1, 2);
        third.Name = cp("ПС Третья");
        rename(third, 1, "Б2");
        // Each jumper feeds the far end of its line, opened before that end.
        auto jumper = [&own](const char* toLine, const char* toNode) {
            TModeWork& work = own.ModeWorks.append();
            work.L_Begin = cp("Л1");
            work.Uzel_Begin = cp("1-3");
            work.L_End = cp(toLine);
            work.Uzel_End = cp(toNode);
            work.Uzel_Off = cp(toNode);
            work.Dlina = 1;
            work.Provod = cp("АС-70");
        };
        jumper("Б1", "Б1-2");
        jumper("Б2", "Б2-2");
        jumper("Л2  ", "2-3");
        own.ModeWorks.append().Uzel_Off = cp("1-2");
        TestCalculationData whole(projectOf({own, other, third}));
        const TProect part = sourcePart(whole.proect, 1);
        QCOMPARE(part.SourceCount(), 3);
        QCOMPARE(part.Sources[2].LineCount(), 3);
        QCOMPARE(part.Sources[2].Lines[2].SectionCount(), 0); // reached by no mode

        auto a = k10::calc::calculateScheme(whole.proect, 1, mode, whole.inputs(), {});
        auto b = k10::calc::calculateScheme(part, 1, mode, whole.inputs(), {});
        auto problems = [](const k10::calc::SchemeResult& r) {
            QStringList texts;
            for (const auto& p : r.problems)
                texts << QString::fromStdString(p.code + " " + p.text);
            return texts;
        };
        QCOMPARE(problems(b), problems(a));
        QCOMPARE(b.calculated, a.calculated);
        QCOMPARE(k10::calc::schemeCsv(b), k10::calc::schemeCsv(a));
        QCOMPARE(a.calculated, mode != 2);
        if (mode == 1) // the jumper reaches the other source's line
            QVERIFY(std::any_of(a.nodes.begin(), a.nodes.end(), [](const auto& n) { return n.line == "Б1"; }));
        if (mode == 2)
            QVERIFY(problems(a).join(' ').contains("M3"));
    }

    void checkListsEveryProblem() {
        TSource good = chainSource(1, 2);
        TSource bad = chainSource(2, 2);
        bad.Name = cp("ПС Плохая");
        bad.Lines[2].Sections[1].Dlina = 0; // S2
        bad.ModeWorks.append();
        bad.ModeWorks[1].L_Begin = cp("Л1");
        bad.ModeWorks[1].L_End = cp("Л2");
        bad.ModeWorks[1].Uzel_Begin = cp("1-1"); // one jumper node only: M1
        TestCalculationData both(projectOf({good, bad}));
        TF_CheckData check;
        check.check(both);
        check.show();
        QVERIFY(checkEnds(check));
        QCOMPARE(check.ProgressLine->text(), QString("Проверено схем: 3 из 3"));
        // S2 of the line, found in both schemes of the source, is listed once; M1 under its mode.
        const QStringList rows = checkTexts(check);
        QCOMPARE(rows.count("ПС Плохая|Все схемы|S2"), 1);
        QVERIFY2(rows.contains("ПС Плохая|Режим 1: перемычка Л1/1-1 – ?|M1"), qPrintable(rows.join("; ")));
        QVERIFY(!rows.join(' ').contains("ПС Тестовая"));
        QCOMPARE(check.Summary->text(), QString("Замечаний: %1.").arg(rows.size()));
        const QModelIndex m1 = checkRow(check, "ПС Плохая|Режим 1: перемычка Л1/1-1 – ?|M1");
        const k10::calc::SchemeResult mode = k10::calc::calculateScheme(both.proect, 2, 1, both.inputs(), {});
        auto problem = std::find_if(mode.problems.begin(), mode.problems.end(),
                                    [](const k10::calc::Problem& p) { return p.code == "M1"; });
        QCOMPARE(m1.siblingAtColumn(3).data().toString(), QString::fromStdString(problem->text));
        // The text of a line's problem, which the list does not keep either.
        auto s2 = std::find_if(mode.problems.begin(), mode.problems.end(),
                               [](const k10::calc::Problem& p) { return p.code == "S2"; });
        QCOMPARE(checkRow(check, "ПС Плохая|Все схемы|S2").siblingAtColumn(3).data().toString(),
                 QString::fromStdString(s2->text));

        QSignalSpy requests(&check, &TF_CheckData::selectRequested);
        for (const char* wanted : {"ПС Плохая|Все схемы|S2", "ПС Плохая|Режим 1: перемычка Л1/1-1 – ?|M1"})
            doubleClick(check.Problems, checkRow(check, wanted));
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).at(0).value<ProblemPlace>(), (ProblemPlace{2, 2, 1, 0}));
        QCOMPARE(requests.at(1).at(0).value<ProblemPlace>(), (ProblemPlace{2, 0, 0, 1}));

        // The filters by code and by kind.
        check.CodeFilter->setCurrentText("M1");
        QCOMPARE(checkTexts(check), QStringList{"ПС Плохая|Режим 1: перемычка Л1/1-1 – ?|M1"});
        check.CodeFilter->setCurrentIndex(0);
        check.KindFilter->setCurrentText("Предупреждения");
        for (const auto& row : checkRows(check))
            QCOMPARE(row.second.siblingAtColumn(2).data().toString(), QString("Предупреждение"));
        check.KindFilter->setCurrentText("Ошибки");
        QCOMPARE(checkRow(check, "ПС Плохая|Все схемы|S2").siblingAtColumn(2).data().toString(),
                 QString("Ошибка"));
    }

    // The schemes a problem of a source concerns, kept as runs: the modes come back in order, the normal
    // scheme left out, whatever runs they made.
    void modeRunsListModes_data() {
        QTest::addColumn<QList<int>>("schemes");
        QTest::newRow("one run with the normal scheme") << QList<int>{0, 1, 2, 3};
        QTest::newRow("several runs") << QList<int>{1, 2, 5, 7, 8, 9, 12};
        QTest::newRow("the normal scheme alone") << QList<int>{0};
    }
    void modeRunsListModes() {
        QFETCH(QList<int>, schemes);
        check::ModeRuns runs;
        for (int mode : schemes)
            runs.add(mode);
        QList<int> modes;
        runs.forEachMode([&](int mode) { modes << mode; });
        QCOMPARE(runs.count(), int(schemes.size()));
        QCOMPARE(runs.first(), schemes.front());
        QCOMPARE(modes, QList<int>(schemes.begin() + (schemes.front() == 0 ? 1 : 0), schemes.end()));
    }

    // A scheme's own problems, kept by the check only as counts, under each filter: the row-th shown is the
    // row-th of the scheme's problems passing it, with its code, kind, text and place, and the scheme's row
    // counts them.
    void checkSchemeRowsUnderFilter_data() {
        QTest::addColumn<int>("kind"); // as KindFilter lists them
        QTest::addColumn<QString>("code");
        QTest::newRow("every problem") << 0 << QString();
        QTest::newRow("warnings") << 2 << QString();
        QTest::newRow("errors: none of a scheme") << 1 << QString();
        QTest::newRow("R1") << 0 << QString("R1");
        QTest::newRow("warnings R2") << 2 << QString("R2");
    }
    void checkSchemeRowsUnderFilter() {
        QFETCH(int, kind);
        QFETCH(QString, code);
        TestCalculationData data(projectOf({chainSource(2, 6, "300"), chainSource(1, 4, "300")}));
        data.calcSettings.maxLossPercent = 0.01;
        data.wireCatalog[5].Tok = 0.001; // 1 A permissible for АС-70
        TF_CheckData check;
        check.check(data);
        QVERIFY(checkEnds(check));
        check.KindFilter->setCurrentIndex(kind);
        check.CodeFilter->setCurrentText(code.isEmpty() ? "Все коды" : code);

        QStringList expected, shown;
        std::vector<ProblemPlace> places;
        for (int source : {1, 2}) {
            const auto scheme = k10::calc::calculateScheme(data.proect, source, 0, data.inputs(), data.calcSettings);
            for (const k10::calc::Problem& p : scheme.problems) {
                const bool warning = p.kind == k10::calc::ProblemKind::Warning;
                if (QString("PST").contains(QChar(p.code[0])) || (kind == 1 && warning) || (kind == 2 && !warning) ||
                    (!code.isEmpty() && code != QString::fromStdString(p.code)))
                    continue;
                expected << QString("%1|%2|%3").arg(QString::fromStdString(p.code),
                                                    warning ? "Предупреждение" : "Ошибка",
                                                    QString::fromStdString(p.text));
                places.push_back({source, p.lineIndex, p.section, 0});
            }
        }
        QVERIFY(kind == 1 || expected.size() > 2);
        int counted = 0;
        std::vector<ProblemPlace> placesShown;
        for (const auto& [text, row] : checkRows(check)) {
            if (!row.parent().parent().isValid()) // a problem of a source or a line
                continue;
            shown << QString("%1|%2|%3").arg(row.siblingAtColumn(1).data().toString(),
                                             row.siblingAtColumn(2).data().toString(),
                                             row.siblingAtColumn(3).data().toString());
            placesShown.push_back(row.data(check::ProblemsModel::PlaceRole).value<ProblemPlace>());
            if (row.row() == 0)
                counted += row.parent().siblingAtColumn(3).data().toString().remove("Замечаний: ").toInt();
        }
        QCOMPARE(shown, expected);
        QVERIFY(placesShown == places);
        QCOMPARE(counted, int(expected.size()));
    }

    // The check runs on its own thread with its progress; «Отмена» keeps the list found so far.
    void checkRunsWithProgressAndCancel_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("to the end") << false;
        QTest::newRow("cancelled") << true;
    }
    void checkRunsWithProgressAndCancel() {
        QFETCH(bool, cancel);
        TSource bad = chainSource(2, 3);
        bad.Lines[2].Sections[1].Dlina = 0; // S2 in every scheme
        for (int mode = 1; mode <= 100; ++mode)
            bad.ModeWorks.append().Izm_Nagr = mode;
        TestCalculationData data(projectOf({bad, bad}));
        TF_CheckData check;
        check.check(data);
        QVERIFY(check.isChecking());
        QVERIFY(check.CancelButton->isEnabled());
        if (cancel) {
            QThread::msleep(300); // the check meanwhile finds what the window may take before it waits
            check.CancelButton->click();
        }
        QVERIFY(checkEnds(check));
        QVERIFY(!check.CancelButton->isEnabled());
        const int checked = check.Progress->value();
        QVERIFY(checked > 0);
        QVERIFY(cancel ? checked < 202 : checked == 202);
        QCOMPARE(check.ProgressLine->text(), cancel ? QString("Проверка прервана: проверено %1 из 202").arg(checked)
                                                    : QString("Проверено схем: 202 из 202"));
        QCOMPARE(checkTexts(check).count("ПС Тестовая|Все схемы|S2"), cancel ? 0 : 2);
        QVERIFY(!checkTexts(check).isEmpty());
    }

    void coefficientDialogRefusesOutOfRange_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("gridColumn");
        QTest::addColumn<QString>("typed");
        QTest::newRow("k above 1.5") << 3 << 2 << "1,6";
        QTest::newRow("negative k") << 32 << 3 << "-0.1";
        QTest::newRow("cos of 0") << 1 << 4 << "0";
        QTest::newRow("cos above 1") << 8 << 5 << "1,01";
        QTest::newRow("no number") << 5 << 2 << "0,4,5";
    }
    void coefficientDialogRefusesOutOfRange() {
        QFETCH(int, code);
        QFETCH(int, gridColumn);
        QFETCH(QString, typed);
        k10::LoadCoefficientTable table = k10::builtInLoadCoefficients();
        TF_KoefNagr dialog(*user);
        bool accepted = true;
        QTableWidget* grid = dialog.Grid;
        user->scripts.push_back([&](QDialog&) {
            grid->item(code - 1, gridColumn)->setText(typed);
            accepted = pressOk(dialog, dialog.OkButton);
            return accepted;
        });
        QVERIFY(!dialog.edit(table));
        QVERIFY(!accepted);
        QCOMPARE(user->messages.size(), 1);
        const QString message = user->messages.first();
        QVERIFY2(message.contains(QString::number(code)), qPrintable(message));
        QCOMPARE(grid->currentRow(), code - 1);
        QCOMPARE(grid->currentColumn(), gridColumn);
        QVERIFY(!QFile::exists(k10::LoadCoefficientFile));
        QVERIFY(table == k10::builtInLoadCoefficients());
    }

    void coefficientDialogWritesTheFile() {
        k10::LoadCoefficientTable table = k10::builtInLoadCoefficients();
        TF_KoefNagr dialog(*user);
        QCOMPARE(dialog.Grid->item(0, 1)->text(), QString("Произв.сельхоз.потребители"));
        user->scripts.push_back([&](QDialog&) {
            dialog.Grid->item(6, 2)->setText("0,45");
            dialog.Grid->item(6, 5)->setText("0.9");
            return pressOk(dialog, dialog.OkButton);
        });
        QVERIFY(dialog.edit(table));
        QVERIFY(!QFile::exists(k10::LoadCoefficientFile)); // the document writes it, not the dialog
        ProjectDocument document;
        document.read<k10::LoadCoefficientTable>();
        document.change<k10::LoadCoefficientTable>([&](k10::LoadCoefficientTable& kept) { kept = table; });
        k10::LoadCoefficientTable read = k10::readLoadCoefficients(k10::LoadCoefficientFile);
        QCOMPARE(read.rows[6].kDay, 0.45);
        QCOMPARE(read.rows[6].cosEvening, 0.9);
        QVERIFY(!table.builtIn);
        QVERIFY(read == table);
        QCOMPARE(read.rows[5], k10::builtInLoadCoefficients().rows[5]);

        // «По умолчанию» puts the built-in values back into the grid; «Отмена» keeps the table.
        double shownDefault = 0;
        user->scripts.push_back([&](QDialog&) {
            dialog.DefaultsButton->click();
            shownDefault = dialog.Grid->item(6, 2)->text().replace(',', '.').toDouble();
            dialog.CancelButton->click();
            return dialog.result() == QDialog::Accepted;
        });
        QVERIFY(!dialog.edit(table));
        QCOMPARE(shownDefault, k10::builtInLoadCoefficients().rows[6].kDay);
        QVERIFY(table == read);
    }

    void settingsDialogAndStore() {
        TF_CalcSettings dialog(*user);
        QCOMPARE(dialog.windowTitle(), QString("Параметры расчёта"));
        dialog.prefill(k10::calc::Settings{});
        QCOMPARE(dialog.MaxLoss->text(), QString("5"));
        for (const char* refused : {"0", "abc", "100", "-1"}) {
            typeInto(dialog.MaxLoss, refused);
            QVERIFY2(!pressOk(dialog, dialog.OkButton), refused);
        }
        QCOMPARE(user->messages.size(), 4);
        typeInto(dialog.MaxLoss, "7,5");
        QCOMPARE(dialog.BusVoltage->text(), QString("100"));
        for (const char* refused : {"89,9", "115,5", "abc"}) {
            typeInto(dialog.BusVoltage, refused);
            QVERIFY2(!pressOk(dialog, dialog.OkButton), refused);
            QCOMPARE(user->messages.last(), QString("Напряжение на шинах должно быть числом от 90 до 115 %."));
        }
        QCOMPARE(user->messages.size(), 7);
        typeInto(dialog.BusVoltage, "105");
        dialog.Method_Box->setCurrentIndex(1);
        dialog.ShortCircuit_Box->setCurrentIndex(1);
        typeInto(dialog.MaxLoss, "7,5");
        QVERIFY(pressOk(dialog, dialog.OkButton));
        k10::calc::Settings chosen;
        dialog.storeInto(chosen);
        QCOMPARE(chosen, (k10::calc::Settings{k10::calc::Method::Engineering,
                                              k10::calc::ShortCircuitConvention::Iec60909, 7.5, 105}));

        QTemporaryDir dir;
        QSettings store(dir.filePath("k10.ini"), QSettings::IniFormat);
        QCOMPARE(loadCalculationSettings(store), k10::calc::Settings{});
        saveCalculationSettings(store, chosen);
        QSettings again(dir.filePath("k10.ini"), QSettings::IniFormat);
        QCOMPARE(loadCalculationSettings(again), chosen);
        again.setValue("calculation/method", 7);
        again.setValue("calculation/maxLossPercent", "много");
        again.setValue("calculation/busVoltagePercent", 130);
        QCOMPARE(
            loadCalculationSettings(again),
            (k10::calc::Settings{k10::calc::Method::Exact, k10::calc::ShortCircuitConvention::Iec60909, 5}));
    }

    // The «Расчёт» menu of the main window: the results follow its selected source, the data check lists
    // every source's problems, and a double-click on a problem selects its rows in the main window.
    void calculationMenuOfTheWorkbench() {
        TSource bad = chainSource(2, 2);
        bad.Name = cp("ПС Плохая");
        bad.Lines[2].Sections[2].Provod = cp("НЕТ-1"); // no such wire: S3 of Л2, section 2
        bad.Lines[1].Sections[1].Dlina = 0; // and S2 of Л1: no line left to calculate
        startWith(projectOf({chainSource(1, 3), bad}));
        const MainControls controls(forms->FormMain);
        const MainControls* ui = &controls;
        CurrentPlace* place = forms->Place.get();
        TF_Results* results = forms->F_Results;
        QVERIFY(resultsAfter([&] { ui->N23->trigger(); }));
        QVERIFY(results->isVisible());
        QCOMPARE(results->result().source, 1);
        QVERIFY(results->result().calculated);
        QVERIFY(resultsAfter([&] { ui->SourceGrid->makeCurrent(1); }));
        QCOMPARE(results->result().source, 2);
        QVERIFY(!results->result().calculated);

        ui->SourceGrid->makeCurrent(0);
        ui->N22->trigger();
        TF_CheckData* check = forms->F_CheckData;
        QVERIFY(check->isVisible());
        QVERIFY(checkEnds(*check));
        const QString s3 = "ПС Плохая|Нормальная схема|S3";
        QVERIFY2(checkTexts(*check).contains(s3), qPrintable(checkTexts(*check).join("; ")));
        doubleClick(check->Problems, checkRow(*check, s3));
        QCOMPARE((QList<int>{place->source(), place->line(), place->section()}), (QList<int>{1, 1, 1}));
        QCOMPARE(ui->LineGrid->rowCount(), 2); // the sections of Л2 are shown

        // The list follows the document: the edit that removes the bad section, its undo, an Open.
        ui->LineGrid->makeCurrent(1);
        ui->Line_Del->trigger();
        QVERIFY(checkEnds(*check));
        QVERIFY(!checkTexts(*check).contains(s3));
        ui->N18->trigger();
        QVERIFY(checkEnds(*check));
        QVERIFY(checkTexts(*check).contains(s3));
        const QString other = workspace->path("other.k10");
        k10::writeProject(toLocalPath(other), projectOf({chainSource(1, 2)}));
        user->files.push_back(other);
        ui->N6->trigger();
        QVERIFY(checkEnds(*check));
        QCOMPARE(check->Summary->text(), QString("Замечаний нет."));
        QCOMPARE(check->ProgressLine->text(), QString("Проверено схем: 1 из 1"));

        // The command brings a minimised window back.
        check->showMinimized();
        ui->N22->trigger();
        QVERIFY(!check->isMinimized());
        QVERIFY(check->isVisible());
    }

    // The open results follow an edit of the main window and its undo, a new setting and a new
    // coefficient table, each given through the main window's menus.
    void resultsFollowTheWorkbench() {
        startWith(projectOf({chainSource(2, 3)}));
        const MainControls controls(forms->FormMain);
        const MainControls* ui = &controls;
        TF_Results* results = forms->F_Results;
        QVERIFY(resultsAfter([&] { ui->N23->trigger(); }));
        const QStringList first = column(::grid(results, "SectionsGrid"), 4);
        QCOMPARE(first.size(), 6);

        ui->LineGrid->makeCurrent(2); // the last section of Л1
        QVERIFY(resultsAfter([&] { ui->Line_Del->trigger(); }));
        QCOMPARE(rows(::grid(results, "SectionsGrid")), 5);
        QVERIFY(resultsAfter([&] { ui->N18->trigger(); }));
        QCOMPARE(column(::grid(results, "SectionsGrid"), 4), first);

        user->scripts.push_back([](QDialog& dialog) {
            auto& settings = static_cast<TF_CalcSettings&>(dialog);
            typeInto(settings.MaxLoss, "0,5");
            typeInto(settings.BusVoltage, "105");
            return pressOk(settings, settings.OkButton);
        });
        QVERIFY(resultsAfter([&] { ui->N24->trigger(); }));
        QVERIFY(child<QLabel>(results, "Note")->text().contains("напряжение на шинах: 105 % от номинального"));
        QCOMPARE(text(::grid(results, "NodesGrid"), 0, 2), QString("10,500")); // the head of Л1 on the busbars
        QCOMPARE(QSettings().value("calculation/busVoltagePercent").toDouble(), 105.0);
        QVERIFY2(child<QLabel>(results, "Note")->text().contains("потеря напряжения: 0,50 %"), qPrintable(child<QLabel>(results, "Note")->text()));
        QCOMPARE(QSettings().value("calculation/maxLossPercent").toDouble(), 0.5);

        user->scripts.push_back([](QDialog& dialog) {
            auto& table = static_cast<TF_KoefNagr&>(dialog);
            table.Grid->item(7, 2)->setText("0,25"); // code 8, the chain's loads
            return pressOk(table, table.OkButton);
        });
        QVERIFY(resultsAfter([&] { ui->N20->trigger(); }));
        QVERIFY(child<QLabel>(results, "Note")->text().contains("из файла koefnagr.dat"));
        QVERIFY(column(::grid(results, "SectionsGrid"), 4) != first);
        QCOMPARE(k10::readLoadCoefficients(k10::LoadCoefficientFile).rows[7].kDay, 0.25);
    }

    // A coefficient file refused at start-up: its error box names it, the built-in table is used and the
    // results say so, and the table cannot be changed until the file is mended.
    void refusedCoefficientFileAtStartUp() {
        QFile bad(workspace->path(k10::LoadCoefficientFile));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("1: 2: 0.5: 0.9: 0.9:\r\n") > 0);
        bad.close();
        startWith(projectOf({chainSource(1, 2)}));
        const MainControls controls(forms->FormMain);
        const MainControls* ui = &controls;
        QCOMPARE(user->errors.size(), 1);
        QVERIFY2(user->errors.first().contains("koefnagr.dat"), qPrintable(user->errors.first()));
        QVERIFY(resultsAfter([&] { ui->N23->trigger(); }));
        QVERIFY(child<QLabel>(forms->F_Results, "Note")->text().contains("встроенная таблица"));
        ui->N20->trigger();
        QCOMPARE(user->errors.size(), 2);
        QVERIFY(user->errors.last().startsWith("Таблица коэффициентов графиков нагрузки не была прочитана"));
    }
};

QTEST_MAIN(TestResults)
#include "test_results.moc"
