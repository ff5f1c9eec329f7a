#include "ui/calculation/tf_checkdata.h"

#include "ui/desktop/cp1251_text.h"
#include "ui/desktop/window_place.h"
#include "ui/calculation/result_tables.h"
#include "ui/calculation/results_grid.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QStringList kHeaders{"Источник", "Схема", "Код", "Вид", "Сообщение"};

// One row per problem: the source, the scheme, then the problem's code, kind and message. The schemes are
// calculated on the machine's cores and looked at one at a time.
results::Table problemsOfProject(const CalculationData& data) {
    results::Table table{"Проверка данных", kHeaders, {}, {}};
    const TProect& project = data.project();
    std::vector<k10::calc::SchemeRequest> schemes;
    for (int source = 1; source <= project.SourceCount(); ++source)
        for (int mode = 0; mode <= project.Sources[source].ModeWorkCount(); ++mode)
            schemes.push_back({source, mode});
    k10::calc::calculateSchemes(project, schemes, data.inputs(), data.settings(),
                                [&](const k10::calc::SchemeResult& scheme) {
                                    const TSource& record = project.Sources[scheme.source];
                                    const QString sourceName = fromCp1251(record.Name.view());
                                    const QString schemeName = results::schemeCaption(record, scheme.mode);
                                    results::Table problems = results::problemsTable(scheme);
                                    for (std::size_t row = 0; row < problems.rows.size(); ++row) {
                                        std::vector<results::Cell> cells{{sourceName, std::nullopt, {}},
                                                                         {schemeName, std::nullopt, {}}};
                                        cells.insert(cells.end(), problems.rows[row].begin(),
                                                     problems.rows[row].end());
                                        table.rows.push_back(std::move(cells));
                                        table.places.push_back(problems.places[row]);
                                    }
                                });
    return table;
}

} // namespace

TF_CheckData::TF_CheckData(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("TF_CheckData");
    setWindowTitle("Проверка данных");
    Summary = new QLabel(this);
    Summary->setObjectName("Summary");
    ProblemsGrid = new ResultsGrid(kHeaders, this);
    ProblemsGrid->setObjectName("ProblemsGrid");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Summary);
    layout->addWidget(ProblemsGrid, 1);
    connect(ProblemsGrid, &QTableWidget::cellDoubleClicked, this,
            [this](int row) { emit selectRequested(ProblemsGrid->placeAt(row)); });
    resize(900, 480);
    keepWindowPlace(*this, "check");
}

void TF_CheckData::check(const CalculationData& data) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    results::Table table = problemsOfProject(data);
    QApplication::restoreOverrideCursor();
    ProblemsGrid->showTable(table);
    Summary->setText(table.rows.empty() ? QString("Замечаний нет.")
                                        : QString("Замечаний: %1.").arg(table.rows.size()));
}
