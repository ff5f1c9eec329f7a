#include "ui/calculation/result_models.h"

#include "calc/result_format.h"

#include <QBrush>
#include <QFont>

#include <complex>

namespace results {

using namespace k10::calc;

namespace {

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The warnings a table marks, in the order of ResultRows::warnings_.
constexpr ProblemCode kMarked[] = {ProblemCode::R1, ProblemCode::R2, ProblemCode::R3, ProblemCode::R4};

int markedSlot(ProblemCode code) {
    for (int i = 0; i < 4; ++i)
        if (kMarked[i] == code)
            return i;
    return -1;
}

// An impedance as the text report writes it: "r + jx", "r − jx".
QString impedanceText(std::complex<double> z) {
    return utf8(formatNumber(z.real(), Quantity::ImpedanceOhm)) + (z.imag() < 0 ? " − j" : " + j") +
           utf8(formatNumber(std::abs(z.imag()), Quantity::ImpedanceOhm));
}

// A long message may not fit its column: it is shown whole as the tooltip.
constexpr qsizetype kLongText = 40;

} // namespace

ResultRows::ResultRows(std::shared_ptr<const SchemeResult> scheme) : scheme_(std::move(scheme)) {
    const SchemeResult& s = *scheme_;
    // A substation's row from its node's: the substations are listed in the order of their nodes.
    std::vector<int> substationOfNode;
    auto substationRow = [&](int node) {
        if (substationOfNode.empty()) {
            substationOfNode.assign(s.nodes.size(), -1);
            std::size_t next = 0;
            for (std::size_t i = 0; i < s.nodes.size() && next < s.substations.size(); ++i)
                if (s.substations[next].line == s.nodes[i].line && s.substations[next].node == s.nodes[i].node)
                    substationOfNode[i] = int(next++);
        }
        return node >= 0 && std::size_t(node) < substationOfNode.size() ? substationOfNode[std::size_t(node)] : -1;
    };
    for (std::size_t p = 0; p < s.problems.size(); ++p) {
        const Problem& problem = s.problems[p];
        const int slot = markedSlot(problem.id);
        if (slot < 0 || problem.regime < 0 || problem.regime > 1)
            continue;
        int row = problem.id == ProblemCode::R1   ? problem.sectionIndex
                  : problem.id == ProblemCode::R4 ? substationRow(problem.nodeIndex)
                                                  : problem.nodeIndex;
        const std::size_t rows = problem.id == ProblemCode::R1   ? s.sections.size()
                                 : problem.id == ProblemCode::R4 ? s.substations.size()
                                                                 : s.nodes.size();
        if (row < 0 || std::size_t(row) >= rows)
            continue;
        std::vector<int>& marks = warnings_[slot][problem.regime];
        if (marks.empty())
            marks.assign(rows, -1);
        if (marks[std::size_t(row)] < 0) // the first warning of a value is the one shown
            marks[std::size_t(row)] = int(p);
    }
    // Each fed node has its section, in the order of the nodes.
    endNodes_.reserve(s.sections.size());
    for (std::size_t i = 0; i < s.nodes.size() && endNodes_.size() < s.sections.size(); ++i)
        if (s.nodes[i].parent >= 0)
            endNodes_.push_back(s.nodes[i].node == s.sections[endNodes_.size()].end ? int(i) : -1);
}

bool ResultRows::anyWarning(ProblemCode code, Regime regime) const {
    const int slot = markedSlot(code);
    if (slot < 0)
        return false;
    for (int mark : warnings_[slot][int(regime)])
        if (mark >= 0)
            return true;
    return false;
}

int ResultRows::endNode(int section) const {
    return section >= 0 && std::size_t(section) < endNodes_.size() ? endNodes_[std::size_t(section)] : -1;
}

const Problem* ResultRows::warning(ProblemCode code, Regime regime, int row) const {
    const int slot = markedSlot(code);
    if (slot < 0)
        return nullptr;
    const std::vector<int>& marks = warnings_[slot][int(regime)];
    if (row < 0 || std::size_t(row) >= marks.size() || marks[std::size_t(row)] < 0)
        return nullptr;
    return &scheme_->problems[std::size_t(marks[std::size_t(row)])];
}

QColor overLimitColour() {
    return QColor(0xff, 0xc8, 0xc8);
}

// ---------------------------------------------------------------------------------------------------------

ResultTableModel::ResultTableModel(const QString& title, const QStringList& headers, QObject* parent)
    : QAbstractTableModel(parent), title_(title), headers_(headers), rows_(std::make_shared<const ResultRows>()) {}

void ResultTableModel::setResult(std::shared_ptr<const ResultRows> rows, Regime regime) {
    beginResetModel();
    rows_ = rows ? std::move(rows) : std::make_shared<const ResultRows>();
    regime_ = regime;
    ++generation_;
    endResetModel();
}

void ResultTableModel::setRegime(Regime regime) {
    if (regime == regime_)
        return;
    // The same rows with other numbers: a reset, so that a sorted view sorts them once, anew.
    beginResetModel();
    regime_ = regime;
    ++generation_;
    endResetModel();
}

Cell ResultTableModel::cell(int row, int column) const {
    Value v = value(row, column);
    Cell cell;
    cell.sortKey = v.number;
    cell.text = v.number && v.text.isEmpty() ? utf8(formatNumber(*v.number, v.quantity)) : v.text;
    if (v.warning)
        cell.problem = utf8(v.warning->text);
    return cell;
}

ResultTableModel::SortKey ResultTableModel::sortKey(int row, int column) const {
    Value v = value(row, column);
    return v.number ? SortKey{v.number, {}} : SortKey{std::nullopt, std::move(v.text)};
}

Table ResultTableModel::table() const {
    Table table{title_, headers_, {}, {}};
    const int count = rows();
    table.rows.reserve(std::size_t(count));
    for (int row = 0; row < count; ++row) {
        std::vector<Cell>& cells = table.rows.emplace_back();
        for (int column = 0; column < headers_.size(); ++column)
            cells.push_back(cell(row, column));
        if (namesPlaces())
            table.places.push_back(place(row));
    }
    return table;
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows();
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows() || index.column() >= headers_.size())
        return {};
    const int row = index.row(), column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return cell(row, column).text;
    case SortRole: {
        SortKey key = sortKey(row, column);
        return key.number ? QVariant(*key.number) : QVariant(key.text);
    }
    case Qt::TextAlignmentRole:
        return value(row, column).number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ToolTipRole: {
        Cell c = cell(row, column);
        if (!c.problem.isEmpty())
            return c.problem;
        return c.text.size() > kLongText ? QVariant(c.text) : QVariant();
    }
    case Qt::AccessibleDescriptionRole: {
        const Problem* warning = value(row, column).warning;
        return warning ? QVariant(utf8(warning->text)) : QVariant();
    }
    case Qt::BackgroundRole:
        return value(row, column).warning ? QVariant(QBrush(overLimitColour())) : QVariant();
    case Qt::FontRole: {
        if (!value(row, column).warning)
            return {};
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case PlaceRole:
        return namesPlaces() ? QVariant::fromValue(place(row)) : QVariant();
    default:
        return {};
    }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
        return headers_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---------------------------------------------------------------------------------------------------------

NodesModel::NodesModel(QObject* parent)
    : ResultTableModel("Узлы", {"Линия", "Узел", "U, кВ", "ΔU, %", "δU, %", "От шин, км"}, parent) {}

int NodesModel::rows() const {
    return int(scheme().nodes.size() + scheme().deEnergised.size());
}

ResultTableModel::Value NodesModel::value(int row, int column) const {
    const std::size_t calculated = scheme().nodes.size();
    if (std::size_t(row) >= calculated) {
        const NodeRef& node = scheme().deEnergised[std::size_t(row) - calculated];
        switch (column) {
        case 0: return {{}, {}, utf8(node.line), nullptr};
        case 1: return {{}, {}, utf8(node.node), nullptr};
        case 2: return {{}, {}, "отключён", nullptr};
        default: return {};
        }
    }
    const NodeResult& node = scheme().nodes[std::size_t(row)];
    const NodeVoltage& voltage = numbers().nodes[std::size_t(row)];
    switch (column) {
    case 0: return {{}, {}, utf8(node.line), nullptr};
    case 1: return {{}, {}, utf8(node.node), nullptr};
    case 2: return {voltage.uKv, Quantity::VoltageKv, {}, shown().warning(ProblemCode::R3, regime(), row)};
    case 3:
        return {voltage.lossPercent, Quantity::LossPercent, {}, shown().warning(ProblemCode::R2, regime(), row)};
    case 4: return {voltage.deviationPercent, Quantity::LossPercent, {}, nullptr};
    case 5: return {node.distanceKm, Quantity::LengthKm, {}, nullptr};
    default: return {};
    }
}

SectionsModel::SectionsModel(QObject* parent)
    : ResultTableModel("Участки",
                       {"Линия", "№", "Начало", "Конец", "P, кВт", "Q, квар", "I, А", "Загрузка, %", "ΔP, кВт",
                        "ΔQ, квар", "ΔU, %", "Провод", "Длина, км"},
                       parent) {}

int SectionsModel::rows() const {
    return int(scheme().sections.size());
}

ResultTableModel::Value SectionsModel::value(int row, int column) const {
    const SectionResult& section = scheme().sections[std::size_t(row)];
    const SectionFlow& flow = numbers().sections[std::size_t(row)];
    switch (column) {
    case 0: return {{}, {}, utf8(section.line), nullptr};
    case 1:
        return {double(section.section), {},
                section.jumper ? QString("перемычка") : QString::number(section.section), nullptr};
    case 2: return {{}, {}, utf8(section.begin), nullptr};
    case 3: return {{}, {}, utf8(section.end), nullptr};
    case 4: return {flow.pKw, Quantity::Power, {}, nullptr};
    case 5: return {flow.qKvar, Quantity::Power, {}, nullptr};
    case 6: return {flow.iA, Quantity::CurrentA, {}, shown().warning(ProblemCode::R1, regime(), row)};
    case 7: return {flow.loadingPercent, Quantity::Loading, {}, shown().warning(ProblemCode::R1, regime(), row)};
    case 8: return {flow.dpKw, Quantity::Losses, {}, nullptr};
    case 9: return {flow.dqKvar, Quantity::Losses, {}, nullptr};
    case 10: {
        // The loss along the section: how much more the end loses from the busbars than the begin.
        const int end = shown().endNode(row);
        if (end < 0)
            return {};
        const int begin = scheme().nodes[std::size_t(end)].parent;
        const double beginLoss = begin >= 0 ? numbers().nodes[std::size_t(begin)].lossPercent : 0;
        return {numbers().nodes[std::size_t(end)].lossPercent - beginLoss, Quantity::LossPercent, {}, nullptr};
    }
    case 11: return {{}, {}, utf8(section.wire), nullptr};
    case 12: return {section.lengthKm, Quantity::LengthKm, {}, nullptr};
    default: return {};
    }
}

SubstationsModel::SubstationsModel(QObject* parent)
    : ResultTableModel("ТП", {"Линия", "Узел", "Трансформатор", "S, кВА", "Загрузка, %", "ΔP, кВт", "ΔQ, квар"},
                       parent) {}

int SubstationsModel::rows() const {
    return int(scheme().substations.size());
}

ResultTableModel::Value SubstationsModel::value(int row, int column) const {
    const SubstationResult& substation = scheme().substations[std::size_t(row)];
    const SubstationLoad& load = numbers().substations[std::size_t(row)];
    switch (column) {
    case 0: return {{}, {}, utf8(substation.line), nullptr};
    case 1: return {{}, {}, utf8(substation.node), nullptr};
    case 2: return {{}, {}, utf8(substation.transformer), nullptr};
    case 3: return {load.sKva, Quantity::Power, {}, nullptr};
    case 4: return {load.loadingPercent, Quantity::Loading, {}, shown().warning(ProblemCode::R4, regime(), row)};
    case 5: return {load.dpKw, Quantity::Losses, {}, nullptr};
    case 6: return {load.dqKvar, Quantity::Losses, {}, nullptr};
    default: return {};
    }
}

ShortCircuitModel::ShortCircuitModel(QObject* parent)
    : ResultTableModel("Токи КЗ", {"Линия", "Место", "Iк3 макс, кА", "Iк2 макс, кА", "Iк3 мин, кА", "Iк2 мин, кА",
                        "Z макс, Ом", "Z мин, Ом"},
                       parent) {}

int ShortCircuitModel::rows() const {
    if (!scheme().calculated)
        return 0;
    const ShortCircuitResult& sc = scheme().shortCircuit;
    return int(1 + sc.nodes.size() + sc.lowVoltage.size());
}

ResultTableModel::Value ShortCircuitModel::value(int row, int column) const {
    const ShortCircuitResult& sc = scheme().shortCircuit;
    const Currents* currents = &sc.busbars;
    const NodeShortCircuit* node = nullptr; // the impedances are known of the nodes
    QString line, place = "Шины";
    if (row > 0 && std::size_t(row) <= sc.nodes.size()) {
        const std::size_t i = std::size_t(row) - 1;
        node = &sc.nodes[i];
        currents = &sc.nodes[i].currents;
        line = column == 0 ? utf8(scheme().nodes[i].line) : QString();
        place = column == 1 ? utf8(scheme().nodes[i].node) : QString();
    } else if (row > 0) {
        const std::size_t i = std::size_t(row) - 1 - sc.nodes.size();
        currents = &sc.lowVoltage[i];
        line = column == 0 ? utf8(scheme().substations[i].line) : QString();
        place = column == 1 ? utf8(scheme().substations[i].node) + ", 0,4 кВ" : QString();
    }
    switch (column) {
    case 0: return {{}, {}, line, nullptr};
    case 1: return {{}, {}, place, nullptr};
    case 2: return {currents->ik3MaxKa, Quantity::ShortCircuitKa, {}, nullptr};
    case 3: return {currents->ik2MaxKa, Quantity::ShortCircuitKa, {}, nullptr};
    case 4: return {currents->ik3MinKa, Quantity::ShortCircuitKa, {}, nullptr};
    case 5: return {currents->ik2MinKa, Quantity::ShortCircuitKa, {}, nullptr};
    case 6:
    case 7: {
        if (!node)
            return {};
        const std::complex<double> z = column == 6 ? node->zMaxOhm : node->zMinOhm;
        return {std::abs(z), Quantity::ImpedanceOhm, impedanceText(z), nullptr};
    }
    default: return {};
    }
}

LinesModel::LinesModel(QObject* parent)
    : ResultTableModel("Линии",
                       {"Линия", "P, кВт", "Q, квар", "ΔP, кВт", "ΔQ, квар", "ΔP уч., кВт", "ΔQ уч., квар",
                        "ΔP тр., кВт", "ΔQ тр., квар", "ΔP, % от P", "ΔU наиб., %", "Худший узел",
                        "Загрузка наиб., %", "Наиболее загружен участок"},
                       parent) {}

int LinesModel::rows() const {
    return scheme().calculated ? int(numbers().lines.size()) : 0;
}

ResultTableModel::Value LinesModel::value(int row, int column) const {
    const LineTotals& line = numbers().lines[std::size_t(row)];
    const Totals& x = line.totals;
    switch (column) {
    case 0: return {{}, {}, utf8(line.line), nullptr};
    case 1: return {x.pKw, Quantity::Power, {}, nullptr};
    case 2: return {x.qKvar, Quantity::Power, {}, nullptr};
    case 3: return {x.dpKw, Quantity::Losses, {}, nullptr};
    case 4: return {x.dqKvar, Quantity::Losses, {}, nullptr};
    case 5: return {x.dpSectionsKw, Quantity::Losses, {}, nullptr};
    case 6: return {x.dqSectionsKvar, Quantity::Losses, {}, nullptr};
    case 7: return {x.dpTransformersKw, Quantity::Losses, {}, nullptr};
    case 8: return {x.dqTransformersKvar, Quantity::Losses, {}, nullptr};
    case 9: return {x.lossSharePercent, Quantity::Losses, {}, nullptr};
    case 10: return {x.worstLossPercent, Quantity::LossPercent, {}, nullptr};
    case 11: return {{}, {}, utf8(x.worstNode.node), nullptr};
    case 12: return {x.mostLoadedPercent, Quantity::Loading, {}, nullptr};
    case 13:
        return {{}, {},
                x.mostLoadedSection > 0 ? QString("%1 № %2").arg(utf8(x.mostLoadedLine)).arg(x.mostLoadedSection)
                                        : QString("перемычка"),
                nullptr};
    default: return {};
    }
}

ProblemsModel::ProblemsModel(QObject* parent)
    : ResultTableModel("Замечания", {"Код", "Вид", "Сообщение"}, parent) {}

int ProblemsModel::rows() const {
    return int(scheme().problems.size());
}

ResultTableModel::Value ProblemsModel::value(int row, int column) const {
    const Problem& problem = scheme().problems[std::size_t(row)];
    switch (column) {
    case 0: return {{}, {}, QString::fromLatin1(problemCodeName(problem.id)), nullptr};
    case 1: return {{}, {}, kindCaption(problem.kind), nullptr};
    case 2: return {{}, {}, utf8(problem.text), nullptr};
    default: return {};
    }
}

ProblemPlace ProblemsModel::place(int row) const {
    return placeOf(scheme(), scheme().problems[std::size_t(row)]);
}

// ---------------------------------------------------------------------------------------------------------

ResultsSortProxy::ResultsSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(ResultTableModel::SortRole);
}

const ResultTableModel::SortKey& ResultsSortProxy::keyOf(const QModelIndex& index) const {
    const auto* model = static_cast<const ResultTableModel*>(sourceModel());
    if (model != keysModel_ || index.column() != keysColumn_ || model->generation() != keysGeneration_) {
        keysModel_ = model;
        keysColumn_ = index.column();
        keysGeneration_ = model->generation();
        keys_.clear();
        const int rows = model->rowCount();
        keys_.reserve(std::size_t(rows));
        for (int row = 0; row < rows; ++row)
            keys_.push_back(model->sortKey(row, keysColumn_));
    }
    return keys_[std::size_t(index.row())];
}

bool ResultsSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const ResultTableModel::SortKey& mine = keyOf(left);
    const ResultTableModel::SortKey& theirs = keyOf(right);
    if (mine.number && theirs.number)
        return *mine.number < *theirs.number;
    if (mine.number.has_value() != theirs.number.has_value())
        return mine.number.has_value(); // numbers before texts such as «отключён»
    return mine.text < theirs.text;
}

} // namespace results
