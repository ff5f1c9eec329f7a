#pragma once

#include "calc/calculation.h"

#include <QObject>

#include <atomic>
#include <memory>

class CalculationData;

// Calculates one scheme of one source for a view that follows the project. A source of more than
// kBackgroundSections sections is calculated off the interface thread on a copy of the part of the project
// its schemes read (sourcePart); a newer request drops the older ones still waiting for a thread, and
// whatever the size only the newest request's result is delivered, so results of an older state are
// never shown.
class CalculationRunner : public QObject {
    Q_OBJECT

public:
    static constexpr int kBackgroundSections = 2000;

    explicit CalculationRunner(QObject* parent = nullptr);

    void start(const CalculationData& data, int source, int mode);
    bool busy() const { return delivered_ != requested_; }
    // The calculations carried out so far; a request dropped before it began is not one.
    int calculationsRun() const { return state_->run.load(); }

signals:
    void finished(std::shared_ptr<const k10::calc::SchemeResult> result, bool builtInCoefficients);

private:
    void deliver(unsigned request, std::shared_ptr<const k10::calc::SchemeResult> result,
                 bool builtInCoefficients);

    // Shared with the calculations still queued or running, which may outlive the runner.
    struct State {
        std::atomic<unsigned> newest{0};
        std::atomic<int> run{0};
    };
    std::shared_ptr<State> state_;
    unsigned requested_ = 0;
    unsigned delivered_ = 0;
};

int sectionCount(const TSource& source);

// What the schemes of one source read of the project: the source whole, and of every other source its
// header and the lines a mode's jumper of that source may name; the other lines are left empty, so every
// source and line keeps its number. The schemes of the source calculate on it as on the whole project.
TProect sourcePart(const TProect& project, int source);

class QThreadPool;
// The worker threads of the calculations: a pool of their own, so that a long calculation never holds
// up the threads the painting of the windows uses.
QThreadPool& calculationThreads();
