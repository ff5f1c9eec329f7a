#include "ui/calculation/check_problems.h"

#include "ui/calculation/result_tables.h"

#include <algorithm>

namespace check {

namespace {

// Internal ids of the rows: 0 a source; 1 + s a row under source s; kSchemeRow | s << 31 | k a problem of
// scheme k of source s.
constexpr quintptr kSchemeRow = quintptr(1) << 62;

int positionIn(const std::vector<int>& sorted, int value) {
    return int(std::lower_bound(sorted.begin(), sorted.end(), value) - sorted.begin());
}

// The modes among the schemes, the normal scheme left out: "режим 3", "режимы 1, 2, 5".
QString modesText(const ModeRuns& modes) {
    QStringList numbers;
    modes.forEachMode([&](int mode) { numbers << QString::number(mode); });
    return QString(numbers.size() == 1 ? "режим %1" : "режимы %1").arg(numbers.join(", "));
}

} // namespace

void ModeRuns::add(int mode) {
    const auto m = std::uint16_t(mode);
    if (count_++ == 0) {
        first_ = last_ = m;
    } else if (!more_ && last_ + 1 == mode) {
        last_ = m;
    } else if (more_ && more_->back().second + 1 == mode) {
        more_->back().second = m;
    } else {
        if (!more_)
            more_ = std::make_unique<std::vector<std::pair<std::uint16_t, std::uint16_t>>>();
        more_->emplace_back(m, m);
    }
}

bool isSourceProblem(const k10::calc::Problem& problem) {
    return !problem.code.empty() && (problem.code[0] == 'P' || problem.code[0] == 'S' || problem.code[0] == 'T');
}

ProblemsModel::ProblemsModel(Recalculate recalculate, Caption caption, QObject* parent)
    : QAbstractItemModel(parent), recalculate_(std::move(recalculate)), caption_(std::move(caption)) {}

void ProblemsModel::clear() {
    beginResetModel();
    // Swapped with empty ones, so that their memory is given back, not kept for the next check.
    std::vector<Source>().swap(sources_);
    std::vector<int>().swap(shownSources_);
    std::vector<Code>().swap(codes_);
    codeIndex_.clear();
    shownRows_ = {};
    problems_ = 0;
    endResetModel();
}

bool ProblemsModel::passes(std::uint8_t code) const {
    const Code& c = codes_[code];
    return (!kind_ || c.kind == *kind_) && (code_.isEmpty() || c.code == code_);
}

bool ProblemsModel::refilter(Scheme& scheme) const {
    scheme.shown = 0;
    for (const CodeCount& count : scheme.counts)
        if (passes(count.code))
            scheme.shown += count.count;
    return scheme.shown > 0;
}

void ProblemsModel::refilterAll() {
    shownSources_.clear();
    for (std::size_t s = 0; s < sources_.size(); ++s) {
        Source& source = sources_[s];
        source.shownProblems.clear();
        source.shownSchemes.clear();
        for (std::size_t p = 0; p < source.problems.size(); ++p)
            if (passes(source.problems[p].code))
                source.shownProblems.push_back(int(p));
        for (std::size_t k = 0; k < source.schemes.size(); ++k)
            if (refilter(source.schemes[k]))
                source.shownSchemes.push_back(int(k));
        if (!source.shownProblems.empty() || !source.shownSchemes.empty())
            shownSources_.push_back(int(s));
    }
}

void ProblemsModel::setFilter(std::optional<k10::calc::ProblemKind> kind, const QString& code) {
    beginResetModel();
    kind_ = kind;
    code_ = code;
    shownRows_ = {};
    refilterAll();
    endResetModel();
}

void ProblemsModel::add(SchemeFindings findings) {
    for (const Code& code : findings.newCodes) {
        codeIndex_.emplace(code.code.toStdString(), std::uint8_t(codes_.size()));
        codes_.push_back(code);
    }
    if (sources_.empty() || sources_.back().source != findings.source)
        sources_.push_back({findings.source, findings.sourceName, findings.schemesOfSource, {}, {}, {}, {}});
    const int s = int(sources_.size()) - 1;
    Source& source = sources_.back();
    const bool wasShown = !shownSources_.empty() && shownSources_.back() == s;
    const QModelIndex sourceIndex = wasShown ? createIndex(int(shownSources_.size()) - 1, 0, quintptr(0)) : QModelIndex();

    // The source's problems met before in another scheme now name this one too.
    const std::size_t known = source.problems.size();
    for (SourceProblem& problem : findings.newSourceProblems)
        source.problems.push_back(std::move(problem));
    problems_ += long(findings.newSourceProblems.size());
    for (const CodeCount& count : findings.own)
        problems_ += long(count.count);
    for (int p : findings.sourceProblemsHere) {
        source.problems[std::size_t(p)].modes.add(findings.mode);
        if (wasShown && std::size_t(p) < known) {
            auto shown = std::lower_bound(source.shownProblems.begin(), source.shownProblems.end(), p);
            if (shown != source.shownProblems.end() && *shown == p) {
                QModelIndex cell = createIndex(int(shown - source.shownProblems.begin()), Schemes, quintptr(s) + 1);
                emit dataChanged(cell, cell);
            }
        }
    }

    std::vector<int> newShown;
    for (std::size_t p = known; p < source.problems.size(); ++p)
        if (passes(source.problems[p].code))
            newShown.push_back(int(p));
    bool schemeShown = false;
    if (!findings.own.empty()) {
        source.schemes.push_back({findings.mode, 0, std::move(findings.own)});
        source.schemes.back().counts.shrink_to_fit();
        schemeShown = refilter(source.schemes.back());
    }

    if (!wasShown) {
        if (newShown.empty() && !schemeShown)
            return;
        const int row = int(shownSources_.size());
        beginInsertRows({}, row, row);
        source.shownProblems = std::move(newShown);
        if (schemeShown)
            source.shownSchemes.push_back(int(source.schemes.size()) - 1);
        shownSources_.push_back(s);
        endInsertRows();
        return;
    }
    if (!newShown.empty()) {
        const int first = int(source.shownProblems.size());
        beginInsertRows(sourceIndex, first, first + int(newShown.size()) - 1);
        source.shownProblems.insert(source.shownProblems.end(), newShown.begin(), newShown.end());
        endInsertRows();
    }
    if (schemeShown) {
        const int row = int(source.shownProblems.size() + source.shownSchemes.size());
        beginInsertRows(sourceIndex, row, row);
        source.shownSchemes.push_back(int(source.schemes.size()) - 1);
        endInsertRows();
    }
}

QModelIndex ProblemsModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= ColumnCount || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, quintptr(0));
    const Row of = rowOf(parent);
    if (of.scheme < 0) // a source
        return createIndex(row, column, quintptr(of.source) + 1);
    return createIndex(row, column, kSchemeRow | quintptr(of.source) << 31 | quintptr(of.scheme));
}

