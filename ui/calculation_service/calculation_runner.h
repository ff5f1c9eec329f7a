#pragma once

#include "calc/calculation.h"

#include <QObject>

class CalculationData;

// Calculates one scheme of one source for a view that follows the project. A source of more than
// kBackgroundSections sections is calculated on a copy of the data off the interface thread; whatever
// the size, only the newest request's result is delivered, so results of an older state are dropped.
class CalculationRunner : public QObject {
    Q_OBJECT

public:
    static constexpr int kBackgroundSections = 2000;

    using QObject::QObject;

    void start(const CalculationData& data, int source, int mode);
    bool busy() const { return delivered_ != requested_; }

signals:
    void finished(const k10::calc::SchemeResult& result, bool builtInCoefficients);

private:
    void deliver(unsigned request, const k10::calc::SchemeResult& result, bool builtInCoefficients);

    unsigned requested_ = 0;
    unsigned delivered_ = 0;
};

int sectionCount(const TSource& source);

class QThreadPool;
// The worker threads of the calculations: a pool of their own, so that a long calculation never holds
// up the threads the painting of the windows uses.
QThreadPool& calculationThreads();
