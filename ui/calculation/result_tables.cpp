#include "ui/calculation/result_tables.h"

#include "calc/result_format.h"
#include "model/project.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/calculation_service/calculation_settings.h"

namespace results {

using namespace k10::calc;

namespace {

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A caption inside a sentence: «Точный (итерационный)» reads «точный (итерационный)».
QString inSentence(QString caption) {
    return caption.left(1).toLower() + caption.mid(1);
}

Cell text(const QString& value) {
    return {value, std::nullopt, {}};
}
Cell text(std::string_view value) {
    return text(utf8(value));
}

Cell number(double value, Quantity quantity, const QString& problem = {}) {
    return {utf8(formatNumber(value, quantity)), value, problem};
}

Cell whole(int value, const QString& shown) {
    return {shown, double(value), {}};
}

// The message of a warning about one value, or empty when there is none.
template <typename Matches>
QString warning(const SchemeResult& scheme, const char* code, Regime regime, Matches matches) {
    for (const Problem& problem : scheme.problems)
        if (problem.code == code && problem.regime == int(regime) && matches(problem))
            return utf8(problem.text);
    return {};
}

QString nodeWarning(const SchemeResult& scheme, const char* code, Regime regime, const NodeResult& node) {
    return warning(scheme, code, regime,
                   [&](const Problem& p) { return p.line == node.line && p.node == node.node; });
}

QString sectionNumber(const SectionResult& section) {
    return section.jumper ? QString("перемычка") : QString::number(section.section);
}

QString sectionName(std::string_view line, int section) {
    return section == 0 ? QString("перемычка") : QString("%1 № %2").arg(utf8(line)).arg(section);
}

const RegimeResult& regimeOf(const SchemeResult& scheme, Regime regime) {
    return scheme.regimes[int(regime)];
}

} // namespace

Table nodesTable(const SchemeResult& scheme, Regime regime) {
    Table table{"Узлы", {"Линия", "Узел", "U, кВ", "ΔU, %"}, {}, {}};
    const RegimeResult& numbers = regimeOf(scheme, regime);
    for (std::size_t i = 0; i < scheme.nodes.size(); ++i) {
        const NodeResult& node = scheme.nodes[i];
        table.rows.push_back(
            {text(node.line), text(node.node),
             number(numbers.nodes[i].uKv, Quantity::VoltageKv, nodeWarning(scheme, "R3", regime, node)),
             number(numbers.nodes[i].lossPercent, Quantity::LossPercent, nodeWarning(scheme, "R2", regime, node))});
    }
    for (const NodeRef& node : scheme.deEnergised)
        table.rows.push_back({text(node.line), text(node.node), text(QString("отключён")), text(QString())});
    return table;
}

Table sectionsTable(const SchemeResult& scheme, Regime regime) {
    Table table{"Участки",
                {"Линия", "№", "Начало", "Конец", "P, кВт", "Q, квар", "I, А", "Загрузка, %", "ΔP, кВт"},
                {},
                {}};
    const RegimeResult& numbers = regimeOf(scheme, regime);
    for (std::size_t i = 0; i < scheme.sections.size(); ++i) {
        const SectionResult& section = scheme.sections[i];
        const SectionFlow& flow = numbers.sections[i];
        QString overload = warning(scheme, "R1", regime, [&](const Problem& p) {
            return p.section == section.section && (section.jumper || p.line == section.line);
        });
        table.rows.push_back({text(section.line), whole(section.section, sectionNumber(section)),
                              text(section.begin), text(section.end), number(flow.pKw, Quantity::Power),
                              number(flow.qKvar, Quantity::Power), number(flow.iA, Quantity::CurrentA, overload),
                              number(flow.loadingPercent, Quantity::Loading, overload),
                              number(flow.dpKw, Quantity::Losses)});
    }
    return table;
}

Table substationsTable(const SchemeResult& scheme, Regime regime) {
    Table table{"ТП", {"Линия", "Узел", "Трансформатор", "S, кВА", "Загрузка, %", "ΔP, кВт"}, {}, {}};
    const RegimeResult& numbers = regimeOf(scheme, regime);
    for (std::size_t i = 0; i < scheme.substations.size(); ++i) {
        const SubstationResult& substation = scheme.substations[i];
        const SubstationLoad& load = numbers.substations[i];
        QString overload = warning(scheme, "R4", regime, [&](const Problem& p) {
            return p.line == substation.line && p.node == substation.node;
        });
        table.rows.push_back({text(substation.line), text(substation.node), text(substation.transformer),
                              number(load.sKva, Quantity::Power),
                              number(load.loadingPercent, Quantity::Loading, overload),
                              number(load.dpKw, Quantity::Losses)});
    }
    return table;
}

Table shortCircuitTable(const SchemeResult& scheme) {
    Table table{
        "Токи КЗ", {"Линия", "Место", "Iк3 макс, кА", "Iк2 макс, кА", "Iк3 мин, кА", "Iк2 мин, кА"}, {}, {}};
    if (!scheme.calculated)
        return table;
    auto add = [&table](const QString& line, const QString& place, const Currents& currents) {
        table.rows.push_back({text(line), text(place), number(currents.ik3MaxKa, Quantity::ShortCircuitKa),
                              number(currents.ik2MaxKa, Quantity::ShortCircuitKa),
                              number(currents.ik3MinKa, Quantity::ShortCircuitKa),
                              number(currents.ik2MinKa, Quantity::ShortCircuitKa)});
    };
    const ShortCircuitResult& result = scheme.shortCircuit;
    add({}, "Шины", result.busbars);
    for (std::size_t i = 0; i < result.nodes.size(); ++i)
        add(utf8(scheme.nodes[i].line), utf8(scheme.nodes[i].node), result.nodes[i].currents);
    for (std::size_t i = 0; i < result.lowVoltage.size(); ++i)
        add(utf8(scheme.substations[i].line), utf8(scheme.substations[i].node) + ", 0,4 кВ", result.lowVoltage[i]);
    return table;
}

Table problemsTable(const SchemeResult& scheme) {
    Table table{"Замечания", {"Код", "Вид", "Сообщение"}, {}, {}};
    for (const Problem& problem : scheme.problems) {
        table.rows.push_back({text(problem.code), text(kindCaption(problem.kind)), text(problem.text)});
        table.places.push_back(placeOf(scheme, problem));
    }
    return table;
}

QString schemeCaption(const TSource& source, int mode) {
    if (mode == 0)
        return "Нормальная схема";
    const TModeWork& work = source.ModeWorks[mode];
    return QString("Режим %1: %2 – %3")
        .arg(mode)
        .arg(fromCp1251(work.L_Begin.view()), fromCp1251(work.L_End.view()));
}

QString regimeCaption(Regime regime) {
    return regime == Regime::Day ? "Дневной максимум" : "Вечерний максимум";
}

QString kindCaption(ProblemKind kind) {
    return kind == ProblemKind::Error ? "Ошибка" : "Предупреждение";
}

QString summaryLine(const SchemeResult& scheme, Regime regime) {
    if (!scheme.calculated)
        return "Схема не рассчитана: в данных есть ошибки (см. «Замечания»).";
    const Totals& totals = regimeOf(scheme, regime).totals;
    auto value = [](double number, Quantity quantity) { return utf8(formatNumber(number, quantity)); };
    return QString("Отпущено: P = %1 кВт, Q = %2 квар; потери ΔP = %3 кВт (%4 %); худший узел: %5, %6 "
                   "(ΔU = %7 %); наиболее загружен участок: %8 (%9 %)")
        .arg(value(totals.pKw, Quantity::Power), value(totals.qKvar, Quantity::Power),
             value(totals.dpKw, Quantity::Losses), value(totals.lossSharePercent, Quantity::LossPercent),
             utf8(totals.worstNode.line), utf8(totals.worstNode.node),
             value(totals.worstLossPercent, Quantity::LossPercent),
             sectionName(totals.mostLoadedLine, totals.mostLoadedSection),
             value(totals.mostLoadedPercent, Quantity::Loading));
}

QString settingsLine(const Settings& settings, bool builtInCoefficients) {
    return QString("Метод расчёта: %1; токи КЗ: %2; допустимая потеря напряжения: %3 %; коэффициенты "
                   "графиков нагрузки: %4")
        .arg(inSentence(methodCaptions().at(int(settings.method))),
             inSentence(shortCircuitCaptions().at(int(settings.shortCircuit))),
             utf8(formatNumber(settings.maxLossPercent, Quantity::LossPercent)),
             builtInCoefficients
                 ? QString("встроенная таблица (файл %1 не прочитан)").arg(k10::LoadCoefficientFile)
                 : QString("из файла %1").arg(k10::LoadCoefficientFile));
}

QString notCalculatedLine() {
    return utf8(notCalculatedNote());
}

ProblemPlace placeOf(const SchemeResult& scheme, const Problem& problem) {
    ProblemPlace place{scheme.source, 0, 0, 0};
    bool ofMode =
        scheme.mode > 0 && (problem.code.starts_with('M') || (problem.section == 0 && problem.node.empty()));
    if (ofMode) {
        place.mode = scheme.mode;
        return place;
    }
    place.line = problem.lineIndex;
    place.section = problem.lineIndex > 0 ? problem.section : 0;
    return place;
}

} // namespace results
