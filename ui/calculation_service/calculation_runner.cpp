#include "ui/calculation_service/calculation_runner.h"

#include "ui/calculation_service/calculation_data.h"

#include <QFutureWatcher>
#include <QtConcurrent>

#include <memory>

namespace {

// Everything one calculation reads, copied so that the project may change while it runs.
struct Snapshot {
    TProect project;
    k10::WireCatalog wires;
    k10::TransCatalog transformers;
    k10::LoadCoefficientTable coefficients;
    k10::calc::Settings settings;

    k10::calc::SchemeResult calculate(int source, int mode) const {
        return k10::calc::calculateScheme(project, source, mode, {wires, transformers, coefficients},
                                          settings);
    }
};

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

void CalculationRunner::start(const CalculationData& data, int source, int mode) {
    const unsigned request = ++requested_;
    const bool builtIn = data.coefficients().builtIn;
    if (sectionCount(data.project().Sources[source]) <= kBackgroundSections) {
        deliver(request,
                k10::calc::calculateScheme(data.project(), source, mode, data.inputs(), data.settings()),
                builtIn);
        return;
    }
    auto snapshot = std::make_shared<const Snapshot>(
        Snapshot{data.project(), data.wires(), data.transformers(), data.coefficients(), data.settings()});
    auto* watcher = new QFutureWatcher<k10::calc::SchemeResult>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, request, builtIn] {
        deliver(request, watcher->result(), builtIn);
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(
        &calculationThreads(), [snapshot, source, mode] { return snapshot->calculate(source, mode); }));
}

void CalculationRunner::deliver(unsigned request, const k10::calc::SchemeResult& result,
                                bool builtInCoefficients) {
    if (request != requested_)
        return; // the project has changed since this calculation began
    delivered_ = request;
    emit finished(result, builtInCoefficients);
}