QModelIndex ProblemsModel::parent(const QModelIndex& child) const {
    const quintptr id = child.internalId();
    if (!child.isValid() || id == 0)
        return {};
    if (!(id & kSchemeRow)) {
        const int s = int(id - 1);
        return createIndex(positionIn(shownSources_, s), 0, quintptr(0));
    }
    const int s = int((id & ~kSchemeRow) >> 31), k = int(id & ((quintptr(1) << 31) - 1));
    const Source& source = sources_[std::size_t(s)];
    return createIndex(int(source.shownProblems.size()) + positionIn(source.shownSchemes, k), 0, quintptr(s) + 1);
}

ProblemsModel::Row ProblemsModel::rowOf(const QModelIndex& index) const {
    Row of;
    const quintptr id = index.internalId();
    if (id == 0) {
        of.source = shownSources_[std::size_t(index.row())];
    } else if (!(id & kSchemeRow)) {
        of.source = int(id - 1);
        const Source& source = sources_[std::size_t(of.source)];
        const int problems = int(source.shownProblems.size());
        if (index.row() < problems)
            of.sourceProblem = source.shownProblems[std::size_t(index.row())];
        else
            of.scheme = source.shownSchemes[std::size_t(index.row() - problems)];
    } else {
        of.source = int((id & ~kSchemeRow) >> 31);
        of.scheme = int(id & ((quintptr(1) << 31) - 1));
        of.problem = index.row();
    }
    return of;
}

int ProblemsModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return int(shownSources_.size());
    if (parent.column() != 0)
        return 0;
    const Row of = rowOf(parent);
    const Source& source = sources_[std::size_t(of.source)];
    if (of.sourceProblem >= 0 || of.problem >= 0)
        return 0;
    if (of.scheme >= 0)
        return int(source.schemes[std::size_t(of.scheme)].shown);
    return int(source.shownProblems.size() + source.shownSchemes.size());
}

int ProblemsModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant ProblemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QStringList headers{"Источник, схема", "Код", "Вид", "Сообщение", "Схемы"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return headers[section];
    return {};
}

