// The results window, the data check, the voltage profile, the report and the two calculation dialogs,
// on the real windows.

#include "support/scripted_interaction.h"
#include "support/test_calculation_data.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/calculation_service/calculation_runner.h"
#include "ui/calculation_service/calculation_settings.h"
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

QStringList column(const QTableWidget* grid, int column) {
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts << grid->item(row, column)->text();
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
void compareNumbers(const QTableWidget* grid, int gridColumn, const QJsonArray& rows, const char* key,
                    int decimals) {
    QCOMPARE(grid->rowCount(), rows.size());
    for (int row = 0; row < grid->rowCount(); ++row) {
        double shown = shownNumber(grid->item(row, gridColumn)->text());
        double expected = rows.at(row)[key].toDouble();
        QVERIFY2(std::abs(shown - expected) <= 0.5 * std::pow(10.0, -decimals) + 1e-9,
                 qPrintable(QString("%1 row %2: shown %3, calculated %4")
                                .arg(key)
                                .arg(row)
                                .arg(grid->item(row, gridColumn)->text())
                                .arg(expected, 0, 'g', 12)));
    }
}

// As from a mouse: the double-click follows the press and release of a first click.
void doubleClick(QTableWidget* grid, int row, int column) {
    QPoint at = grid->visualItemRect(grid->item(row, column)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
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
        forms->FormMain->N6->trigger();
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
        window->Regime_Box->setCurrentIndex(regime);

        QJsonObject scheme = toolScheme(sample, source, workspace->path(""));
        QVERIFY(scheme["calculated"].toBool());
        QVERIFY(window->result().calculated);
        QJsonObject r = scheme["regimes"].toObject()[regime ? "evening" : "day"].toObject();
        QCOMPARE(column(window->NodesGrid, 1).first(), r["nodes"].toArray().at(0)["node"].toString());
        compareNumbers(window->NodesGrid, 2, r["nodes"].toArray(), "u_kv", 3);
        compareNumbers(window->NodesGrid, 3, r["nodes"].toArray(), "loss_percent", 2);
        QJsonArray sections = r["sections"].toArray();
        compareNumbers(window->SectionsGrid, 4, sections, "p_kw", 1);
        compareNumbers(window->SectionsGrid, 5, sections, "q_kvar", 1);
        compareNumbers(window->SectionsGrid, 6, sections, "i_a", 1);
        compareNumbers(window->SectionsGrid, 7, sections, "loading_percent", 1);
        compareNumbers(window->SectionsGrid, 8, sections, "dp_kw", 2);
        compareNumbers(window->SubstationsGrid, 3, r["substations"].toArray(), "s_kva", 1);
        compareNumbers(window->SubstationsGrid, 4, r["substations"].toArray(), "loading_percent", 1);
        compareNumbers(window->SubstationsGrid, 5, r["substations"].toArray(), "dp_kw", 2);

        // Short circuits: the busbars' row, then the nodes, then the 0.4 kV sides.
        QJsonObject sc = scheme["short_circuit"].toObject();
        QJsonArray places{sc["busbars"]};
        for (const QJsonValue& node : sc["nodes"].toArray())
            places.append(node);
        for (const QJsonValue& node : sc["low_voltage"].toArray())
            places.append(node);
        compareNumbers(window->ShortCircuitGrid, 2, places, "ik3_max_ka", 3);
        compareNumbers(window->ShortCircuitGrid, 3, places, "ik2_max_ka", 3);
        compareNumbers(window->ShortCircuitGrid, 4, places, "ik3_min_ka", 3);
        compareNumbers(window->ShortCircuitGrid, 5, places, "ik2_min_ka", 3);
        QCOMPARE(window->ShortCircuitGrid->item(0, 1)->text(), QString("Шины"));
        QVERIFY(window->ShortCircuitGrid->item(window->ShortCircuitGrid->rowCount() - 1, 1)
                    ->text()
                    .endsWith(", 0,4 кВ"));
    }

    void captionsAndColumns() {
        TProect project = projectOf({chainSource(1, 2)});
        project.Sources[1].ModeWorks.append();
        project.Sources[1].ModeWorks[1].L_Begin = cp("Л1");
        project.Sources[1].ModeWorks[1].L_End = cp("Л1");
        open(project);
        QVERIFY(window->windowTitle().startsWith("Результаты расчёта"));
        QCOMPARE(window->Regime_Box->currentText(), QString("Дневной максимум"));
        QStringList schemes;
        for (int i = 0; i < window->Scheme_Box->count(); ++i)
            schemes << window->Scheme_Box->itemText(i);
        QCOMPARE(schemes, QStringList({"Нормальная схема", "Режим 1: Л1 – Л1"}));
        QStringList tabs;
        for (int i = 0; i < window->Tabs->count(); ++i)
            tabs << window->Tabs->tabText(i);
        QCOMPARE(tabs, QStringList({"Узлы", "Участки", "ТП", "Токи КЗ", "Замечания", "Профиль", "Сравнение схем"}));
        auto headers = [](const QTableWidget* grid) {
            QStringList texts;
            for (int c = 0; c < grid->columnCount(); ++c)
                texts << grid->horizontalHeaderItem(c)->text();
            return texts.join('|');
        };
        QCOMPARE(headers(window->NodesGrid), QString("Линия|Узел|U, кВ|ΔU, %"));
        QCOMPARE(headers(window->SectionsGrid),
                 QString("Линия|№|Начало|Конец|P, кВт|Q, квар|I, А|Загрузка, %|ΔP, кВт"));
        QCOMPARE(headers(window->SubstationsGrid),
                 QString("Линия|Узел|Трансформатор|S, кВА|Загрузка, %|ΔP, кВт"));
        QCOMPARE(headers(window->ShortCircuitGrid),
                 QString("Линия|Место|Iк3 макс, кА|Iк2 макс, кА|Iк3 мин, кА|Iк2 мин, кА"));
        QCOMPARE(headers(window->ProblemsGrid), QString("Код|Вид|Сообщение"));
        QVERIFY(window->Summary->text().contains("кВт"));
        QVERIFY(window->Note->text().contains("встроенная таблица"));
    }

    // A broken network is not calculated; its problems are listed, and a double-click on one asks for
    // the section it names.
    void brokenNetworkListsItsProblems() {
        TSource source = chainSource(2, 3);
        source.Lines[2].Sections[2].Provod = cp("НЕТ-1"); // no such wire: S3
        source.Lines[1].Sections[1].Provod = cp("НЕТ-1"); // and in Л1: no line left to calculate
        open(projectOf({source}));
        QVERIFY(!window->result().calculated);
        QVERIFY(window->Summary->text().startsWith("Схема не рассчитана"));
        QCOMPARE(window->NodesGrid->rowCount(), 0);
        QTableWidget* problems = window->ProblemsGrid;
        int row = column(problems, 0).lastIndexOf("S3");
        QVERIFY(row >= 0);
        QCOMPARE(problems->item(row, 1)->text(), QString("Ошибка"));
        QVERIFY(problems->item(row, 2)->text().contains("Л2"));

        QSignalSpy requests(window.get(), &TF_Results::selectRequested);
        window->Tabs->setCurrentWidget(problems);
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
        const QStringList before = column(window->SectionsGrid, 4) + column(window->NodesGrid, 3);
        if (change == "edit and undo") {
            TProect saved = data->proect;
            data->proect.Sources[1].Lines[1].Sections[4].Max_Nagr = "250";
            changeAndWait();
            QVERIFY(column(window->SectionsGrid, 4) + column(window->NodesGrid, 3) != before);
            data->proect = saved;
        } else if (change == "catalog") {
            data->wireCatalog[5].R *= 2; // АС-70
        } else if (change == "coefficients") {
            data->table.rows[7].kDay /= 2; // code 8
        } else {
            data->calcSettings.maxLossPercent = 0.01;
        }
        changeAndWait();
        const QStringList after = column(window->SectionsGrid, 4) + column(window->NodesGrid, 3);
        if (change == "edit and undo") {
            QCOMPARE(after, before);
        } else if (change == "setting") {
            QCOMPARE(after, before);
            QVERIFY(column(window->ProblemsGrid, 0).contains("R2"));
        } else {
            QVERIFY(after != before);
        }
    }

    // A value over its limit stands out and carries its warning, which «Замечания» lists too.
    void valuesOverLimitsStandOut() {
        open(projectOf({chainSource(1, 6, "300")}));
        data->calcSettings.maxLossPercent = 0.01;
        data->wireCatalog[5].Tok = 0.001; // 1 A permissible for АС-70
        changeAndWait();
        QStringList problemTexts = column(window->ProblemsGrid, 2);
        for (auto [grid, valueColumn, code] :
             {std::tuple{window->NodesGrid, 3, "R2"}, std::tuple{window->SectionsGrid, 6, "R1"},
              std::tuple{window->SectionsGrid, 7, "R1"}}) {
            QTableWidgetItem* item = grid->item(grid->rowCount() - 1, valueColumn);
            QCOMPARE(item->background().color(), ResultsGrid::overLimitColour());
            QVERIFY(!item->toolTip().isEmpty());
            QCOMPARE(item->data(Qt::AccessibleDescriptionRole).toString(), item->toolTip());
            QVERIFY2(problemTexts.contains(item->toolTip()), code);
        }
        QVERIFY(column(window->ProblemsGrid, 0).contains("R1"));
        QCOMPARE(window->NodesGrid->item(0, 3)->toolTip(), QString()); // the head loses nothing
    }

    void columnsSortByValue() {
        open(projectOf({chainSource(1, 12)}));
        window->SectionsGrid->sortByColumn(7, Qt::DescendingOrder);
        QList<double> loadings;
        for (const QString& text : column(window->SectionsGrid, 7))
            loadings << shownNumber(text);
        QVERIFY(std::is_sorted(loadings.rbegin(), loadings.rend()));
        QCOMPARE(window->SectionsGrid->item(0, 1)->text(), QString("1")); // the first section carries most
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
        QCOMPARE(a.size(), std::size_t(1)); // 3 feeds B's node, so 2 is A's only end
        QCOMPARE(pathOf(a[0]), QString("A@0:0 1@1:0.5 2@3:1.5"));
        std::vector<ProfileCurve> b = voltageProfile(scheme, k10::calc::Regime::Evening, "B");
        QCOMPARE(b.size(), std::size_t(1));
        QCOMPARE(pathOf(b[0]), QString("A@0:0 1@1:0.5 3@2:1 5@2.4:1.2"));
    }

    void profileChartShowsTheLine() {
        TSource source = chainSource(1, 3);
        source.Lines[1].Sections.append(section("1-1", "1-b", 2.0)); // a branch
        open(projectOf({source}));
        window->Tabs->setCurrentIndex(5);
        QCOMPARE(window->Line_Box->currentText(), QString("Л1"));
        QList<QLineSeries*> series;
        for (QAbstractSeries* s : window->ProfileChart->chart()->series())
            series << qobject_cast<QLineSeries*>(s);
        QCOMPARE(series.size(), 3); // two ends and the permissible loss
        QCOMPARE(series.last()->at(0).y(), data->calcSettings.maxLossPercent);
        for (QLineSeries* curve : series.mid(0, 2)) {
            QString end = curve->name().mid(3); // «до <узел>»
            int row = column(window->NodesGrid, 1).indexOf(end);
            QVERIFY(row > 0);
            QCOMPARE(curve->points().last().x() > 0, true);
            QVERIFY(std::abs(curve->points().last().y() -
                             shownNumber(window->NodesGrid->item(row, 3)->text())) <= 0.005 + 1e-9);
        }
        // The evening regime draws the evening losses.
        window->Regime_Box->setCurrentIndex(1);
        auto* evening = qobject_cast<QLineSeries*>(window->ProfileChart->chart()->series().first());
        QCOMPARE(evening->points().last().y(), window->result().regimes[1].nodes[3].lossPercent);
    }

    // «Сравнение схем» for the sample's first source: a row per scheme whose figures are those of the
    // scheme calculated alone; sorted by value; a double-click opens the scheme.
    void schemeComparison() {
        const TProect sample = k10::readProject(toLocalPath(workspace->copyData("sample.k10")));
        open(sample);
        SchemeComparisonView* view = window->Comparison;
        QVERIFY(view->model()->rowCount() == 0); // nothing is calculated for a hidden tab
        QSignalSpy ready(view, &SchemeComparisonView::rowsReady);
        window->Tabs->setCurrentWidget(view);
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
        QCOMPARE(window->Scheme_Box->currentIndex(), modes);
        QCOMPARE(window->Tabs->currentIndex(), 0);
    }

    void reportInEveryFormat() {
        TProect project = projectOf({chainSource(1, 3)});
        open(project);
        // HTML: self-contained, every table, the settings and what is not calculated.
        user->files.push_back(workspace->path("report.html"));
        window->SaveReportClick();
        QFile html(workspace->path("report.html"));
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(html.readAll());
        for (const char* part : {"Узлы", "Участки", "ТП", "Токи КЗ", "Замечаний нет.", "ΔU, %", "Iк3 макс, кА",
                                 "Дневной максимум", "Вечерний максимум", "data:image/png;base64,"})
            QVERIFY2(page.contains(QString(part)), part);
        QVERIFY(page.contains(window->Note->text().section('\n', 1).toHtmlEscaped()));
        QVERIFY(page.contains(window->NodesGrid->item(3, 3)->text()));
        QVERIFY(!page.contains("src=\"profile.png\""));

        // CSV: the command line's.
        workspace->copyData("spravp.dat");
        k10::writeProject(toLocalPath(workspace->path("net.k10")), project);
        user->files.push_back(workspace->path("report.csv"));
        window->SaveReportClick();
        QProcess tool;
        tool.start(K10_TOOL, {"calc", workspace->path("net.k10"), "--dir", workspace->path(""), "--mode",
                              "normal", "--format", "csv"});
        QVERIFY(tool.waitForFinished(60000));
        QFile csv(workspace->path("report.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), tool.readAllStandardOutput());

        // PDF by the filter chosen, the path without a suffix.
        window->SaveReportDialog->selectNameFilter(window->SaveReportDialog->nameFilters().at(1));
        user->files.push_back(workspace->path("report"));
        window->SaveReportClick();
        QFile pdf(workspace->path("report"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");

        // «CSV для Excel»: the command line's csv-ru.
        window->SaveReportDialog->selectNameFilter("CSV для Excel (*.csv)");
        user->files.push_back(workspace->path("excel.csv"));
        window->SaveReportClick();
        tool.start(K10_TOOL, {"calc", workspace->path("net.k10"), "--dir", workspace->path(""), "--mode",
                              "normal", "--format", "csv-ru"});
        QVERIFY(tool.waitForFinished(60000));
        QFile excel(workspace->path("excel.csv"));
        QVERIFY(excel.open(QIODevice::ReadOnly));
        QCOMPARE(excel.readAll(), tool.readAllStandardOutput());

        window->PrintReport->click();
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
        window->Scheme_Box->setCurrentIndex(2);
        QVERIFY(ready.wait());

        // The current scheme, the dialog cancelled: the name offered.
        user->choices = {0};
        user->files.push_back("");
        window->SaveReportClick();
        QCOMPARE(user->questions.last(), QString("Что включить в отчёт?"));
        QCOMPARE(fromCp1251(sample.Sources[1].Name.view()), QString("ПС 110/10 кВ Северная"));
        QCOMPARE(QFileInfo(window->SaveReportDialog->selectedFiles().value(0)).fileName(),
                 QString("sample_ПС 110_10 кВ Северная_Режим 2.html"));

        user->choices = {2};
        user->files.push_back(workspace->path("whole.html"));
        window->SaveReportClick();
        QFile html(workspace->path("whole.html"));
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(html.readAll());
        for (const QString& part :
             {QString("Файл проекта"), QFileInfo(file).absoluteFilePath(), QString("Дата и время"),
              QString(k10app::Version), QString("Напряжение на шинах источника"), QString("100 % от номинального"),
              QString("Значения предварительные: замените их значениями из руководящих материалов"),
              window->Note->text().section('\n', 1), QString("Весь проект")})
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
        window->SaveReportClick();
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
        QTRY_VERIFY(window->Summary->text() == "Идёт расчёт…");
        QVERIFY(window->calculating());
        QVERIFY(!window->Tabs->isEnabled());
        data->proect.Sources[1].Lines[30].Sections[70].Max_Nagr = "160";
        data->announceChange();
        auto* pending = window->findChild<QTimer*>("PendingCalculation");
        QVERIFY(pending);
        QTRY_VERIFY(!pending->isActive()); // the newer calculation has been started
        gate->release();
        QVERIFY(ready.wait(60000));

        QCOMPARE(ready.size(), 1);
        QVERIFY(window->result().calculated);
        QVERIFY(window->Tabs->isEnabled());
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
        QCOMPARE(window->NodesGrid->rowCount(), 30 * 71);
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
        QTableWidget* grid = check.ProblemsGrid;
        QStringList rows;
        for (int row = 0; row < grid->rowCount(); ++row)
            rows << QString("%1|%2|%3")
                        .arg(grid->item(row, 0)->text(), grid->item(row, 1)->text(),
                             grid->item(row, 2)->text());
        QVERIFY2(rows.contains("ПС Плохая|Нормальная схема|S2"), qPrintable(rows.join("; ")));
        QVERIFY2(rows.contains("ПС Плохая|Режим 1: Л1 – Л2|M1"), qPrintable(rows.join("; ")));
        QVERIFY(!rows.join(' ').contains("ПС Тестовая"));

        QSignalSpy requests(&check, &TF_CheckData::selectRequested);
        for (const char* wanted : {"ПС Плохая|Нормальная схема|S2", "ПС Плохая|Режим 1: Л1 – Л2|M1"}) {
            doubleClick(grid, int(rows.indexOf(QString(wanted))), 4);
        }
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).at(0).value<ProblemPlace>(), (ProblemPlace{2, 2, 1, 0}));
        QCOMPARE(requests.at(1).at(0).value<ProblemPlace>(), (ProblemPlace{2, 0, 0, 1}));
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
        dialog.Method_Box->setCurrentIndex(1);
        dialog.ShortCircuit_Box->setCurrentIndex(1);
        typeInto(dialog.MaxLoss, "7,5");
        QVERIFY(pressOk(dialog, dialog.OkButton));
        k10::calc::Settings chosen;
        dialog.storeInto(chosen);
        QCOMPARE(chosen, (k10::calc::Settings{k10::calc::Method::Engineering,
                                              k10::calc::ShortCircuitConvention::Iec60909, 7.5}));

        QTemporaryDir dir;
        QSettings store(dir.filePath("k10.ini"), QSettings::IniFormat);
        QCOMPARE(loadCalculationSettings(store), k10::calc::Settings{});
        saveCalculationSettings(store, chosen);
        QSettings again(dir.filePath("k10.ini"), QSettings::IniFormat);
        QCOMPARE(loadCalculationSettings(again), chosen);
        again.setValue("calculation/method", 7);
        again.setValue("calculation/maxLossPercent", "много");
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
        bad.Lines[1].Sections[1].Provod = cp("НЕТ-1"); // and of Л1: no line left to calculate
        TFormMain* main = startWith(projectOf({chainSource(1, 3), bad}));
        TF_Results* results = forms->F_Results;
        QVERIFY(resultsAfter([&] { main->N23->trigger(); }));
        QVERIFY(results->isVisible());
        QCOMPARE(results->result().source, 1);
        QVERIFY(results->result().calculated);
        QVERIFY(resultsAfter([&] { main->SourceGrid->makeCurrent(1); }));
        QCOMPARE(results->result().source, 2);
        QVERIFY(!results->result().calculated);

        main->SourceGrid->makeCurrent(0);
        main->N22->trigger();
        QVERIFY(forms->F_CheckData->isVisible());
        QTableWidget* problems = forms->F_CheckData->ProblemsGrid;
        const int row = int(column(problems, 2).lastIndexOf("S3"));
        QVERIFY(row >= 0);
        QCOMPARE(problems->item(row, 0)->text(), QString("ПС Плохая"));
        doubleClick(problems, row, 4);
        QCOMPARE((QList<int>{main->CurSource, main->CurLine, main->CurSection}), (QList<int>{1, 1, 1}));
        QCOMPARE(main->LineGrid->rowCount(), 2); // the sections of Л2 are shown
    }

    // The open results follow an edit of the main window and its undo, a new setting and a new
    // coefficient table, each given through the main window's menus.
    void resultsFollowTheWorkbench() {
        TFormMain* main = startWith(projectOf({chainSource(2, 3)}));
        TF_Results* results = forms->F_Results;
        QVERIFY(resultsAfter([&] { main->N23->trigger(); }));
        const QStringList first = column(results->SectionsGrid, 4);
        QCOMPARE(first.size(), 6);

        main->LineGrid->makeCurrent(2); // the last section of Л1
        QVERIFY(resultsAfter([&] { main->Line_Del->trigger(); }));
        QCOMPARE(results->SectionsGrid->rowCount(), 5);
        QVERIFY(resultsAfter([&] { main->N18->trigger(); }));
        QCOMPARE(column(results->SectionsGrid, 4), first);

        user->scripts.push_back([](QDialog& dialog) {
            auto& settings = static_cast<TF_CalcSettings&>(dialog);
            typeInto(settings.MaxLoss, "0,5");
            return pressOk(settings, settings.OkButton);
        });
        QVERIFY(resultsAfter([&] { main->N24->trigger(); }));
        QVERIFY2(results->Note->text().contains("потеря напряжения: 0,50 %"), qPrintable(results->Note->text()));
        QCOMPARE(QSettings().value("calculation/maxLossPercent").toDouble(), 0.5);

        user->scripts.push_back([](QDialog& dialog) {
            auto& table = static_cast<TF_KoefNagr&>(dialog);
            table.Grid->item(7, 2)->setText("0,25"); // code 8, the chain's loads
            return pressOk(table, table.OkButton);
        });
        QVERIFY(resultsAfter([&] { main->N20->trigger(); }));
        QVERIFY(results->Note->text().contains("из файла koefnagr.dat"));
        QVERIFY(column(results->SectionsGrid, 4) != first);
        QCOMPARE(k10::readLoadCoefficients(k10::LoadCoefficientFile).rows[7].kDay, 0.25);
    }

    // A coefficient file refused at start-up: its error box names it, the built-in table is used and the
    // results say so, and the table cannot be changed until the file is mended.
    void refusedCoefficientFileAtStartUp() {
        QFile bad(workspace->path(k10::LoadCoefficientFile));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("1: 2: 0.5: 0.9: 0.9:\r\n") > 0);
        bad.close();
        TFormMain* main = startWith(projectOf({chainSource(1, 2)}));
        QCOMPARE(user->errors.size(), 1);
        QVERIFY2(user->errors.first().contains("koefnagr.dat"), qPrintable(user->errors.first()));
        QVERIFY(resultsAfter([&] { main->N23->trigger(); }));
        QVERIFY(forms->F_Results->Note->text().contains("встроенная таблица"));
        main->N20->trigger();
        QCOMPARE(user->errors.size(), 2);
        QVERIFY(user->errors.last().startsWith("Таблица коэффициентов графиков нагрузки не была прочитана"));
    }
};

QTEST_MAIN(TestResults)
#include "test_results.moc"
