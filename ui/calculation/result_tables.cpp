#include "ui/calculation/result_tables.h"

#include "ui/calculation/result_models.h"

#include "calc/mode_description.h"
#include "calc/result_format.h"
#include "model/project.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/calculation_service/calculation_settings.h"

#include <QComboBox>
#include <QSignalBlocker>

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

QString sectionName(std::string_view line, int section) {
    return section == 0 ? QString("перемычка") : QString("%1 № %2").arg(utf8(line)).arg(section);
}

const RegimeResult& regimeOf(const SchemeResult& scheme, Regime regime) {
    return scheme.regimes[int(regime)];
}

} // namespace

namespace {

// The table of a model showing the scheme in the regime; the scheme outlives the call.
template <typename Model> Table tableOf(const SchemeResult& scheme, Regime regime) {
    Model model;
    // A view of the caller's scheme, owned by the caller.
    std::shared_ptr<const SchemeResult> borrowed(std::shared_ptr<const SchemeResult>{}, &scheme);
    model.setResult(std::make_shared<const ResultRows>(borrowed), regime);
    return model.table();
}

} // namespace

Table nodesTable(const SchemeResult& scheme, Regime regime) {
    return tableOf<NodesModel>(scheme, regime);
}

Table sectionsTable(const SchemeResult& scheme, Regime regime) {
    return tableOf<SectionsModel>(scheme, regime);
}

Table substationsTable(const SchemeResult& scheme, Regime regime) {
    return tableOf<SubstationsModel>(scheme, regime);
}

Table shortCircuitTable(const SchemeResult& scheme) {
    return tableOf<ShortCircuitModel>(scheme, Regime::Day);
}

Table problemsTable(const SchemeResult& scheme) {
    return tableOf<ProblemsModel>(scheme, Regime::Day);
}

QString schemeCaption(const TSource& source, int mode) {
    if (mode == 0)
        return "Нормальная схема";
    return utf8(modeDescription(source.ModeWorks[mode], mode));
}

void fillSchemeBox(QComboBox& box, const TSource* source, bool keepChoice) {
    QStringList captions;
    if (source)
        for (int mode = 0; mode <= source->ModeWorkCount(); ++mode)
            captions << schemeCaption(*source, mode);
    QSignalBlocker blocker(&box);
    const int chosen = keepChoice ? box.currentIndex() : 0;
    // A list of a hundred modes costs its size hints: it is filled anew only when it changed.
    bool same = box.count() == captions.size();
    for (int i = 0; same && i < captions.size(); ++i)
        same = box.itemText(i) == captions[i];
    if (!same) {
        box.clear();
        box.addItems(captions);
    }
    box.setCurrentIndex(chosen >= 0 && chosen < box.count() ? chosen : 0);
}

QString regimeCaption(Regime regime) {
    return regime == Regime::Day ? "Дневной максимум" : "Вечерний максимум";
}

QString kindCaption(ProblemKind kind) {
    return kind == ProblemKind::Error ? "Ошибка" : "Предупреждение";
}

QString summaryLine(const SchemeResult& scheme, Regime regime) {
    // A mode is named as everywhere else, before what it gives.
    const QString mode = scheme.mode > 0 && !scheme.modeText.empty() ? utf8(scheme.modeText) + ". " : QString();
    if (!scheme.calculated)
        return mode + "Схема не рассчитана: в данных есть ошибки (см. «Замечания»).";
    const Totals& totals = regimeOf(scheme, regime).totals;
    auto value = [](double number, Quantity quantity) { return utf8(formatNumber(number, quantity)); };
    return mode +
           QString("Отпущено: P = %1 кВт, Q = %2 квар; потери ΔP = %3 кВт (%4 %): в участках %5 кВт, "
                   "в трансформаторах %6 кВт; ")
               .arg(value(totals.pKw, Quantity::Power), value(totals.qKvar, Quantity::Power),
                    value(totals.dpKw, Quantity::Losses), value(totals.lossSharePercent, Quantity::LossPercent),
                    value(totals.dpSectionsKw, Quantity::Losses), value(totals.dpTransformersKw, Quantity::Losses)) +
           QString("ΔQ = %1 квар: в участках %2 квар, в трансформаторах %3 квар; ")
               .arg(value(totals.dqKvar, Quantity::Losses), value(totals.dqSectionsKvar, Quantity::Losses),
                    value(totals.dqTransformersKvar, Quantity::Losses)) +
           QString("худший узел: %1, %2 (ΔU = %3 %); наиболее загружен участок: %4 (%5 %)")
               .arg(utf8(totals.worstNode.line), utf8(totals.worstNode.node),
                    value(totals.worstLossPercent, Quantity::LossPercent),
                    sectionName(totals.mostLoadedLine, totals.mostLoadedSection),
                    value(totals.mostLoadedPercent, Quantity::Loading)) +
           QString(". Итераций расчёта: %1").arg(regimeOf(scheme, regime).iterations);
}

QString excludedLine(const SchemeResult& scheme) {
    if (scheme.excluded.empty())
        return {};
    QStringList names;
    for (const ExcludedLine& line : scheme.excluded)
        names << utf8(line.line);
    return QString("Не рассчитаны линии с ошибками: %1 (см. «Замечания»)").arg(names.join(", "));
}

QString settingsLine(const Settings& settings, bool builtInCoefficients) {
    return QString("Метод расчёта: %1; токи КЗ: %2; допустимая потеря напряжения: %3 %; напряжение на шинах: "
                   "%4 % от номинального; коэффициенты графиков нагрузки: %5")
        .arg(inSentence(methodCaptions().at(int(settings.method))),
             inSentence(shortCircuitCaptions().at(int(settings.shortCircuit))),
             utf8(formatNumber(settings.maxLossPercent, Quantity::LossPercent)),
             utf8(modeNumber(settings.busVoltagePercent)),
             builtInCoefficients
                 ? QString("встроенная таблица (файл %1 не прочитан)").arg(k10::LoadCoefficientFile)
                 : QString("из файла %1").arg(k10::LoadCoefficientFile));
}

QString notCalculatedLine() {
    return utf8(notCalculatedNote());
}

ProblemPlace placeOf(const SchemeResult& scheme, const Problem& problem) {
    ProblemPlace place{scheme.source, 0, 0, 0};
    const bool modeCode = problem.id >= ProblemCode::M1 && problem.id <= ProblemCode::M9;
    const bool ofMode = scheme.mode > 0 && (modeCode || (problem.section == 0 && problem.node.empty()));
    if (ofMode) {
        place.mode = scheme.mode;
        return place;
    }
    place.line = problem.lineIndex;
    place.section = problem.lineIndex > 0 ? problem.section : 0;
    return place;
}

} // namespace results
