#pragma once

#include "calc/calculation.h"
#include "ui/calculation/results_report.h"
#include "ui/calculation_service/calculation_data.h"

#include <QWidget>

#include <memory>
#include <utility>
#include <optional>

class CalculationRunner;
class Interaction;
class QComboBox;
class QFileDialog;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;
namespace results {
struct ReportRequest;
enum class ReportExtent;
class ResultRows;
class NodesModel;
class SectionsModel;
class SubstationsModel;
class ShortCircuitModel;
class ProblemsModel;
class LinesModel;
} // namespace results
class ResultsView;
class SchemeComparisonView;
class VoltageProfileChart;

// The results window «Результаты расчёта»: the calculation of the main window's selected source in one
// scheme, recalculated whenever the data change while it is open. One per application, not modal.
//
// Its tables are views (object names NodesGrid, SectionsGrid, SubstationsGrid, ShortCircuitGrid,
// ProblemsGrid, LinesGrid) over models of the result shown, each through a sorting proxy. The models take a result
// and a regime at once: after a choice in Regime_Box the new rows are in the models when the choice
// returns; after a choice in Scheme_Box (or a change of the data) they are when resultsReady is emitted,
// before anything is painted.
class TF_Results : public QWidget {
    Q_OBJECT

public:
    explicit TF_Results(Interaction& user, QWidget* parent = nullptr);
    ~TF_Results() override;

    // The data the window calculates and follows; it does not own them.
    void setData(CalculationData* data);
    // What draws the network of each scheme in the report; without it the report holds no drawing.
    void setSchemePicture(results::SchemePicture picture) { schemePicture_ = std::move(picture); }

    // The results shown; empty while no source is selected.
    const k10::calc::SchemeResult& result() const;
    bool calculating() const;
    k10::calc::Regime regime() const;

signals:
    // New results are in the tables (also when there is nothing to calculate).
    void resultsReady();
    // A double-click on a problem asks the main window to select what it names.
    void selectRequested(const ProblemPlace& place);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    QWidget* buildProfileTab();
    void buildSaveDialog();
    // Coalesces the notifications of one change into one calculation.
    void scheduleCalculation();
    void calculate();
    // The normal scheme and the source's modes; the chosen one stays chosen while it exists.
    void fillSchemes(bool keepChoice);
    void showResult(std::shared_ptr<const k10::calc::SchemeResult> result, bool builtInCoefficients);
    void showRegime();
    // The summary of the scheme in the regime, coloured where a value is over its limit.
    void showSummary();
    QString chosenBranch_; // the end the user chose on the profile's line; empty for the worst
    // The profile is drawn while its tab is shown; otherwise when the tab is next chosen.
    void showProfile();
    void showBusy();
    // «Сохранить отчёт…»: the current scheme, the source's schemes or the whole project, as HTML, PDF or
    // CSV by the type chosen in the save dialog, which offers a name made of the project, source and scheme.
    void SaveReportClick();
    // «Печать…».
    void PrintReportClick();
    // The report of the results shown, with the profile of the chosen line and regime.
    results::ReportRequest reportRequest(results::ReportExtent extent) const;
    // Asks how much the report covers when the project has more than one scheme; none when cancelled.
    std::optional<results::ReportExtent> chooseExtent();

    QComboBox* Scheme_Box;
    QComboBox* Regime_Box;
    QPushButton* SaveReport;
    QPushButton* PrintReport;
    QLabel* Summary;
    QLabel* Note;
    QLabel* Excluded;
    QTabWidget* Tabs;
    ResultsView* NodesGrid;
    ResultsView* SectionsGrid;
    ResultsView* SubstationsGrid;
    ResultsView* ShortCircuitGrid;
    ResultsView* ProblemsGrid;
    ResultsView* LinesGrid;
    QWidget* ProfileTab;
    QComboBox* Line_Box;
    QComboBox* Branch_Box; // the line's paths, named by their ends, the worst first
    VoltageProfileChart* ProfileChart;
    SchemeComparisonView* Comparison; // the tab «Сравнение схем»
    QFileDialog* SaveReportDialog;

    results::NodesModel* nodes_;
    results::SectionsModel* sections_;
    results::SubstationsModel* substations_;
    results::ShortCircuitModel* shortCircuits_;
    results::ProblemsModel* problems_;
    results::LinesModel* lines_;

    Interaction& user_;
    CalculationData* data_ = nullptr;
    results::SchemePicture schemePicture_;
    CalculationRunner* runner_;
    QTimer* pending_;
    QTimer* busy_;
    std::shared_ptr<const results::ResultRows> shown_;
    k10::calc::Settings settings_;
    bool builtInCoefficients_ = true;
    bool profileDrawn_ = false;
    std::pair<int, bool> fittedFor_{-1, false}; // the source and whether it was calculated when the columns last fitted
    int source_ = 0;
    QString offeredName_; // the report's name the save dialog offers, without suffix
};