QString ProblemsModel::schemesText(const Source& source, const SourceProblem& problem) const {
    if (problem.modes.count() == source.schemesCount)
        return source.schemesCount == 1 ? QString("Нормальная схема") : QString("Все схемы");
    if (problem.modes.first() != 0)
        return modesText(problem.modes);
    if (problem.modes.count() == 1)
        return "Нормальная схема";
    return "Нормальная схема; " + modesText(problem.modes);
}

const RecalculatedScheme* ProblemsModel::recalculatedProblem(const Source& source,
                                                            const SourceProblem& problem) const {
    const RecalculatedScheme& again = recalculate_(source.source, problem.foundIn);
    // The data may have changed since the check.
    if (problem.index >= again.problems.size() ||
        QString::fromStdString(again.problems[problem.index].code) != codes_[problem.code].code)
        return nullptr;
    return &again;
}

const RecalculatedScheme* ProblemsModel::recalculatedRow(int s, int k, int row, std::size_t& position) const {
    const Source& source = sources_[std::size_t(s)];
    const Scheme& scheme = source.schemes[std::size_t(k)];
    const RecalculatedScheme& again = recalculate_(source.source, scheme.mode);
    ShownRows& rows = shownRows_;
    if (rows.source != s || rows.scheme != k || rows.serial != again.serial) {
        rows = {s, k, again.serial, false, {}};
        // The problems must be those the check counted: the data may have changed since.
        std::vector<std::uint32_t> counts(codes_.size());
        bool known = again.places.size() == again.problems.size();
        for (std::size_t i = 0; known && i < again.problems.size(); ++i) {
            const k10::calc::Problem& problem = again.problems[i];
            if (isSourceProblem(problem))
                continue;
            auto code = codeIndex_.find(problem.code);
            known = code != codeIndex_.end();
            if (!known)
                break;
            ++counts[code->second];
            if (passes(code->second))
                rows.positions.push_back(std::uint32_t(i));
        }
        std::vector<CodeCount> found;
        for (std::size_t code = 0; known && code < counts.size(); ++code)
            if (counts[code] > 0)
                found.push_back({std::uint8_t(code), counts[code]});
        rows.same = known && found == scheme.counts && rows.positions.size() == scheme.shown;
        if (!rows.same)
            std::vector<std::uint32_t>().swap(rows.positions);
    }
    if (!rows.same || row < 0 || std::size_t(row) >= rows.positions.size())
        return nullptr;
    position = rows.positions[std::size_t(row)];
    return &again;
}

QVariant ProblemsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != PlaceRole))
        return {};
    const Row of = rowOf(index);
    const Source& source = sources_[std::size_t(of.source)];
    const int column = index.column();
    if (of.sourceProblem >= 0) {
        const SourceProblem& problem = source.problems[std::size_t(of.sourceProblem)];
        if (role == PlaceRole || column == Message) {
            const RecalculatedScheme* again = recalculatedProblem(source, problem);
            if (!again)
                return {};
            if (role == PlaceRole)
                return QVariant::fromValue(again->places[problem.index]);
            return QString::fromStdString(again->problems[problem.index].text);
        }
        switch (column) {
        case CodeColumn: return codes_[problem.code].code;
        case Kind: return results::kindCaption(codes_[problem.code].kind);
        case Schemes: return schemesText(source, problem);
        default: return {};
        }
    }
    if (of.scheme < 0) {
        if (role == PlaceRole)
            return QVariant::fromValue(ProblemPlace{source.source, 0, 0, 0});
        return column == Place ? QVariant(source.name) : QVariant();
    }
    const Scheme& scheme = source.schemes[std::size_t(of.scheme)];
    if (of.problem < 0) {
        if (role == PlaceRole)
            return QVariant::fromValue(ProblemPlace{source.source, 0, 0, scheme.mode});
        if (column == Place)
            return caption_(source.source, scheme.mode);
        if (column == Message)
            return QString("Замечаний: %1").arg(scheme.shown);
        return {};
    }
    if (role != PlaceRole && column != CodeColumn && column != Kind && column != Message)
        return {};
    std::size_t position = 0;
    const RecalculatedScheme* again = recalculatedRow(of.source, of.scheme, of.problem, position);
    if (!again) // the data changed since the check: the problem is not known any more
        return role == PlaceRole ? QVariant() : QVariant(QString());
    if (role == PlaceRole)
        return QVariant::fromValue(again->places[position]);
    const k10::calc::Problem& problem = again->problems[position];
    const Code& code = codes_[codeIndex_.find(problem.code)->second];
    switch (column) {
    case CodeColumn: return code.code;
    case Kind: return results::kindCaption(code.kind);
    case Message: return QString::fromStdString(problem.text);
    default: return {};
    }
}

} // namespace check
