#include "ui/calculation_service/calculation_runner.h"

#include "text/number_parse.h"
#include "ui/calculation_service/calculation_data.h"

#include <QFutureWatcher>
#include <QtConcurrent>

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// Everything one calculation reads, copied so that the project may change while it runs.
struct Snapshot {
    TProect project;
    k10::WireCatalog wires;
    k10::TransCatalog transformers;
    k10::LoadCoefficientTable coefficients;
    k10::calc::Settings settings;
};

// A name as the scheme builder matches it, or with more blanks cut: a line kept needlessly costs nothing.
std::string_view trimmed(std::string_view name) {
    return k10::trimBlanks(name);
}

} // namespace

QThreadPool& calculationThreads() {
    static QThreadPool pool;
    return pool;
}

int sectionCount(const TSource& source) {
    int count = 0;
    for (int line = 1; line <= source.LineCount(); ++line)
        count += source.Lines[line].SectionCount();
    return count;
}

TProect sourcePart(const TProect& project, int source) {
    const TSource& own = project.Sources[source];
    // The names of the lines the source's modes join to; a name matches whatever blanks surround it.
    std::vector<std::string_view> reached;
    for (int mode = 1; mode <= own.ModeWorkCount(); ++mode)
        if (auto name = trimmed(own.ModeWorks[mode].L_End.view()); !name.empty())
            reached.push_back(name);
    std::sort(reached.begin(), reached.end());

    TProect part;
    for (int s = 1; s <= project.SourceCount(); ++s) {
        const TSource& whole = project.Sources[s];
        if (s == source) {
            part.Sources.append(whole);
            continue;
        }
        TSource& other = part.Sources.append();
        other.Name = whole.Name;
        other.Code = whole.Code;
        other.Napr = whole.Napr;
        other.R_Max = whole.R_Max;
        other.X_Max = whole.X_Max;
        other.R_Min = whole.R_Min;
        other.X_Min = whole.X_Min;
        for (int l = 1; l <= whole.LineCount(); ++l) {
            TLines& line = other.Lines.append();
            if (std::binary_search(reached.begin(), reached.end(), trimmed(whole.Lines[l].Name.view())))
                line = whole.Lines[l];
        }
    }
    return part;
}

CalculationRunner::CalculationRunner(QObject* parent) : QObject(parent), state_(std::make_shared<State>()) {}

void CalculationRunner::start(const CalculationData& data, int source, int mode) {
    const unsigned request = ++requested_;
    state_->newest = request;
    const bool builtIn = data.coefficients().builtIn;
    if (sectionCount(data.project().Sources[source]) <= kBackgroundSections) {
        ++state_->run;
        deliver(request,
                std::make_shared<const k10::calc::SchemeResult>(k10::calc::calculateScheme(
                    data.project(), source, mode, data.inputs(), data.settings())),
                builtIn);
        return;
    }
    auto snapshot = std::make_shared<const Snapshot>(Snapshot{sourcePart(data.project(), source), data.wires(),
                                                              data.transformers(), data.coefficients(),
                                                              data.settings()});
    using Result = std::shared_ptr<const k10::calc::SchemeResult>;
    auto* watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, request, builtIn] {
        deliver(request, watcher->result(), builtIn);
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(&calculationThreads(), [state = state_, snapshot, request, source, mode] {
        // A newer request came while this one waited for a thread: its result would be dropped anyway.
        if (state->newest != request)
            return Result();
        ++state->run;
        const Snapshot& s = *snapshot;
        return std::make_shared<const k10::calc::SchemeResult>(k10::calc::calculateScheme(
            s.project, source, mode, {s.wires, s.transformers, s.coefficients}, s.settings));
    }));
}

void CalculationRunner::deliver(unsigned request, std::shared_ptr<const k10::calc::SchemeResult> result,
                                bool builtInCoefficients) {
    if (request != requested_ || !result)
        return; // the project has changed since this calculation was asked for
    delivered_ = request;
    emit finished(std::move(result), builtInCoefficients);
}
