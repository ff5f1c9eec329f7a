#pragma once

#include "ui/calculation/check_problems.h"
#include "ui/calculation_service/calculation_data.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;


// «Проверка данных»: every problem of every scheme of every source, found by calculating them all on a
// thread of its own while the window stays usable, with progress and «Отмена». The list follows the data:
// a change of them (an edit, an undo, an Open, a catalog, the coefficient table, a setting) starts the check
// anew. Closing the window stops the check and gives the list's memory back. Not modal; a double-click on a
// row asks for the place it names to be selected.
class TF_CheckData : public QWidget {
    Q_OBJECT

public:
    explicit TF_CheckData(QWidget* parent = nullptr);
    ~TF_CheckData() override;

    // Checks the data, unless the window already runs a check of them or shows a complete one that is
    // still current.
    void check(const CalculationData& data);
    // Stops a running check; the list found so far stays, marked as interrupted.
    void cancel();
    // A check runs, or starts anew at the next turn of the event loop after a change of the data.
    bool isChecking() const { return run_ != nullptr || restartPending_; }

    QLabel* Summary;           // «Замечаний: N.» / «Замечаний нет.»
    QLabel* ProgressLine;      // «Проверено схем: N из M» / «Проверка прервана: проверено N из M»
    QProgressBar* Progress;
    QPushButton* CancelButton; // «Отмена»
    QComboBox* KindFilter;
    QComboBox* CodeFilter;
    QTreeView* Problems;

signals:
    void selectRequested(const ProblemPlace& place);
    // A check has ended: all schemes checked, cancelled, or failed.
    void checkFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Run;

    void start();
    // Stops the running check and waits for its thread.
    void stop();
    void scheduleRestart();
    void takeFindings();
    void receive(check::SchemeFindings& findings);
    void finish(const QString& failure);
    void showCounts();
    void applyFilter();
    // Every problem of one scheme and its place, calculated anew on this thread: the rows of a scheme's own
    // problems, which the list does not keep.
    const check::RecalculatedScheme& recalculated(int source, int mode);

    const CalculationData* data_ = nullptr;
    check::ProblemsModel* model_;
    std::unique_ptr<Run> run_;
    k10::calc::Settings settings_;     // of the check shown
    QTimer* poll_;                     // takes the findings of the running check
    int checked_ = 0, schemes_ = 0;
    bool active_ = false;              // checked and not closed since: the list follows the data
    bool restartPending_ = false;
    struct Recalculated {
        int source = 0, mode = -1;
        check::RecalculatedScheme scheme;
    };
    Recalculated recalculated_, previous_;
    std::uint64_t recalculations_ = 0;
};
