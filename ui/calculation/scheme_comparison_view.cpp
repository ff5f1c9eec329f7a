#include "ui/calculation/scheme_comparison_view.h"

#include "calc/result_format.h"
#include "ui/calculation_service/calculation_data.h"
#include "ui/calculation_service/calculation_runner.h"

#include <QBoxLayout>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QtConcurrent>

#include <memory>

using k10::calc::ComparedRegime;
using k10::calc::ComparedScheme;
using k10::calc::Quantity;

namespace results {

namespace {

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

Cell number(double value, Quantity quantity) {
    return {utf8(k10::calc::formatNumber(value, quantity)), value, {}};
}

Cell text(const QString& value) {
    return {value, std::nullopt, {}};
}

QString place(const std::string& line, const std::string& node) {
    return utf8(line) + "/" + utf8(node);
}

QString sectionPlace(const ComparedRegime& regime) {
    return regime.mostLoadedSection == 0 ? QString("перемычка")
                                         : QString("%1 № %2").arg(utf8(regime.mostLoadedLine)).arg(regime.mostLoadedSection);
}

} // namespace

Table comparisonTable(const std::vector<ComparedScheme>& schemes) {
    Table table{"Сравнение схем", {"Схема", "Рассчитана"}, {}, {}};
    for (const char* when : {"днём", "вечером"})
        table.headers << QString("P %1, кВт").arg(when) << QString("Потери %1, кВт").arg(when)
                      << QString("Потери %1, % от P").arg(when) << QString("ΔU %1, %").arg(when)
                      << QString("Узел ΔU %1").arg(when) << QString("Загрузка %1, %").arg(when)
                      << QString("Участок %1").arg(when);
    table.headers << "Iк2 мин, кА" << "Линия Iк2 мин" << "Узел Iк2 мин" << "Предупреждений";
    for (const ComparedScheme& scheme : schemes) {
        std::vector<Cell> row{text(utf8(scheme.description)),
                              text(scheme.calculated ? QString("да") : QString("нет"))};
        for (const ComparedRegime& regime : scheme.regimes) {
            if (!scheme.calculated) {
                row.insert(row.end(), 7, Cell{});
                continue;
            }
            row.push_back(number(regime.suppliedKw, Quantity::Power));
            row.push_back(number(regime.lossesKw, Quantity::Losses));
            row.push_back(number(regime.lossSharePercent, Quantity::LossPercent));
            row.push_back(number(regime.worstLossPercent, Quantity::LossPercent));
            row.push_back(text(place(regime.worstLine, regime.worstNode)));
            row.push_back(number(regime.mostLoadedPercent, Quantity::Loading));
            row.push_back(text(sectionPlace(regime)));
        }
        if (scheme.hasShortCircuit) {
            row.push_back(number(scheme.minIk2MinKa, Quantity::ShortCircuitKa));
            row.push_back(text(utf8(scheme.minIk2Line)));
            row.push_back(text(utf8(scheme.minIk2Node)));
        } else {
            row.insert(row.end(), 3, Cell{});
        }
        row.push_back({QString::number(scheme.warnings), double(scheme.warnings), {}});
        table.rows.push_back(std::move(row));
    }
    return table;
}

} // namespace results

void SchemeComparisonModel::setSchemes(std::vector<ComparedScheme> schemes) {
    beginResetModel();
    schemes_ = std::move(schemes);
    table_ = results::comparisonTable(schemes_);
    endResetModel();
}

int SchemeComparisonModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(table_.rows.size());
}

int SchemeComparisonModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(table_.headers.size());
}

QVariant SchemeComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const results::Cell& cell = table_.rows[std::size_t(index.row())][std::size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case Qt::UserRole: // the sort key: a number by its value, a text by itself
        return cell.sortKey ? QVariant(*cell.sortKey) : QVariant(cell.text);
    case Qt::TextAlignmentRole:
        return cell.sortKey ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    default:
        return {};
    }
}

QVariant SchemeComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? QVariant(table_.headers.value(section)) : QVariant(section + 1);
}

SchemeComparisonView::SchemeComparisonView(QWidget* parent) : QWidget(parent) {
    setObjectName("SchemeComparison");
    model_ = new SchemeComparisonModel(this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(Qt::UserRole);
    Table = new QTableView;
    Table->setObjectName("ComparisonTable");
    Table->setModel(proxy_);
    Table->setSortingEnabled(true);
    Table->sortByColumn(-1, Qt::AscendingOrder); // the modes' order until a header is clicked
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    Status = new QLabel;
    Status->setObjectName("ComparisonStatus");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Status);
    layout->addWidget(Table, 1);
    connect(Table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        const QModelIndex row = proxy_->mapToSource(index);
        if (row.isValid())
            emit schemeChosen(model_->schemes()[std::size_t(row.row())].mode);
    });
}

void SchemeComparisonView::setSource(const CalculationData& data, int source) {
    data_ = &data;
    source_ = source;
    stale_ = true;
    if (isVisible())
        calculate();
}

void SchemeComparisonView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_)
        calculate();
}

namespace {

// Everything the comparison of a large source reads, copied so that the project may change meanwhile.
struct ComparisonSnapshot {
    TProect project;
    k10::WireCatalog wires;
    k10::TransCatalog transformers;
    k10::LoadCoefficientTable coefficients;
    k10::calc::Settings settings;
};

} // namespace

void SchemeComparisonView::calculate() {
    stale_ = false;
    const unsigned request = ++requested_;
    if (!data_ || source_ <= 0 || source_ > data_->project().SourceCount()) {
        deliver(request, {});
        return;
    }
    if (sectionCount(data_->project().Sources[source_]) <= CalculationRunner::kBackgroundSections) {
        deliver(request, k10::calc::compareSchemes(data_->project(), source_, data_->inputs(), data_->settings()));
        return;
    }
    Status->setText("Идёт расчёт…");
    auto snapshot = std::make_shared<const ComparisonSnapshot>(ComparisonSnapshot{
        data_->project(), data_->wires(), data_->transformers(), data_->coefficients(), data_->settings()});
    using Rows = std::vector<ComparedScheme>;
    auto* watcher = new QFutureWatcher<Rows>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, request] {
        deliver(request, watcher->result());
        watcher->deleteLater();
    });
    const int source = source_;
    watcher->setFuture(QtConcurrent::run(&calculationThreads(), [snapshot, source] {
        return k10::calc::compareSchemes(snapshot->project, source,
                                         {snapshot->wires, snapshot->transformers, snapshot->coefficients},
                                         snapshot->settings);
    }));
}

void SchemeComparisonView::deliver(unsigned request, std::vector<ComparedScheme> schemes) {
    if (request != requested_)
        return; // the data have changed since this calculation began
    delivered_ = request;
    Status->setText(schemes.empty() ? QString("Нет источника питания для расчёта.")
                                    : QString("Схем: %1. Щёлкните заголовок столбца, чтобы упорядочить; двойной "
                                              "щелчок открывает схему.")
                                          .arg(schemes.size()));
    model_->setSchemes(std::move(schemes));
    Table->resizeColumnsToContents();
    emit rowsReady();
}
